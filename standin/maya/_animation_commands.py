"""Animation commands: curves and their connections, keys, animation layers."""
from __future__ import absolute_import, division

from bisect import bisect_left, bisect_right

from . import _curve_eval, _locks, _units
from ._flags import FlagSet, query_one
from ._host import scene
from ._lookup import flatten, named_objects, no_object, resolve_plug
from ._undo import journal
from ._scene import (AnimCurve, AnimLayer, DagNode, INFINITY_TYPES, KEYABLE,
                     PlugLink, curve_type_for, message_element, string_types)


def _attributes(node, attribute):
    """The channels of a node named by an `attribute` flag (a name or a list of names)."""
    names = attribute if isinstance(attribute, (list, tuple)) else [attribute]
    channels = []
    for name in names:
        plug = "%s.%s" % (scene.path_name(node), name)
        resolved = resolve_plug(plug)
        if resolved is None or not isinstance(resolved[0], DagNode):
            raise no_object(plug)
        channels.extend(resolved[1])
    return channels


def _key_targets(args, attribute):
    """What a keying command acts on: a list of curves and (node, channel) pairs."""
    targets = []
    for name in named_objects(args):
        node = scene.find(name)
        if node is None:
            resolved = resolve_plug(name)
            if resolved is None or not isinstance(resolved[0], DagNode):
                raise no_object(name)
            targets.extend((resolved[0], attr) for attr in resolved[1])
        elif isinstance(node, AnimCurve):
            targets.append(node)
        elif isinstance(node, DagNode):
            channels = (_attributes(node, attribute) if attribute is not None
                        else KEYABLE.get(node.type, ()))
            targets.extend((node, attr) for attr in channels)
        else:
            raise RuntimeError("'%s' is not an animatable object" % (name,))
    return targets


def _layer(names, op):
    node = scene.find(names[0]) if names else None
    if not isinstance(node, AnimLayer):
        raise RuntimeError("%s: Object '%s' not found." % (op, names[0] if names else ""))
    return node


def _single_time(value, op):
    """A keying time: a number, or a list of numbers (Maya's multi-use flag)."""
    if isinstance(value, list):
        return [float(each) for each in value]
    if isinstance(value, tuple) or isinstance(value, string_types):
        raise NotImplementedError(
            "%s: the stand-in takes time as a number or a list of numbers, not %r" % (op, value))
    return [float(value)]


def _time_range(value, op):
    """(start, end) of a time or time range flag; (None, None) when absent."""
    if value is None:
        return None, None
    if isinstance(value, list) and len(value) == 1 and isinstance(value[0], (list, tuple)):
        value = value[0]
    if isinstance(value, (list, tuple)):
        if len(value) != 2:
            raise RuntimeError("%s: a time range is (start, end), not %r" % (op, value))
        return float(value[0]), float(value[1])
    if isinstance(value, string_types):
        raise NotImplementedError("%s: the stand-in takes times as numbers, not %r" % (op, value))
    return float(value), float(value)


_CONNECT_ATTR = FlagSet("connectAttr", "force|f")


def _source_of(source):
    """What drives a channel from the plug `source`: an animation curve's output, or another DAG
    node's channel (the stand-in's constraint or expression: in the host these connect their
    output plugs to the driven channel the same way; connectAttr reference, https://
    docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/connectAttr.html)."""
    src = resolve_plug(source)
    if src is None:
        raise RuntimeError("connectAttr: The source attribute '%s' cannot be found." % source)
    if isinstance(src[0], AnimCurve):
        return src[0]
    if len(src[1]) != 1:
        raise NotImplementedError("connectAttr: the stand-in connects single channels only, "
                                  "not '%s'" % (source,))
    return PlugLink(scene, src[0], src[1][0])


def _same_source(current, source):
    if isinstance(current, PlugLink) and isinstance(source, PlugLink):
        return current.node is source.node and current.attr == source.attr
    return current is source


def _message_link(source, destination, op, force=False):
    """connectAttr / disconnectAttr of a node's .message and an element of a message array (see
    message_element); False when `destination` is no such element."""
    dst = resolve_plug(destination)
    element = message_element(dst[0], dst[1][0]) if dst is not None else None
    if element is None:
        return False
    src = resolve_plug(source)
    if src is None or src[1] != ("message",):
        raise RuntimeError("%s: '%s' cannot be connected to '%s'." % (op, source, destination))
    node, (array, index) = dst[0], element
    current = node.attrs[array].get(index)
    if op == "disconnectAttr":
        if current is not src[0]:
            raise RuntimeError("disconnectAttr: There is no connection from '%s' to '%s' to "
                               "disconnect." % (source, destination))
        scene.link_message(None, node, array, index)
        return True
    if current is src[0]:
        raise RuntimeError("connectAttr: '%s' is already connected to '%s'." % (source, destination))
    if current is not None and not force:
        raise RuntimeError("connectAttr: '%s' already has an incoming connection from '%s.message'."
                           % (destination, current.name))
    scene.link_message(src[0], node, array, index)
    return True


def _check_types(source, destination, node, attr):
    """Only plugs of matching types connect: a message plug carries no value and goes only to a
    message attribute ("message ... For connecting without dataflow", the base node's attributes,
    https://docs.huihoo.com/autodesk/maya/2017/english/Nodes/node.html), and a string attribute
    takes no number ("The two attributes must be of compatible types", connectAttr reference,
    https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/connectAttr.html)."""
    if source.rpartition(".")[2] == "message" or node.dynamic.get(attr) == "string":
        raise RuntimeError("connectAttr: The attribute '%s' cannot be connected to '%s': their "
                           "types do not match." % (source, destination))


def connectAttr(source, destination, **kwargs):
    """connectAttr(curve + ".output", "node.attr", force=True): the curve drives the channel;
    connectAttr("other.attr", "node.attr") makes another node's channel drive it."""
    flags = _CONNECT_ATTR.parse(kwargs)
    if _message_link(source, destination, "connectAttr", flags.get("force")):
        return None
    src = _source_of(source)
    dst = resolve_plug(destination)
    if dst is None:
        raise RuntimeError("connectAttr: The destination attribute '%s' cannot be found."
                           % destination)
    node, channels = dst
    if not isinstance(node, DagNode) or len(channels) != 1:
        raise RuntimeError("connectAttr: The destination attribute '%s' cannot be connected "
                           "to '%s'." % (destination, source))
    _locks.refuse_locked_plug("connectAttr", node, channels[0])
    _check_types(source, destination, node, channels[0])
    current = node.inputs.get(channels[0])
    if _same_source(current, src):
        raise RuntimeError("connectAttr: '%s' is already connected to '%s'."
                           % (source, destination))
    if current is not None and not flags.get("force"):
        raise RuntimeError("connectAttr: '%s' already has an incoming connection from '%s'."
                           % (destination, current.plug_name(scene)))
    scene.connect(src, node, channels[0])
    return None


def disconnectAttr(source, destination):
    """disconnectAttr(curve + ".output", "node.attr"): the channel keeps its current value."""
    if _message_link(source, destination, "disconnectAttr"):
        return None
    dst = resolve_plug(destination)
    current = (dst[0].inputs.get(dst[1][0])
               if dst is not None and isinstance(dst[0], DagNode) else None)
    src = resolve_plug(source)
    if current is None or src is None or not _same_source(
            current, src[0] if isinstance(src[0], AnimCurve) else PlugLink(scene, src[0],
                                                                            src[1][0])):
        raise RuntimeError("disconnectAttr: There is no connection from '%s' to '%s' to "
                           "disconnect." % (source, destination))
    _locks.refuse_locked_plug("disconnectAttr", dst[0], dst[1][0])
    scene.disconnect(dst[0], dst[1][0])
    return None


_CUT_KEY = FlagSet("cutKey", "attribute|at clear|cl")


def cutKey(*args, **kwargs):
    """cutKey(node, attribute=..., clear=True): every key of the channel goes, with its curve;
    the channel keeps its current value. Answers the number of curves cut."""
    flags = _CUT_KEY.parse(kwargs)
    cut = 0
    for target in _key_targets(args, flags.get("attribute")):
        if isinstance(target, AnimCurve):
            curve = target
        elif isinstance(target[0].inputs.get(target[1]), AnimCurve):
            curve = scene.disconnect(target[0], target[1])
        else:
            continue  # no curve: a channel driven by another node keeps its connection
        scene.delete(curve)
        cut += 1
    return cut


_SET_KEYFRAME = FlagSet("setKeyframe", "attribute|at time|t value|v animLayer|al "
                                       "inTangentType|itt outTangentType|ott")


def setKeyframe(*args, **kwargs):
    """setKeyframe(node, attribute=..., time=..., value=...[, animLayer=...]) or
    setKeyframe(curve, time=..., value=...). A channel without a curve gets one named
    node_attribute. Answers the number of keys set."""
    flags = _SET_KEYFRAME.parse(kwargs)
    times = _single_time(flags["time"], "setKeyframe") if "time" in flags else [scene.time]
    value = flags.get("value")
    if value is not None:
        value = float(value)
    layer = None
    if flags.get("animLayer"):
        layer = scene.find(flags["animLayer"])
        if not isinstance(layer, AnimLayer):
            raise RuntimeError("setKeyframe: Animation layer '%s' not found."
                               % (flags["animLayer"],))
    # inTangentType / outTangentType: the tangent types of the keys this command sets, taking
    # the types keyTangent takes; without them a new key takes keyTangent's global types
    # (keyTangent reference: the global setting is "the default tangent type of newly created
    # keyframes (see the setKeyframe command ... to override this default)", _curve_eval.py).
    in_type = flags.get("inTangentType")
    out_type = flags.get("outTangentType")
    for given in (in_type, out_type):
        if given is not None:
            _tangent_type(given, "setKeyframe")
    targets = _key_targets(args, flags.get("attribute"))
    now = scene.time
    # With animLayer, a channel that is not in that layer is keyed on its own (base) animation:
    # "if the objects being keyframed are not already part of the layer, this flag will be
    # ignored" (setKeyframe reference, https://docs.huihoo.com/autodesk/maya/2017/english/
    # CommandsPython/setKeyframe.html); Scene.key_channel falls back to the base curve.
    # The value is in the working unit of the curve's kind, as every command takes it (currentUnit
    # reference, _units.py); curves hold internal units.
    units = scene.units
    for target in targets:
        if isinstance(target, AnimCurve):
            key_value = (target.output(now) if value is None else
                         _units.to_internal(units, _units.kind_of_curve(target.type), value))
            for time in times:
                target.set_key(time, key_value, in_type, out_type)
        else:
            node, attr = target
            if _locks.plug_locked(node, attr):
                continue  # a locked channel takes no key (see _locks.py)
            kind = _units.kind_of_curve(curve_type_for(attr))
            key_value = (float(scene.value(node, attr, now)) if value is None else
                         _units.to_internal(units, kind, value))
            for time in times:
                scene.key_channel(node, attr, time, key_value, layer, in_type, out_type)
    return len(targets) * len(times)


def _eval_times(value):
    """The times of a multi-use time flag given as a list of more than one single time, for
    eval: -time is "create multiuse" (keyframe reference, https://download.autodesk.com/global/
    docs/maya2013/en_US/Commands/keyframe.html; from Python a multi-use flag takes a list), and
    -eval answers "the value(s) of the animCurves when evaluated (without regard to input
    connections) at the times given by the -t/time or -f/float flags", not with time ranges (same
    reference, the eval flag): one value per curve and time, the times in the order given.
    None for anything else (one time or range, read by _time_range)."""
    if not isinstance(value, list) or len(value) < 2:
        return None
    times = []
    for item in value:
        if isinstance(item, (list, tuple)):
            if len(item) != 2 or float(item[0]) != float(item[1]):
                raise RuntimeError("keyframe: eval takes single times, not the range %r" % (item,))
            item = item[0]
        times.append(float(item))
    return times


_KEYFRAME = FlagSet("keyframe", "query|q time|t eval|ev valueChange|vc timeChange|tc "
                                "keyframeCount|kc attribute|at")


def keyframe(*args, **kwargs):
    """keyframe(curve, q=True, time=(f, f), eval=True) -> [value], None when nothing answers;
    also q with tc / vc (keys in the time range) and kc (their number)."""
    flags = _KEYFRAME.parse(kwargs)
    if not flags.get("query"):
        raise NotImplementedError("keyframe: the stand-in serves queries (q=True) only")
    asked = query_one("keyframe", flags,
                      ("eval", "valueChange", "timeChange", "keyframeCount"))
    eval_times = _eval_times(flags.get("time")) if asked == "eval" else None
    start, end = (None, None) if eval_times else _time_range(flags.get("time"), "keyframe")
    curves = []
    for target in _key_targets(args, flags.get("attribute")):
        curve = target if isinstance(target, AnimCurve) else target[0].inputs.get(target[1])
        if isinstance(curve, AnimCurve):
            curves.append(curve)
    if eval_times:
        found = [_ui_of(curve, curve.evaluate(at)) for curve in curves if curve.times
                 for at in eval_times]
        return found or None
    if asked == "eval":
        if start != end:
            raise RuntimeError("keyframe: eval takes one time, time=(f, f)")
        at = scene.time if start is None else start
        found = [_ui_of(curve, curve.evaluate(at)) for curve in curves if curve.times]
        return found or None
    found = []
    for curve in curves:
        for time, value in zip(curve.times, curve.values):
            if start is None or start <= time <= end:
                found.append(time if asked == "timeChange" else _ui_of(curve, value))
    if asked == "keyframeCount":
        return len(found)
    return found or None


def _ui_of(curve, value):
    """A curve's value as the commands answer it: in the working unit of its kind."""
    return _units.to_ui(scene.units, _units.kind_of_curve(curve.type), value)


_ANIM_LAYER = FlagSet("animLayer", "query|q edit|e exists|ex override|o attribute|at "
                                   "removeAttribute|ra selected|sel preferred|prf weight|w "
                                   "mute|m findCurveForPlug|fcv")
_LAYER_QUERIES = ("attribute", "selected", "preferred", "override", "weight", "mute")


def animLayer(*args, **kwargs):
    """animLayer(name, override=True) -> the new layer's name; animLayer(name, q=True,
    exists=True); animLayer(layer, edit=True, attribute=plug | selected=True, preferred=True)."""
    flags = _ANIM_LAYER.parse(kwargs)
    names = flatten(args)
    if "findCurveForPlug" in flags:
        layer = _layer(names, "animLayer")
        return _layer_curves(layer, flags["findCurveForPlug"]) if flags.get("query") else None
    if flags.get("query"):
        if flags.get("exists"):
            return isinstance(scene.find(names[0]) if names else None, AnimLayer)
        layer = _layer(names, "animLayer")
        asked = query_one("animLayer", flags, _LAYER_QUERIES)
        if asked == "attribute":
            plugs = ["%s.%s" % (scene.path_name(node), attr) for node, attr in layer.members]
            return sorted(plugs) or None
        return getattr(layer, asked)
    if "exists" in flags:
        raise RuntimeError("animLayer: exists is a query flag")
    added = _plugs(flags.get("attribute"))
    removed = _plugs(flags.get("removeAttribute"))
    if flags.get("edit"):
        layer = _layer(names, "animLayer")
    else:
        layer = scene.create_layer(names[0] if names else "AnimLayer1",
                                   bool(flags.get("override")))
    if flags.get("edit"):
        journal.node_changing(layer)
    if flags.get("edit") and "override" in flags:
        layer.override = bool(flags["override"])
    for node, attr in added:
        scene.add_to_layer(layer, node, attr)
    for node, attr in removed:
        scene.remove_from_layer(layer, node, attr)
    for flag in ("selected", "preferred", "mute"):
        if flag in flags:
            setattr(layer, flag, bool(flags[flag]))
    if "weight" in flags:
        layer.weight = float(flags["weight"])
    return None if flags.get("edit") else layer.name


def _layer_curves(layer, plug):
    """animLayer(layer, q=True, findCurveForPlug=plug): the names of the layer's curves for the
    plug, None when it has none. The flag is a query flag ("Finds the parameter curve containing
    the animation data for the specified plug on the given layer", animLayer reference,
    https://download.autodesk.com/global/docs/maya2014/en_us/CommandsPython/animLayer.html),
    answered as a list such as [u'pCube1_translateY_AnimLayer1_inputB'] for a plug keyed on the
    layer; outside query mode it answers nothing. It changes nothing, so it takes no place in the
    undo queue."""
    found = [layer.members[pair].name for pair in _plugs(plug)
             if layer.members.get(pair) is not None]
    return found or None


def _plugs(value):
    """(node, channel) pairs of an attribute flag; RuntimeError for a plug that is not there."""
    if value is None:
        return []
    pairs = []
    for plug in (value if isinstance(value, (list, tuple)) else [value]):
        resolved = resolve_plug(plug)
        if resolved is None or not isinstance(resolved[0], DagNode):
            raise RuntimeError("animLayer: No object matches name: %s" % (plug,))
        pairs.extend((resolved[0], attr) for attr in resolved[1])
    return pairs


def _curves_of(args, attribute):
    """The curves a curve command acts on: named curves, and the curves driving the named
    channels (a channel driven by anything else has none)."""
    curves = []
    for target in _key_targets(args, attribute):
        curve = target if isinstance(target, AnimCurve) else target[0].inputs.get(target[1])
        if isinstance(curve, AnimCurve):
            curves.append(curve)
    return curves


_KEY_TANGENT = FlagSet("keyTangent", "query|q edit|e time|t attribute|at inTangentType|itt "
                                     "outTangentType|ott inAngle|ia outAngle|oa inWeight|iw "
                                     "outWeight|ow weightedTangents|wt g")
_TANGENT_FLAGS = ("inTangentType", "outTangentType", "inAngle", "outAngle", "inWeight",
                  "outWeight")
# The side each angle flag turns "fixed", and its type flag.
_ANGLE_SIDES = (("inAngle", "inTangentType", "in"), ("outAngle", "outTangentType", "out"))


def _tangent_type(value, op):
    # The tangent types keyTangent and setKeyframe take (keyTangent reference, https://
    # docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/keyTangent.html: "spline",
    # "linear", "fast", "slow", "flat", "step", "stepnext", "fixed", "clamped", "plateau" and
    # "auto").
    if value not in _curve_eval.TANGENT_TYPES:
        raise RuntimeError("%s: Invalid tangent type '%s'." % (op, value))
    return value


def _global_tangents(flags):
    """keyTangent(g=True, itt=..., ott=...) sets the tangent types of new keys; with q=True and
    one of itt / ott it answers that type ("It is also used to edit or query the default tangent
    type of newly created keyframes", keyTangent reference above), as a list of one string."""
    defaults = _curve_eval.global_tangents
    if flags.get("query"):
        asked = query_one("keyTangent", flags, ("inTangentType", "outTangentType"))
        return [defaults.in_type if asked == "inTangentType" else defaults.out_type]
    if "inTangentType" in flags:
        defaults.in_type = _tangent_type(flags["inTangentType"], "keyTangent")
    if "outTangentType" in flags:
        defaults.out_type = _tangent_type(flags["outTangentType"], "keyTangent")
    return None


def _tangent_answer(curve, i, asked):
    if asked in ("inAngle", "outAngle"):
        return _curve_eval.angle(curve, i, "in" if asked == "inAngle" else "out")
    return curve.tangent(curve.times[i])[asked]


def keyTangent(*args, **kwargs):
    """keyTangent(curve or node, [attribute=...], [time=(a, b)], itt=..., ott=..., ia=..., oa=...,
    iw=..., ow=..., weightedTangents=...): edits the tangents of the keys in the time range (every
    key without time) and answers the number of curves changed; with q=True and one tangent flag,
    the list of that setting over those keys, or with weightedTangents one truth value per curve.
    Angles are in degrees, as the command takes them; an angle asked of a tangent that is not
    fixed is the one its type gives it now. g=True: the types of new keys (_global_tangents).

    Giving an angle makes that tangent "fixed" at it, and making a tangent "fixed" keeps the angle
    it had. The keyTangent reference (https://help.autodesk.com/cloudhelp/ENU/MayaCRE-Tech-Docs/
    CommandsPython/keyTangent.html) lists "fixed" without saying more; an angle is a tangent's own
    only where its type computes none, so the stand-in freezes the computed one. The in and out
    angles of a key are set each on its own: the -lock flag (in and out turned together) is not
    modelled."""
    flags = _KEY_TANGENT.parse(kwargs)
    if flags.get("g"):
        return _global_tangents(flags)
    curves = _curves_of(args, flags.get("attribute"))
    start, end = _time_range(flags.get("time"), "keyTangent")

    def in_range(curve):
        """The indices of the curve's keys in the time range: its times are sorted, so a range
        of one key is found without reading the others."""
        if start is None:
            return range(len(curve.times))
        return range(bisect_left(curve.times, start), bisect_right(curve.times, end))

    if flags.get("query"):
        asked = query_one("keyTangent", flags, _TANGENT_FLAGS + ("weightedTangents",))
        if asked == "weightedTangents":
            return [curve.weighted for curve in curves] or None
        found = [_tangent_answer(curve, i, asked) for curve in curves for i in in_range(curve)]
        return found or None
    changes = {}
    for name in _TANGENT_FLAGS:
        if name in flags:
            value = flags[name]
            changes[name] = (_tangent_type(value, "keyTangent") if name.endswith("Type")
                             else float(value))
    for angle_flag, type_flag, _ in _ANGLE_SIDES:
        if angle_flag in changes and type_flag not in changes:
            changes[type_flag] = "fixed"
    for curve in curves:
        journal.node_changing(curve)
        if "weightedTangents" in flags:
            curve.weighted = bool(flags["weightedTangents"])
        if not changes:
            continue
        edits = {}
        for i in in_range(curve):
            time = curve.times[i]
            settings = dict(curve.tangents.get(time, {}))  # a new dict: undo keeps the old
            for angle_flag, type_flag, side in _ANGLE_SIDES:
                if changes.get(type_flag) == "fixed" and angle_flag not in changes:
                    settings[angle_flag] = _curve_eval.angle(curve, i, side)
            settings.update(changes)
            edits[time] = settings  # set after every key's angle is read as it was
        curve.tangents.update(edits)
    return len(curves)


_SET_INFINITY = FlagSet("setInfinity", "query|q attribute|at preInfinite|pri postInfinite|poi")


def setInfinity(*args, **kwargs):
    """setInfinity(curve or node, [attribute=...], preInfinite=..., postInfinite=...) sets the
    infinity types; with q=True and one of them, the type per curve (setInfinity reference,
    https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/setInfinity.html)."""
    flags = _SET_INFINITY.parse(kwargs)
    curves = _curves_of(args, flags.get("attribute"))
    slots = (("preInfinite", "pre_infinity"), ("postInfinite", "post_infinity"))
    if flags.get("query"):
        asked = query_one("setInfinity", flags, ("preInfinite", "postInfinite"))
        slot = dict(slots)[asked]
        return [getattr(curve, slot) for curve in curves] or None
    for flag, slot in slots:
        if flag in flags and flags[flag] not in INFINITY_TYPES:
            raise RuntimeError("setInfinity: Invalid infinity type '%s'." % (flags[flag],))
    for curve in curves:
        journal.node_changing(curve)
        for flag, slot in slots:
            if flag in flags:
                setattr(curve, slot, flags[flag])
    return None


COMMANDS = ("animLayer", "connectAttr", "cutKey", "disconnectAttr", "keyframe", "keyTangent",
            "setInfinity", "setKeyframe")
