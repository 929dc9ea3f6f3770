"""The shaping settings of a run, as the members of a preset's "settings" record: read from a preset
file, overridden by command-line flags, and handed to the window the way loading a preset does."""
import io
import json
from collections import OrderedDict

from .frame_ranges import RangesError, parse_ranges_strictly

# Slider members and the range of their control in the window.
SLIDER_RANGES = OrderedDict([
    ("lag_trans", (0, 15)), ("lag_rot", (0, 15)), ("smooth", (0, 100)), ("amount", (0, 200)),
    ("trans_amp", (0, 200)), ("rot_amp", (0, 200)), ("fade_in", (0, 30)), ("fade_out", (0, 30)),
])
TRANS_AXES = ("trans_x", "trans_y", "trans_z")
ROT_AXES = ("rot_x", "rot_y", "rot_z")
AXIS_RANGE = (0, 100)
MODES = ("static", "animated", "relax")

# What a member is when neither the preset nor a flag gives it: the window's fresh values.
DEFAULTS = dict(lag_trans=0, lag_rot=0, smooth=0, amount=100, trans_amp=100, rot_amp=100,
                fade_in=3, fade_out=3, ranges="", mode="static", layer_name="trembla_layer",
                translate_enabled=True, rotate_enabled=True,
                trans_x=100, trans_y=100, trans_z=100, rot_x=100, rot_y=100, rot_z=100)


class FlagError(ValueError):
    """A command-line value that does not fit the input (found once the input is read)."""


class PresetError(ValueError):
    """A preset file or preset name that cannot be used; the text starts with the file name."""


# The deepest nesting the tool's own preset file reading takes; Python's reader would run out of
# stack far below a file's possible depth.
MAX_NESTING = 512


def nesting_depth(text):
    """How deep the arrays and objects of JSON text nest, counted without parsing it."""
    depth = deepest = 0
    in_string = escaped = False
    for char in text:
        if in_string:
            if escaped:
                escaped = False
            elif char == "\\":
                escaped = True
            elif char == '"':
                in_string = False
        elif char == '"':
            in_string = True
        elif char in "[{":
            depth += 1
            deepest = max(deepest, depth)
        elif char in "]}":
            depth -= 1
    return deepest


def read_preset(tt, path, name=None):
    """(name, settings): the "settings" member of preset `name` in the preset file at `path` (the
    layout the window's presets page writes), each member checked as the window's control would
    take it. Without a name the file must hold exactly one preset."""
    try:
        with io.open(path, "r", encoding="utf-8") as handle:
            text = handle.read()
    except (IOError, OSError) as error:
        raise PresetError("%s: cannot read: %s" % (path, getattr(error, "strerror", None) or error))
    except ValueError as error:  # not UTF-8
        raise PresetError("%s: not JSON: %s" % (path, error))
    if nesting_depth(text) > MAX_NESTING:
        raise PresetError("%s: not a preset file: nesting deeper than %d levels" % (path, MAX_NESTING))
    try:
        data = json.loads(text)
    except ValueError as error:
        raise PresetError("%s: not JSON: %s" % (path, error))
    if not tt.validate_preset_data(data):
        raise PresetError("%s: not a preset file (an object of named presets, each an object whose "
                          "settings are an object)" % path)
    names = sorted(data)
    if name is None:
        if len(names) != 1:
            raise PresetError("%s: holds %d presets; name one with --preset-name (%s)"
                              % (path, len(names), ", ".join(names) or "none"))
        name = names[0]
    if name not in data:
        raise PresetError("%s: no preset named '%s' (presets: %s)" % (path, name, ", ".join(names) or "none"))
    settings = dict(data[name].get("settings", {}))
    for member in sorted(settings):
        problem = member_problem(member, settings[member])
        if problem is not None:
            raise PresetError("%s: preset '%s': settings.%s: %s" % (path, name, member, problem))
        if member in INTEGER_RANGES:
            settings[member] = int(settings[member])
    return name, settings


# Every whole-number member with the range of its control.
INTEGER_RANGES = dict(SLIDER_RANGES, **dict((axis, AXIS_RANGE) for axis in TRANS_AXES + ROT_AXES))
SWITCHES = ("translate_enabled", "rotate_enabled")
TEXTS = ("layer_name",)


def _is_text(value):
    return isinstance(value, type(u"")) or isinstance(value, str)


def member_problem(member, value):
    """What is wrong with a preset's settings member (None when it can be used as it is). The window
    clamps or ignores such values as it loads them; a run is told instead. Unknown members are left
    alone: a preset written by another version may carry more."""
    if member in INTEGER_RANGES:
        low, high = INTEGER_RANGES[member]
        whole = isinstance(value, int) or (isinstance(value, float) and value == value
                                           and abs(value) != float("inf") and value == int(value))
        if isinstance(value, bool) or not (whole or type(value).__name__ == "long"):
            return "%s is not a whole number (%d-%d)" % (json.dumps(value), low, high)
        if not low <= value <= high:
            return "%s is outside %d-%d" % (json.dumps(value), low, high)
    elif member in SWITCHES:
        if not isinstance(value, bool):
            return "%s is not true or false" % json.dumps(value)
    elif member == "mode":
        if value not in MODES:
            return "%s is not a camera mode (%s)" % (json.dumps(value), ", ".join(MODES))
    elif member == "ranges":
        if not _is_text(value):
            return "%s is not a ranges text" % json.dumps(value)
        try:
            parse_ranges_strictly(value)
        except RangesError as error:
            return str(error)
    elif member in TEXTS:
        if not _is_text(value):
            return "%s is not text" % json.dumps(value)
    return None


def merged(*layers):
    """One settings record from several, later ones winning member by member."""
    result = {}
    for layer in layers:
        result.update(layer)
    return result


def complete(settings):
    """Every member, the missing ones at the values a fresh window has (and applying a preset uses)."""
    return merged(DEFAULTS, settings)


def apply_to_window(window, settings):
    """Sets the window's controls as loading a preset would: camera and source fields untouched."""
    window._apply_settings({"settings": settings})
