"""What the package hands back: digests, check results, and the two errors."""

from __future__ import annotations

import os
from dataclasses import dataclass, field
from typing import NamedTuple, Optional

from ._library import ERROR, REFUSED


class _NotDone(Exception):
    def __init__(self, call: str, path: str, reason: str) -> None:
        super().__init__(f"{call}: '{path}': {reason}")
        self.call = call
        self.path = path
        self.reason = reason


class Refused(_NotDone):
    """The library would not do this for these arguments or this data: `call` and `path`
    say which request, `reason` is the library's own account of why."""


class Error(_NotDone):
    """The request could not be carried out: the system failed (a read error, no memory) or
    a callback cancelled it. `call`, `path` and `reason` as for `Refused`."""


def answered(call: str, path: object, status: int, message: Optional[str]) -> None:
    """Raises `Refused` or `Error` for a call that was not done, with the library's reason."""
    if status in (REFUSED, ERROR):
        error = Refused if status == REFUSED else Error
        raise error(call, os.fspath(path), message or "no reason given")


class Digest(NamedTuple):
    """A digest in its two parts, as it is stored with the data.

    `second` is None when only part 1 was issued. ``str(digest)`` gives the stored text
    (the parts joined by a comma), and ``check_...(data, *digest)`` checks it.
    """

    first: str
    second: Optional[str] = None

    @classmethod
    def from_text(cls, text: str) -> Digest:
        first, comma, second = text.partition(",")
        return cls(first, second if comma else None)

    def __str__(self) -> str:
        return self.first if self.second is None else f"{self.first},{self.second}"


@dataclass(frozen=True)
class Check:
    """Which parts of a stored digest check out against the data.

    `second` is None when no second part was compared (none was given, or part 1 failed).
    The result is true when part 1 checks out and so does part 2 where one was given.
    `code` is the library's own answer: 0 none, 1 part 1 only, 3 both. `reason` says why a
    part did not check out, or how an unsealed test-crystal file passed; it takes no part
    in comparisons.
    """

    first: bool
    second: Optional[bool]
    reason: Optional[str] = field(default=None, compare=False)

    @classmethod
    def from_code(cls, code: int, second_given: bool, reason: Optional[str] = None) -> Check:
        first = code in (1, 3)
        return cls(first, (code == 3) if first and second_given else None, reason)

    @property
    def code(self) -> int:
        return 3 if self.second else 1 if self.first else 0

    def __bool__(self) -> bool:
        return self.first and self.second is not False
