"""The release checks catch what they exist for: a call the oldest release compilers lack
(scripts/check_portable_api.sh) and a module that asks more of the host than its floor
(scripts/check_binary.sh)."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import support

SCRIPTS = os.path.join(support.REPO_DIR, "scripts")


def run(args):
    process = subprocess.Popen(["bash"] + args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = process.communicate()[0].decode("utf-8", "replace")
    return process.returncode, output


class PortableApiCheck(unittest.TestCase):

    CASES = [  # (source line, refused?)
        ("#include <charconv>", True),
        ("auto r = std::to_chars(b, e, 0.5);", True),
        ("std::from_chars(p, q, value);", True),
        ("if (name.starts_with(\"cam\")) {}", True),
        ("auto b = std::bit_cast<std::uint64_t>(x);", True),
        ("for (auto& w : qAsConst(widgets)) {}", True),
        ("int w = metrics.horizontalAdvance(text);", True),
        ("auto s = text.split(',', Qt::SkipEmptyParts);", True),
        ("// std::to_chars is not used here", False),
        ("int w = metrics.horizontalAdvance(text);  // portable-api: allow", False),
        ("auto s = std::to_string(42);", False),
        ("auto t = qAsConstant(x);", False),
        ("std::string_view view(text);", False),
    ]

    def test_refuses_exactly_the_listed_calls_outside_comments(self):
        root = tempfile.mkdtemp()
        try:
            for index, (line, _) in enumerate(self.CASES):
                with open(os.path.join(root, "case%02d.cpp" % index), "w") as handle:
                    handle.write(line + "\n")
            status, output = run([os.path.join(SCRIPTS, "check_portable_api.sh"), root])
        finally:
            shutil.rmtree(root)
        refused = [line for index, (line, _) in enumerate(self.CASES) if "case%02d.cpp:1:" % index in output]
        self.assertEqual(refused, [line for line, refuse in self.CASES if refuse], output)
        self.assertNotEqual(status, 0)

    def test_the_shipped_sources_pass(self):
        status, output = run([os.path.join(SCRIPTS, "check_portable_api.sh")])
        self.assertEqual(status, 0, output)


def module_file():
    for name in sorted(os.listdir(support.MODULE_DIR)) if os.path.isdir(support.MODULE_DIR) else []:
        if name.startswith("trembla_tool.") and name.endswith(".so"):
            return os.path.join(support.MODULE_DIR, name)
    return None


@unittest.skipUnless(module_file() and sys.platform.startswith("linux") and shutil.which("objdump")
                     if sys.version_info[0] >= 3 else False, "needs a built Linux module and objdump")
class BinaryCheck(unittest.TestCase):

    def test_fails_above_the_floor_and_passes_at_or_below_what_the_module_needs(self):
        module = module_file()
        status, output = run([os.path.join(SCRIPTS, "check_binary.sh"), module])
        self.assertEqual(status, 0, output)
        needs = [line for line in output.splitlines() if line.startswith("needs GLIBC_")][0]
        glibc = needs.split()[1][len("GLIBC_"):]
        cases = [  # (options, exit status)
            (["--glibc-floor", "2.17"], 1),                                  # CentOS 7: no Debian 12 build loads
            (["--glibc-floor", "2.17", "--report-only"], 0),
            (["--glibc-floor", glibc, "--glibcxx-floor", "3.4.99"], 0),      # exactly what it needs
            (["--glibc-floor", "2.31"], 2),                                  # no libstdc++ floor known
        ]
        for options, expected in cases:
            status, output = run([os.path.join(SCRIPTS, "check_binary.sh"), module] + options)
            self.assertEqual(status, expected, "%s\n%s" % (options, output))

    def test_portable_verdict_matches_how_the_module_was_linked(self):
        status, output = run([os.path.join(SCRIPTS, "check_binary.sh"), module_file(), "--portable"])
        shared_runtime = "NEEDED   libstdc++" in output
        self.assertEqual(status != 0, shared_runtime, output)


if __name__ == "__main__":
    unittest.main()
