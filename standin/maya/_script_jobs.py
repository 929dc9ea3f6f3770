"""scriptJob with the Undo, Redo and scene file events, exists and kill.

The scriptJob reference (https://docs.huihoo.com/autodesk/maya/2017/english/CommandsPython/
scriptJob.html): the command "creates a "script job", which is a MEL command or script. This job
is attached to the named condition, event, or attribute"; it answers the job's number, which
kill takes. "Script jobs are tied to the event loop in the interactive application. They are run
during idle events. This means that script jobs do not exist in the batch application. The
scriptJob command does nothing in batch mode." The scripting guide ("Using system events and
scriptJobs", https://help.autodesk.com/cloudhelp/2024/ENU/Maya-Scripting/files/
GUID-A42F2A04-0216-408D-8073-F4D4D896CE8D.htm): "When the event or condition is triggered, the
script is added to a queue and is run the next time the system is idle"; its Japanese edition
adds that however often the event triggers meanwhile, the script runs once at that idle. The
stand-in has no event loop of its own: standin.run_idle() is the host going idle. The events
(scriptJob -listEvents): "Undo" when an undo takes a step back, "Redo" when a redo puts one back;
and, as the scriptJob reference lists them, "NewSceneOpened: when a new scene has been opened",
"SceneOpened" when a scene file has been opened, and "PostSceneRead: after a scene has been read.
Specifically after a file open, import or all child references have been read." file() triggers
them (_scene_commands.py).
"""
from __future__ import absolute_import

from ._flags import FlagSet

EVENTS = ("Undo", "Redo", "NewSceneOpened", "SceneOpened", "PostSceneRead")

_SCRIPT_JOB = FlagSet("scriptJob", "event|e kill|k exists|ex force|f killWithScene|kws "
                                   "replacePrevious|rp protected|pro")


class Jobs(object):
    def __init__(self):
        self.reset()

    def reset(self):
        self.jobs = {}  # number -> (event, script)
        self.pending = []  # job numbers due at the next idle, each once, in trigger order
        self.last = 0

    def trigger(self, event):
        for number in sorted(self.jobs):
            if self.jobs[number][0] == event and number not in self.pending:
                self.pending.append(number)

    def run_idle(self):
        due, self.pending = self.pending, []
        for number in due:
            job = self.jobs.get(number)
            if job is not None:
                job[1]()


jobs = Jobs()


def scriptJob(**kwargs):
    """scriptJob(event=[name, script]) -> number; scriptJob(kill=number[, force=True]);
    scriptJob(exists=number) -> bool."""
    from ._ui_commands import ui
    flags = _SCRIPT_JOB.parse(kwargs)
    if ui.batch:
        return None  # "The scriptJob command does nothing in batch mode."
    if "exists" in flags:
        return int(flags["exists"]) in jobs.jobs
    if "kill" in flags:
        number = int(flags["kill"])
        if number not in jobs.jobs:
            raise RuntimeError("scriptJob: Job number %d does not exist." % number)
        del jobs.jobs[number]
        return None
    event = flags.get("event")
    if not event or len(event) != 2:
        raise RuntimeError("scriptJob: event takes an event name and a script")
    name, script = event
    if name not in EVENTS:
        raise NotImplementedError("scriptJob: the stand-in serves the events %s" % ", ".join(EVENTS))
    if not callable(script):
        raise NotImplementedError("scriptJob: the stand-in runs Python callables only")
    jobs.last += 1
    jobs.jobs[jobs.last] = (name, script)
    return jobs.last


COMMANDS = ("scriptJob",)
