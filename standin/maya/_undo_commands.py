"""undoInfo, undo, redo and flushUndo over the stand-in's undo queue (_undo.py).

undoInfo: "In query mode, if invoked without flags (other than the query flag), this command will
return the number of items currently on the undo queue"; state, infinity and length answer an
int, undoName and redoName a string (https://help.autodesk.com/cloudhelp/2018/ENU/
Maya-Tech-Docs/Commands/undoInfo.html). Turning the state off flushes the queue;
stateWithoutFlush turns it off and keeps the queue (same page).
"""
from __future__ import absolute_import

from ._flags import FlagSet, query_one
from ._messages import messages
from ._script_jobs import jobs
from ._undo import journal

_UNDO_INFO = FlagSet("undoInfo", "query|q openChunk|ock closeChunk|cck chunkName|cn state|st "
                                 "stateWithoutFlush|swf infinity|in length|l undoName|un "
                                 "redoName|rn undoQueueEmpty|uqe redoQueueEmpty|rqe")
_UNDO_INFO_QUERIES = ("state", "stateWithoutFlush", "infinity", "length", "undoName", "redoName",
                      "undoQueueEmpty", "redoQueueEmpty")


def _query(flags):
    if not any(flags.get(name) for name in _UNDO_INFO_QUERIES):
        return len(journal.undo_queue)
    asked = query_one("undoInfo", flags, _UNDO_INFO_QUERIES)
    if asked in ("state", "stateWithoutFlush"):
        return int(journal.state)
    if asked == "infinity":
        return int(journal.infinity)
    if asked == "length":
        return journal.length
    if asked == "undoQueueEmpty":
        return not journal.undo_queue
    if asked == "redoQueueEmpty":
        return not journal.redo_queue
    queue = journal.undo_queue if asked == "undoName" else journal.redo_queue
    return queue[-1].name if queue else u""


def undoInfo(**kwargs):
    flags = _UNDO_INFO.parse(kwargs)
    if flags.get("query"):
        return _query(flags)
    if flags.get("openChunk") and flags.get("closeChunk"):
        raise RuntimeError("undoInfo: openChunk and closeChunk together")
    if flags.get("openChunk"):
        name = flags.get("chunkName")
        journal.open_chunk(u"" if name is None else u"%s" % (name,))
    if flags.get("closeChunk"):
        journal.close_chunk()
    if "state" in flags:
        journal.state = bool(flags["state"])
        if not journal.state:
            journal.flush()
    if "stateWithoutFlush" in flags:
        journal.state = bool(flags["stateWithoutFlush"])
    if "infinity" in flags:
        journal.infinity = bool(flags["infinity"])
    if "length" in flags:
        length = int(flags["length"])
        if length < 0:
            raise RuntimeError("undoInfo: length must be 0 or more")
        journal.length = length
    return None


_NO_FLAGS = FlagSet("undo", "")


# The scriptJob events "Undo" and "Redo" run "when the user selects undo (redo) from the menu and
# there was something to undo (redo)" (scriptJob -listEvents, scriptJob reference,
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/scriptJob.html): the user's
# Edit > Undo or Ctrl+Z, which the stand-in plays as standin.menu_undo(). An undo or redo a script
# runs (cmds.undo() here, the tool's own among them) is not documented to trigger it, so it
# triggers none: whoever follows the queue must stay right when no event comes.
def undo(**kwargs):
    """undo(): "Takes the most recent command from the undo list and undoes it"
    (https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/Commands/undo.html)."""
    _NO_FLAGS.parse(kwargs)
    journal.undo()


def redo(**kwargs):
    """redo(): "Takes the most recently undone command from the undo list and redoes it"
    (https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/Commands/redo.html)."""
    _NO_FLAGS.parse(kwargs)
    journal.redo()


def menu_undo():
    """The user's Edit > Undo: the undo, and the "Undo" event when there was something to undo."""
    if journal.undo():
        messages.curves_edited()
        jobs.trigger("Undo")


def menu_redo():
    """The user's Edit > Redo: the redo, and the "Redo" event when there was something to redo."""
    if journal.redo():
        messages.curves_edited()
        jobs.trigger("Redo")


def flushUndo(**kwargs):
    """flushUndo(): "Removes everything from the undo queue, freeing up memory"
    (https://help.autodesk.com/cloudhelp/2018/ENU/Maya-Tech-Docs/Commands/flushUndo.html)."""
    _NO_FLAGS.parse(kwargs)
    journal.flush()


COMMANDS = ("flushUndo", "redo", "undo", "undoInfo")
