"""Draws docs/gallery/*.png, one small plot per standard pattern, and
docs/gallery.md listing them with the parameters used, with the Python
package:

    KAM_LIBRARY=build/default/bin/libkam.so /usr/bin/python3 docs/gallery.py
"""

import io
import os
import sys
import warnings

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "python"))

import matplotlib  # noqa: E402
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import kam  # noqa: E402

# Pixels and resolution of every picture.
WIDTH, HEIGHT, DPI = 480, 300, 80

# Parameters of each pattern's plot; patterns that take the zenith angle
# (021, 022, 029) are drawn on a linear axis.
LINEAR = {"CSEC2_021_V1", "PMPOM_022_V1", "HEMIS_029_V1"}
FSS = dict(gain_max=47, diameter=2.4, frequency=12000)
RADAR = dict(gain_max=35, phi0=2)
GSO = dict(gain_max=40, phi0=0.8)
PARAMETERS = {
    "FSREF_001_V1": FSS, "FSMLB_002_V1": FSS, "FSOBJ_003_V1": FSS, "FSOML_004_V1": FSS,
    "GSOCO_005_V1": dict(gain_max=49, diameter=2.4, frequency=14000), "NGSOE_006_V1": FSS,
    "FSASY_007_V1": dict(FSS, specific={"theta": 45}),
    "FSPKE_008_V1": dict(gain_max=38, diameter=0.6, frequency=18000),
    "FSAVG_009_V1": dict(gain_max=38, diameter=0.6, frequency=18000),
    "SRES__010_V1": dict(diameter=5, frequency=8000, efficiency=0.6),
    "RASTA_011_V1": dict(diameter=25, frequency=1420),
    "BSSRX_012_V1": dict(diameter=0.6, frequency=12000),
    "ISOTR_013_V1": dict(gain_max=0),
    "PARAB_014_V1": dict(gain_max=30, phi0=5),
    "RDUNP_015_V1": RADAR, "RDUNA_016_V1": RADAR, "RDCOP_017_V1": RADAR,
    "RDCOA_018_V1": RADAR, "RDC2P_019_V1": RADAR, "RDC2A_020_V1": RADAR,
    "CSEC2_021_V1": dict(gain_max=30, phi0=3),
    "PMPOM_022_V1": dict(gain_max=10),
    "PMPSP_023_V1": dict(gain_max=15), "PMPSA_024_V1": dict(gain_max=15),
    "COORD_025_V1": FSS,
    "TVRX4_026_V1": dict(gain_max=12, frequency=600),
    "HAPSG_027_V1": dict(gain_max=30),
    "AIRYE_028_V1": dict(diameter=1, frequency=12000),
    "HEMIS_029_V1": dict(gain_max=3),
    "GSOSS_101_V1": GSO, "GSOSS_102_V1": GSO, "GSOSS_103_V1": GSO,
    "NGSOS_104_V1": GSO, "NGSOS_105_V1": GSO, "NGSOS_106_V1": GSO, "NGSOS_107_V1": GSO,
    "NGLEO_108_V1": dict(gain_max=35, phi0=1),
    "FROFF_109_V1": dict(gain_max=40, phi0=2),
    "PARAB_110_V1": dict(gain_max=35, phi0=2),
    "ISOTR_111_V1": dict(gain_max=5),
    "PSENS_112_V1": dict(gain_max=45, phi0=1),
    "SNS9A_113_V1": dict(gain_max=45), "SNS9B_114_V1": dict(gain_max=45),
    "TAYLR_115_V1": dict(gain_max=35, specific={}),
    "AIRYS_116_V1": dict(gain_max=35, phi0=1),
}
# How each parameter is written under its picture.
LABELS = dict(gain_max="GainMax {} dBi", diameter="Diameter {} m", frequency="Frequency {} MHz",
              efficiency="Efficiency {}", beamlet="Beamlet {} deg", phi0="Phi0 {} deg")


def caption(parameters):
    words = [LABELS[k].format(v) for k, v in parameters.items() if k in LABELS]
    if "specific" in parameters:
        given = parameters["specific"]
        words.append("Specific " + (", ".join(f"{k} = {v}" for k, v in given.items())
                                    if given else "with its defaults"))
    return ", ".join(words)


def small_png(fig, path):
    """Saves fig as a palette PNG (a fraction of the RGBA size) where Pillow,
    which matplotlib uses, is at hand."""
    buffer = io.BytesIO()
    fig.savefig(buffer, format="png", dpi=DPI)
    try:
        from PIL import Image
        Image.open(buffer).convert("RGB").quantize(colors=64).save(path, optimize=True)
    except ImportError:
        with open(path, "wb") as f:
            f.write(buffer.getvalue())


def main():
    out = os.path.join(HERE, "gallery")
    os.makedirs(out, exist_ok=True)
    lines = ["# Gallery of the standard patterns", "",
             "Every pattern of the standard library `KAM_Std`, drawn with the Python package "
             "([python/README.md](../python/README.md)) by `docs/gallery.py`; the parameters "
             "used are written under each picture. Gains in dBi against the off-axis angle "
             "in degrees (the zenith angle for 021, 022 and 029); a dashed curve is the "
             "cross-polar gain. See [patterns.md](patterns.md) for the definitions.", ""]
    plt.rcParams.update({"font.size": 8})
    for p in kam.patterns():
        parameters = PARAMETERS[p.name]
        fig, ax = plt.subplots(figsize=(WIDTH / DPI, HEIGHT / DPI))
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            kam.plot_pattern(p.name, ax=ax, log=p.name not in LINEAR, **parameters)
        if p.name in LINEAR:
            ax.set_xlabel("zenith angle [deg]")
        for w in caught:
            print(f"{p.name}: {w.message}")
        ax.set_title(f"{p.name}: {p.title}", fontsize=8)
        fig.tight_layout()
        file = f"{p.name}.png"
        small_png(fig, os.path.join(out, file))
        plt.close(fig)
        lines += [f"## {p.name}", "", f"![{p.name}](gallery/{file})", "",
                  f"{p.title} ({p.kind}). {caption(parameters)}.", ""]
    with open(os.path.join(HERE, "gallery.md"), "w") as f:
        f.write("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
