"""The scene's working units, as the host keeps them.

"There are three types of units: linear, angular and time. The current unit affects how all
commands in Maya interpret their numeric values" (currentUnit reference,
https://docs.huihoo.com/autodesk/maya/2017/english/Commands/currentUnit.html). Underneath, "Maya
does calculations internally in centimeters, radians, and seconds" (Optimize expressions,
https://help.autodesk.com/cloudhelp/2016/ENU/Maya/files/GUID-B23EE5CE-B8D8-46DF-8BE4-0C24EAB0E3A2.htm),
and "unless otherwise specified all API methods use Maya internal units: cm and radians" (Maya
SDK, Appendix: Frequently asked questions, https://help.autodesk.com/cloudhelp/2018/ENU/Maya-SDK/
files/Appendices_Appendix_D_Frequently_asked_questions.htm).

So the stand-in keeps channel and curve values in centimetres and radians, and the commands
convert at their edge. Times are kept as frames of the working time unit; the stand-in refuses to
change that unit once the scene holds animation curves (moving keys with it is not modelled).
"""
from __future__ import absolute_import, division

import math

# Short name, long name, centimetres per unit (the currentUnit reference's -linear names).
LINEAR = (("mm", "millimeter", 0.1), ("cm", "centimeter", 1.0), ("m", "meter", 100.0),
          ("km", "kilometer", 100000.0), ("in", "inch", 2.54), ("ft", "foot", 30.48),
          ("yd", "yard", 91.44), ("mi", "mile", 160934.4))
# -angle: "[deg | degree | rad | radian]"; radians per unit.
ANGLE = (("deg", "degree", math.pi / 180.0), ("rad", "radian", 1.0))
# -time: the frame rates by name (game 15, film 24, pal 25, ntsc 30, show 48, palf 50, ntscf 60),
# with the OpenMaya.MTime unit constant of each (kGames 5 ... kNTSCField 11).
TIME = (("game", "game", 15.0, 5), ("film", "film", 24.0, 6), ("pal", "pal", 25.0, 7),
        ("ntsc", "ntsc", 30.0, 8), ("show", "show", 48.0, 9), ("palf", "palf", 50.0, 10),
        ("ntscf", "ntscf", 60.0, 11))
DEFAULTS = {"linear": "cm", "angle": "deg", "time": "film"}  # "centimeters, degrees, and 24 fps"
_TABLES = {"linear": LINEAR, "angle": ANGLE, "time": TIME}


def entry(kind, name):
    """The table row a unit name (short or long) stands for, or None."""
    for row in _TABLES[kind]:
        if name in row[:2]:
            return row
    return None


def factor(units, kind):
    """Internal units per working unit (cm or radians); frames per second for time."""
    return entry(kind, units[kind])[2]


def fps_of_mtime_unit(unit):
    """Frames per second of an OpenMaya.MTime unit constant; seconds (kSeconds 3) count as 1."""
    if unit == 3:
        return 1.0
    for row in TIME:
        if row[3] == unit:
            return row[2]
    return None


def kind_of_channel(attr):
    """"linear", "angle" or None for a channel name (translate*/rotate*)."""
    if attr.startswith("translate"):
        return "linear"
    if attr.startswith("rotate") and attr != "rotateOrder":
        return "angle"
    return None


def kind_of_curve(node_type):
    return {"animCurveTL": "linear", "animCurveTA": "angle"}.get(node_type)


def to_internal(units, kind, value):
    return value if kind is None else value * factor(units, kind)


def to_ui(units, kind, value):
    return value if kind is None else value / factor(units, kind)
