"""CIF files: checked, read as CIF-JSON, written back in the library's layout."""

from __future__ import annotations

import ctypes
import json
import os
from dataclasses import dataclass
from typing import Any, Optional, Union

from . import _arguments as _args
from . import _library
from ._library import ERROR, call
from ._results import answered

_c = _library.library

# A CIF file's path, or the CIF text itself as bytes.
Source = Union[_args.PathArgument, bytes, bytearray, memoryview]


def _source(source: Source) -> tuple[Optional[bytes], Optional[bytes], int, str]:
    """The library's (path, bytes, length) for `source`, and its name for messages."""
    if isinstance(source, (bytes, bytearray, memoryview)):
        text = bytes(source)
        return None, text, len(text), "-"
    return _args.path("source", source), None, 0, os.fspath(source)


class _Writer:
    """Collects what the library writes a piece at a time."""

    def __init__(self) -> None:
        self.pieces: list[bytes] = []
        self.raised: Optional[BaseException] = None
        self.pointer = _library.WRITE(self._write)

    def _write(self, data: int, length: int, _: Any) -> int:
        try:
            self.pieces.append(ctypes.string_at(data, length))
            return 0
        except BaseException as error:  # noqa: B036 - the C caller cannot take it
            self.raised = error
            return 1

    def text(self) -> str:
        if self.raised is not None:
            raise self.raised
        return b"".join(self.pieces).decode("utf-8", "surrogateescape")


@dataclass(frozen=True)
class Finding:
    """A place where the document read differs from the text: `line` and `column`
    (1-based), the `kind` of finding, whether something of the text was `lost`, and the
    reader's `message`."""

    line: int
    column: int
    kind: str
    lost: bool
    message: str


@dataclass(frozen=True)
class CifCheck:
    """What `check_cif` found. True when the file was read and nothing of its text was
    lost. The counts are None when the file could not be read; then `error` says why.
    ``str(check)`` is what the tool prints: the summary, then a line per finding."""

    file: str
    read: bool
    lost: bool
    error: Optional[str]
    cif_version: Optional[str]
    blocks: Optional[int]
    save_frames: Optional[int]
    items: Optional[int]
    loops: Optional[int]
    loop_rows: Optional[int]
    findings: tuple[Finding, ...]
    findings_not_shown: int
    text: str

    def __bool__(self) -> bool:
        return self.read and not self.lost

    def __str__(self) -> str:
        return self.text

    @classmethod
    def from_json(cls, document: dict[str, Any], text: str) -> CifCheck:
        findings = tuple(
            Finding(f["line"], f["column"], f["kind"], f["lost"], f["message"])
            for f in document["findings"]
        )
        counts = ("cif-version", "blocks", "save-frames", "items", "loops", "loop-rows")
        cif_version, blocks, save_frames, items, loops, loop_rows = map(document.get, counts)
        return cls(document["file"], document["read"], document["lost"], document.get("error"),
                   cif_version, blocks, save_frames, items, loops, loop_rows, findings,
                   document["findings-not-shown"], text)


def check_cif(source: Source) -> CifCheck:
    """Reads a CIF (a path, or its text as bytes) and tells what it holds and where the
    document differs from the text. Raises `Error` only when the file could not be read
    for a system failure; a text that is no CIF gives a false check."""
    path, text, length, name = _source(source)
    status, texts = call(_c.zt7kit_check_cif, path, text, length, texts=4)
    report, message = texts[0], texts[-1]
    if report is None or status == ERROR:
        answered("check_cif", name, status, message)
    printed = "\n".join(t.rstrip("\n") for t in texts[1:] if t)  # summary, findings, warnings
    return CifCheck.from_json(json.loads(report), printed)


def cif_json(source: Source) -> str:
    """The CIF (a path, or its text as bytes) as CIF-JSON text: every value an array of
    strings, an unquoted ? as null and an unquoted . as false, block, frame and data names
    in lower case. Raises `Refused` when it cannot be read."""
    path, text, length, name = _source(source)
    writer = _Writer()
    status, (_, message) = call(_c.zt7kit_cif_json, path, text, length, writer.pointer, None,
                                texts=2)
    written = writer.text()
    answered("cif_json", name, status, message)
    return written


def read_cif(source: Source) -> dict[str, Any]:
    """The CIF document (a path, or its text as bytes) as dicts and lists, in the structure
    of its CIF-JSON (see `cif_json`): {"CIF-JSON": {"Metadata": {...}, BLOCK: {NAME: [VALUE,
    ...], ...}, ...}}. Raises `Refused` when it cannot be read."""
    return json.loads(cif_json(source))


def format_cif(source: Source, output: Optional[_args.PathArgument] = None) -> Optional[str]:
    """The CIF (a path, or its text as bytes) written back in the library's layout: as
    text, or into the file `output` (which may be the source's path), replaced only once
    the new text is complete. Raises `Refused`, with nothing written, when the reading
    lost anything of the text or the new text would read back as another document."""
    path, text, length, name = _source(source)
    target = None if output is None else _args.path("output", output)
    writer = _Writer()
    arguments = (path, text, length, target, _library.WRITE(0) if target else writer.pointer, None)
    status, (_, message) = call(_c.zt7kit_format_cif, *arguments, texts=2)
    written = writer.text()
    answered("format_cif", name, status, message)
    return None if target else written
