"""The dockable panel: the dock button moves the same window into the host's workspace control and
back with every control as it was; floating it keeps its 260 px column, docked it takes the dock's
width with the sliders stretching and nothing clipped (PNG renders in out/dock for review); the
control's uiScript builds it again in a new session; closing, Esc and show() while docked."""
import os
import unittest

import support

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

from support.qt_events import flush_deleted_windows  # noqa: E402

CONTROL = "tremblaToolPySideWorkspaceControl"
# The stand-in's control widget is one of the binding's widgets: only where the module's own
# generation of the binding is importable (the Qt 5 leg here) can anything be docked.
HAS_BINDING = tt.QtWidgets is not None and tt.wrapInstance is not None
docked_only = unittest.skipUnless(HAS_BINDING, "no PySide of this build's Qt generation: floating path only")
RENDER_DIR = os.path.join(support.REPO_DIR, "out", "dock")
# A user's settings in every kind of control: (attribute, setter, value, getter).
SETTINGS = [("camera_field", "setText", "cam1", "text"), ("amount_slider", "setValue", 150, "value"),
            ("ranges_field", "setText", "10-50", "text"), ("rotate_cb", "setChecked", False, "isChecked"),
            ("mode_animated", "setChecked", True, "isChecked"), ("preset_name_field", "setText", "hand", "text")]


def pump():
    if HAS_BINDING:
        tt.QtWidgets.QApplication.processEvents()


class DockCase(unittest.TestCase):
    def setUp(self):
        standin.reset()
        tt.reset_state()
        flush_deleted_windows()
        self.window = tt.show()
        self.addCleanup(self.clean_up)

    def clean_up(self):
        for window in (tt._window, self.window):
            try:
                window.close()
            except (RuntimeError, AttributeError):
                pass
        standin.reset()
        flush_deleted_windows()

    def dialog(self, window=None):
        return (window or tt._window).pyside()

    def container(self):
        return standin.workspace_control_widget(CONTROL)

    def settle(self, width=None):
        if width is not None:
            cmds.workspaceControl(CONTROL, e=True, resizeWidth=width)
        pump()
        dialog = self.dialog()
        if dialog is not None and dialog.layout() is not None:
            dialog.layout().activate()
        pump()


class FloatingTest(DockCase):
    def test_the_dock_button_sits_in_the_title_bar_with_its_tip(self):
        button = self.window.dock_btn
        self.assertEqual(button.objectName(), "dockBtn")
        self.assertIn("Docks the panel", button.toolTip())
        self.assertEqual((self.window._is_docked(), self.window.width()), (False, 260))

    def test_a_dock_the_host_refuses_warns_and_leaves_the_window_floating_as_it_was(self):
        self.window.camera_field.setText("cam1")
        standin.fail("workspaceControl", always=True)
        self.window.dock_btn.click()
        standin.clear_faults()
        self.assertEqual(len(standin.warnings), 1)
        self.assertIn("workspaceControl", standin.warnings[0])
        self.assertEqual((self.window._is_docked(), self.window.isVisible(), self.window.width(),
                          self.window.camera_field.text()), (False, True, 260, "cam1"))


@docked_only
class DockedTest(DockCase):
    @staticmethod
    def address(widget):
        shiboken = __import__("shiboken%d" % tt.PYSIDE_VERSION)
        return shiboken.getCppPointer(widget)[0]

    def dock(self):
        self.window.dock_btn.click()
        self.assertTrue(self.window._is_docked())
        self.settle()

    def test_dock_and_float_again_keep_the_window_its_settings_and_its_place(self):
        for name, setter, value, _ in SETTINGS:
            getattr(getattr(self.window, name), setter)(value)
        self.window._switch_tab(2)
        self.dialog().move(123, 45)
        address = self.address(self.dialog())
        for docked in (True, False, True, False):
            self.window.dock_btn.click()
            self.settle()
            self.assertEqual(self.window._is_docked(), docked)
            self.assertEqual(cmds.workspaceControl(CONTROL, exists=True), docked)
            self.assertIs(tt._window, self.window)
            self.assertEqual([getattr(getattr(self.window, name), getter)() for name, _, _, getter in SETTINGS],
                             [value for _, _, value, _ in SETTINGS])
            self.assertEqual(self.window.content_stack.currentIndex(), 2)
            if docked:
                self.assertEqual(self.dialog().parentWidget(), self.container())
                self.assertEqual((cmds.workspaceControl(CONTROL, q=True, retain=True),
                                  cmds.workspaceControl(CONTROL, q=True, label=True)), (False, "Trembla v2.1"))
            else:
                self.assertTrue(self.dialog().isWindow())
                self.assertEqual((self.dialog().pos().x(), self.dialog().pos().y()), (123, 45))
        self.assertEqual(self.address(self.dialog()), address)
        self.assertEqual(list(standin.warnings), [])

    def test_floating_keeps_the_column_and_docked_follows_the_dock_with_stretching_sliders(self):
        if not os.path.isdir(RENDER_DIR):
            os.makedirs(RENDER_DIR)
        slider_widths = {}
        for width, docked in ((260, False), (320, True), (480, True), (260, False)):
            if docked != self.window._is_docked():
                self.window.dock_btn.click()
            self.settle(width if docked else None)
            dialog = self.dialog()
            self.assertEqual(dialog.width(), width)
            for page in range(4):
                self.window._switch_tab(page)
                self.settle()
                self.assert_nothing_clipped(dialog, "%d px, page %d" % (width, page))
                name = "%s_%d_page%d.png" % ("docked" if docked else "floating", width, page)
                self.assertTrue(dialog.grab().save(os.path.join(RENDER_DIR, name)), name)
            slider_widths[width] = self.slider_widths()
        # Every slider takes the whole extra width: the label and value boxes keep theirs.
        self.assertEqual(len(slider_widths[320]), 6)
        for narrow, wide in zip(slider_widths[320], slider_widths[480]):
            self.assertEqual(wide - narrow, 160)
        for floating, docked in zip(slider_widths[260], slider_widths[320]):
            self.assertEqual(docked - floating, 60)

    def slider_widths(self):
        self.window._switch_tab(0)
        self.settle()
        dialog = self.dialog()
        return [s.width() for s in dialog.findChildren(tt.QtWidgets.QSlider) if s.isVisibleTo(dialog)]

    def assert_nothing_clipped(self, dialog, where):
        frame = dialog.rect()
        for child in dialog.findChildren(tt.QtWidgets.QWidget):
            if not child.isVisibleTo(dialog) or child.width() == 0:
                continue
            top_left = child.mapTo(dialog, child.rect().topLeft())
            bottom_right = child.mapTo(dialog, child.rect().bottomRight())
            self.assertTrue(frame.contains(top_left) and frame.contains(bottom_right),
                            "%s: %s %r clipped at (%d, %d)-(%d, %d) in %dx%d" % (
                                where, type(child).__name__, child.objectName(), top_left.x(), top_left.y(),
                                bottom_right.x(), bottom_right.y(), frame.width(), frame.height()))
            if isinstance(child, (tt.QtWidgets.QLabel, tt.QtWidgets.QAbstractButton)):
                self.assertGreaterEqual(child.width(), child.minimumSizeHint().width(),
                                        "%s: %s %r narrower than its text" % (where, type(child).__name__,
                                                                             child.objectName()))

    def test_a_new_session_restores_the_docked_panel_through_the_ui_script(self):
        self.dock()
        saved = standin.quit_session()
        self.assertEqual([name for name, _ in saved], [CONTROL])
        with self.assertRaises(RuntimeError):
            self.window.isVisible()  # deleted with the control
        tt.reset_state()
        flush_deleted_windows()
        standin.restore_workspace(saved)
        self.settle()
        restored = tt._window
        self.assertTrue(restored._is_docked())
        self.assertEqual(self.dialog(restored).parentWidget(), self.container())
        self.assertEqual((restored.camera_field.text(), restored.amount_slider.value()), ("", 100))
        restored.dock_btn.click()
        self.assertEqual((restored._is_docked(), restored.isVisible(), restored.width()), (False, True, 260))
        self.assertFalse(cmds.workspaceControl(CONTROL, exists=True))

    def test_closing_the_dock(self):
        # (how it is closed, the window kept (hidden, floating) or deleted with the control); the
        # script's close() runs the title bar's close button (the button itself: the C++ tests).
        for how, kept in (("script", True), ("host", False)):
            self.window = tt.show()
            self.window.camera_field.setText("cam1")
            self.dock()
            if how == "script":
                self.assertTrue(self.window.close())
            else:
                cmds.workspaceControl(CONTROL, e=True, close=True)
            self.assertFalse(cmds.workspaceControl(CONTROL, exists=True), how)
            flush_deleted_windows()  # the host deletes a closed control from its event loop
            if kept:
                self.assertEqual((self.window._is_docked(), self.window.isVisible(),
                                  self.window.camera_field.text()), (False, False, "cam1"), how)
            else:
                with self.assertRaises(RuntimeError, msg=how):
                    self.window.isVisible()
            again = tt.show()
            self.assertEqual((again._is_docked(), again.isVisible(), again.width()), (False, True, 260), how)
            self.assertEqual(list(standin.warnings), [], how)

    def test_show_while_docked_replaces_the_window_in_its_dock(self):
        self.dock()
        old = self.window
        new = tt.show()
        flush_deleted_windows()
        self.settle()
        self.assertTrue(new._is_docked())
        self.assertEqual(self.dialog(new).parentWidget(), self.container())
        with self.assertRaises(RuntimeError):
            old.isVisible()
        panels = [w for w in self.container().findChildren(tt.QtWidgets.QDialog)
                  if w.objectName() == "tremblaToolPySide"]
        self.assertEqual(len(panels), 1)

    def test_esc_hides_a_floating_window_but_never_empties_the_dock(self):
        QtCore, QtGui = tt.QtCore, tt.QtGui
        for docked, visible_after in ((False, False), (True, True)):
            self.window = tt.show()
            if docked:
                self.dock()
            event = QtGui.QKeyEvent(QtCore.QEvent.KeyPress, QtCore.Qt.Key_Escape, QtCore.Qt.NoModifier)
            tt.QtWidgets.QApplication.sendEvent(self.dialog(), event)
            self.assertEqual((self.window.isVisible(), self.window._is_docked()), (visible_after, docked))


if __name__ == "__main__":
    unittest.main()
