"""The zt7util package against the built library: results, refusals, bad input, paths."""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import dataset
import zt7util
from zt7util import Check, Digest, Refused

MASK = "*.img"


class SealedCollection(unittest.TestCase):
    """One data collection, sealed once, shared by all tests."""

    @classmethod
    def setUpClass(cls) -> None:
        cls.root = Path(tempfile.mkdtemp(prefix="zt7util-py."))
        cls.addClassCleanup(shutil.rmtree, cls.root)
        cls.files = dataset.make_collection(cls.root)
        cls.frames = zt7util.frames_digest(cls.files["frames"], MASK)
        cls.seal = zt7util.hkl_digest(cls.files["hkl"], cls.files["frames"], MASK, *cls.frames)

    def use_key_version(self, version: int) -> None:
        self.addCleanup(zt7util.set_key_version, zt7util.key_version())
        zt7util.set_key_version(version)

    def test_module_queries(self) -> None:
        self.use_key_version(-1)
        queries = (zt7util.version(), zt7util.key_version(), zt7util.info("az"), zt7util.info(b""))
        self.assertEqual(queries, (11, -1, 12, 0))

    def test_hkl_seal_follows_the_key_version_and_checks(self) -> None:
        hkl, text = self.files["hkl"], self.files["hkl"].read_text()
        for version, tags in ((3, ("43", "53")), (1, ("41", "51"))):
            self.use_key_version(version)
            seal = zt7util.hkl_digest(hkl, self.files["frames"], MASK, *self.frames)
            self.assertEqual((seal.first[:2], seal.second[:2], len(str(seal))), (*tags, 77))
            self.assertEqual(zt7util.check_hkl(hkl, *seal), Check(True, True))
            self.assertEqual(zt7util.check_refs(text, seal.first), Check(True, None))
        self.assertEqual(zt7util.update_hkl_digest(hkl, hkl, *seal), seal)  # carried over

    def test_digests_as_the_tool_prints_them_and_short_relative_paths(self) -> None:
        hkl, folder, frames = self.files["hkl"], self.files["frames"], str(self.frames)
        self.assertEqual(Digest.from_text(frames), self.frames)
        dyn = zt7util.dyn_digest(hkl, folder, MASK, frames)
        self.assertEqual(zt7util.dyn_digest(hkl, folder, MASK, *self.frames), dyn)
        self.addCleanup(os.chdir, os.getcwd())
        os.chdir(hkl.parent)  # "run.hkl": a name the library refuses unless made absolute
        self.assertEqual((zt7util.check_hkl(hkl.name, str(self.seal)),
                          zt7util.check_frames(folder.name, MASK, frames),
                          zt7util.check_dyn(hkl.name, dyn)), (Check(True, True),) * 2 + (True,))
        self.assertRaises(ValueError, zt7util.check_hkl, hkl, frames, self.seal.second)

    def test_refused_digests_name_the_call_and_the_file(self) -> None:
        frames, hkl, (first, second) = self.files["frames"], self.files["hkl"], self.frames
        for call, arguments in (
            (zt7util.frames_digest, (self.root / "missing", MASK)),
            (zt7util.hkl_digest, (hkl, frames, MASK, first[:-1] + "?", second)),
            (zt7util.update_hkl_digest, (hkl, hkl, self.seal.first)),
        ):
            named = arguments[1] if call is zt7util.update_hkl_digest else arguments[0]
            with self.subTest(call=call.__name__, path=named):
                with self.assertRaises(Refused) as caught:
                    call(*arguments)
                self.assertEqual((caught.exception.call, caught.exception.path),
                                 (call.__name__, str(named)))
                self.assertIn(f"'{named}'", str(caught.exception))
                self.assertNotIn(", or ", caught.exception.reason)  # the one reason found
        self.assertFalse(zt7util.check_refs(b"", *self.seal))
        self.assertFalse(zt7util.check_dyn(self.root / "missing.cif_od", "62" + "0" * 36))
        self.assertEqual(zt7util.match_hkl(self.root / "missing.hkl", hkl), 1.0)

    def test_wrong_values_raise_before_reaching_the_library(self) -> None:
        folder, hkl, first = self.files["frames"], self.files["hkl"], self.frames.first
        for error, call, arguments in (
            (TypeError, zt7util.frames_digest, (None, MASK)),
            (ValueError, zt7util.frames_digest, (f"{folder}\0x", MASK)),
            (ValueError, zt7util.check_hkl, (hkl, "é" + first[1:])),
            (ValueError, zt7util.check_refs, (b"1 2 3\0",)),
            (TypeError, zt7util.check_cell, ("5.95", 9.03, 18.38, 90, 90, 90)),
            (ValueError, zt7util.info, ("é",)),
        ):
            with self.subTest(call=call.__name__, arguments=arguments):
                self.assertRaises(error, call, *arguments)

    def test_a_missing_library_is_a_clear_import_error(self) -> None:
        missing = str(self.root / "nowhere/libzt7kit.so")
        for library, message in ((missing, "cannot load"), ("libc.so.6", "has no function")):
            run = subprocess.run([sys.executable, "-c", "import zt7util"], capture_output=True,
                                 env=dict(os.environ, ZT7KIT_LIBRARY=library), text=True,
                                 timeout=60)
            last = run.stderr.strip().splitlines()[-1]
            self.assertTrue(last.startswith("ImportError: zt7util: ") and message in last
                            and library in last, last)

    def test_pathlike_and_non_ascii_paths(self) -> None:
        place = self.root / "Messung é 日本 🧪"
        shutil.copytree(self.files["frames"], place / "frames")
        for name in ("実験🧪.hkl", os.fsdecode(b"run\xff.hkl")):  # the last is not UTF-8
            hkl = shutil.copy(self.files["hkl"], place / name)
            with self.subTest(name=name):
                seal = zt7util.hkl_digest(hkl, place / "frames", MASK, *self.frames)
                self.assertEqual(zt7util.check_hkl(Path(hkl), *seal), Check(True, True))



if __name__ == "__main__":
    unittest.main()
