"""cif_numbers: the CIF number forms, the values without a number, and what is refused."""

from __future__ import annotations

import math
import subprocess
import sys
import unittest

import zt7util

# (CIF value, the float it stands for), worked out by hand.
NUMBERS = [
    ("1.234(5)", 1.234),
    ("-1.5e3(2)", -1500.0),
    ("12(3)", 12.0),
    ("12", 12.0),
    ("+0.5", 0.5),
    (".25", 0.25),
    ("7.", 7.0),
    ("-.5E-2(11)", -0.005),
    ("2e+3", 2000.0),
    ("0.000(0)", 0.0),
    ("-0", -0.0),
]
NOT_NUMBERS = ["?", ".", None, False]
REFUSED = [
    "", " 1.2", "1.2 ", "1.2(", "1.2()", "1.2(3)(4)", "1.2(-3)", "1.2(3.0)", "(3)", "e5", "1e",
    "1.2.3", "--1", "inf", "nan", "1_000", "\u0661", "0x10", "1,5", "'1.2'", "?.", True, 1.5, 3,
    b"1.2", ["1.2"],
]


class CifNumbers(unittest.TestCase):
    def test_numbers_lose_their_uncertainty(self) -> None:
        values, expected = zip(*NUMBERS)
        numbers = list(zt7util.cif_numbers(values))
        self.assertEqual(numbers, list(expected))
        self.assertEqual(math.copysign(1, numbers[-1]), -1.0)

    def test_unknown_and_inapplicable_values_are_nan(self) -> None:
        numbers = list(zt7util.cif_numbers(["1(1)", *NOT_NUMBERS, "2"]))
        self.assertEqual((numbers[0], numbers[-1]), (1.0, 2.0))
        self.assertTrue(all(math.isnan(n) for n in numbers[1:-1]), numbers)

    def test_anything_else_is_refused_by_name(self) -> None:
        for value in REFUSED:
            with self.subTest(value=value):
                with self.assertRaises(ValueError) as caught:
                    zt7util.cif_numbers(["1.0", value, "2.0"])
                self.assertIn(repr(value), str(caught.exception))

    def test_a_text_is_not_a_list_of_values(self) -> None:
        self.assertRaises(TypeError, zt7util.cif_numbers, "1.2(3)")
        self.assertEqual(list(zt7util.cif_numbers(iter(()))), [])

    def types_in_new_process(self, python: str, block_numpy: bool) -> str:
        script = ("import sys\n" + ("sys.modules['numpy'] = None\n" if block_numpy else "") +
                  "import zt7util\n"
                  "n = zt7util.cif_numbers(['1.5(2)', '?'])\n"
                  "print(type(n).__module__, type(n).__name__, getattr(n, 'dtype', ''),\n"
                  "      [float(x) for x in n])")
        run = subprocess.run([python, "-c", script], capture_output=True, text=True, timeout=60,
                             check=True)
        return run.stdout.strip()

    def test_a_list_without_numpy_and_an_array_with_it(self) -> None:
        self.assertEqual(self.types_in_new_process(sys.executable, block_numpy=True),
                         "builtins list  [1.5, nan]")
        # NumPy as Debian installs it serves the system's interpreter, not always this one.
        for python in (sys.executable, "/usr/bin/python3"):
            if subprocess.run([python, "-c", "import numpy"], capture_output=True).returncode == 0:
                self.assertEqual(self.types_in_new_process(python, block_numpy=False),
                                 "numpy ndarray float64 [1.5, nan]")
                return
        self.skipTest("NumPy is not installed")


if __name__ == "__main__":
    unittest.main()
