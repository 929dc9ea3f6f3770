"""maya.OpenMayaUI: MQtUtil.mainWindow() answers what the tests set, None (batch mode) by
default; MQtUtil.findControl(name) the pointer of a workspace control's widget."""
from ._host import operation as _operation
from ._host import settings as _settings
from ._workspace import find_control as _find_control


def _main_window():
    return _settings.main_window


class MQtUtil(object):
    mainWindow = staticmethod(_operation("OpenMayaUI.MQtUtil.mainWindow", _main_window))
    # findControl(controlName): the named control's QWidget pointer, None when no control has that
    # name (MQtUtil's members, https://help.autodesk.com/cloudhelp/2020/ENU/Maya-SDK-MERGED/cpp_ref/
    # class_m_qt_util-members.html); the stand-in's only controls are its workspace controls.
    findControl = staticmethod(_operation("OpenMayaUI.MQtUtil.findControl", _find_control))
