"""Putting .chan motion into the scene and reading a camera's evaluated motion back out of it."""
from .chan import ChanTrack

CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")


def create_transform(cmds, name):
    return cmds.createNode("transform", name=name)


def create_camera(cmds, name):
    """A camera transform with its camera shape, so that the window's camera pick accepts it."""
    camera = cmds.createNode("transform", name=name)
    cmds.createNode("camera", name=camera + "Shape", parent=camera)
    return camera


def key_track(cmds, node, frames, samples, meter=None):
    """One key per frame on each of the node's six channels, with linear tangents: a frame the
    file does not list takes the straight line between its neighbours, as the help promises (the
    host's default tangents, auto, would curve it)."""
    total = len(frames)
    for index, frame in enumerate(frames):
        if meter is not None:
            meter.step(index, total)
        sample = samples[index]
        for channel, value in zip(CHANNELS, sample):
            cmds.setKeyframe(node, attribute=channel, time=frame, value=value,
                             inTangentType="linear", outTangentType="linear")
    if meter is not None:
        meter.step(total, total)


def set_pose(cmds, node, pose):
    for channel, value in zip(CHANNELS, pose):
        cmds.setAttr("%s.%s" % (node, channel), value)


def evaluated_track(cmds, node, frames, fov=None, meter=None):
    """The node's six channels as the scene evaluates them on each frame (curves, layers and all),
    as a ChanTrack; `fov` is carried along unchanged."""
    samples = []
    total = len(frames)
    translate, rotate = node + ".translate", node + ".rotate"
    for index, frame in enumerate(frames):
        if meter is not None:
            meter.step(index, total)
        samples.append(tuple(cmds.getAttr(translate, time=frame)[0]) +
                       tuple(cmds.getAttr(rotate, time=frame)[0]))
    if meter is not None:
        meter.step(total, total)
    return ChanTrack(list(frames), samples, fov)
