"""Picking the camera and the source from the scene selection through the window."""
import unittest

from support.main_path import CAMERA, SOURCE, MainPathCase

import maya.standin as standin  # noqa: E402  (after the common module set up sys.path)
from maya import cmds  # noqa: E402


class SelectionTest(MainPathCase):
    def test_selected_camera_and_source_fill_their_fields(self):
        cmds.select(CAMERA)
        self.window._set_camera()
        cmds.select(SOURCE)
        self.window._set_source()
        self.assertEqual(self.window.camera_field.text(), CAMERA)
        self.assertEqual(self.window.source_field.text(), SOURCE)
        self.assertEqual(list(standin.warnings), [])

    def test_source_accepts_any_transform_even_a_camera(self):
        cmds.select(CAMERA)
        self.window._set_source()
        self.assertEqual(self.window.source_field.text(), CAMERA)

    def test_empty_selection_warns_and_keeps_both_fields(self):
        self.name_camera_and_source("keptCam", "keptSource")
        self.window._set_camera()
        self.window._set_source()
        self.assertEqual(list(standin.warnings), ["Nothing selected.", "Nothing selected."])
        self.assertEqual(self.window.camera_field.text(), "keptCam")
        self.assertEqual(self.window.source_field.text(), "keptSource")

    def test_a_transform_without_camera_shape_is_refused_as_camera(self):
        self.window.camera_field.setText("keptCam")
        cmds.select(SOURCE, CAMERA)  # only the first selected counts
        self.window._set_camera()
        self.assertEqual(list(standin.warnings), ["Selected object is not a camera."])
        self.assertEqual(self.window.camera_field.text(), "keptCam")

    def test_a_selected_camera_shape_counts_as_nothing_selected(self):
        cmds.select(CAMERA + "Shape")
        self.window._set_camera()
        self.assertEqual(list(standin.warnings), ["Nothing selected."])
        self.assertEqual(self.window.camera_field.text(), "")

    def test_picking_leaves_the_preparation_alone(self):
        self.prepare("static")
        before = self.record()
        cmds.select(SOURCE)
        self.window._set_source()
        self.window._set_camera()
        self.assertEqual(self.record(), before)
        self.assert_button("Re-Prepare", "preparedBtn")


if __name__ == "__main__":
    unittest.main()
