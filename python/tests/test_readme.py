"""The README's Python examples run as they are written, on a small data folder."""

from __future__ import annotations

import contextlib
import io
import os
import re
import shutil
import tempfile
import unittest
from pathlib import Path

import dataset
import zt7util

README = Path(__file__).resolve().parents[2] / "README.md"


def reflection_cif(rows: int) -> str:
    lines = ["data_run1", "_cell_length_a 5.959(1)", "loop_", "_refln_index_h",
             "_refln_index_k", "_refln_index_l", "_refln_f_squared_meas",
             "_refln_f_squared_sigma"]
    lines += [f"{i % 9 - 4} {i % 5} {i % 11 + 1} {i * 3.5 + 10:.2f}({i % 9 + 1}) 1.5"
              for i in range(rows)]
    return "\n".join(lines + ["1 1 1 ? ?", ""])


class Readme(unittest.TestCase):
    def test_the_python_examples_run(self) -> None:
        blocks = re.findall(r"```python\n(.*?)```", README.read_text(), re.S)
        self.assertGreaterEqual(len(blocks), 3)
        root = Path(tempfile.mkdtemp(prefix="zt7util-readme."))
        self.addCleanup(shutil.rmtree, root)
        data = dataset.make_collection(root / "data")
        data["hkl"].rename(root / "data/run1.hkl")
        for run in ("run1", "run2"):
            dataset.make_collection(root / "data" / run)
        zt7util.seal(root / "data/run2")
        (root / "data/run1.cif_od").write_text(reflection_cif(120))

        self.addCleanup(os.chdir, os.getcwd())
        os.chdir(root)
        printed = io.StringIO()
        namespace: dict[str, object] = {}
        with contextlib.redirect_stdout(printed):
            for block in blocks:
                exec(compile(block, str(README), "exec"), namespace)
        lines = printed.getvalue().splitlines()
        self.assertEqual(lines[1], "3")
        for line in ("data/run1 intact", "data/run2 intact", "121 10.0"):
            self.assertIn(line, lines)
        self.assertTrue(any(line.startswith("data/run1: ") for line in lines), lines)
        self.assertIn("data/run1.cif_od: CIF 1.1, blocks 1, save frames 0, items 1, loops 1, "
                      "loop rows 121", lines)
        self.assertTrue(namespace["tidy"].startswith("data_run1\n"))


if __name__ == "__main__":
    unittest.main()
