"""Counting of the 32-bit run's GoogleTest logs, crashed and hung runs included."""
import contextlib
import io
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
import gtest_logs  # noqa: E402


def write(folder, name, text, status=None):
    with open(os.path.join(folder, name + '.log'), 'w', newline='') as f:
        f.write(text.replace('\n', '\r\n'))
    if status is not None:
        with open(os.path.join(folder, name + '.status'), 'w') as f:
            f.write('%d\n' % status)


def run(folder, *programs):
    out = io.StringIO()
    with contextlib.redirect_stdout(out):
        rc = gtest_logs.main(['gtest_logs.py', folder] + list(programs))
    return rc, out.getvalue().splitlines()


FINISHED_RUN = """[==========] Running 3 tests from 1 test suite.
[ RUN      ] Suite.One
[       OK ] Suite.One (5 ms)
[ RUN      ] Suite.Two
tests/x.cpp(10): error: Expected equality
[  FAILED  ] Suite.Two (7 ms)
[ RUN      ] Suite.Three
[  SKIPPED ] Suite.Three (0 ms)
[==========] 3 tests from 1 test suite ran. (12 ms total)
[  PASSED  ] 1 test.
[  FAILED  ] 1 test, listed below:
[  FAILED  ] Suite.Two
"""


class GtestLogsTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()

    def test_counts_passes_failures_and_skips_of_a_finished_run_and_names_the_failure(self):
        write(self.dir, 'unit_tests.1', FINISHED_RUN, 1)
        rc, lines = run(self.dir, 'unit_tests.exe')
        self.assertEqual(rc, 1)
        self.assertIn('  FAILED Suite.Two: failed', lines)
        self.assertIn('    | tests/x.cpp(10): error: Expected equality', lines)
        self.assertEqual(lines[-1], '1 passed, 1 failed, 1 skipped')

    def test_a_crash_fails_only_the_running_test_and_the_next_run_counts_the_rest(self):
        write(self.dir, 'integration_tests.1',
              '[ RUN      ] A.Ok\n[       OK ] A.Ok (1 ms)\n[ RUN      ] A.Crash\nlast words\n', 3)
        write(self.dir, 'integration_tests.2',
              '[ RUN      ] B.Ok\n[       OK ] B.Ok (1 ms)\n[==========] 1 test from 1 test suite ran. (1 ms total)\n', 0)
        rc, lines = run(self.dir, 'integration_tests.exe')
        self.assertEqual(rc, 1)
        self.assertIn('  FAILED A.Crash: crashed: the process ended during the test (status 3)', lines)
        self.assertIn('    | last words', lines)
        self.assertEqual(lines[-1], '2 passed, 1 failed')

    def test_a_stopped_run_counts_its_test_as_hung(self):
        write(self.dir, 'unit_tests.1', '[ RUN      ] A.Hang\n', 124)
        rc, lines = run(self.dir, 'unit_tests.exe')
        self.assertIn('  FAILED A.Hang: hung: stopped after printing nothing for a while', lines)
        self.assertEqual(lines[-1], '0 passed, 1 failed')

    def test_programs_that_never_ran_or_died_before_any_test_fail(self):
        write(self.dir, 'unit_tests.1', 'wine: could not load\n', 53)
        rc, lines = run(self.dir, 'unit_tests.exe', 'integration_tests.exe')
        self.assertEqual(rc, 1)
        self.assertIn('  FAILED unit_tests.exe: ended before any test (status 53, run 1)', lines)
        self.assertIn('  FAILED integration_tests.exe: never ran', lines)
        self.assertEqual(lines[-1], '0 passed, 2 failed')

    def test_a_clean_run_passes(self):
        write(self.dir, 'unit_tests.1', FINISHED_RUN.replace(
            'error: Expected equality\n[  FAILED  ] Suite.Two (7 ms)', 'x\n[       OK ] Suite.Two (7 ms)'), 0)
        rc, lines = run(self.dir, 'unit_tests.exe')
        self.assertEqual(rc, 0)
        self.assertEqual(lines[-1], '2 passed, 0 failed, 1 skipped')


if __name__ == '__main__':
    unittest.main()
