"""The wall clock and the best-of-repeats timing the Python benchmarks share (2.7 and 3.x)."""
import time

now = time.perf_counter if hasattr(time, "perf_counter") else time.time


def best_of(repeats, work):
    """Seconds of the fastest of `repeats` runs of work()."""
    best = None
    for _ in range(repeats):
        start = now()
        work()
        elapsed = now() - start
        best = elapsed if best is None else min(best, elapsed)
    return best
