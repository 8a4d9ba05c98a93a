"""Scale-out on Dask: the array exports mapped blockwise over a dask array
of angles. Each worker process imports kam and loads its own library; dask
is imported only with this module (kam.dask)."""

import numpy as np
import dask.array as da

from ._compute import Result, earth_gain as _earth_gain, space_gain as _space_gain

# Workers cannot show warnings to the caller; the statuses come back as an
# array, so the default errors mode here is "ignore".
DEFAULT_ERRORS = "ignore"


def _block(phi, *phi0, compute, pattern, parameters):
    # phi0 is a block of its own when it is an array, else in parameters.
    r = compute(pattern, phi, **parameters, **({"phi0": phi0[0]} if phi0 else {}))
    return np.stack([r.gain, r.gain_x, r.status.astype(np.float64)], axis=-1)


def _map(compute, name, phi, parameters):
    phi = da.asarray(phi)
    parameters = dict(parameters)
    parameters.setdefault("errors", DEFAULT_ERRORS)
    arrays = [phi]
    if np.ndim(parameters.get("phi0")):
        phi0 = da.asarray(parameters.pop("phi0"))
        arrays.append(da.broadcast_to(phi0, phi.shape).rechunk(phi.chunks))
    stacked = da.map_blocks(_block, *arrays, compute=compute, pattern=name,
                            parameters=parameters, new_axis=phi.ndim,
                            chunks=phi.chunks + ((3,),), dtype=np.float64,
                            meta=np.empty((0,) * (phi.ndim + 1)))
    return Result(stacked[..., 0], stacked[..., 1], stacked[..., 2].astype(np.int32))


def earth_gain(name, phi, **parameters):
    """kam.earth_gain over a dask array of angles, block by block; gain,
    gain_x and status are dask arrays with the chunks of phi."""
    return _map(_earth_gain, name, phi, parameters)


def space_gain(name, phi, **parameters):
    """kam.space_gain over a dask array of angles, block by block."""
    return _map(_space_gain, name, phi, parameters)
