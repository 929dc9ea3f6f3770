"""maya.OpenMayaUI: MQtUtil.mainWindow() answers what the tests set, None (batch mode) by
default."""
from ._host import operation as _operation
from ._host import settings as _settings


def _main_window():
    return _settings.main_window


class MQtUtil(object):
    mainWindow = staticmethod(_operation("OpenMayaUI.MQtUtil.mainWindow", _main_window))
