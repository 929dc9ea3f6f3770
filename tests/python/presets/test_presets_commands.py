# -*- coding: utf-8 -*-
"""The window's preset commands: the settings snapshot, applying a preset record (defaults, the
scene check for names, the mode rule, hand-edited values of the wrong type, the controls' own
signals), saving, loading, deleting and listing presets, with every message they give."""
from __future__ import unicode_literals

import json
import os
import unittest
from collections import OrderedDict

from support.presets import LOCK_FILE_ROOM, PY2, ModuleDirectoryCase, captured_stdout, file_writes_fail_beyond

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

PARSE_FAILED = "Trembla: Failed to parse presets file: "
LOAD_FAILED = "Trembla: Failed to load presets: "
SAVE_FAILED = "Trembla: Failed to save presets: "
INVALID = "Trembla: Preset file has invalid structure."

# The twenty settings in snapshot order, each with its control and the value of a fresh window
# (which is also the default for a member a preset lacks).
SETTINGS = [
    ("lag_trans", "lag_trans_slider", 0), ("lag_rot", "lag_rot_slider", 0),
    ("smooth", "smoothing_slider", 0), ("amount", "amount_slider", 100),
    ("trans_amp", "trans_amp_slider", 100), ("rot_amp", "rot_amp_slider", 100),
    ("fade_in", "fade_in_slider", 3), ("fade_out", "fade_out_slider", 3),
    ("ranges", "ranges_field", ""), ("mode", None, "static"), ("layer_name", "layer_field", "trembla_layer"),
    ("translate_enabled", "translate_cb", True), ("rotate_enabled", "rotate_cb", True),
    ("trans_x", "trans_x_slider", 100), ("trans_y", "trans_y_slider", 100), ("trans_z", "trans_z_slider", 100),
    ("rot_x", "rot_x_slider", 100), ("rot_y", "rot_y_slider", 100), ("rot_z", "rot_z_slider", 100),
    ("speed", "speed_slider", 100),
]
SETTING_NAMES = [name for name, _, _ in SETTINGS]
DEFAULTS = OrderedDict((name, default) for name, _, default in SETTINGS)

# Every setting away from its default, each slider at a value of its own.
CHANGED = OrderedDict([
    ("lag_trans", 5), ("lag_rot", 7), ("smooth", 40), ("amount", 150), ("trans_amp", 60), ("rot_amp", 170),
    ("fade_in", 12), ("fade_out", 0), ("ranges", " 5-30, 40-55 "), ("mode", "relax"), ("layer_name", "shot_layer"),
    ("translate_enabled", False), ("rotate_enabled", False), ("trans_x", 10), ("trans_y", 20), ("trans_z", 30),
    ("rot_x", 40), ("rot_y", 50), ("rot_z", 60), ("speed", 250),
])


TEXT_TYPES = (str, type("")) if PY2 else (str,)  # Python 2: str where ASCII, else unicode


def mode_button(mode):
    return "mode_" + mode


class WindowCase(ModuleDirectoryCase):
    """A fresh window over a temporary preset file that holds `initial_presets` (None: no file)."""

    initial_presets = None

    def setUp(self):
        ModuleDirectoryCase.setUp(self)
        if self.initial_presets is not None:
            self.write_presets(self.initial_presets)
        tt.reset_state()
        self.window = tt.show()
        self.addCleanup(self.close_window)
        self.forget_host_recordings()

    def close_window(self):
        try:
            self.window.close()
        except RuntimeError:
            pass

    def forget_host_recordings(self):
        del standin.warnings[:]
        del standin.in_view_messages[:]
        standin.clear_calls()

    def write_presets(self, presets):
        self.write_file(json.dumps(presets, indent=2))

    def presets_in_file(self):
        return json.loads(self.read_file(), object_pairs_hook=OrderedDict)

    def listed(self):
        presets = self.window.preset_list
        return [presets.item(i).text() for i in range(presets.count())]

    def controls(self):
        """The twenty settings read straight off the controls."""
        w = self.window
        values = OrderedDict()
        for name, control, _ in SETTINGS:
            if name == "mode":
                checked = [mode for mode in ("static", "animated", "relax") if getattr(w, mode_button(mode)).isChecked()]
                self.assertEqual(len(checked), 1, checked)
                values[name] = checked[0]
            elif name in ("translate_enabled", "rotate_enabled"):
                values[name] = getattr(w, control).isChecked()
            elif name in ("ranges", "layer_name"):
                values[name] = getattr(w, control).text()
            else:
                values[name] = getattr(w, control).value()
        return values

    def set_controls(self, settings, camera=None, source=None):
        w = self.window
        if camera is not None:
            w.camera_field.setText(camera)
        if source is not None:
            w.source_field.setText(source)
        for name, control, _ in SETTINGS:
            if name not in settings:
                continue
            if name == "mode":
                getattr(w, mode_button(settings[name])).setChecked(True)
            elif name in ("translate_enabled", "rotate_enabled"):
                getattr(w, control).setChecked(settings[name])
            elif name in ("ranges", "layer_name"):
                getattr(w, control).setText(settings[name])
            else:
                getattr(w, control).setValue(settings[name])

    def printed_by(self, command, *args, **kwargs):
        """Runs a command; answers the lines it printed."""
        with captured_stdout() as output:
            command(*args, **kwargs)
        return output.lines()


class SnapshotTest(WindowCase):
    def test_fresh_window_gives_three_members_and_twenty_settings_in_order(self):
        snapshot = self.window._get_current_settings()
        self.assertEqual(snapshot, {"camera": "", "source": "", "settings": dict(DEFAULTS)})
        if not PY2:
            self.assertEqual(list(snapshot), ["camera", "source", "settings"])
            self.assertEqual(list(snapshot["settings"]), SETTING_NAMES)
        for name, value in snapshot["settings"].items():
            if isinstance(DEFAULTS[name], (bool, int)):
                self.assertIs(type(value), type(DEFAULTS[name]), name)
            else:
                self.assertIsInstance(value, TEXT_TYPES, name)
        self.assertEqual((standin.warnings, standin.in_view_messages, list(standin.calls)), ([], [], []))

    def test_every_control_is_read_as_set_and_texts_are_not_trimmed(self):
        self.set_controls(CHANGED, camera=" cam\u00e9ra ", source="src")
        snapshot = self.window._get_current_settings()
        self.assertEqual(snapshot, {"camera": " cam\u00e9ra ", "source": "src", "settings": dict(CHANGED)})
        for mode in ("static", "animated"):
            getattr(self.window, mode_button(mode)).setChecked(True)
            self.assertEqual(self.window._get_current_settings()["settings"]["mode"], mode)

    def test_each_snapshot_is_a_new_mapping_of_the_callers(self):
        first = self.window._get_current_settings()
        first["settings"]["amount"] = 5
        first["camera"] = "changed"
        second = self.window._get_current_settings()
        self.assertEqual((second["camera"], second["settings"]["amount"]), ("", 100))
        self.assertEqual(self.window.amount_slider.value(), 100)


class ApplyTest(WindowCase):
    def setUp(self):
        WindowCase.setUp(self)
        for name in ("camA", "srcA", "camB"):
            cmds.createNode("transform", name=name)
        self.forget_host_recordings()

    def apply(self, record):
        self.forget_host_recordings()
        self.assertIsNone(self.window._apply_settings(record))

    def test_a_full_record_sets_every_control(self):
        self.apply({"camera": "camA", "source": "srcA", "settings": dict(CHANGED)})
        self.assertEqual(self.controls(), CHANGED)
        self.assertEqual((self.window.camera_field.text(), self.window.source_field.text()), ("camA", "srcA"))
        self.assertEqual([call.args for call in standin.calls_of("objExists")], [("camA",), ("srcA",)])
        self.assertEqual((standin.warnings, standin.in_view_messages), ([], []))
        self.assertEqual(self.window._get_current_settings(),
                         {"camera": "camA", "source": "srcA", "settings": dict(CHANGED)})

    def test_names_missing_from_the_scene_or_empty_leave_their_fields_alone(self):
        self.window.camera_field.setText("before_cam")
        self.window.source_field.setText("before_src")
        self.apply({"camera": "ghostCam", "source": "", "settings": {"amount": 42}})
        self.assertEqual((self.window.camera_field.text(), self.window.source_field.text()),
                         ("before_cam", "before_src"))
        self.assertEqual(self.window.amount_slider.value(), 42)
        self.assertEqual([call.args for call in standin.calls_of("objExists")], [("ghostCam",)])
        self.apply({"source": "srcA"})
        self.assertEqual((self.window.camera_field.text(), self.window.source_field.text()), ("before_cam", "srcA"))

    def test_missing_members_take_the_defaults(self):
        for record in ({"camera": "camB", "source": "srcA"}, {}, {"settings": {}}, {"settings": {"unknown": 1}}):
            self.set_controls(CHANGED)
            self.apply(record)
            self.assertEqual(self.controls(), DEFAULTS, record)
            self.assertEqual(standin.warnings, [])

    def test_a_partial_settings_member_keeps_what_it_has(self):
        self.set_controls(CHANGED)
        self.apply({"settings": {"lag_rot": 9, "rot_z": 1, "layer_name": "L", "extra": "ignored"}})
        expected = OrderedDict(DEFAULTS)
        expected.update(lag_rot=9, rot_z=1, layer_name="L")
        self.assertEqual(self.controls(), expected)

    def test_mode_static_and_relax_are_exact_and_any_other_text_is_animated(self):
        for stored, expected in (("static", "static"), ("relax", "relax"), ("Relax", "animated"),
                                 ("animated", "animated"), ("RELAX", "animated"), ("Static", "animated"),
                                 ("", "animated"), ("wobble", "animated"), (None, "static")):
            start = "relax" if expected != "relax" else "static"
            getattr(self.window, mode_button(start)).setChecked(True)
            self.apply({"settings": {"mode": stored}} if stored is not None else {"settings": {}})
            self.assertEqual(self.window._get_camera_mode(), expected, stored)
            self.assertEqual(self.controls()["mode"], expected)

    def test_values_outside_a_range_go_to_the_controls_as_stored(self):
        self.apply({"settings": {"amount": 500, "lag_trans": -3, "fade_in": 30}})
        w = self.window
        self.assertEqual((w.amount_slider.value(), w.lag_trans_slider.value(), w.fade_in_slider.value()), (200, 0, 30))
        self.assertEqual(w.amount_slider.value_field.text(), "500")
        self.assertEqual(standin.warnings, [])

    def test_hand_edited_values_of_the_wrong_type_are_rounded_or_ignored_with_a_warning(self):
        self.set_controls(CHANGED, camera="before")
        record = {
            "camera": 5,
            "source": "srcA",
            "settings": OrderedDict([
                ("lag_trans", 2.5), ("lag_rot", 4.4), ("smooth", "high"), ("amount", True), ("trans_amp", -0.5),
                ("fade_in", None), ("ranges", 12), ("mode", ["relax"]), ("layer_name", None),
                ("translate_enabled", "no"), ("rotate_enabled", 0), ("trans_x", float("nan")),
                ("trans_y", 2 ** 80), ("rot_x", {"a": 1}), ("rot_y", 55.0),
            ]),
        }
        self.apply(record)
        expected = OrderedDict(DEFAULTS)
        expected.update(lag_trans=3, lag_rot=4, trans_amp=0, rot_y=55)
        self.assertEqual(self.controls(), expected)
        self.assertEqual(self.window.camera_field.text(), "before")
        self.assertEqual(self.window.source_field.text(), "srcA")
        ignored = [("camera", "text"), ("smooth", "a number"), ("amount", "a number"), ("fade_in", "a number"),
                   ("ranges", "text"), ("mode", "text"), ("layer_name", "text"),
                   ("translate_enabled", "true or false"), ("rotate_enabled", "true or false"),
                   ("trans_x", "a number"), ("trans_y", "a number"), ("rot_x", "a number")]
        self.assertEqual(standin.warnings,
                         ["Preset value for '%s' ignored: expected %s." % pair for pair in ignored])

    def test_settings_that_are_not_a_mapping_are_ignored_with_a_warning(self):
        self.set_controls(CHANGED)
        self.apply({"camera": "camA", "settings": [1, 2]})
        self.assertEqual(self.controls(), DEFAULTS)
        self.assertEqual(self.window.camera_field.text(), "camA")
        self.assertEqual(standin.warnings, ["Preset value for 'settings' ignored: expected an object."])

    def test_a_record_that_is_not_a_mapping_changes_nothing(self):
        self.set_controls(CHANGED)
        for record in (None, [1], "camA"):
            self.apply(record)
            self.assertEqual(self.controls(), CHANGED)
            self.assertEqual(standin.warnings, ["Preset ignored: expected an object."])

    def test_apply_takes_one_argument(self):
        self.assertIsNone(self.window._apply_settings(preset_data={"settings": {"amount": 7}}))
        self.assertEqual(self.window.amount_slider.value(), 7)
        self.assertRaises(TypeError, self.window._apply_settings)


def build_scene():
    """A camera with its shape and a moving source over frames 1 to 10."""
    cmds.playbackOptions(min=1, max=10)
    cmds.createNode("transform", name="src")
    for frame in range(1, 11):
        cmds.setKeyframe("src", attribute="translateX", time=frame, value=frame * (-1) ** frame)
    cmds.createNode("transform", name="cam")
    cmds.createNode("camera", name="camShape", parent="cam")


class ApplyToPreparedShakeTest(WindowCase):
    """Applying runs the controls' own handlers: each changed row, box or mode button re-applies
    the prepared shake once; a text field does not."""

    def setUp(self):
        WindowCase.setUp(self)
        build_scene()
        self.window.camera_field.setText("cam")
        self.window.source_field.setText("src")
        self.printed_by(self.window._prepare_shake)
        if not tt._prepared["ready"]:
            self.skipTest("the window's scene commands are not installed")
        self.forget_host_recordings()

    def updates_run(self):
        """Each update writes one new curve per channel: six with both channel kinds on."""
        curves = [call for call in standin.calls_of("createNode") if call.args[0].startswith("animCurve")]
        return len(curves) / 6.0

    def test_each_changed_control_reapplies_the_shake_once_the_ranges_text_too(self):
        self.window._apply_settings({"settings": {"amount": 150, "lag_trans": 2, "ranges": "2-8"}})
        self.assertEqual(self.updates_run(), 3)
        self.assertEqual(standin.warnings, [])

    def test_a_preset_that_changes_only_the_ranges_confines_the_shake_to_them(self):
        self.window._apply_settings({"settings": {}})
        self.assertEqual(self.updates_run(), 0)
        self.window._apply_settings({"settings": {"ranges": "4-6"}})
        self.assertEqual((self.updates_run(), self.window.ranges_field.text()), (1, "4-6"))
        # Outside the range the camera carries no shake: it reads its start pose there.
        base = tt._prepared["camera_base"][0]
        self.assertEqual([cmds.getAttr("cam.translateX", time=f) for f in (2, 8, 9)], [base] * 3)

    def test_ranges_not_used_are_named_in_one_warning_per_commit(self):
        unused = ("Frame ranges not used: abc, 900-100, 5 (write each range as start-end, the start not "
                  "after the end).")
        for text, warnings in (("abc, 900-100,, 2-9, 5", [unused]), ("abc, 900-100,, 2-9, 5", []),
                               ("2-9, ", []), ("", [])):
            self.forget_host_recordings()
            self.window._apply_settings({"settings": {"ranges": text}})
            self.assertEqual(list(standin.warnings), warnings, text)

    def test_loading_a_preset_is_one_undo_step_over_the_whole_scene(self):
        self.write_presets({"wide": {"settings": {"amount": 150, "lag_trans": 2, "mode": "relax"}}})
        self.window._refresh_preset_list()
        cmds.flushUndo()
        before = standin.scene_dump()
        self.printed_by(self.window._load_selected_preset, self.window.preset_list.item(0))
        after = standin.scene_dump()
        self.assertNotEqual(after, before)
        self.assertEqual((cmds.undoInfo(q=True), cmds.undoInfo(q=True, undoName=True)),
                         (1, "Trembla: load preset"))
        self.assertEqual(standin.undo_depth(), 0)
        cmds.undo()
        self.assertEqual(standin.scene_dump(), before)
        cmds.redo()
        self.assertEqual(standin.scene_dump(), after)

    def test_the_mode_buttons_run_the_mode_handler(self):
        self.window._apply_settings({"settings": {"mode": "relax"}})
        self.assertEqual(self.updates_run(), 1)
        self.assertTrue(self.window.amount_slider.isHidden())
        self.window._apply_settings({"settings": {"mode": "static"}})
        self.assertFalse(self.window.amount_slider.isHidden())


class SaveTest(WindowCase):
    def save(self, name):
        self.window.preset_name_field.setText(name)
        self.forget_host_recordings()
        return self.printed_by(self.window._save_preset)

    def test_a_name_of_nothing_but_white_space_is_refused(self):
        for name in ("", "   ", "\t\n", "\u00a0\u2003\x1c"):
            printed = self.save(name)
            self.assertEqual(standin.warnings, ["Please enter a preset name."])
            self.assertEqual((printed, standin.in_view_messages), ([], []))
            self.assertEqual(self.window.preset_name_field.text(), name)
            self.assertFalse(os.path.exists(self.path))

    def test_saving_stores_the_snapshot_under_the_trimmed_name_and_reports_it(self):
        self.set_controls(CHANGED, camera="cam1", source="src1")
        snapshot = self.window._get_current_settings()
        printed = self.save("  shot 1 \t")
        self.assertEqual(printed, ["Preset saved: shot 1"])
        self.assertEqual(standin.in_view_messages, ["Preset 'shot 1' saved!"])
        self.assertEqual([call.kwargs for call in standin.calls_of("inViewMessage")],
                         [{"amg": "Preset 'shot 1' saved!", "pos": "midCenter", "fade": True}])
        self.assertEqual(standin.warnings, [])
        self.assertEqual(self.window.preset_name_field.text(), "")
        self.assertEqual(self.listed(), ["shot 1"])
        stored = self.presets_in_file()
        self.assertEqual(stored, {"shot 1": snapshot})
        self.assertEqual(list(stored["shot 1"]), ["camera", "source", "settings"])
        self.assertEqual(list(stored["shot 1"]["settings"]), SETTING_NAMES)

    def test_python_white_space_around_the_name_is_removed(self):
        self.save("\u00a0\x1fwide\u3000\x1c")
        self.assertEqual(list(self.presets_in_file()), ["wide"])

    def test_a_name_of_any_script_is_kept_and_written_as_u_escapes(self):
        name = "Plan \u00e9 \U0001f3a5"
        printed = self.save(name)
        self.assertEqual(printed, ["Preset saved: " + name])
        self.assertEqual(standin.in_view_messages, ["Preset '%s' saved!" % name])
        self.assertIn('"Plan \\u00e9 \\ud83c\\udfa5": {', self.read_file())
        self.assertEqual(self.listed(), [name])

    def test_saving_under_an_existing_name_replaces_it_and_keeps_the_others(self):
        self.save("b")
        self.save("a")
        self.set_controls({"amount": 3})
        self.save("b")
        self.assertEqual(standin.warnings, [])
        self.assertEqual(self.listed(), ["a", "b"])
        stored = self.presets_in_file()
        self.assertEqual(list(stored), ["b", "a"])
        self.assertEqual((stored["b"]["settings"]["amount"], stored["a"]["settings"]["amount"]), (3, 100))

    def test_a_failed_write_warns_and_changes_neither_list_nor_name_nor_file(self):
        self.write_presets({"old": {}})
        self.window._refresh_preset_list()
        old = self.read_bytes()
        self.window.preset_name_field.setText("new")
        self.forget_host_recordings()
        with file_writes_fail_beyond(max(len(old), LOCK_FILE_ROOM)) as output:
            self.window._save_preset()
        self.assertEqual(len(standin.warnings), 2, standin.warnings)
        self.assertTrue(standin.warnings[0].startswith(SAVE_FAILED + "cannot write"), standin.warnings[0])
        self.assertEqual(standin.warnings[1], "Failed to save preset.")
        self.assertEqual(standin.in_view_messages, [])
        self.assertNotIn("Preset saved", "\n".join(output.lines()))
        self.assertEqual(self.window.preset_name_field.text(), "new")
        self.assertEqual(self.listed(), ["old"])
        self.assertEqual(self.read_bytes(), old)

    def test_saving_over_an_unreadable_path_fails_after_the_stores_warnings(self):
        os.mkdir(self.path)
        self.save("x")
        self.assertEqual(len(standin.warnings), 3, standin.warnings)
        self.assertTrue(standin.warnings[0].startswith(LOAD_FAILED), standin.warnings[0])
        self.assertTrue(standin.warnings[1].startswith(SAVE_FAILED), standin.warnings[1])
        self.assertEqual(standin.warnings[2], "Failed to save preset.")
        self.assertEqual(standin.in_view_messages, [])

    def test_saving_over_an_unusable_file_keeps_a_copy_of_it(self):
        self.write_file(b"{oops")
        printed = self.save("fresh")
        self.assertEqual(len(standin.warnings), 2, standin.warnings)
        self.assertTrue(standin.warnings[0].startswith(PARSE_FAILED), standin.warnings[0])
        self.assertEqual(standin.warnings[1], "Trembla: Kept a copy of the unusable preset file as %s.1.bak" % self.path)
        self.assertEqual(printed, ["Preset saved: fresh"])
        self.assertEqual(list(self.presets_in_file()), ["fresh"])
        self.assertEqual(self.read_bytes(self.path + ".1.bak"), b"{oops")

    def test_the_commands_reach_the_host_of_the_moment(self):
        recorded = []

        class Host(object):
            @staticmethod
            def warning(text):
                recorded.append(text)

        real_cmds = tt.cmds
        tt.cmds = Host()
        try:
            self.save(" ")
        finally:
            tt.cmds = real_cmds
        self.assertEqual((recorded, standin.warnings), (["Please enter a preset name."], []))


class LoadTest(WindowCase):
    initial_presets = {
        "calm": {"camera": "", "source": "", "settings": {"amount": 20, "mode": "animated"}},
        "wild": {"camera": "", "source": "", "settings": {"amount": 190, "lag_trans": 9}},
    }

    def select(self, row):
        self.window.preset_list.setCurrentRow(row)

    def test_nothing_selected_warns_and_changes_nothing(self):
        self.set_controls(CHANGED)
        printed = self.printed_by(self.window._load_selected_preset)
        self.assertEqual(standin.warnings, ["Please select a preset to load."])
        self.assertEqual((printed, standin.in_view_messages), ([], []))
        self.assertEqual(self.controls(), CHANGED)

    def test_loading_the_current_entry_applies_it_and_shows_the_setup_page(self):
        self.window._switch_tab(3)
        self.select(1)
        printed = self.printed_by(self.window._load_selected_preset)
        expected = OrderedDict(DEFAULTS)
        expected.update(amount=190, lag_trans=9)
        self.assertEqual(self.controls(), expected)
        self.assertEqual(self.window.content_stack.currentIndex(), 0)
        self.assertEqual([b.isChecked() for b in self.window.tab_buttons], [True, False, False, False])
        self.assertEqual(standin.in_view_messages, ["Preset 'wild' loaded!"])
        self.assertEqual(printed, ["Preset loaded: wild"])
        self.assertEqual(standin.warnings, [])

    def test_a_given_entry_is_loaded_whatever_is_current(self):
        self.select(1)
        self.printed_by(self.window._load_selected_preset, self.window.preset_list.item(0))
        self.assertEqual((self.window.amount_slider.value(), self.window._get_camera_mode()), (20, "animated"))
        self.assertEqual(standin.in_view_messages, ["Preset 'calm' loaded!"])
        self.printed_by(self.window._load_selected_preset, item=None)
        self.assertEqual(standin.in_view_messages, ["Preset 'calm' loaded!", "Preset 'wild' loaded!"])

    def test_a_preset_gone_from_the_file_is_not_found_and_nothing_changes(self):
        self.write_presets({"calm": self.initial_presets["calm"]})
        self.window._switch_tab(3)
        self.select(1)
        printed = self.printed_by(self.window._load_selected_preset)
        self.assertEqual(standin.warnings, ["Preset 'wild' not found."])
        self.assertEqual((printed, standin.in_view_messages), ([], []))
        self.assertEqual(self.controls(), DEFAULTS)
        self.assertEqual(self.window.content_stack.currentIndex(), 3)

    def test_an_unusable_file_reads_as_empty_so_the_preset_is_not_found(self):
        self.write_file("[1]")
        self.select(0)
        self.printed_by(self.window._load_selected_preset)
        self.assertEqual(standin.warnings, [INVALID, "Preset 'calm' not found."])

    def test_double_clicking_an_entry_loads_it(self):
        # The module's own binding: a binding of the other Qt generation must never be loaded.
        QtCore, QtGui, QtWidgets = tt.QtCore, tt.QtGui, tt.QtWidgets
        if QtWidgets is None:
            self.skipTest("no Qt binding for this build to send mouse events with")
        dialog = self.window.pyside()
        if dialog is None:
            self.skipTest("the window is not reachable through the Qt binding")
        presets = dialog.findChild(QtWidgets.QListWidget)
        self.select(0)
        viewport = presets.viewport()
        point = presets.visualItemRect(presets.item(1)).center()
        left, none = QtCore.Qt.LeftButton, QtCore.Qt.NoModifier
        with captured_stdout() as output:
            for kind in (QtCore.QEvent.MouseButtonPress, QtCore.QEvent.MouseButtonRelease,
                         QtCore.QEvent.MouseButtonDblClick, QtCore.QEvent.MouseButtonRelease):
                buttons = QtCore.Qt.NoButton if kind == QtCore.QEvent.MouseButtonRelease else left
                event = QtGui.QMouseEvent(kind, QtCore.QPointF(point), left, buttons, none)
                QtWidgets.QApplication.sendEvent(viewport, event)
        self.assertEqual(self.window.preset_list.currentRow(), 1)
        self.assertEqual(output.lines(), ["Preset loaded: wild"])
        self.assertEqual(self.window.amount_slider.value(), 190)


class DeleteTest(WindowCase):
    initial_presets = {"keep": {}, "drop": {"settings": {"amount": 5}}}

    def delete_row(self, row):
        self.window.preset_list.setCurrentRow(row)
        return self.printed_by(self.window._delete_selected_preset)

    def test_nothing_selected_warns(self):
        printed = self.printed_by(self.window._delete_selected_preset)
        self.assertEqual(standin.warnings, ["Please select a preset to delete."])
        self.assertEqual((printed, standin.in_view_messages), ([], []))
        self.assertEqual(set(self.presets_in_file()), set(["keep", "drop"]))

    def test_deleting_removes_the_preset_without_asking_and_refreshes_the_list(self):
        self.assertEqual(self.listed(), ["drop", "keep"])
        printed = self.delete_row(0)
        self.assertEqual(printed, ["Preset deleted: drop"])
        self.assertEqual(standin.in_view_messages, ["Preset 'drop' deleted."])
        self.assertEqual(standin.warnings, [])
        self.assertEqual(self.presets_in_file(), {"keep": {}})
        self.assertEqual(self.listed(), ["keep"])
        self.assertIsNone(self.window.preset_list.currentItem())

    def test_deleting_the_last_preset_leaves_an_empty_object(self):
        self.delete_row(0)
        self.delete_row(0)
        self.assertEqual(self.read_file(), "{}")
        self.assertEqual(self.listed(), [])

    def test_a_preset_gone_from_the_file_is_not_found(self):
        self.write_presets({"keep": {}})
        printed = self.delete_row(0)
        self.assertEqual(standin.warnings, ["Preset 'drop' not found."])
        self.assertEqual((printed, standin.in_view_messages), ([], []))
        self.assertEqual(self.listed(), ["drop", "keep"])

    def test_a_failed_write_warns_and_keeps_file_and_list(self):
        self.write_presets({"keep": {"camera": "c" * 2 * LOCK_FILE_ROOM}, "drop": {}})
        self.window._refresh_preset_list()
        old = self.read_bytes()
        self.window.preset_list.setCurrentRow(0)
        with file_writes_fail_beyond(LOCK_FILE_ROOM) as output:
            self.window._delete_selected_preset()
        self.assertEqual(len(standin.warnings), 2, standin.warnings)
        self.assertTrue(standin.warnings[0].startswith(SAVE_FAILED + "cannot write"), standin.warnings[0])
        self.assertEqual(standin.warnings[1], "Failed to delete preset.")
        self.assertEqual(standin.in_view_messages, [])
        self.assertNotIn("Preset deleted", "\n".join(output.lines()))
        self.assertEqual(self.read_bytes(), old)
        self.assertEqual(self.listed(), ["drop", "keep"])

    def test_deleting_from_an_unusable_file_is_not_found(self):
        self.write_file("{broken")
        self.delete_row(1)
        self.assertEqual(len(standin.warnings), 2)
        self.assertTrue(standin.warnings[0].startswith(PARSE_FAILED))
        self.assertEqual(standin.warnings[1], "Preset 'keep' not found.")
        self.assertEqual(self.read_file(), "{broken")


class ListTest(WindowCase):
    initial_presets = dict((name, {}) for name in ("b", "B", "a", "z", "Z", "\u00e9", "10", "9"))

    def test_names_are_listed_by_character_code(self):
        self.assertEqual(self.listed(), ["10", "9", "B", "Z", "a", "b", "z", "\u00e9"])
        self.assertIsNone(self.window.preset_list.currentItem())

    def test_the_list_shows_the_file_as_it_was_at_the_last_refresh(self):
        self.window.preset_list.setCurrentRow(2)
        self.write_presets({"new": {}})
        self.assertEqual(len(self.listed()), 8)
        self.assertIsNone(self.window._refresh_preset_list())
        self.assertEqual(self.listed(), ["new"])
        self.assertIsNone(self.window.preset_list.currentItem())
        self.assertEqual(standin.warnings, [])

    def test_a_missing_file_lists_nothing_silently_and_an_unusable_one_with_its_warning(self):
        os.remove(self.path)
        self.window._refresh_preset_list()
        self.assertEqual((self.listed(), standin.warnings), ([], []))
        self.write_file('{"a": 1}')
        self.window._refresh_preset_list()
        self.assertEqual((self.listed(), standin.warnings), ([], [INVALID]))


class OpeningTest(ModuleDirectoryCase):
    def open_window(self):
        with captured_stdout() as output:
            window = tt.show()
        self.addCleanup(window.close)
        return window, output.lines()

    def test_a_new_window_lists_the_file_and_prints_nothing(self):
        self.write_file('{"B": {}, "a": {}}')
        window, printed = self.open_window()
        self.assertEqual([window.preset_list.item(i).text() for i in range(window.preset_list.count())], ["B", "a"])
        self.assertEqual((printed, standin.warnings), ([], []))

    def test_a_malformed_file_gives_an_empty_list_and_the_load_warning(self):
        self.write_file("{")
        window, printed = self.open_window()
        self.assertEqual(window.preset_list.count(), 0)
        self.assertEqual(len(standin.warnings), 1)
        self.assertTrue(standin.warnings[0].startswith(PARSE_FAILED))


if __name__ == "__main__":
    unittest.main()
