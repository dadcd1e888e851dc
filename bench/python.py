#!/usr/bin/env python3
"""Checking the HKL digest of a 1,000,000-reflection file, and verifying a sealed dataset
folder that holds it, through the Python package against the same through the zt7util
tool: `bench/python.py TOOL`, with the package and ZT7KIT_LIBRARY set up by bench/run. CPU
time of the whole process (every thread), best of several runs taken in turns.

Each call runs in a new process, as the tool's does: a second check in the same process
reuses memory the first one faulted in and costs a quarter of the first. The package's
time is that of the call alone, reading its report included; the tool's includes its
start, a few milliseconds."""

import random
import resource
import subprocess
import sys
import tempfile
from pathlib import Path

import zt7util

ROUNDS = 5

# The first call of a fresh Python process, timed around the call.
PACKAGE_CHECK = """
import sys, time, zt7util
start = time.process_time()
passed = zt7util.check_hkl(*sys.argv[1:])
print(time.process_time() - start if passed else "failed")
"""
PACKAGE_VERIFY = """
import sys, time, zt7util
start = time.process_time()
passed = zt7util.verify(sys.argv[1], jobs=2)
print(time.process_time() - start if passed else "failed")
"""


def write_collection(root: Path) -> tuple[Path, Path]:
    rng = random.Random(20261206)
    frames = root / "frames"
    frames.mkdir()
    for i in range(2):
        (frames / f"f{i}.img").write_bytes(rng.randbytes(4096))
    lines = []
    for _ in range(1_000_000):
        intensity = rng.expovariate(1 / 800) - 5
        lines.append(f"{rng.randint(-25, 25):4d}{rng.randint(-25, 25):4d}{rng.randint(1, 40):4d}"
                     f"{intensity:8.2f}{0.8 + 0.005 * max(intensity, 0):8.2f}\n")
    hkl = root / "large.hkl"
    hkl.write_text("".join(lines) + "   0   0   0    0.00    0.00\n")
    return frames, hkl


def children_seconds() -> float:
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def best_times(package_call: list[str], tool_call: list[str]) -> tuple[float, float]:
    """The least CPU time of the package's call and of the tool's, taken in turns."""
    package = tool = float("inf")
    for _ in range(ROUNDS):
        run = subprocess.run([sys.executable, "-c", *package_call], check=True,
                             capture_output=True, text=True)
        package = min(package, float(run.stdout))
        start = children_seconds()
        subprocess.run(tool_call, check=True, stdout=subprocess.DEVNULL)
        tool = min(tool, children_seconds() - start)
    return package, tool


def main() -> None:
    tool = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        frames, hkl = write_collection(Path(folder))
        seal = zt7util.hkl_digest(hkl, frames, "*.img", *zt7util.frames_digest(frames, "*.img"))
        package, tool_time = best_times([PACKAGE_CHECK, str(hkl), *seal],
                                        [tool, "check-hkl", str(hkl), *seal])
        print(f"ratio python-check-hkl/cli-check-hkl {package / tool_time:.2f}")
        zt7util.seal(folder)
        package, tool_time = best_times([PACKAGE_VERIFY, folder],
                                        [tool, "verify", "-q", "-j", "2", folder])
        print(f"ratio python-verify/cli-verify {package / tool_time:.2f}")


if __name__ == "__main__":
    main()
