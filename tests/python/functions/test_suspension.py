"""suspend() / unsuspend(): the host calls in order, the evaluation mode kept in
_original_eval_mode, and which failures are swallowed and which reach the caller."""
import unittest

import support  # noqa: F401  (sys.path)

import maya.standin as standin
from maya import cmds

import trembla_tool as tt

SUSPEND_CALLS = [
    ("evaluationManager", (), {"q": True, "mode": True}),
    ("refresh", (), {"suspend": True}),
    ("evaluationManager", (), {"mode": "off"}),
]


def unsuspend_calls(mode=None):
    calls = [("refresh", (), {"suspend": False})]
    if mode is not None:
        calls.append(("evaluationManager", (), {"mode": mode}))
    return calls


def logged():
    return [(call.op, call.args, call.kwargs) for call in standin.calls]


class SuspensionTest(unittest.TestCase):
    def setUp(self):
        standin.reset()
        self.real_cmds = tt.cmds
        tt._original_eval_mode = None

    def tearDown(self):
        tt.cmds = self.real_cmds
        tt._original_eval_mode = None

    def assert_normal_host(self, mode="parallel"):
        self.assertFalse(standin.refresh_suspended())
        self.assertTrue(standin.time_slider_visible())
        self.assertEqual(standin.evaluation_mode(), mode)

    def test_suspend_then_unsuspend_quiets_and_restores_the_host(self):
        self.assertIsNone(tt.suspend())
        self.assertEqual(logged(), SUSPEND_CALLS)
        self.assertTrue(standin.refresh_suspended())
        self.assertTrue(standin.time_slider_visible())  # left as the animator has it
        self.assertEqual(standin.evaluation_mode(), "off")
        self.assertEqual(tt._original_eval_mode, "parallel")

        standin.clear_calls()
        self.assertIsNone(tt.unsuspend())
        self.assertEqual(logged(), unsuspend_calls("parallel"))
        self.assert_normal_host()
        self.assertEqual(tt._original_eval_mode, "parallel")  # outlives the pair

    def test_next_suspend_overwrites_the_saved_mode(self):
        cmds.evaluationManager(mode="serial")
        tt.suspend()
        tt.unsuspend()
        cmds.evaluationManager(mode="serialUncached")
        tt.suspend()
        self.assertEqual(tt._original_eval_mode, "serialUncached")

    def test_unreadable_mode_is_left_as_it_is(self):
        cmds.evaluationManager(mode="serial")
        tt.suspend()
        tt.unsuspend()  # an earlier saved mode must not come back either
        standin.clear_calls()
        standin.fail("evaluationManager", on_call=1)
        tt.suspend()
        self.assertEqual(logged(), SUSPEND_CALLS[:2])
        self.assertIsNone(tt._original_eval_mode)
        self.assertTrue(standin.refresh_suspended())
        self.assertEqual(standin.evaluation_mode(), "serial")
        standin.clear_calls()
        tt.unsuspend()
        self.assertEqual(logged(), unsuspend_calls(None))
        self.assertEqual(standin.evaluation_mode(), "serial")

    def test_mode_answer_read_as_text_or_as_a_list_of_text(self):
        cases = [("parallel", "parallel"), (["serial"], "serial"), (u"serialUncached", "serialUncached"),
                 ([], None), (None, None), ([None], None), ("", None), ([""], None)]
        for answer, saved in cases:
            calls = []

            def evaluation_manager(**kwargs):
                if kwargs.get("q"):
                    return answer
                calls.append(kwargs["mode"])

            tt._original_eval_mode = None
            tt.cmds = PatchedCmds(evaluationManager=evaluation_manager)
            tt.suspend()
            self.assertEqual(tt._original_eval_mode, saved, answer)
            tt.unsuspend()
            self.assertEqual(calls, ["off", saved] if saved else [], answer)

    def test_redraw_failure_in_suspend_propagates_with_the_mode_already_saved(self):
        standin.fail("refresh", on_call=1)
        with self.assertRaises(RuntimeError) as caught:
            tt.suspend()
        self.assertEqual(str(caught.exception), "stand-in fault: refresh call #1 failed")
        self.assertEqual(tt._original_eval_mode, "parallel")
        self.assertEqual(logged(), SUSPEND_CALLS[:2])
        self.assert_normal_host()

    def test_time_slider_failures_are_ignored(self):
        standin.fail("mel.eval", always=True)
        tt.suspend()
        self.assertEqual(logged(), SUSPEND_CALLS)
        self.assertTrue(standin.refresh_suspended())
        self.assertEqual(standin.evaluation_mode(), "off")
        standin.clear_calls()
        tt.unsuspend()
        self.assertEqual(logged(), unsuspend_calls("parallel"))
        self.assertFalse(standin.refresh_suspended())
        self.assertEqual(standin.evaluation_mode(), "parallel")

    def test_mode_switch_failures_are_ignored(self):
        tt.suspend()
        standin.fail("evaluationManager", always=True)
        standin.clear_calls()
        tt.unsuspend()
        self.assertEqual(logged(), unsuspend_calls("parallel"))
        self.assertEqual(standin.evaluation_mode(), "off")
        self.assertFalse(standin.refresh_suspended())

        standin.clear_faults()
        standin.fail("evaluationManager", on_call=2)
        tt.suspend()
        self.assertTrue(standin.refresh_suspended())
        self.assertTrue(standin.time_slider_visible())  # left as the animator has it

    def test_unsuspend_with_nothing_saved_leaves_the_mode_alone(self):
        for saved in (None, "", 5, b"parallel" if str is not bytes else None):
            standin.reset()
            cmds.evaluationManager(mode="serial")
            standin.clear_calls()
            tt._original_eval_mode = saved
            tt.unsuspend()
            self.assertEqual(logged(), unsuspend_calls(), repr(saved))
            self.assertEqual(standin.evaluation_mode(), "serial")

    def test_redraw_failure_in_unsuspend_propagates_before_anything_else(self):
        tt.suspend()
        standin.fail("refresh", on_call=1)
        standin.clear_calls()
        with self.assertRaises(RuntimeError):
            tt.unsuspend()
        self.assertEqual(logged(), unsuspend_calls()[:1])
        self.assertTrue(standin.time_slider_visible())  # left as the animator has it

    def test_suspension_takes_no_arguments(self):
        with self.assertRaises(TypeError):
            tt.suspend(1)
        with self.assertRaises(TypeError):
            tt.unsuspend(True)
        self.assertEqual(standin.calls, [])


class PatchedCmds(object):
    """maya.cmds with some commands replaced."""

    def __init__(self, **replaced):
        self.__dict__.update(replaced)

    def __getattr__(self, name):
        return getattr(cmds, name)


if __name__ == "__main__":
    unittest.main()
