# -*- coding: utf-8 -*-
"""The preset file functions for scripts: where the file lies, what a valid one is, every load
outcome with its warning, saving (layout, failures, the backup of an unusable file) and the
Python <-> JSON conversion behind them. Each test works in its own temporary module directory."""
from __future__ import unicode_literals

import copy
import gc
import json
import os
import sys
import unittest
from collections import OrderedDict

from support.presets import FILE_NAME, LOCK_FILE_ROOM, PY2, ModuleDirectoryCase, Output, file_writes_fail_beyond

import maya.standin as standin

import trembla_tool as tt

LOAD_FAILED = "Trembla: Failed to load presets: "
PARSE_FAILED = "Trembla: Failed to parse presets file: "
INVALID = "Trembla: Preset file has invalid structure."
SAVE_FAILED = "Trembla: Failed to save presets: "


def python_layout(value):
    """What Python's json.dump(value, f, indent=2) writes on Python 3 (the same on 2 with these
    separators)."""
    return json.dumps(value, indent=2, separators=(",", ": "))


class LocationTest(ModuleDirectoryCase):
    def test_file_lies_beside_the_module_file(self):
        self.assertEqual(tt.get_script_directory(), self.directory)
        self.assertEqual(tt.get_preset_file_path(), self.path)

    def test_relative_module_path_is_made_absolute(self):
        cwd = os.getcwd()
        os.chdir(self.directory)
        os.mkdir("sub")
        try:
            tt.__file__ = os.path.join("sub", "trembla_tool.so")
            self.assertEqual(tt.get_script_directory(), os.path.join(self.directory, "sub"))
        finally:
            os.chdir(cwd)

    def test_without_a_module_path_the_user_script_directory_is_used_without_trailing_slashes(self):
        standin.set_user_script_dir(self.directory + "///")
        for no_path in ("", None):
            tt.__file__ = no_path
            self.assertEqual(tt.get_script_directory(), self.directory)
            self.assertEqual(tt.get_preset_file_path(), self.path)
        del tt.__file__
        self.assertEqual(tt.get_script_directory(), self.directory)
        self.assertEqual([call.kwargs for call in standin.calls_of("internalVar")], [{"userScriptDir": True}] * 5)

        self.assertTrue(tt.save_presets({"a": {}}))
        self.assertEqual(json.loads(self.read_file()), {"a": {}})

    def test_a_module_folder_that_cannot_be_written_sends_presets_to_the_user_script_directory(self):
        user_dir = os.path.join(self.directory, "user")
        os.mkdir(user_dir)
        standin.set_user_script_dir(user_dir + "/")
        module_dir = self.directory
        real_access = os.access
        # Tests run as root, for whom every folder is writable: the read-only install is the answer
        # of os.access, which is all the module asks.
        os.access = lambda path, mode: False if path == module_dir else real_access(path, mode)
        try:
            self.assertEqual(tt.get_script_directory(), user_dir)
            self.assertTrue(tt.save_presets({"a": {}}))
        finally:
            os.access = real_access
        self.assertTrue(os.path.exists(os.path.join(user_dir, FILE_NAME)))
        self.assertFalse(os.path.exists(self.path))

    def test_module_path_is_preferred_and_the_host_is_not_asked(self):
        tt.get_preset_file_path()
        self.assertEqual(standin.calls_of("internalVar"), [])

    def test_lookup_errors_reach_the_caller(self):
        del tt.__file__
        standin.fail("internalVar", always=True)
        for function in (tt.get_script_directory, tt.get_preset_file_path, tt.load_presets):
            self.assertRaises(RuntimeError, function)
        self.assertRaises(RuntimeError, tt.save_presets, {})
        self.assertEqual(standin.warnings, [])

        module = sys.modules.pop("trembla_tool")
        try:
            self.assertRaises(KeyError, tt.get_script_directory)
            self.assertRaises(KeyError, tt.load_presets)
        finally:
            sys.modules["trembla_tool"] = module


class ValidationTest(unittest.TestCase):
    def test_accepts_exactly_mappings_of_text_to_mappings_with_mapping_settings(self):
        good = [
            {},
            {"a": {}},
            {"a": {"settings": {}}, "b": {"camera": 5, "other": [1]}},
            {"a": {"settings": {"mode": object()}}},  # nothing inside settings is examined
            OrderedDict([("a", OrderedDict())]),
        ]
        bad = [
            [], "text", 3, None, [("a", {})],
            {"a": 1}, {"a": {}, "b": 2}, {"a": []}, {"a": None},
            {1: {}}, {None: {}}, {("a",): {}},
            {"a": {"settings": None}}, {"a": {"settings": 3}}, {"a": {"settings": []}}, {"a": {"settings": "x"}},
        ]
        if PY2:
            good.append({b"bytes-name": {}, "unicode-name": {}})
        for data in good:
            self.assertIs(tt.validate_preset_data(data), True, data)
        for data in bad:
            self.assertIs(tt.validate_preset_data(data), False, data)

    def test_takes_one_argument_by_position_or_name(self):
        self.assertIs(tt.validate_preset_data(data={}), True)
        self.assertRaises(TypeError, tt.validate_preset_data)
        self.assertRaises(TypeError, tt.validate_preset_data, {}, {})


class LoadTest(ModuleDirectoryCase):
    def load(self):
        del standin.warnings[:]
        return tt.load_presets()

    def test_missing_or_empty_object_file_yields_nothing_silently(self):
        self.assertEqual(self.load(), {})
        self.write_file("{}")
        self.assertEqual(self.load(), {})
        self.assertEqual(standin.warnings, [])

    def test_valid_file_is_returned_with_its_types(self):
        data = {"shot \u00e9": {"camera": "cam1", "settings": {"lag_trans": 3, "amount": 1.5, "translate_enabled": False,
                                                             "ranges": "", "extra": [None, {"k": "v"}]}},
                "bare": {}}
        self.write_file(json.dumps(data))
        loaded = self.load()
        self.assertEqual(loaded, data)
        self.assertEqual(standin.warnings, [])
        settings = loaded["shot \u00e9"]["settings"]
        self.assertIsInstance(settings["lag_trans"], int)
        self.assertIsInstance(settings["amount"], float)
        self.assertIs(settings["translate_enabled"], False)
        self.assertIsNone(settings["extra"][0])

    def test_every_kind_of_value_reads_as_pythons_json_reads_it(self):
        # The dicts are built straight from the parser: repeated names, escapes, integers beyond
        # 64 bits signed, and files with more presets than a small object's plain search.
        many = "{%s}" % ", ".join('"p%d": {"settings": {"amount": %d}}' % (i, i) for i in range(300))
        for content in ('{"a": {"x": 1}, "b": {}, "a": {"y": 2}}',
                        '{"\\u00e9\\ud83c\\udf0b \\"q\\"": {"camera": "caf\\u00e9\\n"}}',
                        '{"n": {"big": 18446744073709551615, "neg": -9223372036854775808, "f": 1e300, '
                        '"e": -0.0, "l": [[], {}, [1, [2, [3]]], true, false, null]}}',
                        many, many[:-1] + ', "p7": {"settings": {"amount": -1}}}'):
            self.write_file(content)
            self.assertEqual(self.load(), json.loads(content), content[:80])
            self.assertEqual(standin.warnings, [], content[:80])
        if not PY2:
            self.assertEqual(list(self.load())[:3], ["p0", "p1", "p2"])

    def test_member_order_of_the_file_is_kept(self):
        if PY2:
            self.skipTest("Python 2 dicts have no order")
        self.write_file('{"b": {}, "a": {}, "C": {}}')
        self.assertEqual(list(self.load()), ["b", "a", "C"])

    def test_wrong_structure_rejects_the_whole_file(self):
        for content in ("[]", '"text"', "3", "null", '{"good": {}, "bad": 3}', '{"a": {"settings": null}}',
                        '{"a": {"settings": 1}}', '{"a": {"settings": []}}'):
            self.write_file(content)
            self.assertEqual(self.load(), {}, content)
            self.assertEqual(standin.warnings, [INVALID], content)

    def test_text_that_is_not_json_gives_the_parse_warning(self):
        for content in (b"", b'{"a": {"settings": {', b"{oops}", b'{"caf\xff": {}}'):
            self.write_file(content)
            self.assertEqual(self.load(), {}, content)
            self.assertEqual(len(standin.warnings), 1, content)
            self.assertTrue(standin.warnings[0].startswith(PARSE_FAILED), standin.warnings[0])
            self.assertGreater(len(standin.warnings[0]), len(PARSE_FAILED))

    def test_path_that_cannot_be_read_gives_the_load_warning(self):
        os.mkdir(self.path)
        self.assertEqual(self.load(), {})
        self.assertEqual(len(standin.warnings), 1)
        self.assertTrue(standin.warnings[0].startswith(LOAD_FAILED), standin.warnings[0])

    def test_each_load_reads_the_file_anew_and_the_result_is_the_callers(self):
        self.write_file('{"a": {}}')
        first = self.load()
        first["b"] = {}
        self.assertEqual(self.load(), {"a": {}})
        self.write_file('{"c": {}}')
        self.assertEqual(self.load(), {"c": {}})


class SaveTest(ModuleDirectoryCase):
    def save(self, presets):
        del standin.warnings[:]
        return tt.save_presets(presets)

    def test_round_trip_in_pythons_layout_with_u_escapes(self):
        presets = OrderedDict([
            ("caf\u00e9 \U0001f3a5", OrderedDict([("camera", "cam\u00e9"), ("source", ""),
                                                  ("settings", OrderedDict([("lag_trans", 2), ("amount", 0.1),
                                                                            ("mode", "relax"),
                                                                            ("translate_enabled", True),
                                                                            ("empty", OrderedDict()),
                                                                            ("list", [])]))])),
            ("B", OrderedDict()),
        ])
        self.assertIs(self.save(presets), True)
        self.assertEqual(standin.warnings, [])
        text = self.read_file()
        self.assertEqual(text, python_layout(presets))
        self.assertIn('"caf\\u00e9 \\ud83c\\udfa5": {', text)
        self.assertIn('"amount": 0.1,', text)
        self.assertIn('"empty": {},', text)
        self.assertEqual(tt.load_presets(), presets)

    def test_tuples_save_as_lists_and_python2_byte_strings_as_utf8(self):
        presets = {"a": {"settings": {"pair": (1, 2)}}}
        if PY2:
            presets[b"caf\xc3\xa9"] = {}
        self.assertIs(self.save(presets), True)
        loaded = tt.load_presets()
        self.assertEqual(loaded["a"]["settings"]["pair"], [1, 2])
        if PY2:
            self.assertIn("caf\u00e9", loaded)

    def test_saving_replaces_the_whole_file_and_leaves_the_callers_dict_alone(self):
        self.write_file('{"old": {}}')
        presets = {"new": {"settings": {"x": [1, {"y": 2}]}}}
        before = copy.deepcopy(presets)
        self.assertIs(self.save(presets), True)
        self.assertEqual(presets, before)
        self.assertEqual(tt.load_presets(), before)
        self.assertFalse(os.path.exists(self.path + ".bak"))

    def test_values_json_cannot_hold_fail_with_a_warning_and_keep_the_old_file(self):
        self.write_file('{"old": {}}')
        cyclic = {}
        cyclic["self"] = cyclic
        cases = [
            ({"a": {"x": set([1])}}, "presets[%r][%r]: a value of type 'set'" % ("a", "x")),
            ({"a": {"x": object()}}, "presets[%r][%r]: a value of type 'object'" % ("a", "x")),
            ({"a": {"x": 2 ** 63}}, "outside the 64-bit integer range"),
            ({"a": {"x": -2 ** 63 - 1}}, "outside the 64-bit integer range"),
            ({"a": {1: 2}}, "keys must be text"),
            ({"a": {"x": float("nan")}}, ""),
            ({"a": {"x": float("inf")}}, ""),
            ({"a": cyclic}, "deeper than 512"),
            ([{"a": {}}], ""),
            ({"a": 3}, ""),
        ]
        if PY2:
            cases.append(({"a": {"x": b"\xff"}}, "not valid Unicode"))
        else:
            cases.append(({"a": {"x": b"bytes"}}, "'bytes'"))
            cases.append(({"a": {"x": "\ud800"}}, "not valid Unicode"))
        for presets, detail in cases:
            self.assertIs(self.save(presets), False, presets)
            self.assertEqual(len(standin.warnings), 1, standin.warnings)
            self.assertTrue(standin.warnings[0].startswith(SAVE_FAILED), standin.warnings[0])
            self.assertIn(detail, standin.warnings[0])
            self.assertEqual(self.read_file(), '{"old": {}}')
        self.assertEqual(sorted(os.listdir(self.directory)), [FILE_NAME])

    def test_largest_64_bit_integers_are_kept_exactly(self):
        presets = {"a": {"settings": {"hi": 2 ** 63 - 1, "lo": -2 ** 63}}}
        self.assertIs(self.save(presets), True)
        self.assertEqual(tt.load_presets(), presets)

    def test_a_path_that_cannot_be_written_fails_with_a_warning(self):
        os.mkdir(self.path)
        self.assertIs(self.save({"a": {}}), False)
        self.assertEqual(len(standin.warnings), 1)
        self.assertTrue(standin.warnings[0].startswith(SAVE_FAILED), standin.warnings[0])
        self.assertTrue(os.path.isdir(self.path))
        self.assertEqual(os.listdir(self.path), [])

    def test_a_write_that_fails_part_way_keeps_the_old_file_whole(self):
        old = b'{\n  "old": {}\n}'
        self.write_file(old)
        with file_writes_fail_beyond(LOCK_FILE_ROOM):
            saved = self.save({"new": {"settings": {"ranges": "1-10, " * LOCK_FILE_ROOM}}})
        self.assertIs(saved, False)
        self.assertEqual(len(standin.warnings), 1)
        self.assertTrue(standin.warnings[0].startswith(SAVE_FAILED + "cannot write"), standin.warnings[0])
        self.assertEqual(self.read_bytes(), old)
        self.assertEqual(sorted(os.listdir(self.directory)), [FILE_NAME])

    def test_the_directory_is_never_created(self):
        tt.__file__ = os.path.join(self.directory, "missing", "trembla_tool.so")
        self.assertIs(self.save({"a": {}}), False)
        self.assertTrue(standin.warnings[0].startswith(SAVE_FAILED))
        self.assertFalse(os.path.exists(os.path.join(self.directory, "missing")))

    def test_each_unusable_file_is_kept_under_the_next_number_before_it_is_replaced(self):
        unusable_files = (b"{oops", b"[1, 2]", b"\xff\xfe")
        for number, unusable in enumerate(unusable_files, 1):
            standin.reset()
            self.write_file(unusable)
            self.assertIs(self.save({"a": {}}), True)
            backup = "%s.%d.bak" % (self.path, number)
            self.assertEqual(standin.warnings, ["Trembla: Kept a copy of the unusable preset file as %s" % backup])
            self.assertEqual(tt.load_presets(), {"a": {}})
        for number, unusable in enumerate(unusable_files, 1):
            self.assertEqual(self.read_bytes("%s.%d.bak" % (self.path, number)), unusable)

    def test_a_usable_or_missing_file_is_replaced_without_a_copy(self):
        self.assertIs(self.save({"a": {}}), True)
        self.assertIs(self.save({"b": {}}), True)
        self.assertEqual(standin.warnings, [])
        self.assertEqual(sorted(os.listdir(self.directory)), [FILE_NAME])

    def test_takes_one_argument_by_position_or_name(self):
        self.assertIs(tt.save_presets(presets={"a": {}}), True)
        self.assertRaises(TypeError, tt.save_presets)
        self.assertRaises(TypeError, tt.save_presets, {}, {})


class ReferenceTest(ModuleDirectoryCase):
    def test_repeated_calls_keep_the_reference_counts_of_their_arguments(self):
        name, text, big, values = "shot", "cam", 2 ** 70, set([1])
        good = {name: {"camera": text, "settings": {"amount": 3, "x": [1.5, None, True]}}}
        bad = {name: {"settings": {"x": values, "y": big}}}
        standin.set_logging(False)

        def calls():
            tt.save_presets(good)
            tt.save_presets(bad)
            tt.load_presets()
            tt.validate_preset_data(good)
            del standin.warnings[:]

        objects = (good, bad, name, text, big, values)
        self.addCleanup(setattr, sys, "stderr", sys.stderr)
        sys.stderr = Output()  # the host echoes every warning there
        for _ in range(10):
            calls()
        gc.collect()
        gc.disable()
        try:
            before = [sys.getrefcount(o) for o in objects]
            for _ in range(200):
                calls()
            after = [sys.getrefcount(o) for o in objects]
        finally:
            gc.enable()
        self.assertEqual(after, before)


if __name__ == "__main__":
    unittest.main()
