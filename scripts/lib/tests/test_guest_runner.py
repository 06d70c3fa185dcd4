"""The guest's GoogleTest runner (scripts/guest/common.sh) run here with a
stand-in for Wine: a crash or a hang costs one test and the rest still run."""
import contextlib
import io
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..'))
import gtest_logs  # noqa: E402

COMMON = os.path.join(HERE, '..', '..', 'guest', 'common.sh')

# Runs A.One, A.Bad and A.Two unless the negative filter names them; A.Bad
# ends the process (BAD=crash) or stops printing (BAD=hang).
FAKE_WINE = r'''
wine() {
  local filter=${2#--gtest_filter=} t
  for t in A.One A.Bad A.Two; do
    case ":${filter#-}:" in *":$t:"*) continue ;; esac
    echo "[ RUN      ] $t"
    if [ "$t" = A.Bad ]; then
      [ "$BAD" = hang ] && exec sleep 30
      return 3
    fi
    printf '[       OK ] %s (1 ms)\r\n' "$t"
  done
  echo "[==========] 2 tests from 1 test suite ran. (1 ms total)"
}
wineserver() { :; }
'''


class GuestRunnerTest(unittest.TestCase):
    def run_runner(self, bad):
        folder = tempfile.mkdtemp()
        os.mkdir(os.path.join(folder, 'results'))
        script = '. "%s"\n%s\nIDLE_LIMIT=4\nrun_gtest fake.exe > /dev/null\n' % (COMMON, FAKE_WINE)
        subprocess.run(['bash', '-c', script], cwd=folder, check=True, timeout=60,
                       env=dict(os.environ, BAD=bad))
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            rc = gtest_logs.main(['gtest_logs.py', os.path.join(folder, 'results'), 'fake.exe'])
        return rc, out.getvalue().splitlines(), sorted(os.listdir(os.path.join(folder, 'results')))

    def test_after_a_crash_the_tests_not_reached_run_in_a_second_process(self):
        rc, lines, files = self.run_runner('crash')
        self.assertEqual(files, ['fake.1.log', 'fake.1.status', 'fake.2.log', 'fake.2.status'])
        self.assertIn('  FAILED A.Bad: crashed: the process ended during the test (status 3)', lines)
        self.assertEqual((rc, lines[-1]), (1, '2 passed, 1 failed'))

    def test_a_hung_test_is_stopped_and_counted_as_hung(self):
        rc, lines, files = self.run_runner('hang')
        self.assertIn('  FAILED A.Bad: hung: stopped after printing nothing for a while', lines)
        self.assertEqual((rc, lines[-1]), (1, '2 passed, 1 failed'))


if __name__ == '__main__':
    unittest.main()
