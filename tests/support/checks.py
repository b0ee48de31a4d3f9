"""What the Python tests share: each check states expected and actual, and the
run ends with a count of the failed ones and its exit code."""
import sys

failures = 0


def expect(expected, actual, what):
    global failures
    if expected != actual:
        print(f"FAIL: {what}: expected {expected!r}, actual {actual!r}")
        failures += 1


def finish(name):
    print(f"{name}: {failures} failed")
    sys.exit(1 if failures else 0)
