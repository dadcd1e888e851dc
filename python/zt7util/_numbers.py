"""CIF numbers, with or without a standard uncertainty, as floats."""

from __future__ import annotations

import math
import re
from collections.abc import Iterable
from typing import Any

# An integer or a decimal with optional exponent, then an optional "(su)"; ASCII digits
# only, for float() would also take "inf", "1_0" or other scripts' digits.
_NUMBER = re.compile(r"([+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?)(?:\([0-9]+\))?")

_numpy: Any = None
_numpy_tried = False


def _number(value: object) -> float:
    # Unknown and inapplicable: "?" and "." in CIF text, None and False in read_cif's
    # document, where an unquoted ? and . are JSON's null and false.
    if value is None or value is False:
        return math.nan
    if not isinstance(value, str):
        raise ValueError(f"not a CIF number: {value!r}")
    if value in ("?", "."):
        return math.nan
    matched = _NUMBER.fullmatch(value)
    if matched is None:
        raise ValueError(f"not a CIF number: {value!r}")
    return float(matched[1])


def _load_numpy() -> Any:
    """NumPy, imported on first use (it costs a tenth of a second), or None without it."""
    global _numpy, _numpy_tried
    if not _numpy_tried:
        try:
            import numpy
        except ImportError:
            numpy = None
        _numpy, _numpy_tried = numpy, True
    return _numpy


def cif_numbers(values: Iterable[object]) -> Any:
    """The CIF numbers `values` (e.g. a loop's column from `read_cif`) as floats, each
    without its standard uncertainty: "1.234(5)" gives 1.234, "-1.5e3(2)" -1500.0, "12(3)"
    12.0. The unknown and inapplicable values ("?", ".", and None and False as `read_cif`
    gives them) become NaN. A NumPy float64 array when NumPy is installed, else a list.
    Raises ValueError naming the first value that is not a CIF number."""
    if isinstance(values, (str, bytes)):
        raise TypeError(f"values: expected an iterable of CIF values, got {type(values).__name__}")
    numbers = [_number(value) for value in values]
    numpy = _load_numpy()
    return numbers if numpy is None else numpy.array(numbers, dtype=numpy.float64)
