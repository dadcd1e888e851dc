// Checking HKL digests against an HKL file or a reflection list held as text.
#include "zt3util/hkl_validation.h"

#include <cstring>  // for strlen

#include "repository/hkl_records.h"
#include "repository/narrow_lines.h"
#include "sdl/ebase.h"
#include "sdl/efile.h"
#include "zt3util/cell_check.h"
#include "zt3util/digest_schemes.h"
#include "zt3util/hkl_digest.h"
#include "zt3util/reason_log.h"
#include "zt3util/stored_digest.h"

using namespace zodu;

namespace zt7 {
namespace {

constexpr size_t kMinValidatedLines = 100;
// Parts shorter than this are not compared at all.
constexpr size_t kMinPartLength = 11;

// The version that a stored part 1 names in its second character.
int VersionOf(const char* first) {
  return static_cast<signed char>(first[1] - '0');
}

bool IsComparable(const char* part) {
  return part && std::strlen(part) >= kMinPartLength;
}

// Both parts recomputed from the scan.
TCStrList RecomputedParts(const HklScan& scan, int version, bool legacy) {
  TCStrList pieces;
  pieces.Strtok(ComposeDigest(scan, version, kDigestPart1 | kDigestPart2, legacy), ',', true);
  return pieces;
}

// The seven blank-separated values after "CELL " on a cell line, or none.
TCStrList CellValues(const vexcstr& cellLine) {
  TCStrList values;
  if (!cellLine.IsEmpty()) values.Strtok(cellLine.SubStringFrom(4).TrimWhiteChars(), ' ', true);
  return values;
}

// The first cell line of the lines, or the empty text.
vexcstr CellLineOf(const TCStrList& lines) {
  for (const vexcstr& line : lines)
    if (line.Length() >= 5 && line.SubString(0, 5).Equalsi(vexcstr("CELL "))) return line;
  return vexcstr();
}

// The structure file beside the HKL file: ".ins", else ".res"; empty when neither exists.
vexstr StructureFileOf(const vexstr& hklPath) {
  for (const char16_t* extension : {u"ins", u"res"}) {
    vexstr candidate = TEFile::ReplaceExtension(hklPath, extension);
    if (TEFile::PathExists(candidate)) return candidate;
  }
  return vexstr();
}

// 1 when the HKL file's cell agrees with its structure file's and is a test crystal's.
int TestCrystalCheck(const vexstr& hklPath, const vexcstr& hklCellLine) {
  const vexstr structurePath = StructureFileOf(hklPath);
  if (structurePath.IsEmpty()) return kNotValid;
  const TCStrList structureCell = CellValues(CellLineOf(ReadNarrowLines(structurePath).obj()));
  if (structureCell.Count() != 7) return kNotValid;
  const TCStrList hklCell = CellValues(hklCellLine);
  if (hklCell.Count() != 7) return kNotValid;
  // The wavelengths must be the same text.
  if (!hklCell[0].Equals(structureCell[0])) return kNotValid;
  double cell[6], structure[6];
  for (size_t i = 0; i < 6; ++i) {
    cell[i] = hklCell[i + 1].ToDouble();
    structure[i] = structureCell[i + 1].ToDouble();
  }
  if (!CellsAgree(cell, structure) || !IsTestCrystalCell(cell)) return kNotValid;
  LogReason(vexstr(u"unsealed test-crystal file: the cell of ")
            << TEFile::FileNamePart(structurePath) << u" agrees");
  return kFirstValid;
}

}  // namespace

ScanNeeds NeedsToValidate(const char* first) {
  if (!IsComparable(first)) return ScanNeeds();
  return NeedsOfValidation(VersionOf(first));
}

ScanNeeds NeedsOfValidation(int version) {
  ScanNeeds needs = NeedsOfScheme(version);
  needs.legacyEndLines = version == 1;
  return needs;
}

int ValidateDigests(const HklScan& scan, const char* first, const char* second) {
  if (scan.LineCount() < kMinValidatedLines) {
    LogReason(vexstr() << scan.LineCount() << u" lines: too few to validate (at least "
                       << kMinValidatedLines << u")");
    return kNotValid;
  }
  if (!IsComparable(first)) {
    LogReason(u"no first digest part, or one shorter than 11 characters");
    return kNotValid;
  }
  const int version = VersionOf(first);
  TCStrList pieces = RecomputedParts(scan, version, false);
  if (pieces.Count() < 2) {
    // Every scheme gives both parts of a usable list.
    LogReason(vexstr(u"the first line, whose length every reflection line must have, is shorter "
                     u"than ")
              << static_cast<unsigned>(hkl_util::kRecordWidth) << u" characters");
    return kNotValid;
  }
  if (!SameAfterFirst(first, pieces[0])) {
    // Digests of scheme 1 were once made with the older reflection-line test.
    if (version == 1) pieces = RecomputedParts(scan, 1, true);
    if (version != 1 || pieces.Count() != 2 || !SameAfterFirst(first, pieces[0])) {
      LogReason(vexstr(u"digest part 1 (scheme ") << version << u") does not match");
      return kNotValid;
    }
  }
  if (!IsComparable(second)) return kFirstValid;
  if (SameAfterFirst(second, pieces[1])) return kBothValid;
  LogReason(vexstr(u"digest part 2 (scheme ") << version << u") does not match");
  return kFirstValid;
}

int ValidateHklDigests(const vexstr& path, const char* first, const char* second) {
  if (!IsExistingFile(path)) {
    LogReason(vexstr(u"no HKL file ") << Quoted(path));
    return kNotValid;
  }
  ScanNeeds needs = NeedsToValidate(first);
  needs.cellLine = true;
  return ValidateHklScan(HklScan::OfFile(path, needs), path, first, second);
}

int ValidateHklScan(const HklScan& scan, const vexstr& path, const char* first,
                    const char* second) {
  if (scan.LineCount() < kMinValidatedLines) {
    LogReason(vexstr() << Quoted(path) << u" holds " << scan.LineCount()
                       << u" lines: too few to validate (at least " << kMinValidatedLines << u")");
    return kNotValid;
  }
  const int result = ValidateDigests(scan, first, second);
  if (result != kNotValid) return result;
  try {
    return TestCrystalCheck(path, scan.CellLine());
  } catch (const TExceptionBase&) {
    // An unreadable structure file or a cell value that is not a number: no test crystal.
    return kNotValid;
  }
}

int ValidateRefsDigests(const char* text, const char* first, const char* second) {
  TCStrList lines;
  if (text) lines.Strtok(vexcstr(text), '\n', true);
  return ValidateDigests(HklScan::OfLines(lines, NeedsToValidate(first)), first, second);
}

}  // namespace zt7
