"""Opening the tool: the Qt binding names and theme constants bound at import, show() and
reset_state(), get_maya_main_window() and the window's parent in batch mode, after a failing
lookup and under a PySide2 main window, the 64-bit address, and the about box's footer."""
import os
import subprocess
import sys
import textwrap
import unittest

import support

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

import maya.standin as standin  # noqa: E402

import trembla_tool as tt  # noqa: E402

TESTS_DIR = support.TESTS_DIR  # where `import support` finds the package
WARNING_PREFIX = "Trembla: Could not get Maya main window: "
# Above 2**63: an address cut to 32 bits, or read as a signed number, cannot give it back.
WIDE_ADDRESS = 0xFEDCBA9876543210
HAS_BINDING = tt.QtWidgets is not None and tt.wrapInstance is not None
PALETTE = [
    ("bg_darkest", "#1a1a1f"), ("bg_darker", "#22222a"), ("bg_dark", "#2a2a32"),
    ("bg_medium", "#32323a"), ("bg_light", "#3a3a42"), ("border", "#3a3a42"),
    ("text", "#c0c0c0"), ("text_dim", "#707078"), ("text_bright", "#ffffff"),
    ("accent", "#4a90b8"), ("accent_hover", "#5aa0c8"), ("accent_dim", "#3a7898"),
    ("tab_active", "#4a90b8"), ("prepared_bg", "#5a8a5a"),
]


def run_fresh_interpreter(code, env_changes=None):
    """Runs `code` in a new interpreter that has imported `support`; returns (status, output)."""
    env = dict(os.environ)
    env["PYTHONPATH"] = TESTS_DIR
    env["TREMBLA_MODULE_DIR"] = support.MODULE_DIR
    for name, value in (env_changes or {}).items():
        if value is None:
            env.pop(name, None)
        else:
            env[name] = value
    process = subprocess.Popen([sys.executable, "-c", "import support\n" + textwrap.dedent(code)],
                               env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = process.communicate()[0].decode("utf-8", "replace")
    return process.returncode, output


class Substituted(object):
    """Module attributes replaced for one test and put back by its clean-up."""

    def __init__(self, test):
        self.test = test

    def set(self, name, value):
        self.test.addCleanup(setattr, tt, name, getattr(tt, name))
        setattr(tt, name, value)


class FakeWidgets(object):
    """Stands in for the binding's QtWidgets where only the class objects are needed."""
    QWidget = "QWidget class"
    QDialog = "QDialog class"


class EntryCase(unittest.TestCase):
    def setUp(self):
        standin.reset()
        tt.reset_state()

    def show(self):
        window = tt.show()
        self.addCleanup(self.close_quietly, window)
        return window

    @staticmethod
    def close_quietly(window):
        try:
            window.close()
        except RuntimeError:
            pass


class LoadingTest(unittest.TestCase):
    def test_binding_names_follow_the_builds_qt_generation(self):
        self.assertIn(tt.PYSIDE_VERSION, (2, 6))
        names = ("QtCore", "QtGui", "QtWidgets")
        if tt.QtCore is None:
            self.assertEqual([getattr(tt, name) for name in names + ("wrapInstance",)], [None] * 4)
        else:
            package = "PySide%d" % tt.PYSIDE_VERSION
            self.assertEqual([getattr(tt, name).__name__ for name in names],
                             [package + "." + name for name in names])
            self.assertEqual(tt.wrapInstance.__name__, "wrapInstance")
        other = "PySide6" if tt.PYSIDE_VERSION == 2 else "PySide2"
        self.assertNotIn(other, sys.modules)

    def test_names_are_bound_in_loading_order(self):
        if sys.version_info[0] < 3:
            self.skipTest("a module's namespace keeps no order on Python 2")
        names = [name for name in vars(tt) if not name.startswith("__")]
        order = ["traceback", "QtCore", "QtGui", "QtWidgets", "wrapInstance", "PYSIDE_VERSION",
                 "save_presets", "COLORS", "STYLESHEET", "_prepared", "_window",
                 "_original_eval_mode", "get_maya_main_window", "suspend",
                 "apply_shake_to_camera", "SliderRow", "TremblaToolWindow", "reset_state", "show"]
        self.assertEqual([name for name in names if name in order], order)

    def test_colors_and_stylesheet(self):
        self.assertIsInstance(tt.COLORS, dict)
        self.assertEqual(list(tt.COLORS.items()), PALETTE)
        self.assertIn("QFrame#mainFrame {\n    background-color: #1a1a1f;", tt.STYLESHEET)
        self.assertIn("QPushButton.preparedBtn {\n    background-color: #5a8a5a;", tt.STYLESHEET)
        self.assertNotIn("{{", tt.STYLESHEET)
        for key, _ in PALETTE:
            self.assertNotIn("{%s}" % key, tt.STYLESHEET)

    def test_window_class_constants(self):
        self.assertEqual(tt.TremblaToolWindow.WINDOW_TITLE, "Trembla v2.1")
        self.assertEqual(tt.TremblaToolWindow.WINDOW_OBJECT, "tremblaToolPySide")

    def test_import_opens_nothing(self):
        status, output = run_fresh_interpreter("""
            import trembla_tool as tt
            app = None
            if tt.QtWidgets is not None:
                app = tt.QtWidgets.QApplication.instance()
            print(repr((tt._window, app)))
        """)
        self.assertEqual(status, 0, output)
        self.assertEqual(output.strip().splitlines()[-1], repr((None, None)))

    def test_show_without_a_display_raises_instead_of_aborting(self):
        if sys.platform.startswith(("win", "darwin")):
            self.skipTest("native platforms always have a display")
        status, output = run_fresh_interpreter("""
            import trembla_tool as tt
            try:
                tt.show()
            except RuntimeError as error:
                print("RuntimeError: %s" % (error,))
        """, {"QT_QPA_PLATFORM": None, "DISPLAY": None, "WAYLAND_DISPLAY": None})
        self.assertEqual(status, 0, output)
        self.assertIn("RuntimeError: no display to open the window on", output)


class ShowAndResetTest(EntryCase):
    def test_show_twice_leaves_the_second_window_open_and_kept(self):
        first = self.show()
        second = self.show()
        self.assertIs(tt._window, second)
        self.assertFalse(first.isVisible())
        self.assertTrue(second.isVisible())
        self.assertEqual(second.objectName(), "tremblaToolPySide")
        self.assertEqual(second.windowTitle(), "Trembla v2.1")
        self.assertEqual(second.width(), 260)
        self.assertGreaterEqual(second.minimumHeight(), 380)  # the pages' content decides
        if HAS_BINDING:
            open_windows = [w for w in tt.QtWidgets.QApplication.topLevelWidgets()
                            if w.objectName() == "tremblaToolPySide" and w.isVisible()]
            self.assertEqual(len(open_windows), 1)

    def test_reset_state_forgets_the_window_which_keeps_working(self):
        window = self.show()
        record = tt._prepared
        self.assertIsNone(tt.reset_state())
        self.assertIsNone(tt._window)
        self.assertIsNot(tt._prepared, record)
        self.assertTrue(window.isVisible())
        window.amount_slider.setValue(150)
        window.tab_buttons[1].click()
        self.assertEqual((window.amount_slider.value(), window.content_stack.currentIndex()),
                         (150, 1))
        replacement = self.show()
        self.assertFalse(window.isVisible())
        self.assertIs(tt._window, replacement)

    def test_constructing_the_class_builds_a_window_without_showing_or_keeping_it(self):
        shown = self.show()
        built = tt.TremblaToolWindow()
        self.addCleanup(self.close_quietly, built)
        self.assertFalse(built.isVisible())
        self.assertFalse(shown.isVisible())
        self.assertIs(tt._window, shown)
        self.assertEqual(built.objectName(), "tremblaToolPySide")
        built.show()
        self.assertTrue(built.isVisible())

    def test_constructor_parent_must_be_a_widget(self):
        with self.assertRaises(TypeError):
            tt.TremblaToolWindow(parent=5)
        with self.assertRaises(TypeError):
            tt.TremblaToolWindow(None, None)

    def test_window_parented_to_another_tool_window(self):
        outer = tt.TremblaToolWindow()
        inner = tt.TremblaToolWindow(outer)
        self.assertIsNotNone(inner.parent())
        self.assertIsNone(outer.parent())


class MainWindowLookupTest(EntryCase):
    def test_batch_mode_answers_none_silently_and_the_window_opens_unparented(self):
        self.assertIsNone(tt.get_maya_main_window())
        window = self.show()
        self.assertIsNone(window.parent())
        self.assertTrue(window.isVisible())
        self.assertEqual(list(standin.warnings), [])
        self.assertEqual(len(standin.calls_of("OpenMayaUI.MQtUtil.mainWindow")), 2)

    def test_a_failing_bridge_warns_once_and_the_window_opens_unparented(self):
        standin.fail("OpenMayaUI.MQtUtil.mainWindow", always=True)
        self.assertIsNone(tt.get_maya_main_window())
        self.assertEqual(list(standin.warnings), [
            WARNING_PREFIX + "stand-in fault: OpenMayaUI.MQtUtil.mainWindow call #1 failed (always)"])
        del standin.warnings[:]
        window = self.show()
        self.assertEqual(len(standin.warnings), 1)
        self.assertTrue(standin.warnings[0].startswith(WARNING_PREFIX + "stand-in fault"))
        self.assertIsNone(window.parent())
        self.assertTrue(window.isVisible())

    def test_an_answer_that_is_no_address_warns(self):
        standin.set_main_window(object())
        self.assertIsNone(tt.get_maya_main_window())
        self.assertEqual(len(standin.warnings), 1)
        self.assertTrue(standin.warnings[0].startswith(WARNING_PREFIX))

    def test_a_failing_wrap_warns_with_its_error(self):
        def failing_wrap(address, cls):
            raise ValueError("cannot wrap %x" % address)
        Substituted(self).set("wrapInstance", failing_wrap)
        Substituted(self).set("QtWidgets", FakeWidgets)
        standin.set_main_window(WIDE_ADDRESS)
        self.assertIsNone(tt.get_maya_main_window())
        self.assertEqual(list(standin.warnings), [WARNING_PREFIX + "cannot wrap fedcba9876543210"])

    def test_the_address_keeps_all_64_bits(self):
        wrapped = []
        Substituted(self).set("wrapInstance", lambda address, cls: wrapped.append((address, cls)) or "wrapped")
        Substituted(self).set("QtWidgets", FakeWidgets)
        standin.set_main_window(WIDE_ADDRESS)
        self.assertEqual(tt.get_maya_main_window(), "wrapped")
        self.assertEqual(wrapped, [(WIDE_ADDRESS, "QWidget class")])
        self.assertEqual(list(standin.warnings), [])

    def test_without_the_binding_the_address_itself_is_answered(self):
        Substituted(self).set("wrapInstance", None)
        standin.set_main_window(WIDE_ADDRESS)
        address = tt.get_maya_main_window()
        self.assertEqual(address, WIDE_ADDRESS)
        self.assertIsInstance(address, int if sys.version_info[0] >= 3 else long)  # noqa: F821
        self.assertEqual(list(standin.warnings), [])

    def test_a_pointer_that_is_no_widget_here_never_becomes_the_parent(self):
        standin.set_main_window(WIDE_ADDRESS)
        window = self.show()
        self.assertEqual(list(standin.warnings), [
            WARNING_PREFIX + "no widget of this application at address 0xfedcba9876543210"])
        self.assertIsNone(window.parent())
        self.assertTrue(window.isVisible())


@unittest.skipUnless(HAS_BINDING and tt.PYSIDE_VERSION == 2, "needs PySide2 on a Qt 5 build")
class PySideParentingTest(EntryCase):
    def setUp(self):
        EntryCase.setUp(self)
        import shiboken2
        self.shiboken = shiboken2
        QtWidgets = tt.QtWidgets
        self.app = QtWidgets.QApplication.instance() or QtWidgets.QApplication([])
        self.host_window = QtWidgets.QMainWindow()
        self.address = shiboken2.getCppPointer(self.host_window)[0]
        standin.set_main_window(self.address)

    def tearDown(self):
        standin.set_main_window(None)
        if self.shiboken.isValid(self.host_window):
            self.shiboken.delete(self.host_window)

    def test_main_window_is_wrapped_as_a_widget_at_the_same_address(self):
        main_window = tt.get_maya_main_window()
        self.assertIsInstance(main_window, tt.QtWidgets.QWidget)
        self.assertEqual(self.shiboken.getCppPointer(main_window)[0], self.address)
        self.assertEqual(list(standin.warnings), [])

    def test_the_window_goes_under_the_host_main_window(self):
        window = self.show()
        dialog = window.pyside()
        self.assertIsInstance(dialog, tt.QtWidgets.QDialog)
        self.assertEqual(dialog.objectName(), "tremblaToolPySide")
        self.assertEqual(self.shiboken.getCppPointer(dialog.parentWidget())[0], self.address)
        self.assertEqual(self.shiboken.getCppPointer(window.parent())[0], self.address)
        self.assertEqual(dialog.styleSheet(), tt.STYLESHEET)
        self.assertEqual(list(standin.warnings), [])

    def test_closing_the_host_deletes_the_window_and_its_object_says_so(self):
        window = self.show()
        field = window.camera_field
        self.shiboken.delete(self.host_window)
        for call in (window.isVisible, lambda: window.camera_field, window._update_shake):
            with self.assertRaises(RuntimeError) as caught:
                call()
            self.assertEqual(str(caught.exception), "The window has been deleted.")
        with self.assertRaises(RuntimeError) as caught:
            field.text()
        self.assertEqual(str(caught.exception), "The control has been deleted.")
        self.assertIn("(deleted)", repr(window))


class AboutBoxTest(EntryCase):
    def test_footer_names_the_binding_generation(self):
        window = self.show()
        footer = "PySide%d | Maya 2019-2026" % tt.PYSIDE_VERSION
        self.assertIn(footer, window._about_text())

    @unittest.skipUnless(HAS_BINDING, "needs the Qt binding to close the modal box")
    def test_the_modal_box_shows_that_text(self):
        window = self.show()
        seen = []

        def read_and_close():
            box = tt.QtWidgets.QApplication.activeModalWidget()
            seen.append((box.windowTitle(), box.text()))
            box.done(0)
        tt.QtCore.QTimer.singleShot(0, read_and_close)
        self.assertIsNone(window._show_about())
        self.assertEqual(seen, [("About", window._about_text())])


if __name__ == "__main__":
    unittest.main()
