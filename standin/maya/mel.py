"""maya.mel: only the MEL the tool runs is understood; any other MEL fails as a MEL error."""
import re as _re

from ._host import operation as _operation
from ._host import settings as _settings
from ._ui_commands import main_progress_bar as _main_progress_bar
from ._ui_commands import shelf_top_level as _shelf_top_level

# "$tmp = $gShelfTopLevel": the value of an assignment, as installers read the shelf tab layout
# (the example of https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/saveAllShelves.html).
_READ_SHELF_TOP_LEVEL = _re.compile(r"^\$\w+\s*=\s*\$gShelfTopLevel$")
# "$tmp = $gMainProgressBar": the same for the main progress bar (the example of
# https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/progressBar.html).
_READ_MAIN_PROGRESS_BAR = _re.compile(r"^\$\w+\s*=\s*\$gMainProgressBar$")


def _eval(command):
    words = command.strip().rstrip(";").split()
    if len(words) == 2 and words[0] == "setTimeSliderVisible" and words[1] in ("0", "1"):
        _settings.time_slider_visible = words[1] == "1"
        return None
    if _READ_SHELF_TOP_LEVEL.match(command.strip().rstrip(";").strip()):
        return _shelf_top_level()
    if _READ_MAIN_PROGRESS_BAR.match(command.strip().rstrip(";").strip()):
        return _main_progress_bar()
    raise RuntimeError("Error occurred during execution of MEL script\n"
                       "(the stand-in host runs only \"setTimeSliderVisible 0|1\", not %r)"
                       % (command,))


eval = _operation("mel.eval", _eval)
