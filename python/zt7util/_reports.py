"""The reports of `seal` and `verify`, read from the library's JSON documents."""

from __future__ import annotations

from dataclasses import dataclass
from typing import Any, Optional

# Statuses that say a file differs from its seal, as opposed to one that could not be read.
_CHANGED = ("FAILED", "MISSING", "NEW")


@dataclass(frozen=True)
class SealedItem:
    """One line of a manifest: `kind` ("FRAMES", "HKL", "DYN", "SHA256" or "LINK"), the `path`
    relative to the dataset folder, and the `digest` that seals it."""

    kind: str
    path: str
    digest: str


@dataclass(frozen=True)
class SealReport:
    """What `seal` wrote: the manifest's `items`, the `counts` of what was sealed ("files",
    "frame-sets", "hkl-files", "reflection-files"), and the `notes` on entries left out
    and `warnings` that came up. ``str(report)`` is the summary line the tool prints."""

    folder: str
    manifest: str
    key_version: int
    counts: dict[str, int]
    items: tuple[SealedItem, ...]
    notes: tuple[str, ...]
    warnings: tuple[str, ...]
    summary: str

    @classmethod
    def from_json(cls, document: dict[str, Any], summary: Optional[str]) -> SealReport:
        return cls(
            folder=document["folder"],
            manifest=document["manifest"],
            key_version=document["key-version"],
            counts=dict(document["counts"]),
            items=tuple(SealedItem(i["kind"], i["path"], i["digest"]) for i in document["items"]),
            notes=tuple(document["notes"]),
            warnings=tuple(document["warnings"]),
            summary=(summary or "").rstrip("\n"),
        )

    def __str__(self) -> str:
        return self.summary


@dataclass(frozen=True)
class CheckedItem:
    """One item of a manifest as a verification found it: `kind` and `path` as in the
    manifest, `status` ("OK", "FAILED", "MISSING", "NEW", "REFORMATTED" or
    "ERROR"; every item of a file shares the file's status), `reason` (why it FAILED or is
    an ERROR, else ""), and the digests `expected` (None for a NEW file) and `found`
    (None when the file could not be read or is missing)."""

    kind: str
    path: str
    status: str
    reason: str
    expected: Optional[str]
    found: Optional[str]


@dataclass(frozen=True)
class DatasetReport:
    """One dataset folder's verification: its `items`, the `counts` of files per status,
    and the `error` that kept the whole folder from being checked (None when it was)."""

    folder: str
    intact: bool
    error: Optional[str]
    counts: dict[str, int]
    items: tuple[CheckedItem, ...]

    @property
    def verdict(self) -> str:
        """"intact"; "NOT INTACT" when a file differs from its seal; "NOT VERIFIED" when
        the folder could not be checked, or only unreadable files kept it from intact."""
        changed = any(self.counts.get(status, 0) for status in _CHANGED)
        if self.error is not None or (not changed and self.counts.get("ERROR", 0)):
            return "NOT VERIFIED"
        return "intact" if self.intact else "NOT INTACT"

    def __bool__(self) -> bool:
        return self.intact

    @classmethod
    def from_json(cls, document: dict[str, Any]) -> DatasetReport:
        items = tuple(
            CheckedItem(i["kind"], i["path"], i["status"], i["reason"], i["expected"], i["found"])
            for i in document["items"]
        )
        return cls(document["folder"], document["intact"], document["error"],
                   dict(document["counts"]), items)


@dataclass(frozen=True)
class VerifyReport:
    """The verification of one or more dataset folders: true when every one is intact.
    ``str(report)`` is the text the tool prints: a line per file that is not OK, then a
    summary line per folder."""

    intact: bool
    datasets: tuple[DatasetReport, ...]
    text: str

    def __bool__(self) -> bool:
        return self.intact

    def __str__(self) -> str:
        return self.text

    @classmethod
    def from_json(cls, document: dict[str, Any], text: Optional[str]) -> VerifyReport:
        datasets = tuple(DatasetReport.from_json(d) for d in document["datasets"])
        return cls(document["intact"], datasets, text or "")
