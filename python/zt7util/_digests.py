"""The digests and their checks: frames, HKL, reflection lists, DYN, cells."""

from __future__ import annotations

import ctypes

from . import _arguments as _args
from . import _library
from ._library import ERROR, OK, call
from ._results import Check, Digest, answered

PathArgument = _args.PathArgument
_c = _library.library
_key_version = _library.DEFAULT_KEY_VERSION


def _issued(name: str, path: object, status: int, texts: list[str | None]) -> str:
    answered(name, path, status, texts[-1])
    return texts[0]


def _checked(
    name: str, path: object, status: int, code: int, second: object, message: str | None
) -> Check:
    if status == ERROR:
        answered(name, path, status, message)
    return Check.from_code(code, second is not None, message)


def version() -> int:
    """The library's version number (11)."""
    return _c.zt7kit_version()


def key_version() -> int:
    """The digest scheme used for new HKL digests: 1, 2, or 3 (the default; any other
    number also selects scheme 3)."""
    return _key_version


def set_key_version(version: int) -> None:
    """Selects the digest scheme for new HKL digests of the whole process (see
    `key_version`); set it once, before starting threads. Scheme 1 hashes selected
    reflection lines, schemes 2 and 3 the distribution of the intensities. Checks read the
    scheme from the stored digest and ignore this setting."""
    global _key_version
    _key_version = _args.int32("version", version)


def info(text: str | bytes) -> int:
    """The library's check number of `text` (its bytes taken as signed 8-bit values)."""
    value = _args.narrow_bytes("text", text)
    status, texts = call(_c.zt7kit_info, value, len(value), texts=2)
    return int(_issued("info", "", status, texts))


def frames_digest(folder: PathArgument, mask: str) -> Digest:
    """The frames digest of a data collection: the files of `folder` whose names match
    `mask` (e.g. "*.img;*.cbf": pieces separated by ";", wildcards "*" and "?", case
    ignored). Part 1 covers the first frame by name and two frames picked from it, part 2
    four; both cover the number of frames. Raises `Refused` for a missing folder, fewer
    than two matching frames, or a frame that cannot be read."""
    arguments = (_args.path("folder", folder), _args.text("mask", mask))
    status, texts = call(_c.zt7kit_digest_frames, *arguments, texts=2)
    return Digest.from_text(_issued("frames_digest", folder, status, texts))


def check_frames(folder: PathArgument, mask: str, first: str, second: str | None = None) -> Check:
    """Checks the stored frames digest (`first`, and `second` when given) against the
    frames in `folder` that match `mask` today. A missing folder checks out as nothing."""
    parts = _args.digest_parts(first, second)
    arguments = (_args.path("folder", folder), _args.text("mask", mask), *parts)
    code = ctypes.c_int(0)
    status, (message,) = call(_c.zt7kit_check_frames, *arguments, ctypes.byref(code), texts=1)
    return _checked("check_frames", folder, status, code.value, parts[1], message)


def hkl_digest(
    hkl: PathArgument, frames_folder: PathArgument, mask: str, first: str, second: str | None = None
) -> Digest:
    """Seals an HKL file (h, k, l, intensity, sigma in fixed columns) with a digest of
    the current scheme (`key_version`), provided the frames it was integrated from still
    match their frames digest (`first`, `second`, as `frames_digest` gave them). Part 2 is
    issued only when both frames parts check out. Raises `Refused` for a missing file,
    frames that do not check out, or a file of fewer than 20 lines."""
    arguments = (
        _args.path("frames_folder", frames_folder),
        _args.text("mask", mask),
        _args.path("hkl", hkl),
        *_args.digest_parts(first, second),
        _key_version if 1 <= _key_version <= 3 else _library.DEFAULT_KEY_VERSION,
    )
    status, texts = call(_c.zt7kit_digest_hkl, *arguments, texts=2)
    return Digest.from_text(_issued("hkl_digest", hkl, status, texts))


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
        _args.path("old_hkl", old_hkl),
        _args.path("new_hkl", new_hkl),
        *_args.digest_parts(old_first or "", old_second, optional=True),
    )
    status, texts = call(_c.zt7kit_update_hkl, *arguments, texts=2)
    return Digest.from_text(_issued("update_hkl_digest", new_hkl, status, texts))


def check_hkl(hkl: PathArgument, first: str | None = None, second: str | None = None) -> Check:
    """Checks an HKL file of at least 100 lines against its stored digest parts. A file
    without a valid digest still passes part 1 when it is one of the three standard test
    crystals and its CELL line agrees with the structure file beside it (.ins, else .res).
    """
    parts = _args.digest_parts(first, second, optional=True)
    code = ctypes.c_int(0)
    arguments = (_args.path("hkl", hkl), parts[0] or b"", parts[1], ctypes.byref(code))
    status, (message,) = call(_c.zt7kit_check_hkl, *arguments, texts=1)
    return _checked("check_hkl", hkl, status, code.value, parts[1], message)


def check_refs(
    reflections: str | bytes, first: str | None = None, second: str | None = None
) -> Check:
    """Checks a reflection list held as text (the lines of an HKL file separated by line
    feeds; carriage returns count as part of the lines) against its digest parts."""
    parts = _args.digest_parts(first, second, optional=True)
    text = _args.narrow_bytes("reflections", reflections)
    code = ctypes.c_int(0)
    arguments = (None, text, len(text), parts[0] or b"", parts[1], ctypes.byref(code))
    status, (message,) = call(_c.zt7kit_check_refs, *arguments, texts=1)
    return _checked("check_refs", "", status, code.value, parts[1], message)


def match_hkl(first_hkl: PathArgument, second_hkl: PathArgument) -> float:
    """The distance between the intensity distributions of two HKL files: 0.0 for the
    same intensities in any order, small for a re-integration of the same data, 1.0 when
    they cannot be compared (a missing file, fewer than 20 reflections, different
    numbers of reflections)."""
    arguments = (_args.path("first_hkl", first_hkl), _args.path("second_hkl", second_hkl))
    distance = ctypes.c_double(1.0)
    status, (message,) = call(_c.zt7kit_match_hkl, *arguments, ctypes.byref(distance), texts=1)
    if status == ERROR:
        answered("match_hkl", first_hkl, status, message)
    return distance.value if status == OK else 1.0


def check_cell(a: float, b: float, c: float, alpha: float, beta: float, gamma: float) -> bool:
    """Whether the unit cell (edges in angstroms, angles in degrees) is that of one of the
    three standard test crystals, within 0.2 angstrom per edge and 1 degree per angle."""
    values = dict(a=a, b=b, c=c, alpha=alpha, beta=beta, gamma=gamma)
    cell = _library.CELL(*(_args.real_number(name, value) for name, value in values.items()))
    status, (message,) = call(_c.zt7kit_check_cell, cell, texts=1)
    if status == ERROR:
        answered("check_cell", "", status, message)
    return status == OK


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
        _args.path("frames_folder", frames_folder),
        _args.text("mask", mask),
        _args.path("reflection_file", reflection_file),
        *_args.digest_parts(first, second),
    )
    status, texts = call(_c.zt7kit_digest_dyn, *arguments, texts=2)
    return _issued("dyn_digest", reflection_file, status, texts)


def check_dyn(reflection_file: PathArgument, digest: str) -> bool:
    """Whether the stored DYN `digest` still matches the reflection file."""
    arguments = (
        _args.path("reflection_file", reflection_file),
        _args.narrow_text("digest", digest),
    )
    status, (message,) = call(_c.zt7kit_check_dyn, *arguments, texts=1)
    if status == ERROR:
        answered("check_dyn", reflection_file, status, message)
    return status == OK
