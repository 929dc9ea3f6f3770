"""A short scripted use of the tool on the stand-in host: a hand-held source shakes a static camera.

Builds a small scene with the host's own commands (the same script runs in Maya), prepares the shake
through the module's functions and prints the camera's shaken keys.
"""
from __future__ import print_function

import math
import os
import sys

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "standin"))
sys.path.insert(0, os.environ.get("TREMBLA_MODULE_DIR", os.path.join(REPO, "build", "py3-qt5")))

from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")


def build_scene(first, last):
    cmds.file(new=True, force=True)
    cmds.playbackOptions(min=first, max=last)
    camera = cmds.createNode("transform", name="shotCam")
    cmds.createNode("camera", parent=camera)
    cmds.setAttr(camera + ".translateZ", 10.0)
    source = cmds.createNode("transform", name="handheld")
    for frame in range(first, last + 1):
        # A walk forward with a footstep bounce and a little sway: the bounce is the shake.
        cmds.setKeyframe(source, attribute="translateX", time=frame, value=0.05 * frame)
        cmds.setKeyframe(source, attribute="translateY", time=frame,
                         value=0.08 * abs(math.sin(frame * math.pi / 6.0)))
        cmds.setKeyframe(source, attribute="rotateZ", time=frame, value=1.5 * math.sin(frame * 0.9))
    return camera, source


def main():
    first, last = 1, 24
    camera, source = build_scene(first, last)
    frames = list(range(first, last + 1))

    source_data = tt.collect_source_motion(source, first, last)
    delta_data = tt.calculate_deltas(source_data, first)
    camera_base = tt.get_world_transform(camera, first)
    shake = tt.extract_source_shake(delta_data, frames, 2, 2)
    tt.apply_shake_to_camera(camera, shake, frames, 0, 100, 100, 100, (100, 100, 100), (100, 100, 100),
                             True, True, tt.parse_ranges(""), 3, 3, camera_base, "static", {})

    print("Shaken keys of %s (source %s, lag 2, frames %d-%d):" % (camera, source, first, last))
    print("frame " + " ".join("%11s" % c for c in CHANNELS))
    for frame in frames:
        values = [cmds.keyframe("%s_shake_%s" % (camera, c), q=True, time=(frame, frame), eval=True)[0]
                  for c in CHANNELS]
        print("%5d " % frame + " ".join("%11.5f" % v for v in values))


if __name__ == "__main__":
    main()
