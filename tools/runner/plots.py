"""One PNG of the camera's six channels before and after the shake, beside the extracted shake.

Uses matplotlib when the interpreter has it (Debian's python3-matplotlib); without it the plot is
skipped and the caller says so.
"""


def plotting_unavailable():
    """None when plots can be drawn, else the reason they cannot."""
    try:
        import matplotlib  # noqa: F401
    except ImportError as error:
        return "matplotlib is not available to this Python (%s)" % error
    return None


def plot_channels(path, frames, before, after, shake, channels, title):
    """Row k: channel k of `before` and `after` on the left; on the right the source's extracted
    shake of that channel and the offset the tool put on the camera (after minus before)."""
    import matplotlib
    matplotlib.use("Agg")  # never a window, and never the Qt binding the tool itself runs on
    from matplotlib import pyplot

    figure, axes = pyplot.subplots(len(channels), 2, figsize=(13, 2.0 * len(channels)), sharex=True)
    for k, channel in enumerate(channels):
        unit = "deg" if channel.startswith("rotate") else "units"
        left, right = axes[k][0], axes[k][1]
        left.plot(frames, [s[k] for s in before], color="#888888", linewidth=1.2, label="before")
        left.plot(frames, [s[k] for s in after], color="#d9534f", linewidth=1.0, label="after")
        left.set_ylabel("%s (%s)" % (channel, unit), fontsize=8)
        right.plot(frames, [shake[f][k] if f in shake else 0.0 for f in frames], color="#5b8def",
                   linewidth=1.0, label="extracted shake (source)")
        right.plot(frames, [a[k] - b[k] for a, b in zip(after, before)], color="#d9534f",
                   linewidth=1.0, linestyle="--", label="applied offset (after - before)")
        right.axhline(0.0, color="#cccccc", linewidth=0.6)
        for ax in (left, right):
            ax.tick_params(labelsize=7)
            ax.grid(True, color="#eeeeee", linewidth=0.5)
    axes[0][0].legend(fontsize=7, loc="upper right")
    axes[0][1].legend(fontsize=7, loc="upper right")
    axes[-1][0].set_xlabel("frame", fontsize=8)
    axes[-1][1].set_xlabel("frame", fontsize=8)
    figure.suptitle(title, fontsize=10)
    # Fixed margins: tight_layout measures every tick label and costs more than the drawing.
    figure.subplots_adjust(left=0.07, right=0.985, top=0.95, bottom=0.05, hspace=0.22, wspace=0.16)
    figure.savefig(path, dpi=90)
    pyplot.close(figure)
