"""A long-lived process does not grow: the library keeps no text it hands out."""

from __future__ import annotations

import os
import unittest

import zt7util
from zt7util import Refused

CALLS = 200_000
# A text of a few dozen bytes kept per call would add more than 5 MB over these calls.
ALLOWED_GROWTH = 2 * 1024 * 1024


def resident_bytes() -> int:
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def calls(count: int) -> None:
    """Calls that hand out texts: a number, a mismatch's reason, a refusal's reason."""
    for i in range(count // 4):
        zt7util.info("zt7util")
        zt7util.check_refs(b"1 2 3", "41" + "0" * 32)
        zt7util.check_cell(1.0, 2.0, 3.0, 90.0, 90.0, float(i % 7))
        try:
            zt7util.frames_digest("/nonexistent/zt7util-frames", "*.img")
        except Refused:
            pass


@unittest.skipUnless(os.path.exists("/proc/self/statm"), "needs /proc")
class Memory(unittest.TestCase):
    def test_calls_leave_resident_memory_where_it_was(self) -> None:
        calls(CALLS // 10)  # the interpreter's and the allocator's pools, filled once
        before = resident_bytes()
        calls(CALLS)
        self.assertLess(resident_bytes() - before, ALLOWED_GROWTH)


if __name__ == "__main__":
    unittest.main()
