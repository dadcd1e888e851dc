"""The CIF functions: a document as Python values, its check, its layout written back."""

from __future__ import annotations

import json
import shutil
import tempfile
import unittest
from pathlib import Path

import zt7util
from zt7util import Refused

CIF = b"""data_Run1
_cell_length_a 5.959(1)
_diffrn_ambient_temperature ?
_note 'two words'
loop_
_refln_index_h
_refln_index_k
_refln_intensity_meas
1 0 12.5(3)
2 1 ?
-1 3 .
"""

# The same document written out by hand in CIF-JSON's structure.
DOCUMENT = {
    "CIF-JSON": {
        "Metadata": {
            "cif-version": "1.1",
            "schema-name": "CIF-JSON",
            "schema-version": "1.0.0",
            "schema-uri": "http://www.iucr.org/resources/cif/cif-json.json",
        },
        "run1": {
            "_cell_length_a": ["5.959(1)"],
            "_diffrn_ambient_temperature": [None],
            "_note": ["two words"],
            "_refln_index_h": ["1", "2", "-1"],
            "_refln_index_k": ["0", "1", "3"],
            "_refln_intensity_meas": ["12.5(3)", None, False],
        },
    }
}


class Cif(unittest.TestCase):
    def setUp(self) -> None:
        self.root = Path(tempfile.mkdtemp(prefix="zt7util-cif."))
        self.addCleanup(shutil.rmtree, self.root)
        self.path = self.root / "run1.cif"
        self.path.write_bytes(CIF)

    def test_a_document_as_dicts_and_lists(self) -> None:
        self.assertEqual(zt7util.read_cif(self.path), DOCUMENT)
        self.assertEqual(zt7util.read_cif(CIF), DOCUMENT)
        text = zt7util.cif_json(str(self.path))
        self.assertEqual((json.loads(text), text[-1]), (DOCUMENT, "\n"))

    def test_check_names_what_the_document_lost(self) -> None:
        check = zt7util.check_cif(b"data_x\n_a 1\n2\n_b 3\n")
        self.assertFalse(check)
        self.assertEqual((check.read, check.lost, check.items, len(check.findings)),
                         (True, True, 2, 1))
        finding = check.findings[0]
        self.assertEqual((finding.line, finding.column, finding.lost), (3, 1, True))
        self.assertIn("-:3:1: ", str(check))

    def test_a_file_that_cannot_be_read(self) -> None:
        for source in (self.root / "missing.cif", self.root, b"data_x\nloop_\n"):
            with self.subTest(source=source):
                check = zt7util.check_cif(source)
                self.assertFalse(check)
                self.assertEqual((check.read, check.blocks), (False, None))
                self.assertTrue(check.error)
                with self.assertRaises(Refused) as caught:
                    zt7util.read_cif(source)
                self.assertTrue(caught.exception.reason)

    def test_format_writes_the_layout_and_reads_back_the_same(self) -> None:
        untidy = b"data_x\n#\n_cell_length_a 5.959(1)\n_cell_length_b   9.030(2)\n"
        self.assertEqual(zt7util.format_cif(untidy),
                         "data_x\n"
                         "_cell_length_a                     5.959(1)\n"
                         "_cell_length_b                     9.030(2)\n")
        output = self.root / "tidy.cif"
        self.assertIsNone(zt7util.format_cif(self.path, output))
        self.assertEqual(zt7util.read_cif(output), DOCUMENT)
        self.assertIsNone(zt7util.format_cif(self.path, self.path))  # in place
        self.assertEqual(self.path.read_bytes(), output.read_bytes())



if __name__ == "__main__":
    unittest.main()
