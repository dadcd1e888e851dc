"""Finding and loading libzt7kit.so once, with the C prototypes of its functions, and
calling them so that every text the library hands out is copied and freed at once."""

from __future__ import annotations

import ctypes
import os
from collections.abc import Callable
from typing import Any

ENVIRONMENT_VARIABLE = "ZT7KIT_LIBRARY"
SONAME = "libzt7kit.so.11"

OK, MISMATCH, REFUSED, ERROR = range(4)
DEFAULT_KEY_VERSION = 3

_TEXT = ctypes.c_char_p
_OUT = ctypes.POINTER(ctypes.c_void_p)  # char**: left as an address, so that it can be freed
_INT_OUT = ctypes.POINTER(ctypes.c_int)
_SIZE = ctypes.c_size_t
_STATUS = ctypes.c_int
CELL = ctypes.c_double * 6
PROGRESS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_uint64, ctypes.c_uint64, _SIZE, _SIZE,
                            ctypes.c_void_p)
WRITE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, _SIZE, ctypes.c_void_p)

# name: (result type, argument types), as include/zt7kit.h declares them.
_PROTOTYPES = {
    "zt7kit_free": (None, [ctypes.c_void_p]),
    "zt7kit_version": (ctypes.c_int32, []),
    "zt7kit_info": (_STATUS, [_TEXT, _SIZE, _OUT, _OUT]),
    "zt7kit_digest_frames": (_STATUS, [_TEXT, _TEXT, _OUT, _OUT]),
    "zt7kit_check_frames": (_STATUS, [_TEXT, _TEXT, _TEXT, _TEXT, _INT_OUT, _OUT]),
    "zt7kit_digest_hkl": (_STATUS, [_TEXT, _TEXT, _TEXT, _TEXT, _TEXT, ctypes.c_int, _OUT, _OUT]),
    "zt7kit_update_hkl": (_STATUS, [_TEXT, _TEXT, _TEXT, _TEXT, _OUT, _OUT]),
    "zt7kit_check_hkl": (_STATUS, [_TEXT, _TEXT, _TEXT, _INT_OUT, _OUT]),
    "zt7kit_check_refs": (_STATUS, [_TEXT, _TEXT, _SIZE, _TEXT, _TEXT, _INT_OUT, _OUT]),
    "zt7kit_match_hkl": (_STATUS, [_TEXT, _TEXT, ctypes.POINTER(ctypes.c_double), _OUT]),
    "zt7kit_check_cell": (_STATUS, [CELL, _OUT]),
    "zt7kit_digest_dyn": (_STATUS, [_TEXT, _TEXT, _TEXT, _TEXT, _TEXT, _OUT, _OUT]),
    "zt7kit_check_dyn": (_STATUS, [_TEXT, _TEXT, _OUT]),
    "zt7kit_seal": (_STATUS, [_TEXT, _TEXT, ctypes.c_int, ctypes.c_uint, ctypes.c_uint, PROGRESS,
                              ctypes.c_void_p, _OUT, _OUT, _OUT]),
    "zt7kit_verify": (_STATUS, [ctypes.POINTER(_TEXT), _SIZE, ctypes.c_uint, ctypes.c_uint,
                                PROGRESS, ctypes.c_void_p, _OUT, _OUT, _OUT]),
    "zt7kit_check_cif": (_STATUS, [_TEXT, _TEXT, _SIZE, _OUT, _OUT, _OUT, _OUT]),
    "zt7kit_cif_json": (_STATUS, [_TEXT, _TEXT, _SIZE, WRITE, ctypes.c_void_p, _OUT, _OUT]),
    "zt7kit_format_cif": (_STATUS, [_TEXT, _TEXT, _SIZE, _TEXT, WRITE, ctypes.c_void_p, _OUT,
                                    _OUT]),
}


def _candidates() -> list[str]:
    """The library files to try, in order: the override, the installed copy, the loader's."""
    override = os.environ.get(ENVIRONMENT_VARIABLE)
    if override:
        return [override]  # an explicit choice is never replaced by another library
    candidates = []
    try:
        from . import _installed  # written by `cmake --install`, absent in a source tree
    except ImportError:
        pass
    else:
        package_folder = os.path.dirname(os.path.abspath(__file__))
        candidates.append(os.path.normpath(os.path.join(package_folder, _installed.LIBRARY)))
    candidates.append(SONAME)  # LD_LIBRARY_PATH and the system's library folders
    return candidates


def _load() -> ctypes.CDLL:
    failures = []
    for candidate in _candidates():
        try:
            library = ctypes.CDLL(candidate)
        except OSError as error:
            failures.append(f"{candidate} ({error})")
            continue
        for name, (result, arguments) in _PROTOTYPES.items():
            try:
                function = getattr(library, name)
            except AttributeError:
                raise ImportError(f"zt7util: {candidate} has no function {name}") from None
            function.restype = result
            function.argtypes = arguments
        return library
    raise ImportError(
        "zt7util: cannot load the zt7kit library; tried "
        + "; ".join(failures)
        + f". Set {ENVIRONMENT_VARIABLE} to the path of libzt7kit.so."
    )


library = _load()
_free = library.zt7kit_free


def _taken(slot: ctypes.c_void_p) -> bytes | None:
    """The text at `slot`, copied; the library's copy is freed."""
    if not slot.value:
        return None
    try:
        return ctypes.string_at(slot.value)
    finally:
        _free(slot)


def call(function: Callable[..., int], *arguments: Any, texts: int) -> tuple[int, list[str | None]]:
    """Calls `function` with `arguments` and then `texts` char** outputs (the message
    last); gives its status and the texts as str (bytes that are not UTF-8 as lone
    surrogates, as os.fsdecode gives file names). The call runs without the interpreter
    lock, and nothing it hands out outlives this function."""
    slots = [ctypes.c_void_p() for _ in range(texts)]
    try:
        status = function(*arguments, *(ctypes.byref(slot) for slot in slots))
    finally:
        copies = [_taken(slot) for slot in slots]
    return status, [None if c is None else c.decode("utf-8", "surrogateescape") for c in copies]
