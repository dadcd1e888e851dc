"""A small data collection made on disk for the tests, and digests computed with hashlib."""

from __future__ import annotations

import hashlib
from pathlib import Path

def reflection_lines(count: int) -> list[str]:
    """HKL lines in fixed columns (3I4, 2F8.2), no two with the same indices."""
    return [f"{i % 19 - 9:4d}{i % 7 - 3:4d}{i % 20 + 1:4d}{i * 37 % 997 + 0.25:8.2f}{1.5:8.2f}"
            for i in range(count)]


def write_lines(path: Path, lines: list[str]) -> Path:
    path.write_bytes("".join(line + "\n" for line in lines).encode("ascii"))
    return path


def make_collection(root: Path, frames: int = 6, reflections: int = 150) -> dict[str, Path]:
    """Frames (and a file the mask "*.img" leaves out) and an HKL file."""
    folder = root / "frames"
    folder.mkdir(parents=True)
    for i in range(frames):
        (folder / f"frame_{i:03d}.img").write_bytes(bytes([i]) * (500 + 97 * i))
    (folder / "notes.txt").write_text("not a frame\n")
    return {"frames": folder, "hkl": write_lines(root / "run.hkl", reflection_lines(reflections))}


# None of the texts hashed below is 56 bytes long modulo 64, the one length where the
# library's in-memory padding differs from the standard one that hashlib follows.
def _md5_text(text: str) -> str:
    return hashlib.md5(text.encode("ascii")).hexdigest()


def _grouped(hex_digits: str) -> str:
    return " ".join(hex_digits[i : i + 8] for i in range(0, len(hex_digits), 8))


def _with_check_characters(text: str, positions: tuple[int, ...]) -> str:
    check = _md5_text(text)
    return text + "".join(check[p] for p in positions)


def frames_digest(folder: Path, pattern: str) -> str:
    names = sorted(p.name for p in folder.glob(pattern))
    count = len(names)
    digest = hashlib.md5((folder / names[0]).read_bytes()).digest()
    a, picked = digest.hex(), []
    width = min(count // 255 + 1, 4)
    for _ in range(4):
        value = int.from_bytes(digest[:width], "little")
        picked_name = names[value % count if value else count - 1]
        digest = hashlib.md5((folder / picked_name).read_bytes()).digest()
        picked.append(digest.hex())
    b, c = picked[0] + picked[1], picked[2] + picked[3]
    for _ in range(10):
        a = _md5_text(a + b)
        b = _md5_text(a + b)
        c = _md5_text(a + b + c)
    n = f"{count:05d}"
    first = _with_check_characters("01" + _md5_text(a + b) + n, (0, 8, 16, 24))
    second = _with_check_characters("11" + _md5_text(a + b + c) + n, (0, 8, 16, 24))
    return f"{first},{second}"


def whole_file_dyn_digest(path: Path) -> str:
    """The DYN digest of a file that is not a .cif_od file (its whole content)."""
    x = _grouped(hashlib.sha256(path.read_bytes()).hexdigest())
    summary = (_md5_text(x) + _grouped(hashlib.sha256(x.encode()).hexdigest())
               + _grouped(hashlib.sha224(x.encode()).hexdigest()))
    return _with_check_characters("61" + _md5_text(summary), (0, 6, 18, 24))
