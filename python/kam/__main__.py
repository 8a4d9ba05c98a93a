"""python3 -m kam: the catalogue on the command line (patterns, describe) and
a pattern's gain plotted into a PNG (plot)."""

import argparse
import sys

from . import KamError, describe, patterns

# Options of `plot` that carry a number, and the parameter each one sets.
NUMBER_OPTIONS = (("--gain-max", "gain_max", "GainMax [dBi]"),
                  ("--diameter", "diameter", "Diameter [m] (earth patterns)"),
                  ("--frequency", "frequency", "Frequency [MHz] (earth patterns)"),
                  ("--efficiency", "efficiency", "Efficiency, 0..1 (earth patterns)"),
                  ("--beamlet", "beamlet", "Beamlet [deg] (space patterns)"),
                  ("--phi0", "phi0", "Phi0 [deg]"))
# The parameters each kind of pattern takes.
KIND_PARAMETERS = {"earth": {"gain_max", "diameter", "frequency", "efficiency", "phi0"},
                   "space": {"gain_max", "beamlet", "phi0"}}


def _specific(items):
    if items is None:
        return None
    values = {}
    for item in items:
        key, eq, value = item.partition("=")
        if not eq or not key:
            raise ValueError(f"--specific takes NAME=VALUE, not {item!r}")
        values[key] = float(value)
    return values


def run_patterns(args, out):
    for p in patterns(kind=args.kind, library=args.library):
        out.write(f"{p.name:<12}  {p.kind:<5}  {p.library:<12}  {p.title}\n")


def run_describe(args, out):
    p = describe(args.name, args.library)
    out.write(f"{p.name} ({p.kind}, library {p.library}): {p.title}\n")
    for parameter, word in p.parameters.items():
        out.write(f"  {parameter:<10} {word}\n")
    if p.specific:
        out.write("  specific structure:\n")
        for e in p.specific:
            out.write(f"    {e.name:<12} {e.unit or '-':<6} {e.kind:<6} default {e.default:g}"
                      f", {e.lowest:g} .. {e.highest:g}\n")


def run_plot(args, out):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    from .plot import plot_pattern

    pattern = describe(args.name, args.library)
    parameters = {}
    for option, key, _ in NUMBER_OPTIONS:
        value = getattr(args, key)
        if value is None:
            continue
        if key not in KIND_PARAMETERS[pattern.kind]:
            raise ValueError(f"{option} does not apply to {pattern.kind} patterns")
        parameters[key] = value
    specific = _specific(args.specific)
    if specific is not None:
        parameters["specific"] = specific
    fig, ax = plt.subplots(figsize=(args.width / args.dpi, args.height / args.dpi))
    plot_pattern(args.name, ax=ax, relative=args.relative, log=not args.linear,
                 library=args.library, **parameters)
    ax.set_title(f"{pattern.name}: {pattern.title}", fontsize="small")
    fig.tight_layout()
    fig.savefig(args.output, dpi=args.dpi)
    plt.close(fig)
    out.write(f"wrote {args.output}\n")


def parser():
    top = argparse.ArgumentParser(prog="python3 -m kam", description=__doc__)
    commands = top.add_subparsers(dest="command", required=True)
    p = commands.add_parser("patterns", help="list patterns with kind, library and title")
    p.add_argument("--kind", choices=("earth", "space"))
    p.add_argument("--library", help="only this library")
    p.set_defaults(run=run_patterns)
    d = commands.add_parser("describe", help="one pattern's parameters and specific elements")
    d.add_argument("name")
    d.add_argument("--library")
    d.set_defaults(run=run_describe)
    g = commands.add_parser("plot", help="plot a pattern's gain into a PNG")
    g.add_argument("name", help="pattern name")
    for option, key, text in NUMBER_OPTIONS:
        g.add_argument(option, dest=key, type=float, metavar="X", help=text)
    g.add_argument("--specific", action="append", metavar="NAME=VALUE",
                   help="an element of the specific structure (repeatable)")
    g.add_argument("--library")
    g.add_argument("--relative", action="store_true", help="gain relative to the peak")
    g.add_argument("--linear", action="store_true", help="a linear angle axis")
    g.add_argument("--width", type=int, default=640, help="pixels")
    g.add_argument("--height", type=int, default=400, help="pixels")
    g.add_argument("--dpi", type=int, default=100)
    g.add_argument("-o", "--output", required=True, metavar="FILE.png")
    g.set_defaults(run=run_plot)
    return top


def main(argv=None, out=sys.stdout):
    args = parser().parse_args(argv)
    try:
        args.run(args, out)
    except KamError as e:
        sys.stderr.write(f"kam: {e}\n")
        for line in e.events:
            sys.stderr.write(f"  {line}\n")
        return 1
    except (ValueError, TypeError) as e:
        sys.stderr.write(f"kam: {e}\n")
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
