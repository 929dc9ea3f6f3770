"""Reading arguments in place: exact built-in types and everything else give the same results, and
the results reuse what they can of the input without ever holding the collector's attention."""
import gc
import math
import unittest

import support  # noqa: F401  (sys.path)

import trembla_tool as tt

CHANNELS = ("translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ")


class Float(float):
    pass


class Int(int):
    pass


class Dict(dict):
    pass


class List(list):
    pass


def same(a, b):
    """Equal to the last bit, with the same types, keys in the same order."""
    if type(a) is not type(b):
        return False
    if isinstance(a, dict):
        return list(a) == list(b) and all(same(a[k], b[k]) for k in a)
    if isinstance(a, (list, tuple)):
        return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    if isinstance(a, float):
        return repr(a) == repr(b) and math.copysign(1, a) == math.copysign(1, b)
    return a == b


def inputs(n=40):
    frames = list(range(1000, 1000 + n))
    record = dict((f, (0.1 * f, -0.0, 2, math.sin(f), 179.5 * math.cos(f), 1e-9 * f)) for f in frames)
    anim = dict((c, [math.sin(f * 0.3 * (k + 1)) * 170.0 + 400.0 * (k % 2) for f in frames])
                for k, c in enumerate(CHANNELS))
    return frames, record, anim


def disguised(frames, record, anim):
    """The same values in subclasses, which only the general protocol reads."""
    return ([Int(f) for f in frames],
            Dict((Int(f), tuple(Float(v) for v in s)) for f, s in record.items()),
            Dict((c, List(Float(v) for v in values)) for c, values in anim.items()))


class ExactAndGeneralPathsTest(unittest.TestCase):
    def test_every_function_gives_the_same_result_either_way(self):
        exact = inputs()
        other = disguised(*exact)
        calls = [
            lambda frames, record, anim: tt.calculate_deltas(record, 1003),
            lambda frames, record, anim: tt.unwrap_angles(anim["rotateY"]),
            lambda frames, record, anim: tt.smooth_camera_anim(anim, frames, 35),
            lambda frames, record, anim: tt.smooth_camera_anim_per_axis(anim, anim, frames, 35, (100, 40, 0),
                                                                         [0, 60.5, 100]),
            lambda frames, record, anim: tt.extract_source_shake(record, frames, 3, 2),
            lambda frames, record, anim: tt.calculate_fade_multiplier(frames[3], [(frames[0], frames[9])], 5, 5),
        ]
        for index, call in enumerate(calls):
            self.assertTrue(same(call(*exact), call(*other)), "call %d" % index)

    def test_records_in_any_key_order_come_back_in_frame_order(self):
        record = {3: (1.0,) * 6, 1: (2.0,) * 6, 2: (3.0,) * 6}
        for given in (record, Dict(record)):
            self.assertEqual(list(tt.calculate_deltas(given, 1)), [1, 2, 3])


class ReuseTest(unittest.TestCase):
    def test_results_are_keyed_by_the_input_key_objects(self):
        frames, record, anim = inputs()

        def keyed_by(result, keys):
            own = dict((key, key) for key in keys)
            return len(result) == len(own) and all(key is own[key] for key in result)
        self.assertTrue(keyed_by(tt.calculate_deltas(record, frames[0]), record))
        self.assertTrue(keyed_by(tt.extract_source_shake(record, frames, 1, 1), frames))
        self.assertTrue(keyed_by(tt.smooth_camera_anim(anim, frames, 20), anim))

    def test_relax_keeps_the_base_lists_it_leaves_unchanged(self):
        frames, _, anim = inputs()
        base = tt.smooth_camera_anim(anim, frames, 20)
        relaxed = tt.smooth_camera_anim_per_axis(anim, base, frames, 20, (100, 150, 0), (100, 50, 100))
        kept = ["translateX", "translateY", "rotateX", "rotateZ"]
        self.assertEqual([c for c in CHANNELS if relaxed[c] is base[c]], kept)
        # A list of ints comes back as floats, so it is never the caller's own.
        ints = {"translateX": [1, 2, 3]}
        self.assertFalse(tt.smooth_camera_anim_per_axis(ints, ints, [1, 2, 3], 20, (100,) * 3, (100,) * 3)
                         ["translateX"] is ints["translateX"])

    def test_frame_records_give_the_collector_nothing_to_track(self):
        frames, record, _ = inputs()
        for result in (tt.calculate_deltas(record, frames[0]), tt.extract_source_shake(record, frames, 1, 1)):
            self.assertFalse(gc.is_tracked(result))
            self.assertFalse(any(gc.is_tracked(sample) for sample in result.values()))


if __name__ == "__main__":
    unittest.main()
