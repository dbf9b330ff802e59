"""Runs the end-to-end tests (tests/e2e/test_*.py) on one Xvfb and Wine session.

    python3 tests/e2e/run.py [NAME...]

NAME selects tests by module, class or method name part (as unittest's -k). The last line
is "e2e: N passed, M failed"; the exit code is non-zero when a test failed.
"""

import signal
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import rig  # noqa: E402  (needs the path above)


class TimedResult(unittest.TextTestResult):
    """Shows how long each test took, to keep the run short."""

    def startTest(self, test):
        self.started = time.monotonic()
        rig.current_test = test.id()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        self.stream.writeln(f"    ({time.monotonic() - self.started:.1f} s)")


def main(patterns):
    # A run that is stopped still shuts its wineserver and Xvfb down.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    loader = unittest.TestLoader()
    if patterns:
        loader.testNamePatterns = [f"*{p}*" for p in patterns]
    suite = loader.discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    started = time.monotonic()
    result = None
    try:
        result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2, resultclass=TimedResult).run(suite)
    finally:
        rig.shutdown()
    # A test with failing subtests is one failed test; a failure outside any test (a module
    # that cannot be imported, for instance) counts as one more.
    failed_ids = {getattr(test, "test_case", test).id() for test, _ in result.failures + result.errors}
    failed_ids |= {test.id() for test in result.unexpectedSuccesses}
    failed = len(failed_ids)
    counted = {getattr(test, "test_case", test).id() for test, _ in result.skipped + result.expectedFailures}
    passed = max(result.testsRun - len(failed_ids | counted), 0)
    if result.testsRun == 0:
        failed += 1  # finding no test at all is a failure of the run
    share, waited, bound, what, test = rig.tightest_wait
    if bound:
        print(f"tightest wait: {waited:.1f} s of its {bound:.1f} s bound ({100 * share:.0f} %) for {what} in {test}")
    print(f"e2e run took {time.monotonic() - started:.1f} s")
    print(f"e2e: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
