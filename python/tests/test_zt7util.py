"""The zt7util package against the built library: seal and check, refusals, bad input,
paths, threads, and finding the library."""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
import tempfile
import unittest
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import dataset
import zt7util
from zt7util import Check, Digest, Refused

MASK = "*.img"


class Collection(unittest.TestCase):
    """One data collection, sealed once, shared by the tests of a class."""

    @classmethod
    def setUpClass(cls) -> None:
        cls.root = Path(tempfile.mkdtemp(prefix="zt7util-py."))
        cls.addClassCleanup(shutil.rmtree, cls.root)
        cls.files = dataset.make_collection(cls.root)
        cls.frames = zt7util.frames_digest(cls.files["frames"], MASK)
        cls.seal = zt7util.hkl_digest(cls.files["hkl"], cls.files["frames"], MASK, *cls.frames)

    def path(self, name: str) -> Path:
        return self.root / name

    def use_key_version(self, version: int) -> None:
        self.addCleanup(zt7util.set_key_version, zt7util.key_version())
        zt7util.set_key_version(version)


class SealAndCheck(Collection):
    def test_module_queries(self) -> None:
        self.assertEqual(zt7util.version(), 11)
        self.use_key_version(-1)
        self.assertEqual(zt7util.key_version(), -1)
        for text, number in (("", 0), ("a", -48), ("az", 12), ("za", -12), (b"\xff", 0)):
            self.assertEqual(zt7util.info(text), number, text)

    def test_frames_digest_is_the_hashlib_computation(self) -> None:
        expected = dataset.frames_digest(self.files["frames"], MASK)
        self.assertEqual(str(self.frames), expected)
        self.assertEqual(self.frames, Digest.from_text(expected))

    def test_check_frames_tells_which_parts_check_out(self) -> None:
        first, second = self.frames
        rows = [  # first, second, expected parts, truth, code
            (first, second, (True, True), True, 3),
            ("x" + first[1:], "y" + second[1:], (True, True), True, 3),  # part digits ignored
            (first, None, (True, None), True, 1),
            (first, dataset.altered(second), (True, False), False, 1),
            (dataset.altered(first), second, (False, None), False, 0),
        ]
        for given_first, given_second, parts, truth, code in rows:
            result = zt7util.check_frames(self.files["frames"], MASK, given_first, given_second)
            self.assertEqual((result.first, result.second, bool(result), result.code),
                             (*parts, truth, code), (given_first, given_second))

    def test_hkl_seal_follows_the_key_version_and_checks(self) -> None:
        hkl, text = self.files["hkl"], self.files["hkl"].read_bytes()
        for version, tags in ((3, ("43", "53")), (2, ("42", "52")), (1, ("41", "51"))):
            self.use_key_version(version)
            seal = zt7util.hkl_digest(hkl, self.files["frames"], MASK, *self.frames)
            self.assertEqual((seal.first[:2], seal.second[:2]), tags)
            self.assertEqual(len(str(seal)), 77)
            self.assertEqual(zt7util.check_hkl(hkl, *seal), Check(True, True))
            self.assertEqual(zt7util.check_refs(text, *seal), Check(True, True))
            self.assertEqual(zt7util.check_refs(text.decode(), seal.first), Check(True, None))
        only_first = zt7util.hkl_digest(hkl, self.files["frames"], MASK, self.frames.first)
        self.assertIsNone(only_first.second)

    def test_update_carries_the_seal_to_a_reordered_file(self) -> None:
        self.use_key_version(1)
        old = zt7util.hkl_digest(self.files["hkl"], self.files["frames"], MASK, *self.frames)
        lines = dataset.reflection_lines(150)
        new = dataset.write_lines(self.path("reordered.hkl"), lines[::-1])
        self.assertEqual(zt7util.match_hkl(self.files["hkl"], new), 0.0)
        carried = zt7util.update_hkl_digest(self.files["hkl"], new, *old)
        self.assertEqual((carried.first[:2], carried.second[:2]), ("41", "51"))
        self.assertTrue(zt7util.check_hkl(new, *carried))
        self.assertEqual(zt7util.update_hkl_digest(self.files["hkl"], new).second, None)

    def test_test_crystal_passes_through_its_structure_file(self) -> None:
        self.assertEqual(zt7util.check_hkl(self.files["crystal"]), Check(True, None))
        self.assertTrue(zt7util.check_cell(5.95, 9.03, 18.38, 90, 90, 90))
        self.assertFalse(zt7util.check_cell(6.2, 9.03, 18.38, 90, 90, 90))
        lone = shutil.copy(self.files["crystal"], self.path("lone.hkl"))
        self.assertFalse(zt7util.check_hkl(lone))

    def test_dyn_digest_of_a_whole_file_is_the_hashlib_computation(self) -> None:
        digest = self._dyn_digest(self.files["hkl"])
        self.assertEqual(digest, dataset.whole_file_dyn_digest(self.files["hkl"]))
        self.assertTrue(zt7util.check_dyn(self.files["hkl"], "x" + digest[1:]))

    def test_dyn_digest_of_a_cif_od_file_covers_its_reflection_loop(self) -> None:
        digest = self._dyn_digest(self.files["cif_od"])
        self.assertEqual((digest[:2], len(digest)), ("62", 38))
        lines = dataset.reflection_lines(150)
        outside = self.path("outside.cif_od")
        extra = ["# reformatted", "_diffrn_ambient_temperature 100"]
        outside.write_text(dataset.cif_od_text(lines, extra) + "data_other\n_cell_length_b 9\n")
        self.assertTrue(zt7util.check_dyn(outside, digest))
        lines[40] = lines[40][:12] + "  999.99" + lines[40][20:]
        changed = self.path("changed.cif_od")
        changed.write_text(dataset.cif_od_text(lines))
        self.assertIs(zt7util.check_dyn(changed, digest), False)

    def _dyn_digest(self, path: Path) -> str:
        return zt7util.dyn_digest(path, self.files["frames"], MASK, *self.frames)


class Refusals(Collection):
    def test_refused_digests_name_the_call_and_the_file(self) -> None:
        frames, (first, second) = self.files["frames"], self.frames
        wrong, wrong_second = dataset.altered(first), dataset.altered(second)
        short = dataset.write_lines(self.path("short.hkl"), dataset.reflection_lines(19))
        longer = dataset.write_lines(self.path("longer.hkl"), dataset.reflection_lines(151))
        single = self.path("single")
        single.mkdir()
        shutil.copy(frames / "frame_000.img", single)
        rows = [
            (zt7util.frames_digest, (self.path("missing"), MASK)),
            (zt7util.frames_digest, (single, MASK)),
            (zt7util.hkl_digest, (self.path("missing.hkl"), frames, MASK, first, second)),
            (zt7util.hkl_digest, (self.files["hkl"], frames, MASK, wrong, second)),
            (zt7util.hkl_digest, (short, frames, MASK, first, second)),
            (zt7util.update_hkl_digest, (self.files["hkl"], self.files["hkl"], self.seal.first)),
            (zt7util.update_hkl_digest, (self.files["hkl"], longer)),
            (zt7util.dyn_digest, (self.files["hkl"], frames, MASK, first, wrong_second)),
            (zt7util.dyn_digest, (self.path("missing.cif_od"), frames, MASK, first, second)),
        ]
        for call, arguments in rows:
            named = arguments[1] if call is zt7util.update_hkl_digest else arguments[0]
            with self.subTest(call=call.__name__, path=named):
                with self.assertRaises(Refused) as caught:
                    call(*arguments)
                self.assertEqual((caught.exception.call, caught.exception.path),
                                 (call.__name__, str(named)))
                self.assertIn(f"'{named}'", str(caught.exception))

    def test_failing_checks_answer_false(self) -> None:
        hkl, seal = self.files["hkl"], self.seal
        lines = dataset.reflection_lines(150)
        lines[70] = lines[70][:12] + "12345.67" + lines[70][20:]
        tampered = dataset.write_lines(self.path("tampered.hkl"), lines)
        rows = [
            zt7util.check_hkl(self.path("missing.hkl"), *seal),
            zt7util.check_hkl(hkl, "4" + seal.first[2:], seal.second),  # one character less
            zt7util.check_hkl(tampered, *seal),
            zt7util.check_refs(b"", *seal),
            zt7util.check_frames(self.path("missing"), MASK, *self.frames),
            zt7util.check_dyn(self.path("missing.cif_od"), "62" + "0" * 36),
        ]
        for i, result in enumerate(rows):
            self.assertFalse(result, i)
        self.assertEqual(zt7util.match_hkl(self.path("missing.hkl"), hkl), 1.0)


class BadInput(Collection):
    def test_wrong_values_raise_before_reaching_the_library(self) -> None:
        class BytesPath:
            def __fspath__(self) -> bytes:
                return b"/tmp"

        folder, hkl, (first, second) = self.files["frames"], self.files["hkl"], self.frames
        rows = [
            (TypeError, zt7util.frames_digest, (None, MASK)),
            (TypeError, zt7util.frames_digest, (b"/tmp", MASK)),
            (TypeError, zt7util.frames_digest, (BytesPath(), MASK)),
            (TypeError, zt7util.frames_digest, (folder, None)),
            (ValueError, zt7util.frames_digest, (f"{folder}\0x", MASK)),
            (ValueError, zt7util.frames_digest, (folder, "*.img\0")),
            (TypeError, zt7util.check_frames, (folder, MASK, None)),
            (TypeError, zt7util.check_hkl, (hkl, first.encode())),
            (ValueError, zt7util.check_hkl, (hkl, first + "\0")),
            (ValueError, zt7util.check_hkl, (hkl, "é" + first[1:])),
            (ValueError, zt7util.hkl_digest, (f"{hkl}\0", folder, MASK, first, second)),
            (TypeError, zt7util.dyn_digest, (hkl, folder, MASK, first, None)),
            (TypeError, zt7util.check_refs, (None,)),
            (ValueError, zt7util.check_refs, (b"1 2 3\0",)),
            (TypeError, zt7util.check_dyn, (hkl, None)),
            (TypeError, zt7util.check_cell, ("5.95", 9.03, 18.38, 90, 90, 90)),
            (TypeError, zt7util.check_cell, (5.95, 9.03, 18.38, 90, None, 90)),
            (TypeError, zt7util.match_hkl, (hkl, 3)),
            (TypeError, zt7util.set_key_version, ("3",)),
            (ValueError, zt7util.set_key_version, (2**31,)),
            (TypeError, zt7util.info, (None,)),
            (ValueError, zt7util.info, ("é",)),
        ]
        for error, call, arguments in rows:
            with self.subTest(call=call.__name__, arguments=arguments):
                self.assertRaises(error, call, *arguments)

    def test_a_missing_library_is_a_clear_import_error(self) -> None:
        missing = str(self.path("nowhere/libzt7util.so"))
        for library, message in ((missing, "cannot load"), ("libc.so.6", "has no export")):
            environment = dict(os.environ, ZT7UTIL_LIBRARY=library)
            run = subprocess.run([sys.executable, "-c", "import zt7util"], env=environment,
                                 capture_output=True, text=True, timeout=60)
            last = run.stderr.strip().splitlines()[-1]
            self.assertTrue(last.startswith("ImportError: zt7util: "), last)
            self.assertIn(message, last)
            self.assertIn(library, last)


class Paths(Collection):
    def test_pathlike_and_non_ascii_paths(self) -> None:
        place = self.path("Messung é 日本 🧪")
        shutil.copytree(self.files["frames"], place / "frames")
        expected = dataset.frames_digest(place / "frames", MASK)
        self.assertEqual(str(zt7util.frames_digest(place / "frames", MASK)), expected)
        self.assertEqual(str(zt7util.frames_digest(str(place / "frames"), MASK)), expected)
        undecodable = os.fsdecode(b"run\xff.hkl")  # a name that is not UTF-8
        for name in ("Lauf ß.hkl", "実験🧪.hkl", undecodable):
            hkl = shutil.copy(self.files["hkl"], place / name)
            with self.subTest(name=name):
                seal = zt7util.hkl_digest(hkl, place / "frames", MASK, *self.frames)
                self.assertEqual(zt7util.check_hkl(Path(hkl), *seal), Check(True, True))
                self.assertEqual(zt7util.match_hkl(hkl, self.files["hkl"]), 0.0)


class Threads(Collection):
    def test_eight_threads_give_the_serial_results(self) -> None:
        hkl, folder = self.files["hkl"], self.files["frames"]
        calls = [
            lambda: zt7util.check_hkl(hkl, *self.seal),
            lambda: zt7util.check_hkl(hkl, dataset.altered(self.seal.first)),
            lambda: zt7util.check_frames(folder, MASK, *self.frames),
            lambda: zt7util.frames_digest(folder, MASK),
            lambda: zt7util.hkl_digest(hkl, folder, MASK, *self.frames),
            lambda: zt7util.check_refs(hkl.read_bytes(), *self.seal),
            lambda: zt7util.match_hkl(hkl, self.files["crystal"]),
            lambda: zt7util.check_cell(7.77, 8.72, 10.86, 90, 104, 90),
        ] * 4 + [lambda: zt7util.info("zt7util"), lambda: zt7util.info(b"az")] * 2000
        serial = [call() for call in calls]
        with ThreadPoolExecutor(max_workers=8) as pool:  # each thread makes every call in turn
            results = list(pool.map(lambda _: [call() for call in calls], range(8)))
        for thread_results in results:
            self.assertEqual(thread_results, serial)


if __name__ == "__main__":
    unittest.main()
