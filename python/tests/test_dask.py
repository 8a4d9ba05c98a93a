"""kam.dask on a LocalCluster of two worker processes, against the serial
result."""

import sys

import dask.array as da
import distributed
import numpy as np

import kam


def _kam_loaded():
    return "kam._native" in sys.modules


def test_two_worker_processes_match_serial():
    import kam.dask as kd
    phi = np.linspace(0, 180, 40_001)
    params = dict(gain_max=45, diameter=2, frequency=12000)
    serial = kam.earth_gain("FSREF_001_V1", phi, **params)
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       dashboard_address=None, silence_logs=40)
    try:
        with distributed.Client(cluster, timeout=60) as client:
            angles = da.from_array(phi, chunks=5_000)
            r = kd.earth_gain("FSREF_001_V1", angles, **params)
            assert r.gain.chunks == angles.chunks == r.status.chunks
            futures = client.compute([r.gain, r.gain_x, r.status])
            distributed.wait(futures, timeout=120)
            gain, gain_x, status = client.gather(futures)
            loaded = client.run(_kam_loaded)
    finally:
        cluster.close(timeout=30)
    assert len(loaded) == 2 and any(loaded.values())
    np.testing.assert_array_equal(gain, serial.gain)
    np.testing.assert_array_equal(gain_x, serial.gain_x)
    np.testing.assert_array_equal(status, serial.status)
    assert status.dtype == np.int32
