"""Active frame ranges as the runner reads them: strictly, unlike the window's field.

The window's field is live and forgiving (a part it cannot read is dropped, a reversed range simply
holds no frame). A command line or a preset file is read once, before minutes of work, so here every
part must be START-END of whole frames with START <= END, and a range must lie within the source's
frames. A frame may be negative ("-10--5"): the part is read as two signed numbers around one "-".
"""
import re
from collections import namedtuple

# One part: a signed whole number, "-", a signed whole number; blanks allowed around each.
_PART = re.compile(r"^\s*([+-]?\d+)\s*-\s*([+-]?\d+)\s*$")

FORM = "START-END of whole frames, e.g. 10-50; one frame is 25-25, negative frames -10--5"

# text: the part as typed, for messages.
FrameRange = namedtuple("FrameRange", "start end text")


class RangesError(ValueError):
    """A ranges text that cannot be used; the message names the offending part."""


def parse_ranges_strictly(text):
    """The FrameRanges of `text` ("10-50, 70-80"), in order; [] for an empty or blank text.
    RangesError for the first part that is not START-END or that ends before it starts."""
    if not text.strip():
        return []
    ranges = []
    for part in text.split(","):
        shown = part.strip()
        match = _PART.match(part)
        if match is None:
            raise RangesError("'%s' is not a frame range (%s)" % (shown, FORM))
        start, end = int(match.group(1)), int(match.group(2))
        if start > end:
            raise RangesError("'%s' is reversed: frame %d comes after frame %d" % (shown, start, end))
        ranges.append(FrameRange(start, end, shown))
    return ranges


def check_within(ranges, first, last):
    """RangesError naming the first range that does not lie within frames first-last."""
    for item in ranges:
        if item.start < first or item.end > last:
            raise RangesError("'%s' is outside the source's frames %d-%d" % (item.text, first, last))


def window_text(ranges, shift=0):
    """The text the window's field gets for `ranges`, each frame moved by `shift` (the window reads
    no negative frame, so a shot that starts below 0 is moved up into the scene)."""
    return ", ".join("%d-%d" % (item.start + shift, item.end + shift) for item in ranges)
