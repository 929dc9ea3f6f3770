"""The runner's examples in README.md run as written, on the files in examples/: the commands are
read from README itself, so that the two cannot drift apart."""
import io
import os
import re
import shlex
import unittest

import support

from support.runner import TempDirCase, run_runner, values_of

README = os.path.join(support.REPO_DIR, "README.md")
SECTION = "## Running the tool without Maya"


def readme_commands():
    """The commands of the first sh block of the runner's section, continuation lines joined."""
    with io.open(README, encoding="utf-8") as handle:
        text = handle.read()
    section = text[text.index(SECTION):]
    block = re.search(r"```sh\n(.*?)```", section, re.S).group(1)
    joined = re.sub(r"\\\n\s*", " ", block)
    return [line.split("#")[0].strip() for line in joined.splitlines() if line.split("#")[0].strip()]


@unittest.skipIf(os.name == "nt", "the README's commands are for a POSIX shell")
class ReadmeExamplesTest(TempDirCase):
    def test_every_runner_example_runs_as_written(self):
        # A copy of the repository's layout in a scratch folder, so that what the examples write
        # lands there; the interpreter and the module are this test run's.
        for name in ("tools", "examples", "standin"):
            os.symlink(os.path.join(support.REPO_DIR, name), self.path(name))
        commands = readme_commands()
        self.assertTrue(commands[0].startswith("P="), commands[0])  # the interpreter and module
        ran = []
        for command in commands[1:]:
            words = shlex.split(command)
            if words[:2] == ["mkdir", "-p"]:
                os.makedirs(self.path(words[2]))
                continue
            self.assertEqual(words[:2], ["$P", "tools/runner/trembla_run.py"], command)
            code, out, err = run_runner(words[2:], cwd=self.dir, runner="tools/runner/trembla_run.py")
            self.assertEqual(code, 0, "%s\n%s%s" % (command, out, err))
            self.assertEqual(err, "", command)
            ran.append(words[2])
            if words[2] == "shake":
                written = words[words.index("--out") + 1]
                frames = values_of(self.read(written))[0]
                self.assertEqual(frames, list(range(1001, 1073)), command)
        self.assertTrue({"demo", "shake"} <= set(ran) <= {"demo", "shake", "clip"}, ran)
