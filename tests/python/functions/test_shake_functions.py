"""The computation functions of trembla_tool against a plain Python reference, through the
stand-in host: results must be equal to the last bit, and the host must see exactly the calls a
script would make."""
from __future__ import division

import math
import random
import sys
import traceback
import unittest

import support  # noqa: F401  (sys.path)

import maya.standin as standin
from maya import cmds

import trembla_tool as tt

CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")
ZERO = (0, 0, 0, 0, 0, 0)


# -- reference: the computations written the straightforward way ----------------------------

def ref_calculate_deltas(source_data, start_frame):
    if start_frame not in source_data:
        return {}
    ref = source_data[start_frame]
    return dict((f, tuple(v[k] - ref[k] for k in range(6))) for f, v in source_data.items())


def ref_unwrap_angles(values):
    if not values:
        return values
    out = [values[0]]
    for curr in values[1:]:
        prev = out[-1]
        diff = curr - prev
        while diff > 180:
            curr -= 360
            diff = curr - prev
        while diff < -180:
            curr += 360
            diff = curr - prev
        out.append(curr)
    return out


def reach(i, half, count):
    # How far the centred window reaches each way: narrower near the ends, never one-sided.
    return min(half, i, count - 1 - i)


def ref_mean(values):
    total = 0
    for value in values:
        total += value
    return total / len(values)


def ref_smooth_camera_anim(anim, frames, smoothing):
    if smoothing <= 0:
        return anim
    window = int(smoothing / 100.0 * 20 + 1)
    half = window // 2
    count = len(frames)
    out = {}
    for name, values in anim.items():
        if name.startswith("rotate"):
            values = ref_unwrap_angles(values)
        out[name] = [ref_mean(values[i - reach(i, half, count):i + reach(i, half, count) + 1])
                     for i in range(count)]
    return out


def ref_smooth_camera_anim_per_axis(original, base, frames, base_smoothing, trans_mult, rot_mult):
    if not original or base_smoothing <= 0:
        return base
    axis_map = dict(zip(CHANNELS, list(trans_mult[:3]) + list(rot_mult[:3])))
    out = {}
    for name, base_values in base.items():
        mult = axis_map.get(name, 100) / 100.0
        if mult >= 1.0:
            out[name] = base_values
            continue
        extra_smoothing = min(base_smoothing * 2, 100)
        extra = ref_smooth_camera_anim({name: original.get(name, base_values)}, frames,
                                       extra_smoothing).get(name, base_values)
        if mult <= 0.0:
            out[name] = extra
        else:
            out[name] = [base_values[i] * mult + extra[i] * (1 - mult)
                         for i in range(len(base_values))]
    return out


def ref_extract_source_shake(delta_data, frames, lag_translate, lag_rotate):
    if not frames:
        return {}
    lag_t, lag_r = int(lag_translate), int(lag_rotate)
    start = frames[0]
    lagged = {}
    for f in frames:
        dt = delta_data.get(max(start, f - lag_t), ZERO)
        dr = delta_data.get(max(start, f - lag_r), ZERO)
        lagged[f] = (dt[0], dt[1], dt[2], dr[3], dr[4], dr[5])
    count = len(frames)
    smoothed = {}
    for i, f in enumerate(frames):
        sums = [0.0] * 6
        n = 0
        for j in range(i - reach(i, 5, count), i + reach(i, 5, count) + 1):
            vals = lagged.get(frames[j], ZERO)
            for k in range(6):
                sums[k] += vals[k]
            n += 1
        smoothed[f] = tuple(s / n for s in sums)
    return dict((f, tuple(lagged[f][k] - smoothed[f][k] for k in range(6))) for f in frames)


def ref_fade(frame, ranges, fade_in, fade_out):
    if not ranges:
        return 1.0
    strongest = 0.0
    for start, end in ranges:
        if start <= frame <= end:
            mult = 1.0
            if fade_in > 0 and frame < start + fade_in:
                mult *= (frame - start) / fade_in
            if fade_out > 0 and frame > end - fade_out:
                mult *= (end - frame) / fade_out
            strongest = max(strongest, max(0.0, min(1.0, mult)))
    return strongest


# -- test data --------------------------------------------------------------------------------

def random_record(rng, frames, scale=10.0):
    return dict((f, tuple(rng.uniform(-scale, scale) for _ in range(6))) for f in frames)


def random_anim(rng, count):
    anim = {}
    for name in CHANNELS:
        if name.startswith("rotate"):
            # Wild steps so that unwrapping has work to do.
            anim[name] = [rng.uniform(-180, 180) for _ in range(count)]
        else:
            anim[name] = [rng.uniform(-5, 5) for _ in range(count)]
    return anim


def keyed_transform(name, keys):
    """A transform whose channels follow `keys`: {channel: [(frame, value), ...]}."""
    node = cmds.createNode("transform", name=name)
    for channel, pairs in keys.items():
        for frame, value in pairs:
            cmds.setKeyframe(node, attribute=channel, time=frame, value=value)
    return node


def logged(calls):
    return [(call.op, call.args, call.kwargs) for call in calls]


class HostTestCase(unittest.TestCase):
    def setUp(self):
        standin.reset()


# -- sampling ---------------------------------------------------------------------------------

class SamplingTest(HostTestCase):
    def setUp(self):
        super(SamplingTest, self).setUp()
        self.src = keyed_transform("src", {
            "translateX": [(1, 0.0), (5, 2.5), (12, -1.25)],
            "translateY": [(1, 1.0), (12, 3.0)],
            "rotateY": [(1, 10.0), (8, 95.0)],
            "rotateZ": [(1, 0.0), (12, 33.0)],
        })
        standin.clear_calls()

    def test_get_world_transform_sets_time_then_queries_translation_and_rotation(self):
        sample = tt.get_world_transform("src", 5)
        self.assertEqual(logged(standin.calls), [
            ("currentTime", (5,), {"edit": True}),
            ("xform", ("src",), {"q": True, "ws": True, "t": True}),
            ("xform", ("src",), {"q": True, "ws": True, "ro": True}),
            ("currentUnit", (), {"q": True, "angle": True}),  # the answer's unit, once a command
        ])
        standin.set_logging(False)
        expected = tuple(cmds.xform("src", q=True, ws=True, t=True)
                         + cmds.xform("src", q=True, ws=True, ro=True))
        self.assertEqual(sample, expected)
        self.assertIsInstance(sample, tuple)
        self.assertEqual(cmds.currentTime(q=True), 5.0)

    def test_get_world_transform_passes_fractional_frames_as_float(self):
        tt.get_world_transform("src", 2.5)
        self.assertEqual(standin.calls[0].args, (2.5,))
        self.assertIsInstance(standin.calls[0].args[0], float)

    def test_collect_source_motion_samples_every_frame_and_restores_time(self):
        cmds.currentTime(7, edit=True)
        standin.clear_calls()
        data = tt.collect_source_motion("src", 1, 12)
        self.assertEqual(sorted(data), list(range(1, 13)))
        # The rotation order once; the node's own rotate channels once, on the first frame, as the
        # reference the world rotations are expressed nearest to.
        expected_calls = [("currentTime", (), {"q": True}), ("getAttr", ("src.rotateOrder",), {})]
        for f in range(1, 13):
            expected_calls += [
                ("currentTime", (f,), {"edit": True}),
                ("xform", ("src",), {"q": True, "ws": True, "t": True}),
                ("xform", ("src",), {"q": True, "ws": True, "ro": True}),
            ]
            if f == 1:  # the working angular unit, asked once per command
                expected_calls += [("currentUnit", (), {"q": True, "angle": True})]
                expected_calls += [("getAttr", ("src.rotate" + axis,), {}) for axis in "XYZ"]
        expected_calls.append(("currentTime", (7,), {"edit": True}))
        self.assertEqual(logged(standin.calls), expected_calls)
        standin.set_logging(False)
        for f in range(1, 13):
            cmds.currentTime(f, edit=True)
            # A top-level node: its world rotation, expressed nearest its own channels, is those
            # channels, also past 90 degrees of yaw where the host answers the other solution.
            expected = tuple(cmds.xform("src", q=True, ws=True, t=True)
                             + cmds.xform("src", q=True, ro=True))
            self.assertEqual(len(data[f]), 6)
            for got, want in zip(data[f], expected):
                self.assertAlmostEqual(got, want, places=9, msg=(f, data[f], expected))

    def test_collect_source_motion_truncates_bounds_toward_zero(self):
        self.assertEqual(sorted(tt.collect_source_motion("src", 10.9, 12.2)), [10, 11, 12])
        self.assertEqual(sorted(tt.collect_source_motion("src", -1.5, 0.7)), [-1, 0])

    def test_collect_source_motion_with_last_before_first_is_empty(self):
        self.assertEqual(tt.collect_source_motion("src", 5, 4), {})
        self.assertEqual(list(tt.collect_source_motion("src", 5, 5)), [5])

    def test_failing_sample_leaves_time_unrestored_and_raises_the_host_error(self):
        cmds.currentTime(3, edit=True)
        standin.fail("xform", on_call=4)
        with self.assertRaises(RuntimeError) as caught:
            tt.collect_source_motion("src", 1, 12)
        self.assertEqual(str(caught.exception), "stand-in fault: xform call #4 failed")
        self.assertEqual(cmds.currentTime(q=True), 2.0)


class DeltaTest(unittest.TestCase):
    def test_matches_reference(self):
        rng = random.Random(11)
        source = random_record(rng, range(-3, 40))
        for start in (-3, 0, 17, 39):
            self.assertEqual(tt.calculate_deltas(source, start), ref_calculate_deltas(source, start))
        self.assertEqual(tt.calculate_deltas(source, 17)[17], (0.0,) * 6)

    def test_start_frame_is_looked_up_like_a_dict_key(self):
        source = {1: (1, 2, 3, 4, 5, 6), 2: (2, 4, 6, 8, 10, 12)}
        self.assertEqual(tt.calculate_deltas(source, 1.0), tt.calculate_deltas(source, 1))
        self.assertEqual(tt.calculate_deltas(source, True), tt.calculate_deltas(source, 1))
        for missing in (1.5, 3, float("nan"), float("inf"), 2 ** 80):
            self.assertEqual(tt.calculate_deltas(source, missing), {})
        self.assertEqual(tt.calculate_deltas({}, 1), {})

    def test_integer_samples_give_float_deltas_equal_to_python_arithmetic(self):
        source = {1: (1, 2, 3, 4, 5, 6), 2: (179, -179, 0, 3, 2, 1)}
        deltas = tt.calculate_deltas(source, 1)
        self.assertEqual(deltas, {1: (0,) * 6, 2: (178, -181, -3, -1, -3, -5)})
        self.assertTrue(all(isinstance(v, float) for v in deltas[2]))


# -- unwrapping and smoothing -----------------------------------------------------------------

class UnwrapTest(unittest.TestCase):
    def test_documented_cases(self):
        self.assertEqual(tt.unwrap_angles([170, -170, -150]), [170, 190, 210])
        self.assertEqual(tt.unwrap_angles([0, 180]), [0, 180])
        self.assertEqual(tt.unwrap_angles([0, 181]), [0, -179])
        self.assertEqual(tt.unwrap_angles([0, -180]), [0, -180])
        self.assertEqual(tt.unwrap_angles([0, 1000, -1000]), [0, -80, 80])

    def test_matches_reference(self):
        rng = random.Random(5)
        values = [rng.uniform(-720, 720) for _ in range(300)]
        self.assertEqual(tt.unwrap_angles(values), ref_unwrap_angles(values))
        self.assertEqual(tt.unwrap_angles(tuple(values)), ref_unwrap_angles(values))

    def test_false_argument_is_returned_itself(self):
        for empty in ([], (), None, 0, ""):
            self.assertIs(tt.unwrap_angles(empty), empty)


class SmoothTest(unittest.TestCase):
    def setUp(self):
        rng = random.Random(3)
        self.frames = list(range(10, 60))
        self.anim = random_anim(rng, len(self.frames))

    def test_matches_reference_for_every_setting(self):
        for smoothing in list(range(1, 101)) + [0.5, 37.5, 250]:
            self.assertEqual(tt.smooth_camera_anim(self.anim, self.frames, smoothing),
                             ref_smooth_camera_anim(self.anim, self.frames, smoothing),
                             "smoothing %r" % (smoothing,))

    def test_no_smoothing_returns_the_record_itself(self):
        for smoothing in (0, -5, 0.0):
            self.assertIs(tt.smooth_camera_anim(self.anim, self.frames, smoothing), self.anim)

    def test_short_and_empty_frame_lists(self):
        three = dict((name, values[:3]) for name, values in self.anim.items())
        smoothed = tt.smooth_camera_anim(three, [1, 2, 3], 100)
        self.assertEqual(smoothed, ref_smooth_camera_anim(three, [1, 2, 3], 100))
        self.assertEqual(tt.smooth_camera_anim(self.anim, [], 50), dict((n, []) for n in CHANNELS))

    def test_channel_of_unknown_kind_is_smoothed_without_unwrapping(self):
        anim = {"focalLength": [170.0, -170.0, 170.0]}
        self.assertEqual(tt.smooth_camera_anim(anim, [1, 2, 3], 100), {"focalLength": [170.0, 170 / 3, 170.0]})

    def test_a_list_shorter_than_frames_is_a_value_error(self):
        with self.assertRaises(ValueError):
            tt.smooth_camera_anim({"translateX": [1.0]}, [1, 2, 3], 50)


class RelaxTest(unittest.TestCase):
    def setUp(self):
        rng = random.Random(8)
        self.frames = list(range(0, 40))
        self.original = random_anim(rng, len(self.frames))

    def test_matches_reference(self):
        cases = [
            ((0, 50, 100), (100, 25, 0)),
            ((0, 0, 0), (0, 0, 0)),
            ((150, -20, 99.5), (1, 99, 50)),
        ]
        for smoothing in (1, 20, 50, 70, 100):
            base = ref_smooth_camera_anim(self.original, self.frames, smoothing)
            for trans_mult, rot_mult in cases:
                self.assertEqual(
                    tt.smooth_camera_anim_per_axis(self.original, base, self.frames, smoothing,
                                                   trans_mult, rot_mult),
                    ref_smooth_camera_anim_per_axis(self.original, base, self.frames, smoothing,
                                                    trans_mult, rot_mult))

    def test_all_axes_at_100_keep_the_base(self):
        base = ref_smooth_camera_anim(self.original, self.frames, 30)
        self.assertEqual(tt.smooth_camera_anim_per_axis(self.original, base, self.frames, 30,
                                                        [100] * 3, [100] * 3), base)

    def test_nothing_to_do_returns_the_base_record_itself(self):
        base = ref_smooth_camera_anim(self.original, self.frames, 30)
        self.assertIs(tt.smooth_camera_anim_per_axis({}, base, self.frames, 30, [0] * 3, [0] * 3), base)
        self.assertIs(tt.smooth_camera_anim_per_axis(self.original, base, self.frames, 0,
                                                     [0] * 3, [0] * 3), base)


# -- extraction, ranges and fades -------------------------------------------------------------

class ExtractTest(unittest.TestCase):
    def test_matches_reference(self):
        rng = random.Random(21)
        frames = list(range(1, 61))
        deltas = random_record(rng, frames)
        for lags in ((0, 0), (3, 0), (0, 7), (2.7, 15), (-2, 4), (100, 100)):
            self.assertEqual(tt.extract_source_shake(deltas, frames, *lags),
                             ref_extract_source_shake(deltas, frames, *lags), "lags %r" % (lags,))

    def test_missing_deltas_read_as_zero(self):
        self.assertEqual(tt.extract_source_shake({}, [1, 2, 3], 0, 0),
                         dict((f, (0.0,) * 6) for f in (1, 2, 3)))
        sparse = {3: (1, 1, 1, 1, 1, 1), 9: (4, 0, 0, 0, 0, -4)}
        frames = list(range(1, 15))
        self.assertEqual(tt.extract_source_shake(sparse, frames, 1, 2),
                         ref_extract_source_shake(sparse, frames, 1, 2))

    def test_empty_and_single_frame(self):
        self.assertEqual(tt.extract_source_shake({1: (1,) * 6}, [], 0, 0), {})
        self.assertEqual(tt.extract_source_shake({1: (1,) * 6}, [1], 0, 0), {1: (0.0,) * 6})


class RangesTest(unittest.TestCase):
    def test_documented_texts(self):
        cases = {
            "": [],
            "   ": [],
            "10-50, 70-80": [(10, 50), (70, 80)],
            " 10 - 50 ,70-80 ": [(10, 50), (70, 80)],
            "10-50,,abc,5,1-2-3,x-9,70-80": [(10, 50), (70, 80)],
            "1 0-5 0": [(10, 50)],
            "50-10": [(50, 10)],
            "25": [],
            "+3-4": [(3, 4)],
            "10-50,10-50": [(10, 50), (10, 50)],
        }
        for text, expected in cases.items():
            result = tt.parse_ranges(text)
            self.assertEqual(result, expected, repr(text))
            self.assertTrue(all(type(pair) is tuple for pair in result))

    def test_unicode_text_is_accepted(self):
        self.assertEqual(tt.parse_ranges(u"10-20"), [(10, 20)])

    def test_fade_matches_reference(self):
        range_sets = [[], [(10, 50)], [(10, 13)], [(10, 50), (40, 80)], [(50, 10)], [(0, 0)]]
        for ranges in range_sets:
            for fade_in, fade_out in ((0, 0), (3, 3), (3, 0), (0, 7), (2.5, 4), (-1, 30)):
                for frame in range(-2, 90):
                    self.assertEqual(tt.calculate_fade_multiplier(frame, ranges, fade_in, fade_out),
                                     ref_fade(frame, ranges, fade_in, fade_out),
                                     (frame, ranges, fade_in, fade_out))

    def test_fade_documented_values(self):
        ranges = [(10, 50)]
        values = [tt.calculate_fade_multiplier(f, ranges, 3, 3) for f in (9, 10, 11, 12, 13, 47, 48, 49, 50, 51)]
        self.assertEqual(values, [0.0, 0.0, 1 / 3, 2 / 3, 1.0, 1.0, 2 / 3, 1 / 3, 0.0, 0.0])
        self.assertEqual(tt.calculate_fade_multiplier(11, [(10, 13)], 3, 3), (1 / 3) * (2 / 3))
        # Overlapping ranges: the largest multiplier of the ranges holding the frame.
        self.assertEqual(tt.calculate_fade_multiplier(48.0, [(10, 50), (40, 80)], 0, 3), 1.0)
        self.assertEqual(tt.calculate_fade_multiplier(50, [(10, 50), (40, 80)], 3, 3), 1.0)


# -- host errors ------------------------------------------------------------------------------

class HostErrorTest(HostTestCase):
    def test_host_exception_reaches_the_caller_with_its_type_message_and_traceback(self):
        keyed_transform("src", {"translateX": [(1, 0.0)]})
        standin.fail("currentTime", on_call=1)
        try:
            tt.get_world_transform("src", 1)
        except RuntimeError:
            error, tb = sys.exc_info()[1:]
        else:
            self.fail("no error")
        self.assertIs(type(error), RuntimeError)
        self.assertEqual(str(error), "stand-in fault: currentTime call #1 failed")
        files = [entry[0] for entry in traceback.extract_tb(tb)]
        self.assertTrue(any(name.endswith("_host.py") for name in files), files)

    def test_missing_node_raises_the_hosts_value_error(self):
        with self.assertRaises(ValueError) as caught:
            tt.get_world_transform("nowhere", 1)
        self.assertEqual(str(caught.exception), "No object matches name: nowhere")


class ForeignHostTest(unittest.TestCase):
    """Host modules replaced by scripted objects: the bridge passes their exceptions through as
    the very same objects and reports unusable answers as Python errors."""

    class HostFailure(Exception):
        pass

    def setUp(self):
        self.saved = tt.cmds

    def tearDown(self):
        tt.cmds = self.saved

    def fake_cmds(self, **commands):
        class Cmds(object):
            pass
        fake = Cmds()
        for name, function in commands.items():
            setattr(fake, name, function)
        return fake

    def test_the_raised_exception_object_itself_arrives(self):
        failure = self.HostFailure("custom", 42)

        def current_time(*args, **kwargs):
            raise failure
        tt.cmds = self.fake_cmds(currentTime=current_time)
        with self.assertRaises(self.HostFailure) as caught:
            tt.get_world_transform("src", 1)
        self.assertIs(caught.exception, failure)
        self.assertEqual(caught.exception.args, ("custom", 42))

    def test_unreadable_answer_is_a_python_error(self):
        tt.cmds = self.fake_cmds(currentTime=lambda *a, **k: None,
                                 xform=lambda *a, **k: ["a", "b", "c"])
        with self.assertRaises(TypeError):
            tt.get_world_transform("src", 1)
        tt.cmds = self.fake_cmds(currentTime=lambda *a, **k: None, xform=lambda *a, **k: [1.0, 2.0])
        with self.assertRaises(IndexError):
            tt.get_world_transform("src", 1)

    def test_missing_command_is_an_attribute_error(self):
        tt.cmds = self.fake_cmds()
        with self.assertRaises(AttributeError):
            tt.get_world_transform("src", 1)

    def test_big_integer_answers_are_read_as_floats(self):
        tt.cmds = self.fake_cmds(currentTime=lambda *a, **k: None, currentUnit=lambda *a, **k: "deg",
                                 xform=lambda *a, **k: [2 ** 70, 1, math.pi])
        self.assertEqual(tt.get_world_transform("src", 1), (2.0 ** 70, 1.0, math.pi) * 2)


if __name__ == "__main__":
    unittest.main()
