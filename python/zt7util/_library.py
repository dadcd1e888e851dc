"""Finding and loading libzt7util.so once, with the C prototypes of its exports."""

from __future__ import annotations

import ctypes
import os

ENVIRONMENT_VARIABLE = "ZT7UTIL_LIBRARY"
SONAME = "libzt7util.so.11"

# Texts of both widths cross as pointers to bytes that the caller has encoded and
# NUL-terminated: UTF-16LE for the wide arguments, as they are for the narrow ones.
_TEXT = ctypes.c_char_p
_INT = ctypes.c_int32
CELL = ctypes.c_double * 6

# name: (result type, argument types), as include/zt7util.h declares them. The host-object
# plumbing (GetZTRunnable, Initialise) is left out: it needs a C++ host object.
_PROTOTYPES = {
    "SetKeyVersion": (None, [_INT]),
    "iGetKeyVersion": (_INT, []),
    "iwGetVersion": (_INT, []),
    "pcGetInfo": (_TEXT, [_TEXT]),
    "pcDigestFrames": (_TEXT, [_TEXT, _TEXT]),
    "iValidateFramesDigests": (_INT, [_TEXT, _TEXT, _TEXT, _TEXT]),
    "pcDigestDYN": (_TEXT, [_TEXT, _TEXT, _TEXT, _TEXT, _TEXT]),
    "bValidateDYNDigest": (ctypes.c_bool, [_TEXT, _TEXT]),
    "pcDigestHKL": (_TEXT, [_TEXT, _TEXT, _TEXT, _TEXT, _TEXT]),
    "pcUpdateHKLDigests": (_TEXT, [_TEXT, _TEXT, _TEXT, _TEXT]),
    "iValidateHKLDigests": (_INT, [_TEXT, _TEXT, _TEXT]),
    "iValidateRefsDigests": (_INT, [_TEXT, _TEXT, _TEXT]),
    "dMatchHKL": (ctypes.c_double, [_TEXT, _TEXT]),
    "bCheckCell": (ctypes.c_bool, [CELL]),
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
                raise ImportError(f"zt7util: {candidate} has no export {name}") from None
            function.restype = result
            function.argtypes = arguments
        return library
    raise ImportError(
        "zt7util: cannot load the zt7util library; tried "
        + "; ".join(failures)
        + f". Set {ENVIRONMENT_VARIABLE} to the path of libzt7util.so."
    )


library = _load()
