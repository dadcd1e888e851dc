"""Python values checked and turned into the texts and numbers that the C functions take.

Every check happens here, before anything reaches the library: a None, a bytes value
where text is expected or a NUL character raises at once instead of being read by C as
an empty or shortened text.
"""

from __future__ import annotations

import operator
import os
from typing import Union

PathArgument = Union[str, "os.PathLike[str]"]


def _type_error(name: str, expected: str, value: object) -> TypeError:
    return TypeError(f"{name}: expected {expected}, got {type(value).__name__}")


def _without_nul(name: str, text: str | bytes) -> None:
    if ("\0" if isinstance(text, str) else b"\0") in text:
        raise ValueError(f"{name}: embedded NUL character")


def _encoded(name: str, value: str) -> bytes:
    _without_nul(name, value)
    try:
        return value.encode("utf-8", "surrogateescape")
    except UnicodeEncodeError as error:
        raise ValueError(f"{name}: {error.reason}: {value!r}") from None


def path(name: str, value: PathArgument) -> bytes:
    """A path as the bytes of its file name: UTF-8, and the surrogateescape form of a name
    that is not UTF-8 (as os.listdir gives it) as the name's own bytes."""
    if value is None or isinstance(value, bytes):
        raise _type_error(name, "a str or os.PathLike path", value)
    try:
        text = os.fspath(value)
    except TypeError:
        raise _type_error(name, "a str or os.PathLike path", value) from None
    if not isinstance(text, str):
        raise _type_error(name, "a path that is text, not bytes", text)
    return _encoded(name, text)


def text(name: str, value: str) -> bytes:
    """A text such as a file mask as UTF-8."""
    if not isinstance(value, str):
        raise _type_error(name, "str", value)
    return _encoded(name, value)


def narrow_text(name: str, value: str | None, *, optional: bool = False) -> bytes | None:
    """An ASCII text such as a digest part as bytes; None passes as a null pointer only
    where the library gives null a meaning."""
    if value is None and optional:
        return None
    if not isinstance(value, str):
        raise _type_error(name, "str", value)
    _without_nul(name, value)
    try:
        return value.encode("ascii")
    except UnicodeEncodeError:
        raise ValueError(f"{name}: digest texts are ASCII; got {value!r}") from None


def digest_parts(
    first: str | None, second: str | None, *, optional: bool = False
) -> tuple[bytes | None, bytes | None]:
    """A stored digest's two parts, given as two texts or, as the tool prints it, as one
    text FIRST,SECOND."""
    if isinstance(first, str) and second is None and "," in first:
        first, second = first.split(",", 1)
    for part_name, part in (("first", first), ("second", second)):
        if isinstance(part, str) and "," in part:
            raise ValueError(f"{part_name}: a digest is two parts with one comma between them")
    return narrow_text("first", first, optional=optional), narrow_text("second", second, optional=True)


def narrow_bytes(name: str, value: str | bytes) -> bytes:
    """A text whose bytes the library takes as they are: bytes unchanged, str as ASCII."""
    if isinstance(value, (bytes, bytearray, memoryview)):
        value = bytes(value)
    elif isinstance(value, str):
        try:
            value = value.encode("ascii")
        except UnicodeEncodeError:
            raise ValueError(f"{name}: a str must be ASCII; pass bytes for others") from None
    else:
        raise _type_error(name, "str or bytes", value)
    _without_nul(name, value)
    return value


def real_number(name: str, value: float) -> float:
    """A number given as int or float (or anything with __float__), never as text."""
    if value is None or isinstance(value, (str, bytes)):
        raise _type_error(name, "a number", value)
    try:
        return float(value)
    except TypeError:
        raise _type_error(name, "a number", value) from None


def int32(name: str, value: int) -> int:
    """A whole number that fits the library's signed 32-bit int."""
    if isinstance(value, bool):
        raise _type_error(name, "int", value)
    try:
        value = operator.index(value)
    except TypeError:
        raise _type_error(name, "int", value) from None
    if not -(2**31) <= value < 2**31:
        raise ValueError(f"{name}: {value} does not fit a signed 32-bit integer")
    return value
