"""Seal diffraction data (frame folders, HKL files, reflection files) with integrity
digests, and check them later, through the zt7util library.

A digest is a short ASCII text computed from the data; store it with the data and ask
later whether the data still match it::

    import zt7util
    frames = zt7util.frames_digest("run1/frames", "*.cbf")
    seal = zt7util.hkl_digest("run1/run1.hkl", "run1/frames", "*.cbf", *frames)
    print(str(seal))                                          # store this text
    assert zt7util.check_hkl("run1/run1.hkl", *seal)          # later: both parts check out

Paths are str or os.PathLike, relative ones taken from the current folder. A stored digest
is given as its two parts or as one text FIRST,SECOND, as the zt7util tool prints it. A
digest that the library refuses raises `Refused`; a check that fails returns a false result
and never raises. Calls from several threads are safe
and run in parallel: the library is safe for this, and the interpreter lock is released
during each call. The library is found through the ZT7UTIL_LIBRARY environment variable,
else beside an installed package, else by the system's loader.
"""

from __future__ import annotations

import os

from . import _arguments as _args
from . import _library
from ._numbers import cif_numbers
from ._results import Check, Digest, Refused

__version__ = "11.0.0"
__all__ = [
    "Check", "Digest", "Refused", "version", "key_version", "set_key_version", "info",
    "frames_digest", "check_frames", "hkl_digest", "update_hkl_digest", "check_hkl",
    "check_refs", "match_hkl", "check_cell", "dyn_digest", "check_dyn", "cif_numbers",
]

PathArgument = _args.PathArgument
_c = _library.library


def _issued(call: str, path: object, reasons: str, text: bytes | None) -> str:
    if not text:
        raise Refused(call, os.fspath(path), reasons)
    return text.decode("ascii")


def version() -> int:
    """The library's version number (11)."""
    return _c.iwGetVersion()


def key_version() -> int:
    """The digest scheme used for new HKL digests: 1, 2, or 3 (the default; any other
    number also selects scheme 3)."""
    return _c.iGetKeyVersion()


def set_key_version(version: int) -> None:
    """Selects the digest scheme for new HKL digests of the whole process (see
    `key_version`); set it once, before starting threads. Scheme 1 hashes selected
    reflection lines, schemes 2 and 3 the distribution of the intensities. Checks read the
    scheme from the stored digest and ignore this setting."""
    value = _args.int32("version", version)
    _c.SetKeyVersion(value)


def info(text: str | bytes) -> int:
    """The library's check number of `text` (its bytes taken as signed 8-bit values)."""
    value = _args.narrow_bytes("text", text)
    return int(_c.pcGetInfo(value))


def frames_digest(folder: PathArgument, mask: str) -> Digest:
    """The frames digest of a data collection: the files of `folder` whose names match
    `mask` (e.g. "*.img;*.cbf": pieces separated by ";", wildcards "*" and "?", case
    ignored). Part 1 covers the first frame by name and two frames picked from it, part 2
    four; both cover the number of frames. Raises `Refused` for a missing folder, fewer
    than two matching frames, or a frame that cannot be read."""
    wide_folder = _args.wide_path("folder", folder)
    wide_mask = _args.wide_text("mask", mask)
    text = _c.pcDigestFrames(wide_folder, wide_mask)
    reasons = "no such folder, fewer than two frames match the mask, or a frame cannot be read"
    return Digest.from_text(_issued("frames_digest", folder, reasons, text))


def check_frames(folder: PathArgument, mask: str, first: str, second: str | None = None) -> Check:
    """Checks the stored frames digest (`first`, and `second` when given) against the
    frames in `folder` that match `mask` today. A missing folder checks out as nothing."""
    parts = _args.digest_parts(first, second)
    arguments = (_args.wide_path("folder", folder), _args.wide_text("mask", mask), *parts)
    return Check.from_code(_c.iValidateFramesDigests(*arguments), parts[1] is not None)


def hkl_digest(
    hkl: PathArgument, frames_folder: PathArgument, mask: str, first: str, second: str | None = None
) -> Digest:
    """Seals an HKL file (h, k, l, intensity, sigma in fixed columns) with a digest of
    the current scheme (`key_version`), provided the frames it was integrated from still
    match their frames digest (`first`, `second`, as `frames_digest` gave them). Part 2 is
    issued only when both frames parts check out. Raises `Refused` for a missing file,
    frames that do not check out, or a file of fewer than 20 lines."""
    arguments = (
        _args.wide_path("frames_folder", frames_folder),
        _args.wide_text("mask", mask),
        _args.wide_path("hkl", hkl),
        *_args.digest_parts(first, second),
    )
    text = _c.pcDigestHKL(*arguments)
    reasons = "no such file, the frames do not check out, or too few reflection lines"
    return Digest.from_text(_issued("hkl_digest", hkl, reasons, text))


def update_hkl_digest(
    old_hkl: PathArgument,
    new_hkl: PathArgument,
    old_first: str | None = None,
    old_second: str | None = None,
) -> Digest:
    """Carries the seal of `old_hkl` over to `new_hkl`, a re-processing of the same
    reflections: the old digest parts (scheme 1 or 2) must still seal the old file, and
    the new file must hold as many reflections with a matching intensity distribution.
    Gives a scheme-1 digest of the new file, with part 2 only when `old_second` checked
    out. Without old parts the old file's seal is not asked for. Raises `Refused`
    otherwise."""
    arguments = (
        _args.wide_path("old_hkl", old_hkl),
        _args.wide_path("new_hkl", new_hkl),
        *_args.digest_parts(old_first, old_second, optional=True),
    )
    text = _c.pcUpdateHKLDigests(*arguments)
    reasons = (
        "a file is missing, the old digest does not seal the old file, "
        "or the reflections do not match"
    )
    return Digest.from_text(_issued("update_hkl_digest", new_hkl, reasons, text))


def check_hkl(hkl: PathArgument, first: str | None = None, second: str | None = None) -> Check:
    """Checks an HKL file of at least 100 lines against its stored digest parts. A file
    without a valid digest still passes part 1 when it is one of the three standard test
    crystals and its CELL line agrees with the structure file beside it (.ins, else .res).
    """
    parts = _args.digest_parts(first, second, optional=True)
    return Check.from_code(
        _c.iValidateHKLDigests(_args.wide_path("hkl", hkl), *parts), parts[1] is not None
    )


def check_refs(
    reflections: str | bytes, first: str | None = None, second: str | None = None
) -> Check:
    """Checks a reflection list held as text (the lines of an HKL file separated by line
    feeds; carriage returns count as part of the lines) against its digest parts."""
    parts = _args.digest_parts(first, second, optional=True)
    return Check.from_code(
        _c.iValidateRefsDigests(_args.narrow_bytes("reflections", reflections), *parts),
        parts[1] is not None,
    )


def match_hkl(first_hkl: PathArgument, second_hkl: PathArgument) -> float:
    """The distance between the intensity distributions of two HKL files: 0.0 for the
    same intensities in any order, small for a re-integration of the same data, 1.0 when
    they cannot be compared (a missing file, fewer than 20 reflections, different
    numbers of reflections)."""
    arguments = (_args.wide_path("first_hkl", first_hkl), _args.wide_path("second_hkl", second_hkl))
    return _c.dMatchHKL(*arguments)


def check_cell(a: float, b: float, c: float, alpha: float, beta: float, gamma: float) -> bool:
    """Whether the unit cell (edges in angstroms, angles in degrees) is that of one of the
    three standard test crystals, within 0.2 angstrom per edge and 1 degree per angle."""
    values = dict(a=a, b=b, c=c, alpha=alpha, beta=beta, gamma=gamma)
    cell = _library.CELL(*(_args.real_number(name, value) for name, value in values.items()))
    return _c.bCheckCell(cell)


def dyn_digest(
    reflection_file: PathArgument,
    frames_folder: PathArgument,
    mask: str,
    first: str,
    second: str | None = None,
) -> str:
    """The DYN digest (38 characters) of a reflection file, issued only when both parts
    of the frames digest (`first`, `second`) still check out. A ".cif_od" file is sealed
    by its reflection loop (at least 100 rows of h, k, l, intensity and sigma in the first
    data block; a comment above the first data_ line counts as a block of its own), so
    its layout outside the loop may change; any other file by its whole content. Raises
    `Refused` otherwise."""
    arguments = (
        _args.wide_path("frames_folder", frames_folder),
        _args.wide_text("mask", mask),
        _args.wide_path("reflection_file", reflection_file),
        *_args.digest_parts(first, second),
    )
    text = _c.pcDigestDYN(*arguments)
    reasons = (
        "no such file, the frames do not check out in both parts, "
        "or no reflection loop of at least 100 rows"
    )
    return _issued("dyn_digest", reflection_file, reasons, text)


def check_dyn(reflection_file: PathArgument, digest: str) -> bool:
    """Whether the stored DYN `digest` still matches the reflection file."""
    arguments = (
        _args.wide_path("reflection_file", reflection_file),
        _args.narrow_text("digest", digest),
    )
    return _c.bValidateDYNDigest(*arguments)
