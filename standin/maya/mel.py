"""maya.mel: only the MEL the tool runs is understood; any other MEL fails as a MEL error."""
from ._host import operation as _operation
from ._host import settings as _settings


def _eval(command):
    words = command.strip().rstrip(";").split()
    if len(words) == 2 and words[0] == "setTimeSliderVisible" and words[1] in ("0", "1"):
        _settings.time_slider_visible = words[1] == "1"
        return None
    raise RuntimeError("Error occurred during execution of MEL script\n"
                       "(the stand-in host runs only \"setTimeSliderVisible 0|1\", not %r)"
                       % (command,))


eval = _operation("mel.eval", _eval)
