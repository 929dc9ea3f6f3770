"""Bad input to the module functions: every function rejects a wrong argument before it asks the
host anything, with a TypeError or ValueError naming the argument; hostile objects cannot crash
the interpreter; and no call, good or bad, leaks references."""
import gc
import sys
import unittest

import support  # noqa: F401  (sys.path)

import maya.standin as standin
from maya import cmds

import trembla_tool as tt

SIX = (1.0, 2.0, 3.0, 4.0, 5.0, 6.0)
ANIM = {"translateX": [1.0, 2.0], "rotateX": [170.0, -170.0]}
PY3 = sys.version_info[0] >= 3
NAN = float("nan")
INF = float("inf")

APPLY_ARGS = (
    ("camera", "cam1"), ("shake_data", {1: SIX, 2: SIX}), ("frames", [1, 2]), ("smoothing", 10),
    ("amplitude", 100), ("translate_amp", 100), ("rotate_amp", 100),
    ("trans_axis_mult", (100, 100, 100)), ("rot_axis_mult", [100, 50, 0]),
    ("use_translate", True), ("use_rotate", 1), ("ranges", [(1, 2)]), ("fade_in", 3),
    ("fade_out", 3), ("camera_base", SIX), ("camera_mode", "animated"),
    ("camera_original_anim", ANIM),
)


def apply_with(**changes):
    values = [changes.get(name, value) for name, value in APPLY_ARGS]
    return lambda: tt.apply_shake_to_camera(*values)


class Explosive(Exception):
    pass


class BadFloat(object):
    def __float__(self):
        raise Explosive("no float here")


class BadTruth(object):
    def __bool__(self):
        raise Explosive("no truth here")
    __nonzero__ = __bool__


class BadSequence(object):
    def __len__(self):
        return 6

    def __getitem__(self, index):
        raise Explosive("no items here")


# (call, accepted exception types, text the message must contain)
T, V, VO = (TypeError,), (ValueError,), (ValueError, OverflowError)
BAD_CALLS = [
    (lambda: tt.get_world_transform(5, 1), T, "obj"),
    (lambda: tt.get_world_transform("src", "1"), T, "frame"),
    (lambda: tt.get_world_transform("src", None), T, "frame"),
    (lambda: tt.get_world_transform("src", 1 + 2j), T, "frame"),
    (lambda: tt.get_world_transform("src", 10 ** 400), VO, "frame"),
    (lambda: tt.collect_source_motion("src", "1", 5), T, "start_frame"),
    (lambda: tt.collect_source_motion("src", 1, NAN), V, "end_frame"),
    (lambda: tt.collect_source_motion("src", -INF, 3), V, "start_frame"),
    (lambda: tt.collect_source_motion("src", 1, 2 ** 64), V, "end_frame"),
    (lambda: tt.collect_source_motion("src", -2 ** 63, 3), V, "start_frame"),  # the lowest frame: a span too long
    (lambda: tt.collect_source_motion(None, 1, 2), T, "source_obj"),
    (lambda: tt.calculate_deltas([SIX], 1), T, "source_data"),
    (lambda: tt.calculate_deltas({1.5: SIX}, 1), T, "source_data"),
    (lambda: tt.calculate_deltas({"1": SIX}, 1), T, "source_data"),
    (lambda: tt.calculate_deltas({1: SIX[:5]}, 1), V, "source_data[1]"),
    (lambda: tt.calculate_deltas({1: SIX + (7,)}, 1), V, "source_data[1]"),
    (lambda: tt.calculate_deltas({1: (1, 2, 3, 4, 5, "6")}, 1), T, "source_data[1][5]"),
    (lambda: tt.calculate_deltas({1: None}, 1), T, "source_data[1]"),
    (lambda: tt.calculate_deltas({1: "abcdef"}, 1), T, "source_data[1]"),
    (lambda: tt.calculate_deltas({2 ** 70: SIX}, 1), VO, "source_data"),
    (lambda: tt.calculate_deltas({1: SIX}, "1"), T, "start_frame"),
    (lambda: tt.unwrap_angles("abc"), T, "values"),
    (lambda: tt.unwrap_angles([1, "2"]), T, "values[1]"),
    (lambda: tt.unwrap_angles({1: 2}), T, "values"),
    (lambda: tt.unwrap_angles([1, None]), T, "values[1]"),
    (lambda: tt.smooth_camera_anim([1.0], [1], 10), T, "camera_original_anim"),
    (lambda: tt.smooth_camera_anim({1: [1.0]}, [1], 10), T, "camera_original_anim"),
    (lambda: tt.smooth_camera_anim({"translateX": 5}, [1], 10), T, "camera_original_anim['translateX']"),
    (lambda: tt.smooth_camera_anim({"x": "abc"}, [1], 0), T, "camera_original_anim['x']"),
    (lambda: tt.smooth_camera_anim(ANIM, [1.5, 2], 10), T, "frames[0]"),
    (lambda: tt.smooth_camera_anim(ANIM, [1.0, 2.0], 10), T, "frames[0]"),
    (lambda: tt.smooth_camera_anim(ANIM, "12", 10), T, "frames"),
    (lambda: tt.smooth_camera_anim(ANIM, [1, 2], "10"), T, "smoothing"),
    (lambda: tt.smooth_camera_anim(ANIM, [1, 2], NAN), V, "smoothing"),
    (lambda: tt.smooth_camera_anim_per_axis(ANIM, ANIM, [1, 2], 10, (1, 2), (1, 2, 3)), V,
     "trans_axis_mult"),
    (lambda: tt.smooth_camera_anim_per_axis(ANIM, ANIM, [1, 2], 10, (1, 2, 3), None), T,
     "rot_axis_mult"),
    (lambda: tt.smooth_camera_anim_per_axis(ANIM, [1], [1, 2], 10, (1, 2, 3), (1, 2, 3)), T,
     "base_smoothed_anim"),
    (lambda: tt.smooth_camera_anim_per_axis({}, ANIM, [1, 2], 10, (1, 2, 3), (1, 2)), V,
     "rot_axis_mult"),
    (lambda: tt.extract_source_shake({1: SIX}, [1], "1", 0), T, "lag_translate"),
    (lambda: tt.extract_source_shake({1: SIX}, [1], 0, INF), V, "lag_rotate"),
    (lambda: tt.extract_source_shake({1: SIX}, None, 0, 0), T, "frames"),
    (lambda: tt.extract_source_shake({1: SIX}, [2 ** 64], 0, 0), VO, "frames[0]"),
    (lambda: tt.extract_source_shake(None, [1], 0, 0), T, "delta_data"),
    (lambda: tt.parse_ranges(None), T, "range_str"),
    (lambda: tt.parse_ranges(10), T, "range_str"),
    (lambda: tt.calculate_fade_multiplier(10.5, [], 3, 3), V, "frame"),
    (lambda: tt.calculate_fade_multiplier("10", [], 3, 3), T, "frame"),
    (lambda: tt.calculate_fade_multiplier(10, [(1,)], 3, 3), V, "ranges[0]"),
    (lambda: tt.calculate_fade_multiplier(10, [(1, 2.5)], 3, 3), T, "ranges[0][1]"),
    (lambda: tt.calculate_fade_multiplier(10, [5], 3, 3), T, "ranges[0]"),
    (lambda: tt.calculate_fade_multiplier(10, "1-5", 3, 3), T, "ranges"),
    (lambda: tt.calculate_fade_multiplier(10, [], None, 3), T, "fade_in"),
    (lambda: tt.calculate_fade_multiplier(10, [(2 ** 63, 1)], 0, 0), VO, "ranges[0][0]"),
    (apply_with(camera=None), T, "camera"),
    (apply_with(shake_data=[]), T, "shake_data"),
    (apply_with(shake_data={1: SIX[:2]}), V, "shake_data[1]"),
    (apply_with(frames=[1.0]), T, "frames[0]"),
    (apply_with(smoothing="0"), T, "smoothing"),
    (apply_with(amplitude=None), T, "amplitude"),
    (apply_with(translate_amp="x"), T, "translate_amp"),
    (apply_with(rotate_amp=[]), T, "rotate_amp"),
    (apply_with(trans_axis_mult=(100, 100)), V, "trans_axis_mult"),
    (apply_with(rot_axis_mult=100), T, "rot_axis_mult"),
    (apply_with(ranges=[(1, 2, 3)]), V, "ranges[0]"),
    (apply_with(fade_in="3"), T, "fade_in"),
    (apply_with(fade_out=None), T, "fade_out"),
    (apply_with(camera_base=SIX[:5]), V, "camera_base"),
    (apply_with(camera_base=None), T, "camera_base"),
    (apply_with(camera_mode=None), T, "camera_mode"),
    (apply_with(camera_original_anim=[]), T, "camera_original_anim"),
    (apply_with(camera_original_anim={"translateX": [1.0]}), V, "camera_original_anim"),
    (lambda: tt.apply_shake_to_camera(*[value for _, value in APPLY_ARGS[:16]]), T,
     "camera_original_anim"),
    (lambda: tt.apply_shake_to_camera(*([value for _, value in APPLY_ARGS] + [100, 1])), T, "from 17 to 18"),
    (lambda: tt.apply_shake_to_camera(*[value for _, value in APPLY_ARGS], speed="2"), T, "speed"),
    (lambda: tt.apply_shake_to_camera(*[value for _, value in APPLY_ARGS], speed=NAN), V, "speed"),
    (lambda: tt.get_world_transform("src", 1, frame=2), T, "frame"),
    (lambda: tt.get_world_transform("src", fram=2), T, "fram"),
    (lambda: tt.parse_ranges(), T, "range_str"),
]
if PY3:
    BAD_CALLS += [
        (lambda: tt.collect_source_motion(b"src", 1, 2), T, "source_obj"),
        (lambda: tt.parse_ranges(b"1-2"), T, "range_str"),
        (lambda: tt.get_world_transform("bad\udcff", 1), V, "obj"),
    ]


class BadInputTest(unittest.TestCase):
    def setUp(self):
        standin.reset()
        cmds.createNode("transform", name="src")
        cmds.createNode("transform", name="cam1")
        standin.clear_calls()

    def test_bad_arguments_are_rejected_before_any_host_call(self):
        for index, (call, types, text) in enumerate(BAD_CALLS):
            try:
                call()
            except types as error:
                self.assertIn(text, str(error), "case %d: %r" % (index, error))
            except Exception as error:  # noqa: B902  (report which case raised what)
                self.fail("case %d (%s) raised %r" % (index, text, error))
            else:
                self.fail("case %d (%s) raised nothing" % (index, text))
            self.assertEqual(standin.calls, [], "case %d (%s) reached the host" % (index, text))

    def test_good_arguments_by_keyword(self):
        self.assertEqual(tt.get_world_transform(frame=1, obj="src"), (0.0,) * 6)
        tt.apply_shake_to_camera(**dict(APPLY_ARGS))
        self.assertEqual(len(standin.calls_of("connectAttr")), 6)

    def test_callers_own_exceptions_pass_through_unchanged(self):
        calls = [
            lambda: tt.get_world_transform("src", BadFloat()),
            lambda: tt.calculate_deltas({1: (0, 0, 0, 0, 0, BadFloat())}, 1),
            lambda: tt.calculate_deltas({1: BadSequence()}, 1),
            lambda: tt.unwrap_angles(BadTruth()),
            apply_with(use_rotate=BadTruth()),
            apply_with(camera_base=BadSequence()),
        ]
        for call in calls:
            with self.assertRaises(Explosive):
                call()
        self.assertEqual(standin.calls, [])

    def test_objects_that_mutate_the_input_while_it_is_read_cannot_crash(self):
        victim = [1.0, 2.0, 3.0]

        class Emptier(object):
            def __float__(self):
                del victim[:]
                return 0.5
        victim.insert(1, Emptier())
        self.assertEqual(tt.unwrap_angles(victim), [1.0, 0.5, 2.0, 3.0])

        record = {}

        class Clearer(object):
            def __float__(self):
                record.clear()
                return 0.0
        record[1] = (Clearer(), 0, 0, 0, 0, 0)
        record[2] = SIX
        self.assertEqual(sorted(tt.calculate_deltas(record, 1)), [1, 2])

    def test_mapping_like_objects_are_read_through_items(self):
        class Record(object):
            def items(self):
                return [(1, SIX), (2, SIX)]
        self.assertEqual(tt.calculate_deltas(Record(), 2), {1: (0.0,) * 6, 2: (0.0,) * 6})


class ReferenceLeakTest(unittest.TestCase):
    """Calls repeated with the collector off must leave every argument's count as it was."""

    def setUp(self):
        standin.reset()
        cmds.createNode("transform", name="src")
        cmds.createNode("transform", name="cam1")
        standin.set_logging(False)  # the log would keep the arguments alive
        # The host's undo queue keeps what each command changed, up to its length: one step, so
        # that it is full from the first call on and what grows is the module's alone.
        cmds.undoInfo(length=1)
        gc.collect()
        gc.disable()

    def tearDown(self):
        gc.enable()

    def assert_no_leak(self, call, watched, repeat=200):
        # Watch objects only the test holds: counts of shared ones (small ints) drift by others.
        # Results that leak stay tracked by the (disabled) collector, so their count grows too.
        call()  # first-use caches (interned names, looked-up commands) settle here
        before = [sys.getrefcount(obj) for obj in watched]
        tracked_before = len(gc.get_objects())
        for _ in range(repeat):
            call()
        tracked_growth = len(gc.get_objects()) - tracked_before
        after = [sys.getrefcount(obj) for obj in watched]
        self.assertEqual(before, after)
        self.assertLess(tracked_growth, repeat // 4)

    @staticmethod
    def swallowing(call, error_type):
        def run():
            try:
                call()
            except error_type:
                pass
            if not PY3:
                sys.exc_clear()
        return run

    def test_successful_calls(self):
        sample = (1.5, 2.5, 3.5, 4.5, 5.5, 6.5)
        record = {1: sample, 2: SIX}
        anim_values = [1.0, 2.0, 3.0]
        anim = {"rotateX": anim_values, "translateY": [4.0, 5.0, 6.0]}
        frames = [1, 2, 3]
        triple = (10, 50, 100)
        ranges = [(1, 2)]
        empty = []
        self.assert_no_leak(lambda: tt.calculate_deltas(record, 1), [record, sample])
        self.assert_no_leak(lambda: tt.unwrap_angles(anim_values), [anim_values])
        self.assert_no_leak(lambda: tt.unwrap_angles(empty), [empty])
        self.assert_no_leak(lambda: tt.smooth_camera_anim(anim, frames, 30), [anim, anim_values, frames])
        self.assert_no_leak(lambda: tt.smooth_camera_anim(anim, frames, 0), [anim, anim_values, frames])
        self.assert_no_leak(lambda: tt.smooth_camera_anim_per_axis(anim, anim, frames, 30, triple, triple),
                            [anim, anim_values, triple])
        self.assert_no_leak(lambda: tt.smooth_camera_anim_per_axis({}, anim, frames, 30, triple, triple),
                            [anim, triple])
        self.assert_no_leak(lambda: tt.extract_source_shake(record, frames, 1, 2), [record, frames, sample])
        self.assert_no_leak(lambda: tt.calculate_fade_multiplier(1, ranges, 3, 3), [ranges])
        self.assert_no_leak(lambda: tt.parse_ranges("1-2, 3-4"), [])
        self.assert_no_leak(lambda: tt.get_world_transform("src", 1), [])
        self.assert_no_leak(lambda: tt.collect_source_motion("src", 1, 3), [])
        self.assert_no_leak(lambda: tt.apply_shake_to_camera(*[v for _, v in APPLY_ARGS]),
                            [v for _, v in APPLY_ARGS if isinstance(v, (tuple, list, dict))])
        self.assert_no_leak(lambda: (tt.suspend(), tt.unsuspend()), [])
        self.assert_no_leak(lambda: (tt._prepared["source_data"], tt._prepared.items(), repr(tt._prepared)),
                            [tt._prepared])

    def test_failing_calls(self):
        record = {1: SIX, 2: SIX[:5]}
        self.assert_no_leak(self.swallowing(lambda: tt.calculate_deltas(record, 1), ValueError),
                            [record, SIX])
        bad_float = BadFloat()
        self.assert_no_leak(self.swallowing(lambda: tt.get_world_transform("src", bad_float), Explosive),
                            [bad_float])
        self.assert_no_leak(self.swallowing(lambda: tt.get_world_transform("nowhere", 1), ValueError), [])
        args = [v for _, v in APPLY_ARGS[:14]] + [SIX[:3]] + [v for _, v in APPLY_ARGS[15:]]
        containers = [arg for arg in args if isinstance(arg, (tuple, list, dict))]
        self.assert_no_leak(self.swallowing(lambda: tt.apply_shake_to_camera(*args), ValueError),
                            containers)
        standin.fail("mel.eval", always=True)
        self.assert_no_leak(lambda: (tt.suspend(), tt.unsuspend()), [])
        standin.fail("refresh", always=True)
        self.assert_no_leak(self.swallowing(tt.suspend, RuntimeError), [])


if __name__ == "__main__":
    unittest.main()
