"""Sealing dataset folders with a manifest of their digests, and verifying them later."""

from __future__ import annotations

import ctypes
import json
from collections.abc import Callable
from typing import Any, Optional

from . import _arguments as _args
from . import _digests, _library
from ._library import MISMATCH, OK, call
from ._reports import SealReport, VerifyReport
from ._results import answered

_c = _library.library

# (bytes done, bytes to hash, datasets done, datasets); a true result cancels.
Progress = Callable[[int, int, int, int], Any]

_FORCE = 1


class _ProgressCallback:
    """`progress` as the library calls it: an exception it raises cancels the call and is
    raised again once the call has returned."""

    def __init__(self, progress: Optional[Progress]) -> None:
        self.progress = progress
        self.raised: Optional[BaseException] = None
        self.pointer = _library.PROGRESS(self._called if progress else 0)

    def _called(self, done: int, total: int, datasets_done: int, datasets: int, _: Any) -> int:
        try:
            return 1 if self.progress(done, total, datasets_done, datasets) else 0
        except BaseException as error:  # noqa: B036 - the C caller cannot take it
            self.raised = error
            return 1

    def raise_caught(self) -> None:
        if self.raised is not None:
            raise self.raised


def _jobs(jobs: int) -> int:
    value = _args.int32("jobs", jobs)
    if value < 0:
        raise ValueError(f"jobs: {value} is not 0 (one per core) or a number of threads")
    return value


def seal(
    folder: _args.PathArgument,
    *,
    frames: str = "*.img",
    key_version: Optional[int] = None,
    force: bool = False,
    jobs: int = 0,
    progress: Optional[Progress] = None,
) -> SealReport:
    """Seals the dataset folder `folder`: writes its manifest, zt7util-seal.txt, with a
    frames digest per folder of frames matching `frames`, the HKL digest of each .hkl file
    (scheme `key_version`, by default the package's, see `set_key_version`), the DYN digest
    of each .cif_od file and the SHA-256 of every file; `force` replaces an existing
    manifest. Runs on `jobs` threads (0: one per core); `progress(bytes_done, bytes_total,
    datasets_done, datasets_total)`, called as it goes, cancels it by returning true.
    Raises `Refused` when the folder cannot be sealed (none, sealed already, a file that
    keeps changing), `Error` when reading failed or it was cancelled; no manifest is
    written then."""
    if key_version is None:
        version = _digests.key_version()
    else:
        version = _args.int32("key_version", key_version)
    callback = _ProgressCallback(progress)
    arguments = (
        _args.path("folder", folder),
        _args.text("frames", frames),
        version if 1 <= version <= 3 else _library.DEFAULT_KEY_VERSION,
        _FORCE if force else 0,
        _jobs(jobs),
        callback.pointer,
        None,
    )
    status, (report, summary, message) = call(_c.zt7kit_seal, *arguments, texts=3)
    callback.raise_caught()
    answered("seal", folder, status, message)
    return SealReport.from_json(json.loads(report), summary)


def verify(
    *folders: _args.PathArgument, jobs: int = 0, progress: Optional[Progress] = None
) -> VerifyReport:
    """Verifies sealed dataset folders against their manifests: the report names each
    file that FAILED its digests, is MISSING or NEW, MOVED (new, with the bytes of a missing
    file), was REFORMATTED (its digests hold, its bytes changed) or could not be read
    (ERROR), and is true when every folder is intact.
    `jobs` and `progress` as for `seal`. Raises `Refused` without a folder, `Error` when
    cancelled."""
    paths = [_args.path(f"folders[{i}]", folder) for i, folder in enumerate(folders)]
    callback = _ProgressCallback(progress)
    array = (ctypes.c_char_p * max(1, len(paths)))(*paths)
    arguments = (array, len(paths), _jobs(jobs), 0, callback.pointer, None)
    status, (report, text, message) = call(_c.zt7kit_verify, *arguments, texts=3)
    callback.raise_caught()
    if status not in (OK, MISMATCH):
        answered("verify", ", ".join(map(str, folders)), status, message)
    return VerifyReport.from_json(json.loads(report), text)
