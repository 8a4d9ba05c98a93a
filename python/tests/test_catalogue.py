"""The catalogue as data, legacy names, the validation switch, and how the
package finds its library."""

import os
import shutil
import subprocess
import sys

import numpy as np
import pytest

import kam
from kam import _native

PACKAGE = os.path.dirname(os.path.abspath(kam.__file__))

# Parameter properties as the standard library documents them, in the order
# GainMax Beamlet Diameter Frequency Efficiency Specific Phi Phi0.
LETTERS = {"R": "required", "O": "optional", "N": "not required"}
DESCRIBED = [
    ("FSREF_001_V1", "earth", "R N O O N N R N", []),
    ("CSEC2_021_V1", "earth", "R N N N N O R R", ["thetaStart", "thetaEnd", "floor"]),
    ("TAYLR_115_V1", "space", "O N N N N R R N",
     ["lambda", "Lr", "Lt", "SLR", "nbar", "planeAngle"]),
    ("FROFF_109_V1", "space", "O O N N N N R R", []),
]


@pytest.mark.parametrize("name,kind,letters,elements", DESCRIBED)
def test_describe(name, kind, letters, elements):
    p = kam.describe(name)
    assert (p.name, p.kind, p.library) == (name, kind, "KAM_Std")
    assert p.title
    assert p.parameters == dict(zip(kam._catalogue.PARAMETER_NAMES,
                                    (LETTERS[c] for c in letters.split())))
    assert [e.name for e in p.specific] == elements
    for e in p.specific:
        assert e.lowest <= e.default <= e.highest
    nbar = [e for e in p.specific if e.name == "nbar"]
    assert [e.kind for e in nbar] in ([], ["double"], ["int32"])


def test_unknown_pattern():
    with pytest.raises(kam.KamError) as e:
        kam.describe("NOSUCH_PATTERN"[:12])
    assert e.value.code == -2005 and e.value.events


def test_patterns_and_libraries():
    earth, space, every = kam.patterns("earth"), kam.patterns("space"), kam.patterns()
    assert (len(earth), len(space), len(every)) == (29, 16, 45)
    assert {p.kind for p in earth} == {"earth"} and {p.kind for p in space} == {"space"}
    assert [p.name for p in every] == [p.name for p in kam.patterns(library="KAM_Std")]
    (std,) = [lib for lib in kam.libraries() if lib.name == "KAM_Std"]
    assert std.patterns == tuple(p.name for p in every)
    assert len(std.version) == 3
    with pytest.raises(ValueError):
        kam.patterns("sky")
    with pytest.raises(kam.KamError) as e:
        kam.patterns(library="NoSuchLibrary")
    assert e.value.code == -2012


def test_load_library_already_loaded():
    std = kam.load_library("KAM_Std.dll")  # the standard library's name on every platform
    assert std.name == "KAM_Std" and len(std.patterns) == 45
    with pytest.raises(kam.KamError):
        kam.load_library("/nonexistent/libNoPatterns.so")


@pytest.mark.parametrize("designation,current", [
    ("ES-REF", "FSREF_001_V1"),
    ("ES-REF      ", "FSREF_001_V1"),
    ("SS-LEO", "NGLEO_108_V1"),
    ("BSS-TX(FRO)", "FROFF_109_V1"),
])
def test_legacy_name(designation, current):
    assert kam.legacy_name(designation) == current


def test_legacy_name_unknown():
    with pytest.raises(kam.KamError) as e:
        kam.legacy_name("NO-SUCH")
    assert e.value.code == -2005


def test_input_validation_switch(single):
    lib = single.lib
    before = lib.KAM_IfInputParamValidEnabled()
    with kam.input_validation(False):
        assert lib.KAM_IfInputParamValidEnabled() == 0
        # Unvalidated, a negative angle counts as its absolute value.
        r = kam.earth_gain("FSREF_001_V1", [-10.0, 10.0], gain_max=45, diameter=2,
                           frequency=12000)
        assert r.status.tolist() == [0, 0] and r.gain[0] == r.gain[1]
        with kam.input_validation(True):
            assert lib.KAM_IfInputParamValidEnabled() == 1
        assert lib.KAM_IfInputParamValidEnabled() == 0
    assert lib.KAM_IfInputParamValidEnabled() == before


# ---- Finding the library ------------------------------------------------------------

def _import_copy(tmp_path, location=None, env_library=None):
    """Imports a copy of the package from tmp_path in a fresh interpreter,
    outside any build tree; returns (exit code, output)."""
    target = tmp_path / "site" / "kam"
    shutil.copytree(PACKAGE, target, ignore=shutil.ignore_patterns("__pycache__", "_location.py"))
    if location is not None:
        (target / "_location.py").write_text(f"LIBRARY = {location!r}\n")
    env = {k: v for k, v in os.environ.items() if k != "KAM_LIBRARY"}
    if env_library is not None:
        env["KAM_LIBRARY"] = env_library
    proc = subprocess.run(
        [sys.executable, "-c", "import kam, kam._native as n; print(n.path); "
                               "print(kam.describe('FSREF_001_V1').library)"],
        cwd=tmp_path / "site", env=env, capture_output=True, text=True, timeout=60)
    return proc.returncode, proc.stdout + proc.stderr


def test_library_from_installed_layout(tmp_path):
    relative = os.path.relpath(_native.path, tmp_path / "site" / "kam")
    code, out = _import_copy(tmp_path, location=relative)
    assert code == 0, out
    assert out.split() == [os.path.normpath(_native.path), "KAM_Std"]


def test_library_from_environment_first(tmp_path):
    code, out = _import_copy(tmp_path, location="nowhere/libkam.so", env_library=_native.path)
    assert code == 0, out
    assert out.split()[0] == _native.path


def test_missing_library_names_every_place(tmp_path):
    code, out = _import_copy(tmp_path, env_library=str(tmp_path / "missing.so"))
    assert code != 0
    assert "ImportError" in out
    for place in ("KAM_LIBRARY", "installed layout", "build tree", "missing.so"):
        assert place in out


def test_result_is_numpy():
    r = kam.earth_gain("ISOTR_013_V1", 1.0, gain_max=3)
    assert isinstance(r.gain, np.ndarray) and r.gain.shape == () and float(r.gain) == 3.0
