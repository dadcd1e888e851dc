"""Seal diffraction data (frame folders, HKL files, reflection files, whole dataset
folders) with integrity digests, check them later, and read CIF files, through the zt7kit
library.

A digest is a short ASCII text computed from the data; store it with the data and ask
later whether the data still match it::

    import zt7util
    frames = zt7util.frames_digest("run1/frames", "*.cbf")
    seal = zt7util.hkl_digest("run1/run1.hkl", "run1/frames", "*.cbf", *frames)
    print(str(seal))                                          # store this text
    assert zt7util.check_hkl("run1/run1.hkl", *seal)          # later: both parts check out

A whole folder is sealed at once, and verified later::

    zt7util.seal("data/run1", frames="*.cbf")                 # writes data/run1/zt7util-seal.txt
    report = zt7util.verify("data/run1", "data/run2", jobs=4)
    for dataset in report.datasets:
        print(dataset.folder, dataset.verdict)

Paths are str or os.PathLike, relative ones taken from the current folder. A stored digest
is given as its two parts or as one text FIRST,SECOND, as the zt7util tool prints it. A
request that the library refuses raises `Refused` with the library's reason; one that
fails for the system (a read error, no memory, a cancelled seal) raises `Error`; a check
that fails returns a false result. Calls from several threads are safe and run in
parallel: the interpreter lock is released during each call, and the library keeps
nothing between calls. The library is found through the ZT7KIT_LIBRARY environment
variable, else beside an installed package, else by the system's loader.
"""

from ._cif import CifCheck, Finding, check_cif, cif_json, format_cif, read_cif
from ._dataset import seal, verify
from ._digests import (
    PathArgument, check_cell, check_dyn, check_frames, check_hkl, check_refs, dyn_digest,
    frames_digest, hkl_digest, info, key_version, match_hkl, set_key_version,
    update_hkl_digest, version,
)
from ._numbers import cif_numbers
from ._reports import CheckedItem, DatasetReport, SealedItem, SealReport, VerifyReport
from ._results import Check, Digest, Error, Refused

__version__ = "11.0.0"
__all__ = [
    "Check", "Digest", "Refused", "Error", "version", "key_version", "set_key_version", "info",
    "frames_digest", "check_frames", "hkl_digest", "update_hkl_digest", "check_hkl",
    "check_refs", "match_hkl", "check_cell", "dyn_digest", "check_dyn",
    "seal", "verify", "SealReport", "SealedItem", "VerifyReport", "DatasetReport", "CheckedItem",
    "read_cif", "check_cif", "cif_json", "format_cif", "CifCheck", "Finding", "cif_numbers",
    "PathArgument",
]
