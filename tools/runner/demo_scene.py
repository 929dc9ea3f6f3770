"""The demo shot: a camera on a slow dolly move, and a hand-held rig (or a vehicle) whose motion
carries bumps and sway. Everything is a closed-form function of the frame, so every run is the same.
"""
from __future__ import division

import math

from .chan import ChanTrack
from .scene import create_camera, create_transform, key_track

FIRST, LAST = 1, 120
CAMERA, SOURCE = "shotCam", "handheld"
CAMERA_FOV = "39.5978"  # a 35 mm lens on a full-frame back, vertical

# The settings the demo applies after preparing, as a preset of the window's presets page stores
# them: a soft hand-held follow, strongest on the vertical bumps, fading in and out over the shot.
PRESET_NAME = "handheld_follow"
CLIP_NAME = "demo_take"  # the demo's shake kept as a clip
PRESET = {
    "camera": CAMERA,
    "source": SOURCE,
    "settings": {
        "lag_trans": 2, "lag_rot": 1, "smooth": 0, "amount": 120, "trans_amp": 100, "rot_amp": 80,
        "fade_in": 8, "fade_out": 8, "ranges": "6-115", "mode": "animated",
        "layer_name": "trembla_shake", "translate_enabled": True, "rotate_enabled": True,
        "trans_x": 100, "trans_y": 100, "trans_z": 40, "rot_x": 100, "rot_y": 60, "rot_z": 100,
    },
}


def _ease(t):
    """0 to 1 with a gentle start and stop (smoothstep)."""
    t = min(1.0, max(0.0, t))
    return t * t * (3.0 - 2.0 * t)


def camera_sample(frame):
    """A dolly in of 6 units with a slow pan, at eye height."""
    u = _ease((frame - FIRST) / (LAST - FIRST))
    return (0.8 * u, 1.7, 18.0 - 6.0 * u, -4.0 + 1.5 * u, -6.0 + 10.0 * u, 0.0)


def _bump(frame, at, size):
    """A jolt at frame `at`: a quick, decaying bounce (a wheel over a seam, a hard footstep)."""
    t = frame - at
    if t < 0:
        return 0.0
    return size * math.exp(-t / 4.0) * math.sin(t * 1.3)


def source_sample(frame):
    """Walking forward: footstep bob every 12 frames, three harder bumps, a slow sway and jitter."""
    f = float(frame)
    bob = 0.035 * abs(math.sin(math.pi * f / 12.0))
    bumps = _bump(f, 30, 0.12) + _bump(f, 64, 0.18) + _bump(f, 97, 0.1)
    jitter = 0.006 * math.sin(f * 2.7) + 0.004 * math.sin(f * 4.1 + 1.0)
    return (0.25 * math.sin(2.0 * math.pi * f / 48.0) + jitter,
            1.6 + bob + bumps,
            -0.05 * f + 0.5 * jitter,
            -2.0 + 6.0 * bumps + 20.0 * jitter,
            3.0 * math.sin(2.0 * math.pi * f / 60.0) + 12.0 * jitter,
            2.0 * math.sin(2.0 * math.pi * f / 48.0 + 0.5) + 15.0 * jitter)


def frames():
    return list(range(FIRST, LAST + 1))


def camera_track():
    shot = frames()
    return ChanTrack(shot, [camera_sample(f) for f in shot], [CAMERA_FOV] * len(shot))


def source_track():
    shot = frames()
    return ChanTrack(shot, [source_sample(f) for f in shot], None)


def build(cmds):
    """Creates and keys the camera and the source in the current scene; returns their names."""
    camera = create_camera(cmds, CAMERA)
    cam = camera_track()
    key_track(cmds, camera, cam.frames, cam.samples)
    source = create_transform(cmds, SOURCE)
    src = source_track()
    key_track(cmds, source, src.frames, src.samples)
    return camera, source
