#!/usr/bin/python3
"""Counts the tests of GoogleTest programs from their console logs.

Usage: gtest_logs.py RESULTS_DIR PROGRAM...
RESULTS_DIR holds NAME.N.log and NAME.N.status for each run N of a program
(a program whose process died or hung is run again on the tests it had not
reached). A test that started but never ended counts as failed: crashed, or
hung when the run was stopped (status 124). A program with no run, or whose
run ended before any test, counts as one failed test named after it.
Prints each failure with the end of its output, then the closing line
"N passed, M failed"; exit 1 when anything failed.
"""
import glob
import os
import re
import sys

RUN = re.compile(r'^\[ RUN      \] (\S+)')
ENDED = re.compile(r'^\[ +(OK|FAILED|SKIPPED) +\] (\S+) \(\d+ ms\)')
FINISHED = re.compile(r'^\[==========\] .* ran\.')
OUTPUT_LINES = 25


def read_runs(results, name):
    runs = []
    for log in glob.glob(os.path.join(results, name + '.*.log')):
        number = log[len(os.path.join(results, name)) + 1:-len('.log')]
        if not number.isdigit():
            continue
        status_file = log[:-len('.log')] + '.status'
        status = None
        if os.path.exists(status_file):
            with open(status_file, encoding='utf-8') as f:
                text = f.read().strip()
            status = int(text) if text.lstrip('-').isdigit() else None
        with open(log, encoding='utf-8', errors='replace') as f:
            lines = [line.rstrip('\r\n') for line in f]
        runs.append((int(number), lines, status))
    return sorted(runs)


def tally(program, runs):
    """Returns (passed, skipped, failures); a failure is (test, reason, output lines)."""
    passed, skipped, failures = 0, 0, []
    if not runs:
        return 0, 0, [(program, 'never ran', [])]
    for number, lines, status in runs:
        current, output, any_test = None, [], False
        for line in lines:
            if FINISHED.match(line):
                current = None
                break
            started = RUN.match(line)
            if started:
                current, output, any_test = started.group(1), [], True
                continue
            ended = ENDED.match(line)
            if ended and ended.group(2) == current:
                kind = ended.group(1)
                if kind == 'OK':
                    passed += 1
                elif kind == 'SKIPPED':
                    skipped += 1
                else:
                    failures.append((current, 'failed', output))
                current = None
                continue
            if current:
                output.append(line)
        if current:
            reason = ('hung: stopped after printing nothing for a while' if status == 124
                      else 'crashed: the process ended during the test (status %s)' % status)
            failures.append((current, reason, output))
        elif not any_test and not any(FINISHED.match(line) for line in lines):
            failures.append((program, 'ended before any test (status %s, run %d)' % (status, number),
                             lines))
    return passed, skipped, failures


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    results, programs = argv[1], argv[2:]
    total_passed = total_skipped = total_failed = 0
    for program in programs:
        name = program[:-4] if program.endswith('.exe') else program
        passed, skipped, failures = tally(program, read_runs(results, name))
        total_passed += passed
        total_skipped += skipped
        total_failed += len(failures)
        print('%s: %d passed, %d failed%s' % (program, passed, len(failures),
                                              ', %d skipped' % skipped if skipped else ''))
        for test, reason, output in failures:
            print('  FAILED %s: %s' % (test, reason))
            for line in output[-OUTPUT_LINES:]:
                print('    | ' + line)
    line = '%d passed, %d failed' % (total_passed, total_failed)
    if total_skipped:
        line += ', %d skipped' % total_skipped
    print(line)
    return 1 if total_failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
