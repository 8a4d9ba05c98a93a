"""The catalogue as data, legacy names, the validation switch, and how the
package finds its library."""

import os
import shutil
import subprocess
import sys

import pytest

import kam
from kam import _native

LETTERS = {"R": "required", "O": "optional", "N": "not required"}


@pytest.mark.parametrize("name,kind,letters,elements", [  # as the standard library documents
    ("FSREF_001_V1", "earth", "R N O O N N R N", []),
    ("CSEC2_021_V1", "earth", "R N N N N O R R", ["thetaStart", "thetaEnd", "floor"]),
    ("TAYLR_115_V1", "space", "O N N N N R R N", ["lambda", "Lr", "Lt", "SLR", "nbar",
                                                  "planeAngle"]),
])
def test_describe(name, kind, letters, elements):
    p = kam.describe(name)
    assert (p.name, p.kind, p.library, bool(p.title)) == (name, kind, "KAM_Std", True)
    assert list(p.parameters.values()) == [LETTERS[c] for c in letters.split()]
    assert list(p.parameters)[-1] == "Phi0"
    assert [e.name for e in p.specific] == elements
    assert all(e.lowest <= e.default <= e.highest for e in p.specific)


def test_catalogue_lists_and_failures():
    earth, space, every = kam.patterns("earth"), kam.patterns("space"), kam.patterns()
    assert (len(earth), len(space), len(every)) == (29, 16, 45)
    assert {p.kind for p in earth} == {"earth"} and {p.kind for p in space} == {"space"}
    (std,) = [lib for lib in kam.libraries() if lib.name == "KAM_Std"]
    assert std.patterns == tuple(p.name for p in every) and len(std.version) == 3
    assert kam.load_library("KAM_Std.dll") == std  # the standard library's name everywhere
    for call, code in [(lambda: kam.describe("NOSUCH"), -2005),
                       (lambda: kam.patterns(library="NoSuchLibrary"), -2012),
                       (lambda: kam.legacy_name("NO-SUCH"), -2005)]:
        with pytest.raises(kam.KamError) as e:
            call()
        assert e.value.code == code
    with pytest.raises(kam.KamError):
        kam.load_library("/nonexistent/libNoPatterns.so")


@pytest.mark.parametrize("designation,current", [
    ("ES-REF", "FSREF_001_V1"), ("ES-REF      ", "FSREF_001_V1"), ("SS-LEO", "NGLEO_108_V1"),
    ("BSS-TX(FRO)", "FROFF_109_V1"),
])
def test_legacy_name(designation, current):
    assert kam.legacy_name(designation) == current


def test_input_validation_switch(single):
    enabled, before = single.lib.KAM_IfInputParamValidEnabled, single.lib.KAM_IfInputParamValidEnabled()
    with kam.input_validation(False):
        # Unvalidated, a negative angle counts as its absolute value.
        r = kam.earth_gain("FSREF_001_V1", [-10.0, 10.0], gain_max=45, diameter=2,
                           frequency=12000)
        assert r.status.tolist() == [0, 0] and r.gain[0] == r.gain[1]
        with kam.input_validation(True):
            assert enabled() == 1
        assert enabled() == 0
    assert enabled() == before


@pytest.mark.parametrize("location,env,found", [
    ("relative", None, True),                          # the installed layout
    ("nowhere/libkam.so", "library", True),            # KAM_LIBRARY comes first
    (None, "missing", False),                          # nothing anywhere
])
def test_finding_the_library(tmp_path, location, env, found):
    """Imports a copy of the package outside any build tree."""
    target = tmp_path / "kam"
    shutil.copytree(os.path.dirname(kam.__file__), target,
                    ignore=shutil.ignore_patterns("__pycache__", "_location.py"))
    if location:
        relative = os.path.relpath(_native.path, target)
        (target / "_location.py").write_text(
            f"LIBRARY = {relative if location == 'relative' else location!r}\n")
    environ = {k: v for k, v in os.environ.items() if k != "KAM_LIBRARY"}
    if env:
        environ["KAM_LIBRARY"] = _native.path if env == "library" else str(tmp_path / "x.so")
    proc = subprocess.run([sys.executable, "-c", "import kam; print(kam._native.path)"],
                          cwd=tmp_path, env=environ, capture_output=True, text=True, timeout=60)
    if found:
        assert proc.returncode == 0, proc.stderr
        assert os.path.samefile(proc.stdout.strip(), _native.path)
    else:
        assert proc.returncode != 0 and "ImportError" in proc.stderr
        for place in ("KAM_LIBRARY", "installed layout", "build tree", "x.so"):
            assert place in proc.stderr
