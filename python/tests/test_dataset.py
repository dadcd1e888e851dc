"""seal and verify: the manifest's items, the report of each file, cancelling, bad input."""

from __future__ import annotations

import hashlib
import shutil
import tempfile
import unittest
from pathlib import Path

import dataset
import zt7util
from zt7util import Error, Refused

MANIFEST = "zt7util-seal.txt"


def sealed_folder(root: Path, name: str) -> Path:
    folder = root / name
    dataset.make_collection(folder)
    zt7util.seal(folder, jobs=2)
    return folder


class Seal(unittest.TestCase):
    def setUp(self) -> None:
        self.root = Path(tempfile.mkdtemp(prefix="zt7util-seal."))
        self.addCleanup(shutil.rmtree, self.root)
        self.files = dataset.make_collection(self.root / "run1")
        self.folder = self.root / "run1"

    def test_every_file_is_sealed_by_its_digests(self) -> None:
        report = zt7util.seal(self.folder, jobs=2)
        self.assertEqual((report.folder, report.manifest), (str(self.folder),
                                                            str(self.folder / MANIFEST)))
        self.assertTrue((self.folder / MANIFEST).is_file())
        files = sorted(p.relative_to(self.folder).as_posix() for p in self.folder.rglob("*")
                       if p.is_file() and p.name != MANIFEST)
        sha256 = {i.path: i.digest for i in report.items if i.kind == "SHA256"}
        self.assertEqual(sorted(sha256), files)
        for path in files:  # hashlib, not the library, says what each file's SHA-256 is
            self.assertEqual(sha256[path].lower(),
                             hashlib.sha256((self.folder / path).read_bytes()).hexdigest())
        others = {(i.kind, i.path): i.digest for i in report.items if i.kind != "SHA256"}
        self.assertEqual(sorted(others), [("FRAMES", "frames/*.img"), ("HKL", "run.hkl")])
        self.assertEqual(report.counts, {"files": 8, "frame-sets": 1, "hkl-files": 1,
                                         "reflection-files": 0})
        self.assertEqual((report.key_version, str(report)), (3, report.summary))
        self.assertIn(str(self.folder), report.summary)

    def test_what_cannot_be_sealed_is_refused_with_its_reason(self) -> None:
        missing = self.root / "missing"
        a_file = self.files["hkl"]
        for folder in (missing, a_file):
            with self.subTest(folder=folder.name):
                with self.assertRaises(Refused) as caught:
                    zt7util.seal(folder)
                self.assertTrue(caught.exception.reason.strip(), caught.exception)
        self.assertRaises(ValueError, zt7util.seal, self.folder, jobs=-1)
        self.assertFalse((self.folder / MANIFEST).exists())

    def test_progress_is_reported_and_can_cancel(self) -> None:
        for i in range(64):  # holes, but 4 GiB to hash: seconds, where a cancel takes one file
            with open(self.folder / f"large{i}.bin", "wb") as large:
                large.truncate(64 << 20)
        seen = []

        def cancel(*step: int) -> bool:
            seen.append(step)
            return True

        with self.assertRaises(Error) as caught:
            zt7util.seal(self.folder, jobs=1, progress=cancel)
        done, total, datasets_done, datasets = seen[0]
        self.assertTrue(done < total and total > 64 << 26, seen)
        self.assertEqual((datasets_done, datasets), (0, 1))
        self.assertTrue(caught.exception.reason)
        self.assertFalse((self.folder / MANIFEST).exists())
        self.assertRaises(ZeroDivisionError, zt7util.seal, self.folder, jobs=1,
                          progress=lambda *step: 1 / 0)
        self.assertFalse((self.folder / MANIFEST).exists())


class Verify(unittest.TestCase):
    def setUp(self) -> None:
        self.root = Path(tempfile.mkdtemp(prefix="zt7util-verify."))
        self.addCleanup(shutil.rmtree, self.root)

    def test_each_changed_file_is_named_with_its_status_and_reason(self) -> None:
        folder = sealed_folder(self.root, "run1")
        (folder / "frames/frame_002.img").unlink()
        (folder / "extra.txt").write_text("new\n")
        hkl = folder / "run.hkl"
        lines = hkl.read_text().splitlines()
        lines[70] = lines[70][:12] + f"{9999.25:8.2f}" + lines[70][20:]  # one intensity
        dataset.write_lines(hkl, lines)
        report = zt7util.verify(folder, jobs=3)
        self.assertFalse(report)
        (checked,) = report.datasets
        self.assertEqual(checked.verdict, "NOT INTACT")
        statuses = {(i.path, i.kind): i.status for i in checked.items if i.status != "OK"}
        self.assertEqual(statuses, {("frames/frame_002.img", "SHA256"): "MISSING",
                                    ("extra.txt", "SHA256"): "NEW",
                                    ("run.hkl", "SHA256"): "FAILED",
                                    ("run.hkl", "HKL"): "FAILED",
                                    ("frames/*.img", "FRAMES"): "FAILED"})
        for item in checked.items:  # what is new or missing needs no reason
            self.assertEqual(bool(item.reason), item.status == "FAILED", item)
        self.assertIn("run.hkl: FAILED", str(report))

    def test_what_cannot_be_verified(self) -> None:
        with self.assertRaises(Refused):
            zt7util.verify()
        self.assertRaises(TypeError, zt7util.verify, None)
        self.assertRaises(ValueError, zt7util.verify, "a\0b")


if __name__ == "__main__":
    unittest.main()
