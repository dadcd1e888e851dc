"""A small data collection made on disk for the tests."""

from __future__ import annotations

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

