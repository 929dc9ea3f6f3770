"""Long loops that would show a leak: live updates, prepare/reset cycles and rejected arguments
leave the reference counts of everything they are given or read, and the interpreter's memory,
where they were.

Each loop runs after a warm-up (first-use caches settle there) with the cyclic collector off, so
that anything left behind stays counted. Memory is measured as the interpreter's allocated blocks
(Python 3), the number of objects the collector tracks, the resident set size (Linux) and, in a
shorter pass, tracemalloc's traced memory (Python 3).

The 10,000-update loop, the 1,000-cycle loops and the tracemalloc pass are marked `long_loop`;
TREMBLA_SKIP_LONG_LOOPS=1 skips them for a quick local run, and on the Qt 6 leg, whose Python and
binding code are the first leg's. The rest of the file takes a few seconds a leg.
"""
from __future__ import print_function

import gc
import os
import sys
import unittest

import support  # noqa: F401  (sys.path)

os.environ.setdefault("QT_QPA_PLATFORM", "offscreen")

from binding import test_bad_input as bad_input  # noqa: E402
from support.main_path import (  # noqa: E402
    CAMERA, RECORD_KEYS, SETTINGS, SLIDERS, SOURCE, build_scene)

import maya.standin as standin  # noqa: E402
from maya import cmds  # noqa: E402

import trembla_tool as tt  # noqa: E402

try:
    import tracemalloc
except ImportError:  # Python 2.7
    tracemalloc = None

PY3 = sys.version_info[0] >= 3
UPDATES, CYCLES, REJECTIONS = 10000, 1000, 1000
LAST_FRAME = 6  # a short prepared range: the loops measure the tool, not the host's keying
MODES = ("static", "animated", "relax")
RSS_SLACK = 4 * 1024 * 1024  # the allocator may keep a few pages; a real leak grows far past it


def long_loop(test):
    return unittest.skipIf(os.environ.get("TREMBLA_SKIP_LONG_LOOPS"),
                           "long loop skipped (TREMBLA_SKIP_LONG_LOOPS)")(test)


def resident_bytes():
    try:
        with open("/proc/self/statm") as statm:
            return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")
    except (IOError, OSError, ValueError):
        return None


class Discard(object):
    """An output stream that keeps nothing: 2,000 printed lines must not count as a leak."""

    def write(self, text):
        pass

    def flush(self):
        pass


class Footprint(object):
    """The interpreter's memory and the reference counts of the watched objects at one moment
    (memory first: the counts taken here are objects too). The first one keeps a snapshot of
    the traced allocations, to name what grew; it is there for the second one alike."""

    def __init__(self, watched, shared, snapshot=False):
        tracing = tracemalloc is not None and tracemalloc.is_tracing()
        self.snapshot = tracemalloc.take_snapshot() if tracing and snapshot else None
        self.blocks = sys.getallocatedblocks() if hasattr(sys, "getallocatedblocks") else 0
        self.traced = tracemalloc.get_traced_memory()[0] if tracing else 0
        self.rss = resident_bytes()
        self.tracked = len(gc.get_objects())
        self.refcounts = [sys.getrefcount(obj) for obj in watched]
        self.shared = [sys.getrefcount(obj) for obj in shared]


class LeakCase(unittest.TestCase):
    def setUp(self):
        self._stdout = sys.stdout
        sys.stdout = Discard()
        self.addCleanup(self._restore)

    def _restore(self):
        sys.stdout = self._stdout
        gc.enable()
        standin.clear_faults()
        standin.set_logging(True)

    def assert_flat(self, run, iterations, watched, warm_up=200, what="the loop"):
        """Runs `run` `iterations` times with the collector off; nothing it touches may grow."""
        # Singletons an extra hold in every run would shift by `iterations`; the interpreter's
        # free lists hold and drop them too while they fill, so only a drift of that order counts.
        shared = [None, True, False]
        # A full collection also empties the interpreter's free lists: the warm-up refills them.
        gc.collect()
        gc.disable()
        try:
            for _ in range(warm_up):
                run()
            before = Footprint(watched, shared, snapshot=True)
            for _ in range(iterations):
                run()
            after = Footprint(watched, shared)
        finally:
            gc.enable()
        self.assertEqual(after.refcounts, before.refcounts,
                         "%s: reference counts of watched objects" % what)
        for obj, was, now in zip(shared, before.shared, after.shared):
            self.assertLess(abs(now - was), iterations // 2 + 50,
                            "%s: references to %r" % (what, obj))
        self.assertLess(after.tracked - before.tracked, iterations // 100 + 20,
                        "%s: tracked objects" % what)
        # A leak grows by at least one block a run. Below that, the interpreter's free lists
        # (tuples, floats, frames) fill slowly up to their limits, and the footprint taken
        # before holds a few dozen blocks of its own.
        self.assertLess(after.blocks - before.blocks, iterations // 10 + 300 + len(watched),
                        "%s: allocated blocks" % what)
        if before.rss is not None:
            self.assertLess(after.rss - before.rss, RSS_SLACK, "%s: resident set size" % what)
        growth = after.traced - before.traced
        if before.snapshot is not None and growth >= 16 * iterations + 32 * 1024:
            grown = tracemalloc.take_snapshot().compare_to(before.snapshot, "lineno")[:5]
            self.fail("%s: traced memory grew by %d bytes over %d runs; most grown:\n%s" % (
                what, growth, iterations, "\n".join(str(stat) for stat in grown)))


class PreparedWindowCase(LeakCase):
    """A window over the main-path scene cut to a few frames, prepared in `mode`."""

    def open_window(self, mode):
        build_scene()
        cmds.playbackOptions(min=1, max=LAST_FRAME)
        tt.reset_state()
        self.window = w = tt.show()
        for name in SLIDERS:
            getattr(w, name + "_slider").setValue(SETTINGS[name])
        w.ranges_field.setText(SETTINGS["ranges"])
        w.camera_field.setText(CAMERA)
        w.source_field.setText(SOURCE)
        getattr(w, "mode_" + mode).setChecked(True)
        # The host's call log would keep every argument of every call alive.
        standin.set_logging(False)
        # The host's undo queue keeps what each step changed, up to its length: one step, so
        # that it is full from the first action on and what grows is the tool's alone.
        cmds.undoInfo(length=1)

    def controls(self):
        w = self.window
        return [getattr(w, name + "_slider") for name in SLIDERS] + [
            w.ranges_field, w.camera_field, w.source_field, w.translate_cb, w.rotate_cb,
            w.prepare_btn, w.mode_static, w.mode_animated, w.mode_relax]

    def record_values(self):
        """The record's containers, made for the caller on each read (the flags, names and
        frames are shared objects whose counts others move)."""
        return [tt._prepared[key] for key in RECORD_KEYS
                if isinstance(tt._prepared[key], (dict, list, tuple))]


class UpdateLeakTest(PreparedWindowCase):
    def check_updates(self, mode, iterations):
        self.open_window(mode)
        self.window._prepare_shake()
        self.assertTrue(tt._prepared["ready"])
        update = self.window._update_shake
        positional, keyword = object(), [1.5]
        values = self.record_values()
        watched = [self.window, update, positional, keyword, tt._prepared] + values
        watched += self.controls()
        cmds.delete(CAMERA + "_shake_rotateZ")
        self.assert_flat(lambda: update(positional, 7, flag=keyword), iterations, watched,
                         what="%s updates" % mode)
        self.assertEqual(self.record_values(), values)
        self.assertTrue(cmds.objExists(CAMERA + "_shake_rotateZ"), "the updates wrote nothing")

    @long_loop
    def test_ten_thousand_updates_in_relax_mode_leave_everything_flat(self):
        self.check_updates("relax", UPDATES)

    def test_updates_in_static_and_animated_modes_leave_everything_flat(self):
        for mode in ("static", "animated"):
            self.check_updates(mode, UPDATES // 5)

    def test_slider_changes_leave_everything_flat(self):
        self.open_window("animated")
        self.window._prepare_shake()
        slider = self.window.lag_trans_slider
        values = [3, 4]

        def change():
            values.reverse()
            slider.setValue(values[0])
        # Each change is a step the tool remembers for the host's undo, up to its 500 newest: the
        # warm-up fills them, so that the loop measures what a step leaves beyond them.
        self.assert_flat(change, UPDATES // 5, [self.window, tt._prepared] + self.controls(), warm_up=600)
        self.assertEqual(list(standin.warnings), [])

    def test_record_reads_leave_everything_flat(self):
        self.open_window("relax")
        self.window._prepare_shake()
        record = tt._prepared
        keys = list(RECORD_KEYS)
        self.assert_flat(lambda: (record.items(), [record[key] for key in keys], repr(record)),
                         UPDATES // 10, [record] + keys)


class PrepareResetLeakTest(PreparedWindowCase):
    def cycle(self):
        """One prepare and one reset in each mode in turn."""
        modes = list(MODES)
        w = self.window

        def run():
            modes.append(modes.pop(0))
            getattr(w, "mode_" + modes[0]).setChecked(True)
            w._prepare_shake()
            w._reset_camera()
            del standin.in_view_messages[:]  # the host's own record of what it showed
        return run

    @long_loop
    def test_a_thousand_prepare_reset_cycles_leave_everything_flat(self):
        self.open_window("static")
        run = self.cycle()
        run()
        values = self.record_values()  # the last prepare's, held here only
        watched = [self.window, tt._prepared] + self.controls() + values
        self.assert_flat(run, CYCLES, watched, warm_up=300)
        self.assertFalse(tt._prepared["ready"])
        self.assertEqual(self.window.prepare_btn.text(), "Prepare Shake")
        self.assertEqual(list(standin.warnings), [])

    @long_loop
    def test_a_thousand_failing_prepares_and_bakes_leave_everything_flat(self):
        # Failures carry the host's exception, its traceback and frames through the C++ side.
        self.open_window("animated")
        w = self.window
        err = sys.stderr

        def run():
            standin.fail("xform", on_call=3)  # sampling the source: inside the protected block
            w._prepare_shake()  # absorbed, warned, traceback printed
            del standin.warnings[:]
            w._prepare_shake()
            standin.fail("setKeyframe", on_call=2)
            try:
                w._bake_to_layer()
            except RuntimeError:
                pass
            if not PY3:
                sys.exc_clear()
            w._reset_camera()
            # A bake never replaces a layer: the half-keyed one the failure left goes here, or
            # each run would add a layer to the scene.
            if cmds.objExists("trembla_layer"):
                cmds.delete("trembla_layer")
            del standin.in_view_messages[:]
        sys.stderr = Discard()
        try:
            self.assert_flat(run, CYCLES, [w, tt._prepared] + self.controls(), warm_up=300)
        finally:
            sys.stderr = err


@long_loop
@unittest.skipIf(tracemalloc is None, "tracemalloc is Python 3 only")
class TracedMemoryTest(PreparedWindowCase):
    """tracemalloc sees every allocation of the interpreter, at ten times the cost: shorter runs."""

    def setUp(self):
        PreparedWindowCase.setUp(self)
        tracemalloc.start()
        self.addCleanup(tracemalloc.stop)

    def test_updates(self):
        self.open_window("relax")
        self.window._prepare_shake()
        update = self.window._update_shake
        # Each update is a step the tool remembers for the host's undo, up to its 500 newest: the
        # warm-up fills them, as in the slider loop.
        self.assert_flat(update, UPDATES // 10, [self.window, tt._prepared], warm_up=600)

    def test_prepare_reset_cycles(self):
        self.open_window("animated")
        w = self.window

        def run():
            w._prepare_shake()
            w._reset_camera()
            del standin.in_view_messages[:]
        self.assert_flat(run, CYCLES // 10, [self.window, tt._prepared], warm_up=300)


# Rejected arguments: (what, call, accepted exception types, the argument objects it is given).
SIX = (1.0, 2.0, 3.0, 4.0, 5.0, 6.0)
FIVE = SIX[:5]
TWO = (100, 100)
THREE = (100, 50, 0)
AS_LIST = [SIX, SIX]
FLOAT_KEYS = {1.5: SIX}
TEXT_KEYS = {"1": SIX}
HUGE_KEYS = {2 ** 70: SIX}
HUGE = 10 ** 400
HUGE_FRAMES = [2 ** 64]
FLOAT_FRAMES = [1.0]
HUGE_RANGE = [(2 ** 63, 1)]
WHOLE_KEYS = {1: SIX}
ANIM = {"translateX": [1.0, 2.0], "rotateX": [170.0, -170.0]}
FRAMES = [1, 2]
T, V, VO, K = (TypeError,), (ValueError,), (ValueError, OverflowError), (KeyError,)


def apply_with(**changes):
    args = [changes.get(name, value) for name, value in bad_input.APPLY_ARGS]
    return lambda: tt.apply_shake_to_camera(*args)


REJECTED = [
    ("camera_base of five", apply_with(camera_base=FIVE), V, [FIVE]),
    ("translation axis of two", apply_with(trans_axis_mult=TWO), V, [TWO]),
    ("rotation axis of two",
     lambda: tt.smooth_camera_anim_per_axis(ANIM, ANIM, FRAMES, 10, THREE, TWO), V,
     [ANIM, FRAMES, THREE, TWO]),
    ("samples as a list", lambda: tt.calculate_deltas(AS_LIST, 1), T, [AS_LIST, SIX]),
    ("deltas as a list", lambda: tt.extract_source_shake(AS_LIST, FRAMES, 0, 0), T,
     [AS_LIST, FRAMES]),
    ("recorded animation as a list", lambda: tt.smooth_camera_anim(AS_LIST, FRAMES, 10), T,
     [AS_LIST, FRAMES]),
    ("shake as a list", apply_with(shake_data=AS_LIST), T, [AS_LIST]),
    ("recorded animation given to apply as a list", apply_with(camera_original_anim=AS_LIST), T,
     [AS_LIST]),
    ("fractional frame key", lambda: tt.calculate_deltas(FLOAT_KEYS, 1), T, [FLOAT_KEYS, SIX]),
    ("text frame key", lambda: tt.calculate_deltas(TEXT_KEYS, 1), T, [TEXT_KEYS, SIX]),
    ("fractional frame", lambda: tt.extract_source_shake(WHOLE_KEYS, FLOAT_FRAMES, 0, 0), T,
     [WHOLE_KEYS, FLOAT_FRAMES]),
    ("huge frame key", lambda: tt.calculate_deltas(HUGE_KEYS, 1), VO, [HUGE_KEYS, SIX]),
    ("huge frame", lambda: tt.get_world_transform("src", HUGE), VO, [HUGE]),
    ("huge frame in a list", lambda: tt.extract_source_shake(WHOLE_KEYS, HUGE_FRAMES, 0, 0), VO,
     [WHOLE_KEYS, HUGE_FRAMES]),
    ("huge range bound", lambda: tt.calculate_fade_multiplier(10, HUGE_RANGE, 0, 0), VO,
     [HUGE_RANGE]),
    ("range text that is no text", lambda: tt.parse_ranges(FRAMES), T, [FRAMES]),
    ("camera that is no text", apply_with(camera=FRAMES), T, [FRAMES]),
    ("mode that is no text", apply_with(camera_mode=SIX), T, [SIX]),
]
if PY3:
    BAD_TEXT = "bad\udcff"
    BYTES = b"1-2"
    REJECTED += [
        ("name with a lone surrogate", lambda: tt.get_world_transform(BAD_TEXT, 1), V, [BAD_TEXT]),
        ("range text as bytes", lambda: tt.parse_ranges(BYTES), T, [BYTES]),
    ]


def rejected_by_the_window(window):
    """Wrong types given to the window's control proxies and to the record view."""
    slider, field = window.lag_trans_slider, window.ranges_field
    text, fraction, huge = "3", 2.5, 2 ** 70
    return [
        ("slider value as text", lambda: slider.setValue(text), T, [slider, text]),
        ("slider value as a fraction", lambda: slider.setValue(fraction), T, [slider, fraction]),
        ("slider value too large", lambda: slider.setValue(huge), (OverflowError,), [slider, huge]),
        ("field text as a list", lambda: field.setText(FRAMES), T, [field, FRAMES]),
        ("field text as none", lambda: field.setText(None), T, [field]),
        ("property name as a tuple", lambda: window.prepare_btn.property(SIX), T, [SIX]),
        ("record key that is no key", lambda: tt._prepared[SIX], K, [SIX]),
    ]


class RejectedArgumentLeakTest(LeakCase):
    @classmethod
    def setUpClass(cls):
        standin.reset()
        cls.window = tt.show()

    def setUp(self):
        LeakCase.setUp(self)
        standin.reset()
        cmds.createNode("transform", name="src")
        standin.set_logging(False)

    @staticmethod
    def swallowing(call, types, seen):
        def run():
            try:
                call()
            except types:
                seen[0] += 1
            if not PY3:
                sys.exc_clear()
        return run

    def test_rejected_arguments_keep_their_reference_counts(self):
        for what, call, types, arguments in REJECTED + rejected_by_the_window(self.window):
            seen = [0]
            self.assert_flat(self.swallowing(call, types, seen), REJECTIONS, list(arguments),
                             warm_up=10, what=what)
            self.assertEqual(seen[0], REJECTIONS + 10, "%s: not rejected with %s" % (
                what, "/".join(t.__name__ for t in types)))

    def test_every_rejected_call_of_the_bad_input_list_leaves_memory_flat(self):
        seen = [0]
        runs = [self.swallowing(call, types, seen) for call, types, _ in bad_input.BAD_CALLS]

        def run_all():
            for run in runs:
                run()
        shared = [bad_input.SIX, bad_input.ANIM] + [
            value for _, value in bad_input.APPLY_ARGS if isinstance(value, (tuple, list, dict))]
        self.assert_flat(run_all, REJECTIONS // 10, shared, warm_up=20)
        self.assertEqual(seen[0], len(runs) * (REJECTIONS // 10 + 20))


if __name__ == "__main__":
    unittest.main()
