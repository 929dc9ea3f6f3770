"""Host commands of Maya's interface that an installer uses: version and batch queries, the shelves.

The shelves are modelled as Maya builds them at start-up: a shelf tab layout (what MEL's global
$gShelfTopLevel names) holding one shelf layout per shelf tab, each holding its shelf buttons.
Batch mode has no shelves ($gShelfTopLevel is empty there).
"""
from __future__ import absolute_import

from ._flags import FlagSet, query_one

SHELF_TOP_LEVEL = "MayaWindow|toolBar2|MainShelfLayout|formLayout14|ShelfLayout"
# The stand-in's name for the main window's progress bar (what MEL's global $gMainProgressBar
# holds); Maya's own path differs between versions and is only ever read through the global.
MAIN_PROGRESS_BAR = "MayaWindow|toolBar5|MainHelpLineLayout|helpLineFrame|mainProgressBar"
DEFAULT_SHELVES = ("Curves", "Surfaces", "Poly_Modeling", "Animation", "Rendering", "Custom")


class MainProgressBar(object):
    """The main progress bar's state, and the test hook that presses Esc while it runs."""

    def __init__(self):
        self.in_progress = False
        self.interruptable = False
        self.cancelled = False  # Esc pressed since the bar began
        self.status = u""
        self.min_value = 0
        self.max_value = 100
        self.value = 0
        self.begun = 0  # beginProgress edits
        self.ended = 0  # endProgress edits
        self.escape_at_check = None  # Esc is pressed just before this isCancelled query (1 = next)

    def clamp(self, value):
        return max(self.min_value, min(self.max_value, int(value)))

    def is_cancelled(self):
        if self.escape_at_check is not None:
            self.escape_at_check -= 1
            if self.escape_at_check == 0:
                self.escape_at_check = None
                self.press_escape()
        return self.cancelled

    def press_escape(self):
        # Esc counts only for an interruptable bar that is up (isInterruptable above).
        if self.in_progress and self.interruptable:
            self.cancelled = True


class InterfaceState(object):
    """Interface state outside the scene; a new scene keeps it, standin.reset() renews it."""

    def __init__(self):
        self.reset()

    def reset(self):
        self.maya_version = "2024"
        self.batch = False
        self.shelves = dict((name, []) for name in DEFAULT_SHELVES)  # shelf -> button names
        self.shelf_order = list(DEFAULT_SHELVES)
        self.selected_shelf = "Custom"
        self.buttons = {}  # short name -> flags given at creation
        self.saved_shelves = 0  # saveAllShelves calls
        self._counter = 0
        self.progress = MainProgressBar()

    def new_button_name(self):
        self._counter += 1
        return "shelfButton%d" % self._counter


ui = InterfaceState()


def _short(name):
    return name.rsplit("|", 1)[-1]


def _top_level_exists(name):
    return not ui.batch and _short(name) == _short(SHELF_TOP_LEVEL)


# about: "If one of the flags is specified then the specified version information is returned";
# version (v) -> e.g. "2024", batch (b) -> True in batch mode.
# https://help.autodesk.com/cloudhelp/2020/JPN/Maya-Tech-Docs/CommandsPython/about.html
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/about.html
_ABOUT = FlagSet("about", "version|v batch|b")


def about(**kwargs):
    """about(version=True) -> "2024"; about(batch=True) -> bool."""
    flags = _ABOUT.parse(kwargs)
    asked = query_one("about", flags, ("version", "batch"))
    return ui.maya_version if asked == "version" else ui.batch


# shelfTabLayout: queryable; exists (ex), childArray (ca: "the names of the layout's immediate
# children"), selectTab (st: the selected tab's name).
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/shelfTabLayout.html
_SHELF_TAB_LAYOUT = FlagSet("shelfTabLayout", "query|q exists|ex childArray|ca selectTab|st")


def shelfTabLayout(name, **kwargs):
    """shelfTabLayout(top, exists=True) / (top, q=True, childArray=True | selectTab=True)."""
    flags = _SHELF_TAB_LAYOUT.parse(kwargs)
    if flags.get("exists"):
        return _top_level_exists(name)
    if not _top_level_exists(name):
        raise RuntimeError("shelfTabLayout: Object '%s' not found." % (name,))
    if not flags.get("query"):
        raise NotImplementedError("shelfTabLayout: the stand-in answers queries only")
    asked = query_one("shelfTabLayout", flags, ("childArray", "selectTab"))
    return list(ui.shelf_order) if asked == "childArray" else ui.selected_shelf


# shelfLayout: queryable; exists (ex), childArray (ca) -- None when the shelf is empty, as Maya's
# array queries answer for no children.
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/shelfLayout.html
_SHELF_LAYOUT = FlagSet("shelfLayout", "query|q exists|ex childArray|ca")


def shelfLayout(name, **kwargs):
    """shelfLayout(shelf, exists=True) / (shelf, q=True, childArray=True)."""
    flags = _SHELF_LAYOUT.parse(kwargs)
    shelf = _short(name)
    if flags.get("exists"):
        return not ui.batch and shelf in ui.shelves
    if ui.batch or shelf not in ui.shelves:
        raise RuntimeError("shelfLayout: Object '%s' not found." % (name,))
    query_one("shelfLayout", flags, ("childArray",))
    return list(ui.shelves[shelf]) or None


# shelfButton: creates a button on its parent shelf and returns its full path name; queryable.
# Flags served: parent (p), label (l), command (c), sourceType (stp: "mel" or "python"),
# annotation (ann), image (i), image1 (i1), imageOverlayLabel (iol), exists (ex).
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/shelfButton.html
# https://help.autodesk.com/cloudhelp/2020/JPN/Maya-Tech-Docs/Commands/shelfButton.html
_SHELF_BUTTON = FlagSet("shelfButton", "query|q exists|ex parent|p label|l command|c sourceType|stp "
                                       "annotation|ann image|i image1|i1 imageOverlayLabel|iol")
_BUTTON_VALUES = ("label", "command", "sourceType", "annotation", "image", "image1", "imageOverlayLabel")


def shelfButton(*args, **kwargs):
    """shelfButton(parent=shelf, label=..., command=..., ...) -> path; shelfButton(name, q=True, label=True)."""
    flags = _SHELF_BUTTON.parse(kwargs)
    if flags.get("exists"):
        return not ui.batch and bool(args) and _short(args[0]) in ui.buttons
    if flags.get("query"):
        if not args or _short(args[0]) not in ui.buttons:
            raise RuntimeError("shelfButton: Object '%s' not found." % (args[0] if args else "",))
        asked = query_one("shelfButton", flags, _BUTTON_VALUES)
        return ui.buttons[_short(args[0])].get(asked, "")
    if args:
        raise NotImplementedError("shelfButton: the stand-in creates buttons with generated names only")
    parent = flags.get("parent")
    if parent is None or ui.batch or _short(parent) not in ui.shelves:
        raise RuntimeError("shelfButton: no shelf to put the button on (parent=%r)" % (parent,))
    source_type = flags.get("sourceType", "mel")
    if source_type not in ("mel", "python"):
        raise RuntimeError("shelfButton: Invalid sourceType: %s" % (source_type,))
    name = ui.new_button_name()
    ui.buttons[name] = dict((key, flags[key]) for key in _BUTTON_VALUES if key in flags)
    ui.buttons[name]["sourceType"] = source_type
    ui.shelves[_short(parent)].append(name)
    return "%s|%s|%s" % (SHELF_TOP_LEVEL, _short(parent), name)


# deleteUI: deletes the named controls; control (ctl): "Object names for deletion are all controls".
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/deleteUI.html
_DELETE_UI = FlagSet("deleteUI", "control|ctl")


def deleteUI(*names, **kwargs):
    """deleteUI(name, control=True): removes shelf buttons."""
    _DELETE_UI.parse(kwargs)
    for name in names:
        short = _short(name)
        if short not in ui.buttons:
            raise RuntimeError("deleteUI: Object '%s' not found." % (name,))
        del ui.buttons[short]
        for buttons in ui.shelves.values():
            if short in buttons:
                buttons.remove(short)
    return None


# saveAllShelves: "writes all shelves that are immediate children of the specified control
# layout to the prefs directory". https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/saveAllShelves.html
def saveAllShelves(top):
    """saveAllShelves($gShelfTopLevel) -> True."""
    if not _top_level_exists(top):
        raise RuntimeError("saveAllShelves: Object '%s' not found." % (top,))
    ui.saved_shelves += 1
    return True


# progressBar on the main progress bar only (the stand-in makes no other controls). The flags it
# serves are those of the reference's synopsis (https://docs.huihoo.com/autodesk/maya/2017/english/
# CommandsPython/progressBar.html, example: read $gMainProgressBar, edit beginProgress with
# isInterruptable, status and maxValue, query isCancelled, step, edit endProgress):
#   beginProgress (bp) "Only valid for the main progress bar. Shows the main progress bar (normally
#     in the Help Line)" (https://docs.huihoo.com/autodesk/maya/2017/chinese/PyMel/generated/
#     functions/pymel.core.windows/pymel.core.windows.progressBar.html);
#   the flags progressBar shares with progressWindow, worded there (https://docs.huihoo.com/
#   autodesk/maya/2017/english/CommandsPython/progressWindow.html): endProgress "No other flags
#   can be used at the same time"; isCancelled, query only, "Returns true if the user has tried to
#   cancel the operation"; isInterruptable, whether it "should respond to attempts to cancel";
#   maxValue (default 100) and minValue bound progress ("If the progress value is greater than the
#   -max/maxValue, the progress value will be set to the maximum"); step increments progress;
#   status is the text shown with the gauge.
# Like the stand-in's other interface commands it is not on its undo queue: it changes no scene
# state (the reference calls progressBar undoable, as it does most interface commands).
_PROGRESS_BAR = FlagSet("progressBar", "query|q edit|e exists|ex beginProgress|bp endProgress|ep "
                                       "isInterruptable|ii isCancelled|ic progress|pr step|s "
                                       "minValue|min maxValue|max status|st isMainProgressBar|imp")
_PROGRESS_QUERIES = ("isCancelled", "isInterruptable", "progress", "minValue", "maxValue", "status",
                     "isMainProgressBar")


def progressBar(name, **kwargs):
    """progressBar(bar, edit=True, beginProgress=True, ...) / (bar, q=True, isCancelled=True)."""
    flags = _PROGRESS_BAR.parse(kwargs)
    bar = ui.progress
    if flags.get("exists"):
        return not ui.batch and _short(name) == _short(MAIN_PROGRESS_BAR)
    if ui.batch or _short(name) != _short(MAIN_PROGRESS_BAR):
        raise RuntimeError("progressBar: Object '%s' not found." % (name,))
    if flags.get("query"):
        asked = query_one("progressBar", flags, _PROGRESS_QUERIES)
        if asked == "isCancelled":
            return bar.is_cancelled()
        if asked == "isMainProgressBar":
            return True
        return {"isInterruptable": bar.interruptable, "progress": bar.value,
                "minValue": bar.min_value, "maxValue": bar.max_value, "status": bar.status}[asked]
    if not flags.get("edit"):
        raise NotImplementedError("progressBar: the stand-in edits and queries the main progress bar only")
    if "isCancelled" in flags:
        raise RuntimeError("progressBar: isCancelled can only be queried")
    if flags.get("endProgress"):
        if set(flags) - set(("edit", "endProgress")):
            raise RuntimeError("progressBar: endProgress takes no other flags")
        bar.in_progress = False
        bar.ended += 1
        return None
    if flags.get("beginProgress"):
        # The reference does not say what a second beginProgress does; the stand-in refuses it,
        # so that a command that loses track of its bar shows up here.
        if bar.in_progress:
            raise RuntimeError("progressBar: the main progress bar is already in progress")
        bar.in_progress = True
        bar.cancelled = False
        bar.interruptable = False
        bar.value = bar.min_value
        bar.begun += 1
    if "isInterruptable" in flags:
        bar.interruptable = bool(flags["isInterruptable"])
    if "status" in flags:
        bar.status = flags["status"]
    if "minValue" in flags:
        bar.min_value = int(flags["minValue"])
    if "maxValue" in flags:
        bar.max_value = int(flags["maxValue"])
    if "progress" in flags:
        bar.value = bar.clamp(flags["progress"])
    if "step" in flags:
        bar.value = bar.clamp(bar.value + int(flags["step"]))
    return None


def main_progress_bar():
    """MEL's global $gMainProgressBar: the main progress bar, empty in batch mode."""
    return "" if ui.batch else MAIN_PROGRESS_BAR


def shelf_top_level():
    """MEL's global $gShelfTopLevel: the shelf tab layout, empty in batch mode."""
    return "" if ui.batch else SHELF_TOP_LEVEL


COMMANDS = ("about", "deleteUI", "progressBar", "saveAllShelves", "shelfButton", "shelfLayout",
            "shelfTabLayout")
