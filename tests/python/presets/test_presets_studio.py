# -*- coding: utf-8 -*-
"""Presets a studio shares: the read-only folders of TREMBLA_PRESET_PATH behind the user's own
presets, Import and Export of preset files, the one offer of another release's presets to a new
build, and the questions the page's buttons ask (and script calls do not)."""
from __future__ import unicode_literals

import json
import os
import unittest

from support.presets import ModuleDirectoryCase

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

import maya.standin as standin
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

FILE_NAME = "trembla_presets.json"
HAS_BINDING = tt.QtWidgets is not None and tt.wrapInstance is not None


def qt_widgets():
    """QApplication::activeModalWidget and QDialog::done of the Qt Widgets library loaded."""
    import ctypes
    with open("/proc/self/maps") as maps:
        path = next(line.split()[-1] for line in maps if "libQt5Widgets.so" in line or "libQt6Widgets.so" in line)
    library = ctypes.CDLL(path)

    class Widgets(object):
        activeModalWidget = getattr(library, "_ZN12QApplication17activeModalWidgetEv")
        done = getattr(library, "_ZN7QDialog4doneEi")
    Widgets.activeModalWidget.restype = ctypes.c_void_p
    Widgets.activeModalWidget.argtypes = []
    Widgets.done.argtypes = [ctypes.c_void_p, ctypes.c_int]
    Widgets.done.restype = None
    return Widgets


def record(amount):
    return {"camera": "", "source": "", "settings": {"amount": amount}}


class StudioCase(ModuleDirectoryCase):
    """A window over a temporary user file, shared folders under the same directory, and a dialog
    hook that gives the answers in `self.answers` (kind -> answer) and keeps every question."""

    user_presets = None
    shared = ()  # [(folder name, presets)] in TREMBLA_PRESET_PATH order

    def setUp(self):
        ModuleDirectoryCase.setUp(self)
        self.asked = []
        self.answers = {}
        tt._dialog_hook = self.hook
        self.addCleanup(setattr, tt, "_dialog_hook", None)
        saved = os.environ.get("TREMBLA_PRESET_PATH")
        self.addCleanup(self.restore_path, saved)
        folders = []
        for name, presets in self.shared:
            folder = os.path.join(self.directory, name)
            os.mkdir(folder)
            self.write_presets(presets, os.path.join(folder, FILE_NAME))
            folders.append(folder)
        os.environ["TREMBLA_PRESET_PATH"] = os.pathsep.join(folders)
        if self.user_presets is not None:
            self.write_presets(self.user_presets)
        self.window = self.open_window()

    def open_window(self):
        tt.reset_state()
        window = tt.show()
        self.addCleanup(window.close)
        del standin.warnings[:]
        del standin.in_view_messages[:]
        return window

    @staticmethod
    def restore_path(saved):
        if saved is None:
            os.environ.pop("TREMBLA_PRESET_PATH", None)
        else:
            os.environ["TREMBLA_PRESET_PATH"] = saved

    def hook(self, kind, text):
        self.asked.append(kind)
        return self.answers.get(kind)

    def write_presets(self, presets, path=None):
        self.write_file(json.dumps(presets, indent=2), path)

    def presets_in(self, path=None):
        with open(path or self.path) as f:
            return json.load(f)

    def listed(self):
        presets = self.window.preset_list
        return [presets.item(i).text() for i in range(presets.count())]

    def select(self, *texts):
        presets = self.window.preset_list
        for i in range(presets.count()):
            presets.item(i).setSelected(presets.item(i).text() in texts)

    def shared_bytes(self):
        return [self.read_bytes(os.path.join(self.directory, name, FILE_NAME)) for name, _ in self.shared]


class SharedFoldersTest(StudioCase):
    user_presets = {"mine": record(1), "shake": record(2)}
    shared = [("show", {"shake": record(3), "b": record(4), "Aa": record(5)}),
              ("studio", {"b": record(6), "a": dict(record(7), camera="studioCam", source="studioCam")})]

    def folder(self, name):
        return os.path.join(self.directory, name)

    def test_user_presets_come_first_and_win_shared_ones_show_their_folder(self):
        self.assertEqual(self.listed(), ["mine", "shake", "Aa  (shared)", "a  (shared)", "b  (shared)"])
        self.assertEqual(standin.warnings, [])

    def test_a_shared_preset_loads_and_the_user_one_of_its_name_wins(self):
        for row, amount in [(0, 1), (1, 2), (3, 7), (4, 4)]:
            self.window.preset_list.setCurrentRow(row)
            self.window._load_selected_preset()
            self.assertEqual(self.window.amount_slider.value(), amount, row)

    def test_a_shared_preset_never_sets_camera_or_source(self):
        cmds.createNode("transform", name="studioCam")
        self.window.preset_list.setCurrentRow(3)
        self.window._load_selected_preset()
        self.assertEqual((self.window.amount_slider.value(), self.window.camera_field.text(),
                          self.window.source_field.text()), (7, "", ""))

    def test_shared_files_are_never_deleted_from_or_written(self):
        before = self.shared_bytes()
        self.window.preset_list.setCurrentRow(2)
        self.assertFalse(self.window.delete_btn.isEnabled())  # the button cannot; a script is told why
        self.window._delete_selected_preset()
        self.assertEqual(standin.warnings, ["Preset 'Aa' is shared from %s and cannot be deleted here."
                                            % self.folder("show")])
        self.assertEqual(self.asked, [])
        self.window.preset_name_field.setText("Aa")
        self.window.amount_slider.setValue(90)
        self.window.save_btn.click()  # a new name of the user's: nothing to ask
        self.assertEqual(self.asked, [])
        self.assertEqual(self.presets_in()["Aa"]["settings"]["amount"], 90)
        self.assertEqual(self.listed()[:3], ["Aa", "mine", "shake"])
        self.assertEqual(self.shared_bytes(), before)

    def test_the_separator_is_os_pathsep_and_missing_folders_are_silent(self):
        os.environ["TREMBLA_PRESET_PATH"] = os.pathsep.join(
            ["", self.folder("nowhere"), self.folder("studio"), self.folder("studio")])
        self.window._refresh_preset_list()
        self.assertEqual(self.listed(), ["mine", "shake", "a  (shared)", "b  (shared)"])
        self.assertEqual(standin.warnings, [])


class ImportTest(StudioCase):
    user_presets = {"keep": record(1), "same": record(2)}

    def incoming(self):
        path = os.path.join(self.directory, "incoming.json")
        self.write_presets({"keep": record(9), "same": record(2), "new": record(3)}, path)
        return path

    def test_import_merges_and_asks_before_replacing_only_from_the_button(self):
        cases = [  # (from the button, answer, asked, amount of "keep" after)
            (True, "yes", ["open", "question"], 9),
            (True, "no", ["open", "question"], 1),
            (True, "cancel", ["open", "question"], 1),
            (False, None, [], 9),
        ]
        for by_button, answer, asked, keep in cases:
            self.write_presets(self.user_presets)
            del self.asked[:]
            self.answers = {"open": self.incoming(), "question": answer}
            if by_button:
                self.window.import_btn.click()
            else:
                self.window._import_presets(self.incoming())
            presets = self.presets_in()
            self.assertEqual(self.asked, asked, answer)
            self.assertEqual(presets["keep"]["settings"]["amount"], keep, answer)
            self.assertEqual(sorted(presets), ["keep", "same"] if answer == "cancel" else ["keep", "new", "same"])
        self.assertEqual(self.listed(), ["keep", "new", "same"])

    def test_no_file_chosen_or_an_unusable_one_imports_nothing(self):
        before = self.read_bytes()
        self.window.import_btn.click()  # the hook answers no file
        bad = os.path.join(self.directory, "bad.json")
        self.write_file("[1]", bad)
        self.window._import_presets(bad)
        self.assertEqual(standin.warnings, ["Trembla: Preset file has invalid structure.", "Failed to import presets."])
        self.assertEqual(self.read_bytes(), before)


class ExportTest(StudioCase):
    user_presets = {"a": record(1), "b": record(2), "c": record(3)}
    shared = [("studio", {"s": record(4)})]

    def test_the_selected_presets_round_trip_through_an_exported_file(self):
        target = os.path.join(self.directory, "out.json")
        self.select("a", "c", "s  (shared)")
        self.answers = {"save": target}
        self.window.export_btn.click()
        self.assertEqual(self.presets_in(target), {"a": record(1), "c": record(3), "s": record(4)})
        os.remove(self.path)
        self.window._import_presets(target)
        self.assertEqual(self.presets_in(), self.presets_in(target))

    def test_export_refuses_nothing_selected_and_the_files_the_tool_reads(self):
        self.window._export_presets(os.path.join(self.directory, "out.json"))
        self.select("a")
        before = self.read_bytes(), self.shared_bytes()
        for target in (self.path, os.path.join(self.directory, "studio", FILE_NAME)):
            self.window._export_presets(target)
        self.assertEqual(standin.warnings[0], "Please select presets to export.")
        self.assertEqual([w.split(":")[0] for w in standin.warnings[1:]],
                         ["Cannot export into " + self.path, "Cannot export into " +
                          os.path.join(self.directory, "studio", FILE_NAME)])
        self.assertEqual((self.read_bytes(), self.shared_bytes()), before)
        self.assertFalse(os.path.exists(os.path.join(self.directory, "out.json")))

    def test_export_refuses_every_alias_of_the_files_the_tool_reads_and_import_through_one_changes_nothing(self):
        d, shared = self.directory, os.path.join(self.directory, "studio", FILE_NAME)
        os.symlink(self.path, os.path.join(d, "link.json"))
        os.symlink(d, os.path.join(d, "linked"))
        os.link(self.path, os.path.join(d, "hard.json"))
        aliases = [  # (alias, the user's own file)
            (os.path.join(d, "link.json"), True),
            (os.path.join(d, "studio", "..", FILE_NAME), True),
            (d + "//.//" + FILE_NAME, True),
            (os.path.join(d, "linked", FILE_NAME), True),
            (os.path.join(d, "hard.json"), True),
            (os.path.join(d, "linked", "studio", ".", FILE_NAME), False),
            (os.path.join(d, "studio", "..", "linked", "studio", FILE_NAME), False),
        ]
        before = self.read_bytes(), self.shared_bytes()
        for alias, own in aliases:
            del standin.warnings[:], standin.in_view_messages[:]
            self.select("a")  # an import fills the list afresh
            self.window._export_presets(alias)
            if own:
                self.window._import_presets(alias)
            self.assertEqual(standin.warnings, ["Cannot export into " + alias + ": the tool reads its presets from there."])
            self.assertEqual(standin.in_view_messages, ["Imported 0 presets."] if own else [], alias)
            self.assertEqual((self.read_bytes(), self.shared_bytes()), before, alias)
        os.remove(self.path)  # a file not made yet is known by its folder and its name
        self.select("a")
        self.window._export_presets(os.path.join(d, "linked", FILE_NAME))
        self.assertTrue(standin.warnings[-1].startswith("Cannot export into "))
        self.assertFalse(os.path.exists(self.path))


class AskingTest(StudioCase):
    user_presets = {"a": record(1)}

    def test_only_the_buttons_ask_before_saving_over_a_name_or_deleting(self):
        cases = [  # (from the button, answer, asked, "a" left with amount)
            (True, "no", 1, 1),
            (True, "yes", 1, 50),
            (False, None, 0, 50),
        ]
        for by_button, answer, asked, amount in cases:
            self.write_presets(self.user_presets)
            del self.asked[:]
            self.answers = {"question": answer}
            self.window.amount_slider.setValue(50)
            self.window.preset_name_field.setText("a")
            self.window.save_btn.click() if by_button else self.window._save_preset()
            self.assertEqual((len(self.asked), self.presets_in()["a"]["settings"]["amount"]), (asked, amount))
            self.window._refresh_preset_list()
            self.window.preset_list.setCurrentRow(0)
            self.window.delete_btn.click() if by_button else self.window._delete_selected_preset()
            self.assertEqual(len(self.asked), 2 * asked)
            self.assertEqual("a" in self.presets_in(), answer == "no")

    @unittest.skipUnless(HAS_BINDING, "needs the Qt binding to answer the modal box")
    def test_without_a_hook_the_user_answers_a_message_box_on_the_window(self):
        tt._dialog_hook = None
        seen = []
        widgets = qt_widgets()

        def answer_no():
            # Through Qt's own entry points: PySide may hand out a stale wrapper for a box made
            # at the address of an object it wrapped before.
            box = widgets.activeModalWidget()
            if not box:  # not up yet: look again
                tt.QtCore.QTimer.singleShot(20, answer_no)
                return
            seen.append(box)
            widgets.done(box, 0x10000)  # QMessageBox::No, as its No button ends the box
        tt.QtCore.QTimer.singleShot(0, answer_no)
        self.window.preset_list.setCurrentRow(0)
        self.window.delete_btn.click()
        self.assertEqual(len(seen), 1)
        self.assertIn("a", self.presets_in())


class ReleaseCopyTest(StudioCase):
    """A package of two releases: this build's folder without presets, an older one with some."""

    def setUp(self):
        StudioCase.setUp(self)
        package = os.path.join(self.directory, "trembla_tool")
        self.own = os.path.join(package, "linux-maya2024-py310")
        older = os.path.join(package, "linux-maya2023-py39")
        for folder in (self.own, older):
            os.makedirs(folder)
        self.write_presets({"old": record(8)}, os.path.join(older, FILE_NAME))
        tt.__file__ = os.path.join(self.own, "trembla_tool.so")
        self.path = os.path.join(self.own, FILE_NAME)

    def test_the_copy_is_offered_once_whatever_the_answer(self):
        for answer, presets in [("yes", {"old": record(8)}), ("no", {})]:
            if os.path.exists(self.path):
                os.remove(self.path)
            del self.asked[:]
            self.answers = {"question": answer}
            window = self.open_window()
            self.assertEqual(self.asked, [])  # not before the page is opened
            for _ in range(2):
                window._switch_tab(3)
                window._switch_tab(0)
            self.assertEqual(window.preset_list.count(), len(presets))
            self.open_window()._switch_tab(3)
            self.assertEqual(self.asked, ["question"], answer)
            self.assertEqual(self.presets_in(), presets)


if __name__ == "__main__":
    unittest.main()
