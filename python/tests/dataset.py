"""A small data collection made on disk for the tests, and digests computed with hashlib."""

from __future__ import annotations

import hashlib
import random
from pathlib import Path

TEST_CRYSTAL_CELL = "CELL 0.71073 5.95 9.03 18.38 90 90 90"


def reflection_lines(count: int, seed: int = 7) -> list[str]:
    """HKL lines in fixed columns (3I4, 2F8.2)."""
    rng = random.Random(seed)
    lines = []
    for _ in range(count):
        h, k, l = rng.randint(-9, 9), rng.randint(-9, 9), rng.randint(1, 20)
        intensity = rng.expovariate(1 / 500)
        lines.append(f"{h:4d}{k:4d}{l:4d}{intensity:8.2f}{1 + intensity ** 0.5:8.2f}")
    return lines


def altered(digest: str) -> str:
    """The digest with its last character changed."""
    return digest[:-1] + ("1" if digest.endswith("0") else "0")


def write_lines(path: Path, lines: list[str]) -> Path:
    path.write_bytes("".join(line + "\n" for line in lines).encode("ascii"))
    return path


def make_collection(root: Path, frames: int = 6, reflections: int = 150) -> dict[str, Path]:
    """Frames (with a file the mask "*.img" leaves out), an HKL file, and a test-crystal
    HKL file with its .ins structure file."""
    rng = random.Random(11)
    folder = root / "frames"
    folder.mkdir(parents=True)
    for i in range(frames):
        (folder / f"frame_{i:03d}.img").write_bytes(rng.randbytes(500 + 97 * i))
    (folder / "notes.txt").write_text("not a frame\n")
    lines = reflection_lines(reflections)
    write_lines(root / "crystal.hkl", lines + [TEST_CRYSTAL_CELL])
    (root / "crystal.ins").write_text(f"TITL test\n{TEST_CRYSTAL_CELL}\nEND\n")
    return {"frames": folder, "hkl": write_lines(root / "run.hkl", lines),
            "crystal": root / "crystal.hkl"}


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
    """The frames digest: the first frame by name, four frames each picked by the little-
    endian value of the leading bytes of the last MD5, ten rounds of mixing."""
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
