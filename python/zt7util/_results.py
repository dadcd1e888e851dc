"""What the package hands back: digests, check results, and the refusal error."""

from __future__ import annotations

from dataclasses import dataclass
from typing import NamedTuple, Optional


class Refused(Exception):
    """The library gave no digest for this data; `call` and `path` say which request.

    The library does not tell why; the message lists the reasons it can have.
    """

    def __init__(self, call: str, path: str, reasons: str) -> None:
        super().__init__(f"{call}: no digest for '{path}': {reasons}")
        self.call = call
        self.path = path


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
    `code` is the library's own answer: 0 none, 1 part 1 only, 3 both.
    """

    first: bool
    second: Optional[bool]

    @classmethod
    def from_code(cls, code: int, second_given: bool) -> Check:
        first = code in (1, 3)
        return cls(first, (code == 3) if first and second_given else None)

    @property
    def code(self) -> int:
        return 3 if self.second else 1 if self.first else 0

    def __bool__(self) -> bool:
        return self.first and self.second is not False
