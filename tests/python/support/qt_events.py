"""Deletes the windows a test closed, as the host's event loop would between two user actions.

The tool closes an earlier window with deleteLater(); in the host the event loop deletes it
before the next shelf click, but a test runs no event loop, so closed windows pile up (thousands
of widgets over a suite) and slow every later window down. Qt's own entry point is called
through ctypes, which works on every leg (Qt 5 or 6, Python 2.7 or 3, with or without a binding).
"""
import ctypes

_DEFERRED_DELETE = 52  # QEvent::DeferredDelete
_SEND_POSTED_EVENTS = "_ZN16QCoreApplication16sendPostedEventsEP7QObjecti"
_send = []


def _loaded_qt_core():
    try:
        with open("/proc/self/maps") as maps:
            for line in maps:
                path = line.split()[-1]
                if "libQt5Core.so" in path or "libQt6Core.so" in path:
                    return path
    except (IOError, OSError):
        pass
    return None


def flush_deleted_windows():
    """QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete): a no-op before the
    module has loaded Qt, or where the library cannot be found."""
    if not _send:
        path = _loaded_qt_core()
        if path is None:
            return
        function = getattr(ctypes.CDLL(path), _SEND_POSTED_EVENTS)
        function.argtypes = [ctypes.c_void_p, ctypes.c_int]
        function.restype = None
        _send.append(function)
    _send[0](None, _DEFERRED_DELETE)
