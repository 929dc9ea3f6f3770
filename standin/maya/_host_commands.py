"""Host commands outside the scene: evaluation mode, redraw, messages, directories."""
from __future__ import absolute_import

import sys
import tempfile

from ._flags import FlagSet, query_one
from ._host import in_view_messages, settings, warnings
from ._scene import text_type


_EVALUATION_MANAGER = FlagSet("evaluationManager", "query|q mode|m")
_EVALUATION_MODES = ("off", "serial", "serialUncached", "parallel")


def evaluationManager(**kwargs):
    """evaluationManager(q=True, mode=True) -> [mode], a list holding the current mode's name
    (the command's query answers are string[]: evaluationManager reference,
    https://help.autodesk.com/cloudhelp/2020/JPN/Maya-Tech-Docs/CommandsPython/
    evaluationManager.html); evaluationManager(mode=name)."""
    flags = _EVALUATION_MANAGER.parse(kwargs)
    if flags.get("query"):
        query_one("evaluationManager", flags, ("mode",))
        return [settings.evaluation_mode]
    mode = flags.get("mode")
    if mode not in _EVALUATION_MODES:
        raise RuntimeError("evaluationManager: Unknown evaluation mode: %s" % (mode,))
    settings.evaluation_mode = mode
    return None


# "refresh is undoable, NOT queryable, and NOT editable" (refresh reference,
# https://docs.huihoo.com/autodesk/maya/2017/english/Commands/refresh.html): no query flag.
_REFRESH = FlagSet("refresh", "suspend|su force|f currentView|cv")


def refresh(**kwargs):
    """refresh(suspend=True/False) stops or resumes viewport redraw; refresh() redraws. The
    redraw state cannot be asked (maya.standin.refresh_suspended() tells it to tests)."""
    flags = _REFRESH.parse(kwargs)
    if "suspend" in flags:
        settings.refresh_suspended = bool(flags["suspend"])
    return None


# The long name of amg is assistMessage (inViewMessage reference,
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/inViewMessage.html).
_IN_VIEW_MESSAGE = FlagSet("inViewMessage", "assistMessage|amg message|msg statusMessage|smg "
                                            "position|pos fade|f fadeInTime|fit "
                                            "fadeStayTime|fst fadeOutTime|fot")
_POSITIONS = ("topLeft", "topCenter", "topRight", "midLeft", "midCenter", "midCenterTop",
              "midCenterBot", "midRight", "botLeft", "botCenter", "botRight")


def inViewMessage(**kwargs):
    """inViewMessage(amg=text, pos="midCenter", fade=True): shown briefly; recorded here."""
    flags = _IN_VIEW_MESSAGE.parse(kwargs)
    if "position" in flags and flags["position"] not in _POSITIONS:
        raise RuntimeError("inViewMessage: Invalid position: %s" % (flags["position"],))
    for flag in ("assistMessage", "message", "statusMessage"):
        if flag in flags:
            in_view_messages.append(flags[flag])
            return None
    raise RuntimeError("inViewMessage: No message was given.")


_WARNING = FlagSet("warning", "noContext|nc showLineNumber|sl")


def warning(text, **kwargs):
    """warning(text): recorded, and printed as mayapy prints it ("Warning: text")."""
    _WARNING.parse(kwargs)
    warnings.append(text)
    line = u"Warning: %s\n" % (text,)
    if sys.version_info[0] < 3 and isinstance(line, text_type):
        line = line.encode("utf-8")
    sys.stderr.write(line)
    return None


_INTERNAL_VAR = FlagSet("internalVar", "userScriptDir|usd userAppDir|uad userTmpDir|utd")


def internalVar(**kwargs):
    """internalVar(userScriptDir=True) -> a directory path ending in "/"."""
    flags = _INTERNAL_VAR.parse(kwargs)
    asked = query_one("internalVar", flags, ("userScriptDir", "userAppDir", "userTmpDir"))
    if asked == "userScriptDir":
        return settings.user_script_dir
    if asked == "userAppDir":
        return settings.user_script_dir.rstrip("/").rsplit("/", 1)[0] + "/"
    return tempfile.gettempdir().replace("\\", "/").rstrip("/") + "/"


COMMANDS = ("evaluationManager", "inViewMessage", "internalVar", "refresh", "warning")
