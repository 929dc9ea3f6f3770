"""How the host evaluates an animation curve: its keys' tangents and the curve between and beyond
its keys.

What the host documents, and where the documentation stops:

- A segment between two keys takes the out tangent of the first key and the in tangent of the
  second. "Animation curves may have either weighted or non-weighted tangents. With non-weighted
  tangents, tangents are implemented as vectors and P2 and P3 are internally adjusted to account
  for the time difference between P1 and P4. ... For non-weighted tangents: where x is the start
  of the segment compute the parameter t as time - x, with t (and the bezier y parameters a, b, c,
  d) compute the value as v = t^3 a + t^2 b + t c + d" (the Maya manual on animation curves, as
  quoted in https://www.gamedev.net/forums/topic/273410-maya-animation-curves/): a cubic Hermite
  segment in the frame time for a non-weighted curve, a cubic Bezier segment whose inner points
  the tangents place for a weighted one.
- A tangent is an angle and a weight: "Tangent angles specify the direction the curve takes as it
  enters (or leaves) a key. Tangent weights specify how much influence the tangent angle has on
  the curve before it starts towards the next key" (keyTangent reference, https://
  help.autodesk.com/cloudhelp/ENU/MayaCRE-Tech-Docs/CommandsPython/keyTangent.html). The same
  page says the host keeps tangents as x and y values and leaves their relation to angle and
  weight to the MFnAnimCurve reference (https://help.autodesk.com/cloudhelp/2024/ENU/
  MAYA-API-REF/cpp_ref/class_m_fn_anim_curve.html), which the stand-in could not consult; the
  animCurve node keeps them per key (keyTanInX, keyTanInY, keyTanOutX, keyTanOutY, beside
  keyTanInType, keyTanOutType, weightedTangents, preInfinity, postInfinity; animCurve node
  reference, https://download.autodesk.com/global/docs/maya2013/en_US/Nodes/animCurve.html).
  The angle here is the slope in internal units per second ("Maya does calculations internally
  in centimeters, radians, and seconds", _units.py). Not modelled from a documented formula: the
  weight, taken here as the length of a weighted curve's tangent handle in thirds of its segment,
  so that weight 1 draws the non-weighted curve.
- The tangent types (Graph Editor Tangents menu, https://help.autodesk.com/cloudhelp/2023/ENU/
  Maya-Animation/files/GUID-43A4FE2C-4863-4EA6-B6AE-6D2B6757F6C7.htm, and for Maya 2014
  https://download.autodesk.com/global/docs/maya2014/en_us/files/
  GUID-43A4FE2C-4863-4EA6-B6AE-6D2B6757F6C7.htm): linear "a straight line joining two keys"
  (exact); flat, the tangent horizontal (exact); stepped "the curve is flat until the next key"
  and stepped next, the value of the next key from just after the key (exact); fixed, the angle
  the key was given (exact); spline "smooth between the key before and the key after ... the
  tangents are co-linear"; clamped "splines unless the value of two adjacent keys are very close.
  In this case, the out tangent of the first key and the in tangent of the second key will be
  interpolated as linear"; plateau and auto (Auto Span, "the first and last keyframes have flat
  tangents, and keyframes in between do not overshoot the neighboring keyframe value"). The host
  gives no formula for the last four: spline is modelled as the slope from the key before to the
  key after (Catmull-Rom), clamped's "very close" as CLAMPED_CLOSE, plateau and auto as a spline
  slope that is flat at the ends and at a key no higher or lower than both neighbours, and held
  within three times the slope towards either neighbour, which keeps a Hermite segment from
  passing its keys' values. fast and slow, which keyTangent still takes, are drawn as spline.
- Infinity (setInfinity reference, https://docs.huihoo.com/autodesk/maya/2017/english/
  CommandsPython/setInfinity.html: "constant", "linear", "cycle", "cycleRelative", "oscillate"):
  the end value held; the end key's tangent continued; the curve repeated; repeated with each
  repetition offset by the last key's value less the first's; repeated back and forth.

The default tangent types of new keys are keyTangent's global ones ("It is also used to edit or
query the default tangent type of newly created keyframes", keyTangent reference above): Auto
("Auto Span is the default setting for new keys (set as the Default in tangent and Default out
tangent in your Animation (Settings) preferences)", Graph Editor Tangents menu, 2023, above; "The
default type for tangents is Auto", Edit tangents, https://beehive.autodesk.com/community/service/
rest/cloudhelp/resource/cloudhelpchannel/guidcrossbook/?v=2023&p=MAYAUL&l=ENU&accessmode=live&
guid=GUID-B8DF6369-404C-4B10-95EA-81CCFE6DF988). "Curves are non-weighted by default" (the same
page).
"""
from __future__ import absolute_import, division

import math
from bisect import bisect_right

TANGENT_TYPES = ("spline", "linear", "fast", "slow", "flat", "step", "stepnext", "fixed",
                 "clamped", "plateau", "auto")
# Keys whose values differ by no more than this (internal units) count as "very close" for a
# clamped tangent; the host does not say how close.
CLAMPED_CLOSE = 1e-3
_HELD = ("step", "stepnext")


class GlobalTangents(object):
    """keyTangent -global -inTangentType / -outTangentType: the types a new key takes. A
    preference of the host, kept across new scenes."""

    def __init__(self):
        self.reset()

    def reset(self):
        self.in_type = "auto"
        self.out_type = "auto"


global_tangents = GlobalTangents()


def _fps():
    from ._host import scene
    from . import _units
    return _units.factor(scene.units, "time")


def slope_of_angle(degrees):
    """A tangent angle in degrees as a slope in value per frame."""
    return math.tan(math.radians(degrees)) / _fps()


def angle_of_slope(slope):
    """A slope in value per frame as the tangent angle keyTangent answers, in degrees."""
    return math.degrees(math.atan(slope * _fps()))


def _secant(curve, a, b):
    times, values = curve.times, curve.values
    return (values[b] - values[a]) / (times[b] - times[a])


def _spline_slope(curve, i):
    last = len(curve.times) - 1
    if last == 0:
        return 0.0
    if i == 0:
        return _secant(curve, 0, 1)
    if i == last:
        return _secant(curve, last - 1, last)
    return _secant(curve, i - 1, i + 1)


def _no_overshoot_slope(curve, i):
    """plateau and auto: flat at the ends and at a key that is no higher or lower than both
    neighbours, else the spline slope held within three times the slope towards either
    neighbour."""
    last = len(curve.times) - 1
    if i == 0 or i == last:
        return 0.0
    before, after = _secant(curve, i - 1, i), _secant(curve, i, i + 1)
    if before * after <= 0.0:
        return 0.0
    bound = 3.0 * min(abs(before), abs(after))
    return max(-bound, min(bound, _secant(curve, i - 1, i + 1)))


def _side_secant(curve, i, side):
    """The slope of the straight line to the neighbour on `side` ("in": the key before); an end
    key without one takes its only segment's."""
    last = len(curve.times) - 1
    if last == 0:
        return 0.0
    if side == "in":
        return _secant(curve, i - 1, i) if i > 0 else _secant(curve, 0, 1)
    return _secant(curve, i, i + 1) if i < last else _secant(curve, last - 1, last)


def slope(curve, i, side):
    """The slope (value per frame) of key i's in ("in") or out ("out") tangent."""
    settings = curve.tangent(curve.times[i])
    kind = settings["inTangentType" if side == "in" else "outTangentType"]
    if kind == "fixed":
        return slope_of_angle(settings["inAngle" if side == "in" else "outAngle"])
    if kind == "linear":
        return _side_secant(curve, i, side)
    if kind == "flat" or kind in _HELD:
        return 0.0
    if kind in ("plateau", "auto"):
        return _no_overshoot_slope(curve, i)
    if kind == "clamped":
        neighbour = i - 1 if side == "in" else i + 1
        if (0 <= neighbour < len(curve.times) and
                abs(curve.values[neighbour] - curve.values[i]) <= CLAMPED_CLOSE):
            return _side_secant(curve, i, side)
    return _spline_slope(curve, i)


def angle(curve, i, side):
    """The angle keyTangent answers for key i's in or out tangent: the one it was given when
    fixed, else the one its type gives it now."""
    settings = curve.tangent(curve.times[i])
    if settings["inTangentType" if side == "in" else "outTangentType"] == "fixed":
        return settings["inAngle" if side == "in" else "outAngle"]
    return angle_of_slope(slope(curve, i, side))


def _hermite(t0, v0, m0, t1, v1, m1, time):
    # The cubic in t = time - t0 written over s = t / dt, which keeps a straight or flat
    # segment's values exact where s is.
    dt = t1 - t0
    dv = v1 - v0
    s = (time - t0) / dt
    d0, d1 = m0 * dt, m1 * dt
    return v0 + s * (d0 + s * ((3.0 * dv - 2.0 * d0 - d1) + s * (d0 + d1 - 2.0 * dv)))


def _bezier(t0, v0, m0, w0, t1, v1, m1, w1, time):
    """A weighted segment: the inner points sit along the tangents, each handle w/3 of the
    segment long in time; handles longer than the segment together are shortened alike, so that
    the curve stays a function of time (the host's rule for this is not documented)."""
    dt = t1 - t0
    h0, h1 = w0 * dt / 3.0, w1 * dt / 3.0
    if h0 + h1 > dt:
        scale = dt / (h0 + h1)
        h0, h1 = h0 * scale, h1 * scale
    x1, y1 = t0 + h0, v0 + m0 * h0
    x2, y2 = t1 - h1, v1 - m1 * h1
    lo, hi = 0.0, 1.0
    for _ in range(60):  # x grows with u: halve the interval until it pins `time`
        u = 0.5 * (lo + hi)
        n = 1.0 - u
        x = n * n * n * t0 + 3.0 * n * n * u * x1 + 3.0 * n * u * u * x2 + u * u * u * t1
        if x < time:
            lo = u
        else:
            hi = u
    u = 0.5 * (lo + hi)
    n = 1.0 - u
    return n * n * n * v0 + 3.0 * n * n * u * y1 + 3.0 * n * u * u * y2 + u * u * u * v1


def _segment(curve, i, time):
    """The value at `time` strictly between key i and key i + 1."""
    times, values = curve.times, curve.values
    out_type = curve.tangent(times[i])["outTangentType"]
    if out_type == "step":
        return values[i]
    if out_type == "stepnext":
        return values[i + 1]
    m0, m1 = slope(curve, i, "out"), slope(curve, i + 1, "in")
    if not curve.weighted:
        return _hermite(times[i], values[i], m0, times[i + 1], values[i + 1], m1, time)
    w0 = curve.tangent(times[i])["outWeight"]
    w1 = curve.tangent(times[i + 1])["inWeight"]
    return _bezier(times[i], values[i], m0, w0, times[i + 1], values[i + 1], m1, w1, time)


def _within(curve, time):
    times = curve.times
    i = bisect_right(times, time) - 1
    if times[i] == time:
        return curve.values[i]
    return _segment(curve, i, time)


def _beyond(curve, time, kind, before):
    """The value at `time` before the first key (`before`) or after the last, by infinity
    `kind`."""
    times, values = curve.times, curve.values
    first, last = times[0], times[-1]
    end = 0 if before else -1
    if kind == "linear":
        at = 0 if before else len(times) - 1
        return values[end] + (time - times[end]) * slope(curve, at, "in" if before else "out")
    period = last - first
    if kind == "constant" or period <= 0.0:
        return values[end]
    turns = math.floor((time - first) / period)
    offset = time - first - turns * period
    if kind == "oscillate" and int(turns) % 2:
        return _within(curve, last - offset)
    local = _within(curve, first + offset)
    if kind == "cycleRelative":
        return local + turns * (values[-1] - values[0])
    return local


def evaluate(curve, time):
    """The curve's value at `time` (frames), or None when it has no keys."""
    times = curve.times
    if not times:
        return None
    if time < times[0]:
        return _beyond(curve, time, curve.pre_infinity, True)
    if time > times[-1]:
        return _beyond(curve, time, curve.post_infinity, False)
    return _within(curve, time)


def key_tangent(curve, i):
    """Key i's tangent settings as keyTangent answers them: types and weights as set, angles as
    the types give them."""
    found = curve.tangent(curve.times[i])
    found["inAngle"] = angle(curve, i, "in")
    found["outAngle"] = angle(curve, i, "out")
    return found
