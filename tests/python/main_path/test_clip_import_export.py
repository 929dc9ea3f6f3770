"""Clip files imported and exported by script, as preset files are: a round trip keeps every clip bit
for bit, a file the tool reads its clips from is never exported onto however it is spelled, and a
hostile file is one line of warning with nothing lost."""
import json
import os

from main_path.test_shake_clips import ClipCase

import maya.standin as standin  # noqa: E402

import trembla_tool as tt  # noqa: E402


class ClipImportExportTest(ClipCase):
    def setUp(self):
        ClipCase.setUp(self)
        self.folder = os.path.dirname(tt.get_clip_file_path())

    def text_of(self, path):
        with open(path, "rb") as f:
            return f.read()

    def new_warnings(self, run):
        before = len(standin.warnings)
        result = run()
        return result, standin.warnings[before:]

    def test_an_export_imported_again_gives_every_clip_back_bit_for_bit(self):
        self.saved_clip()
        out = os.path.join(self.folder, "out", "exported.json")
        os.makedirs(os.path.dirname(out))
        # (names, the clips the file holds): every saved clip by default; a built-in profile when named.
        profile = tt.list_clips()[-1]["name"]
        for names, held in ((None, ["take 1"]), (["take 1", profile], ["take 1", profile])):
            self.assertTrue(tt.export_clips(out, names), names)
            with open(out) as f:
                exported = json.load(f)
            self.assertEqual(sorted(exported), sorted(held), names)
            self.assertEqual(exported["take 1"], self.clips()["take 1"], names)
        os.remove(tt.get_clip_file_path())
        self.assertTrue(tt.import_clips(out))
        self.assertEqual(standin.in_view_messages[-1], "Imported 2 clips.")
        self.assertEqual(self.clips(), exported)
        listed = dict((c["name"], c["file"]) for c in tt.list_clips())
        self.assertEqual((listed["take 1"], listed[profile]), (tt.get_clip_file_path(),) * 2)

    def test_an_export_onto_a_file_the_clips_are_read_from_is_refused_however_it_is_spelled(self):
        self.saved_clip()
        shared = os.path.join(self.folder, "studio")
        os.makedirs(shared)
        with open(os.path.join(shared, "trembla_clips.json"), "w") as f:
            json.dump({}, f)
        os.environ["TREMBLA_PRESET_PATH"] = shared
        self.addCleanup(os.environ.pop, "TREMBLA_PRESET_PATH", None)
        own = tt.get_clip_file_path()
        os.symlink(own, os.path.join(self.folder, "link.json"))
        os.link(own, os.path.join(self.folder, "hard.json"))
        os.symlink(shared, os.path.join(self.folder, "studio link"))
        for alias in (os.path.join(self.folder, "link.json"), os.path.join(self.folder, "hard.json"),
                      os.path.join(shared, "..", "trembla_clips.json"),
                      os.path.join(self.folder, "studio link", "trembla_clips.json")):
            files = [self.text_of(own), self.text_of(os.path.join(shared, "trembla_clips.json"))]
            ok, warned = self.new_warnings(lambda: tt.export_clips(alias, ["take 1"]))
            self.assertEqual((ok, warned), (False, ["Cannot export into %s: the tool reads its clips from there."
                                                    % alias]), alias)
            self.assertEqual([self.text_of(own), self.text_of(os.path.join(shared, "trembla_clips.json"))], files)

    def test_a_hostile_file_imports_nothing_in_one_line_and_an_export_over_it_keeps_it(self):
        self.saved_clip()
        own = self.text_of(tt.get_clip_file_path())
        good = self.clips()["take 1"]
        short = dict(good, channels=dict(good["channels"], rotateZ=good["channels"]["rotateZ"][:-1]))
        hostile = os.path.join(self.folder, "hostile.json")
        # (file content, what the first warning says)
        for content, says in (("{not json", "Failed to parse clips file"),
                              (json.dumps({"a": short}), "Clip file has invalid structure"),
                              (json.dumps([1, 2]), "Clip file has invalid structure"),
                              (None, "No clip file at")):
            if os.path.exists(hostile):
                os.remove(hostile)
            if content is not None:
                with open(hostile, "w") as f:
                    f.write(content)
            ok, warned = self.new_warnings(lambda: tt.import_clips(hostile))
            self.assertFalse(ok, content)
            self.assertIn(says, warned[0], content)
            self.assertEqual(warned[1:], ["Failed to import clips."], content)
            self.assertTrue(all("\n" not in line for line in warned), warned)
            self.assertEqual(self.text_of(tt.get_clip_file_path()), own, content)
            if content is None:
                continue
            self.assertTrue(tt.export_clips(hostile, ["take 1"]), content)
            backups = [n for n in os.listdir(self.folder) if n.startswith("hostile.json.") and n.endswith(".bak")]
            self.assertEqual([self.text_of(os.path.join(self.folder, n)).decode() for n in backups], [content])
            os.remove(os.path.join(self.folder, backups[0]))

    def test_export_of_unknown_names_or_of_no_clips_writes_nothing_and_says_so(self):
        out = os.path.join(self.folder, "exported.json")
        for names, said in ((None, ["No clips to export."]),
                            (["nope"], ["Clip nope not found in the clip files.", "No clips to export."])):
            ok, warned = self.new_warnings(lambda: tt.export_clips(out, names))
            self.assertEqual((ok, warned, os.path.exists(out)), (False, said, False), names)
