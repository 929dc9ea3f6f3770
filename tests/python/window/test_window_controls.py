"""The window's controls as scripts reach them: proxies that drive the window through Qt's own
setters (so the window's handlers run as for a user's change), list entries that know when a
refresh has dropped them, argument checks, and errors: raised to a script that calls a command,
reported through the host when a control's signal runs the same command."""
import json
import os
import shutil
import sys
import tempfile
import unittest

import support  # noqa: F401  (sys.path)

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

SLIDER_ROWS = {  # name: (caption, minimum, maximum, value in a fresh window)
    "lag_trans_slider": ("Lag T", 0, 15, 0), "lag_rot_slider": ("Lag R", 0, 15, 0),
    "smoothing_slider": ("Smooth", 0, 100, 0), "amount_slider": ("Amount", 0, 200, 100),
    "trans_amp_slider": ("Trans", 0, 200, 100), "rot_amp_slider": ("Rotate", 0, 200, 100),
    "fade_in_slider": ("Fade In", 0, 30, 3), "fade_out_slider": ("Fade Out", 0, 30, 3),
    "speed_slider": ("Speed", 25, 400, 100),
    "trans_x_slider": ("X", 0, 100, 100), "trans_y_slider": ("Y", 0, 100, 100),
    "trans_z_slider": ("Z", 0, 100, 100), "rot_x_slider": ("X", 0, 100, 100),
    "rot_y_slider": ("Y", 0, 100, 100), "rot_z_slider": ("Z", 0, 100, 100),
}
AMPLITUDE_SECTION = ("amp_header", "amount_slider", "trans_amp_slider", "rot_amp_slider")


class Capture(object):
    """Keeps what is written to a replaced sys.stderr."""

    def __init__(self):
        self.parts = []

    def write(self, text):
        self.parts.append(text.decode("utf-8") if isinstance(text, bytes) else text)

    def flush(self):
        pass

    def text(self):
        return "".join(self.parts)


class WindowCase(unittest.TestCase):
    def setUp(self):
        standin.reset()
        tt.reset_state()
        self.window = tt.show()
        self.addCleanup(self.close_window)

    def close_window(self):
        try:
            self.window.close()
        except RuntimeError:
            pass


class ControlsTest(WindowCase):
    def test_every_slider_row_reads_as_built(self):
        for name, (caption, minimum, maximum, value) in SLIDER_ROWS.items():
            row = getattr(self.window, name)
            self.assertIsInstance(row, tt.SliderRow, name)
            self.assertEqual((row.label.text(), row.value(), row.value_field.text()),
                             (caption, value, str(value)), name)
            self.assertEqual((row._min, row._max, row.slider.minimum(), row.slider.maximum()),
                             (minimum, maximum, minimum, maximum), name)

    def test_slider_row_set_value_keeps_the_slider_in_range_and_shows_the_number(self):
        row = self.window.amount_slider
        row.setValue(250)
        self.assertEqual((row.value(), row.slider.value(), row.value_field.text()), (200, 200, "250"))
        row.slider.setValue(120)
        self.assertEqual((row.value(), row.value_field.text()), (120, "120"))

    def test_text_fields(self):
        w = self.window
        self.assertEqual(w.camera_field.placeholderText(), "Select...")
        self.assertEqual(w.ranges_field.placeholderText(), "e.g. 10-50, 70-80")
        self.assertEqual(w.preset_name_field.placeholderText(), "Enter preset name...")
        self.assertEqual(w.layer_field.text(), "trembla_layer")
        w.camera_field.setText(u"cam\u00e9ra")
        self.assertEqual(w.camera_field.text(), u"cam\u00e9ra")

    def test_buttons_and_their_style_classes(self):
        w = self.window
        self.assertEqual((w.prepare_btn.text(), w.prepare_btn.property("class")),
                         ("Prepare Shake", "primaryBtn"))
        self.assertEqual((w.bake_btn.text(), w.bake_btn.property("class")),
                         ("Bake to Layer", "secondaryBtn"))
        self.assertEqual((w.reset_btn.text(), w.reset_btn.property("class"), w.reset_btn.isEnabled()),
                         ("Reset", "secondaryBtn", False))
        self.assertIsNone(w.bake_btn.property("noSuchProperty"))
        self.assertEqual([(b.text(), b.property("class"), b.isCheckable()) for b in w.tab_buttons],
                         [(caption, "tabButton", True)
                          for caption in ("SETUP", "SHAKE", "ADVANCED", "PRESETS")])
        self.assertTrue(w.translate_cb.isChecked() and w.rotate_cb.isChecked())

    def test_the_fade_rows_are_disabled_with_a_word_while_no_range_is_typed(self):
        w, tip = self.window, "Fades act at the ends of each range: type a range above to use them."
        for text, enabled in (("", False), ("10-50", True), ("  ", False)):
            w.ranges_field.setText(text)
            for row in (w.fade_in_slider, w.fade_out_slider):
                self.assertEqual((row.isEnabled(), "in frames" in row.toolTip()), (enabled, enabled), text)
                if not enabled:
                    self.assertEqual(" ".join(row.toolTip().split()), tip, text)

    def test_every_control_says_what_it_does_and_the_axes_follow_the_relax_mode(self):
        w = self.window
        controls = ("prepare_btn bake_btn reset_btn camera_field source_field lag_trans_slider lag_rot_slider "
                    "smoothing_slider amount_slider trans_amp_slider rot_amp_slider ranges_field mode_static "
                    "mode_animated mode_relax bypass_cb layer_field translate_cb rotate_cb preset_list "
                    "preset_name_field").split()
        tips = [getattr(w, name).toolTip() for name in controls] + [b.toolTip() for b in w.tab_buttons]
        self.assertEqual([name for name, tip in zip(controls, tips) if not tip], [])
        self.assertEqual(len(set(tips)), len(tips))
        for unit, names in (("frames", "lag_trans_slider lag_rot_slider"), ("%", "amount_slider trans_amp_slider")):
            for name in names.split():
                self.assertIn(unit, getattr(w, name).toolTip(), name)
        axes = [w.trans_x_slider, w.trans_y_slider, w.trans_z_slider, w.rot_x_slider, w.rot_y_slider, w.rot_z_slider]
        for mode, relax in (("relax", True), ("static", False)):
            getattr(w, "mode_" + mode).setChecked(True)
            self.assertEqual([("Relax" in a.toolTip(), "%" in a.toolTip()) for a in axes], [(relax, True)] * 6, mode)

    def test_clicking_tabs_switches_pages_and_keeps_exactly_one_tab_checked(self):
        w = self.window
        self.assertEqual(w.content_stack.currentIndex(), 0)
        self.assertEqual(w.content_stack.count(), 4)
        for _ in range(2):  # the second click hits the tab that is already checked
            w.tab_buttons[1].click()
            self.assertEqual([b.isChecked() for b in w.tab_buttons], [False, True, False, False])
            self.assertEqual(w.content_stack.currentIndex(), 1)
        w._switch_tab(3)
        self.assertEqual([b.isChecked() for b in w.tab_buttons], [False, False, False, True])
        self.assertEqual(w.content_stack.currentIndex(), 3)

    def test_relax_mode_hides_the_amplitude_section_and_static_shows_it_again(self):
        w = self.window
        w.mode_relax.setChecked(True)
        self.assertEqual((w._get_camera_mode(), w.mode_button_group.checkedId()), ("relax", 2))
        self.assertFalse(w.mode_static.isChecked())
        self.assertEqual([getattr(w, name).isHidden() for name in AMPLITUDE_SECTION], [True] * 4)
        self.assertFalse(w.amount_slider.isVisible())
        w.mode_button_group.buttons()[1].click()
        self.assertEqual(w._get_camera_mode(), "animated")
        self.assertEqual(w.mode_button_group.checkedButton(), w.mode_animated)
        self.assertEqual([getattr(w, name).isVisible() for name in AMPLITUDE_SECTION], [True] * 4)

    def test_proxies_compare_by_the_control_they_stand_for(self):
        w = self.window
        self.assertEqual(w.camera_field, w.camera_field)
        self.assertNotEqual(w.camera_field, w.source_field)
        self.assertEqual(len({w.camera_field, w.camera_field, w.source_field}), 2)
        self.assertIn("NameField", repr(w.camera_field))

    def test_bad_arguments_raise_to_the_script(self):
        w = self.window
        with self.assertRaises(TypeError):
            w.amount_slider.setValue(1.5)
        with self.assertRaises(OverflowError):
            w.amount_slider.setValue(2 ** 40)
        with self.assertRaises(TypeError):
            w.camera_field.setText(5)
        with self.assertRaises(TypeError):
            w._switch_tab("1")
        with self.assertRaises(TypeError):
            w._switch_tab()
        with self.assertRaises(TypeError):
            w._load_selected_preset("a")
        self.assertEqual(w.amount_slider.value(), 100)

    def test_update_shake_takes_and_ignores_any_arguments(self):
        self.assertIsNone(self.window._update_shake(1, "two", three=3))

    def test_settings_snapshot_reads_the_controls(self):
        w = self.window
        w.camera_field.setText("cam")
        w.lag_rot_slider.setValue(4)
        w.mode_animated.setChecked(True)
        snapshot = w._get_current_settings()
        self.assertEqual(snapshot["camera"], "cam")
        self.assertEqual((snapshot["settings"]["lag_rot"], snapshot["settings"]["mode"]),
                         (4, "animated"))


class PresetListTest(WindowCase):
    """The list entries, over presets in a temporary module directory."""

    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="trembla_window_")
        self.addCleanup(shutil.rmtree, self.directory, True)
        self.addCleanup(setattr, tt, "__file__", tt.__file__)
        tt.__file__ = os.path.join(self.directory, "trembla_tool.so")
        presets = dict((name, {"camera": "", "source": "", "settings": {"amount": amount}})
                       for name, amount in (("b", 110), ("B", 120), ("a", 130)))
        with open(os.path.join(self.directory, "trembla_presets.json"), "w") as f:
            json.dump(presets, f)
        WindowCase.setUp(self)

    def test_entries_current_row_and_loading_a_given_entry(self):
        presets = self.window.preset_list
        self.assertEqual(presets.count(), 3)
        self.assertEqual([presets.item(i).text() for i in range(3)], ["B", "a", "b"])
        self.assertIsNone(presets.item(3))
        self.assertIsNone(presets.currentItem())
        presets.setCurrentRow(1)
        self.assertEqual((presets.currentRow(), presets.currentItem().text()), (1, "a"))
        self.assertEqual(presets.currentItem(), presets.item(1))
        self.window._load_selected_preset(item=presets.item(2))
        self.assertEqual(self.window.amount_slider.value(), 110)
        self.window._load_selected_preset()
        self.assertEqual(self.window.amount_slider.value(), 130)

    def test_an_entry_dropped_by_a_refresh_raises(self):
        entry = self.window.preset_list.item(0)
        self.window._refresh_preset_list()
        with self.assertRaises(RuntimeError) as caught:
            entry.text()
        self.assertEqual(str(caught.exception), "The list item has been deleted.")
        with self.assertRaises(RuntimeError):
            self.window._load_selected_preset(entry)
        self.assertIn("(deleted)", repr(entry))


def build_scene():
    """A camera with its shape and a moving source over frames 1 to 10."""
    cmds.playbackOptions(min=1, max=10)
    cmds.createNode("transform", name="src")
    for frame in range(1, 11):
        cmds.setKeyframe("src", attribute="translateX", time=frame, value=frame * (-1) ** frame)
    cmds.createNode("transform", name="cam")
    cmds.createNode("camera", name="camShape", parent="cam")


class HandlerErrorTest(WindowCase):
    """An update that fails: raised when a script calls it, reported when a control runs it."""

    def setUp(self):
        WindowCase.setUp(self)
        build_scene()
        self.window.camera_field.setText("cam")
        self.window.source_field.setText("src")
        self.window._prepare_shake()
        if not tt._prepared["ready"]:
            self.skipTest("the window's scene commands are not installed")
        del standin.warnings[:]
        self.stderr = Capture()
        self.addCleanup(setattr, sys, "stderr", sys.stderr)
        self.addCleanup(standin.clear_faults)
        standin.fail("createNode", always=True)

    def test_a_script_calling_the_command_gets_the_error(self):
        with self.assertRaises(RuntimeError) as caught:
            self.window._update_shake()
        self.assertIn("stand-in fault: createNode call #1 failed", str(caught.exception))
        self.assertEqual(list(standin.warnings), [])

    def test_a_control_change_reports_the_error_and_carries_on(self):
        sys.stderr = self.stderr
        self.assertIsNone(self.window.amount_slider.setValue(150))
        self.assertEqual(self.window.amount_slider.value(), 150)
        self.assertEqual(len(standin.warnings), 1)
        self.assertIn("stand-in fault: createNode call #1 failed", standin.warnings[0])
        printed = self.stderr.text()
        self.assertIn("Traceback", printed)
        self.assertIn("RuntimeError: stand-in fault: createNode call #1 failed", printed)

    def test_show_takes_up_the_shake_the_scene_holds_keeping_the_record(self):
        # The shake prepared above is still on the camera: the new window shows it as applied.
        tt.show()
        self.assertTrue(tt._prepared["ready"])
        self.assertEqual((tt._prepared["camera"], tt._prepared["source"]), ("cam", "src"))


if __name__ == "__main__":
    unittest.main()
