"""Finding the stand-in host and the built module, and choosing where Qt draws."""
import atexit
import os
import shutil
import sys
import tempfile
from collections import namedtuple

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
STANDIN_DIR = os.path.join(REPO, "standin")

# tt: the trembla_tool module; cmds: the host's command layer; standin: the stand-in's test control.
Host = namedtuple("Host", "tt cmds standin module_dir")


class HostError(RuntimeError):
    """The module or the stand-in host cannot be loaded."""


def default_module_dir():
    leg = "py3-qt5" if sys.version_info[0] >= 3 else "py27-qt5"
    return os.environ.get("TREMBLA_MODULE_DIR") or os.path.join(REPO, "build", leg)


def has_display():
    return bool(os.environ.get("DISPLAY") or os.environ.get("WAYLAND_DISPLAY"))


def choose_platform(headless):
    """Offscreen unless a display is there and wanted; an explicit QT_QPA_PLATFORM always wins.
    Returns the platform name Qt will use ("" for its own choice)."""
    if "QT_QPA_PLATFORM" not in os.environ and (headless or not has_display()):
        os.environ["QT_QPA_PLATFORM"] = "offscreen"
    return os.environ.get("QT_QPA_PLATFORM", "")


def quiet_qt_start():
    """Gives Qt a private runtime folder when the session has none (a container, a cron job, ssh
    without a login session): Qt would otherwise say so on stderr at every start, and stderr is kept
    for what the user should read. The folder goes when the run ends."""
    if os.environ.get("XDG_RUNTIME_DIR"):
        return
    runtime = tempfile.mkdtemp(prefix="trembla-runtime-")  # mode 0700, as Qt requires
    os.environ["XDG_RUNTIME_DIR"] = runtime
    atexit.register(shutil.rmtree, runtime, True)


def load(module_dir):
    """Imports the stand-in `maya` package and trembla_tool from `module_dir`, both put first on
    sys.path so that no other copy is picked up."""
    module_dir = os.path.abspath(module_dir)
    for path in (module_dir, STANDIN_DIR):  # the stand-in ends up first
        if path in sys.path:
            sys.path.remove(path)
        sys.path.insert(0, path)
    try:
        from maya import cmds
        import maya.standin as standin
    except ImportError as error:
        raise HostError("cannot load the stand-in host from %s: %s" % (STANDIN_DIR, error))
    try:
        import trembla_tool
    except ImportError as error:
        raise HostError("cannot load trembla_tool from %s (%s); build it with `bash scripts/build.sh` "
                        "or name a build with --module-dir or TREMBLA_MODULE_DIR" % (module_dir, error))
    return Host(trembla_tool, cmds, standin, module_dir)


# The scene frame rates the runner offers, by the host's time unit names (currentUnit -time).
FPS_UNITS = {15: "game", 24: "film", 25: "pal", 30: "ntsc", 48: "show", 50: "palf", 60: "ntscf"}


def fresh_scene(host, first, last, fps=24):
    """An empty scene at `fps` frames per second with the playback range `first`-`last`, at time
    `first`. The host's call log stays off: a long transfer would otherwise keep every call in
    memory."""
    host.standin.reset()
    host.standin.set_logging(False)
    host.cmds.currentUnit(time=FPS_UNITS[fps])  # before any curve: the host retimes keys otherwise
    host.cmds.playbackOptions(min=first, max=last)
    host.cmds.currentTime(first, edit=True)
