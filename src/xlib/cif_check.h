// Reading a CIF file for its users: what the reading found, what the document holds, and
// writing the document back only when it reads back the same.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "sdl/result.h"
#include "xlib/cif_findings.h"
#include "xlib/cifdp.h"

namespace zt7 {

// What one reading of a CIF text found: the places where the document differs from the
// text, the reader's log lines, and why the text could not be read, if it could not.
struct CifReading : cif_dp::CifFindings {
  // A hostile file may hold millions of findings; the first ones tell enough.
  static constexpr size_t kMostKept = 1000;

  void Found(const cif_dp::CifFinding& finding) override;
  void Logged(const std::string& line) override { log.push_back(line); }
  bool Read() const { return error.empty(); }

  std::string name;  // the file as the lines name it: its path, or "-"
  std::vector<cif_dp::CifFinding> findings;
  size_t unkept = 0;
  bool lost = false;  // something of the text did not reach the document
  std::vector<std::string> log;
  std::string error;  // "" when the document was read
};

// Reads the CIF file `path`, or when `path` is null the text `bytes`, into `document`.
// Only a regular file is opened. Never throws.
CifReading ReadCif(const char* path, std::string_view bytes, cif_dp::TCifDP& document);

// One line per finding, "NAME:LINE:COLUMN: message\n".
std::string FindingLines(const CifReading& reading);
// The lines after the findings: how many were not kept, the reader's log lines, and the
// reason it failed unless a finding gave it; each without a line end.
std::vector<std::string> ReadingNotes(const CifReading& reading);

// "NAME: CIF 1.1, blocks N, save frames N, items N, loops N, loop rows N".
std::string ReadingSummary(const CifReading& reading, const cif_dp::TCifDP& document);
// The reading and the document's counts as one line of JSON.
std::string CifCheckJson(const CifReading& reading, const cif_dp::TCifDP& document);

// Writes `document`, read by `reading`, back as CIF text in the writer's layout, in UTF-8,
// to a temporary file beside `output` (or in the temporary folder when `output` is empty),
// reads that text back and compares; only then the text takes `output`'s place, or is
// handed to `write` a piece at a time (false from `write` stops it). The document is
// cleared on the way. Refused when the reading lost anything or the text would read back
// otherwise, with nothing written.
Result<Done> FormatCif(cif_dp::TCifDP& document, const CifReading& reading,
                       const std::string& output,
                       const std::function<bool(std::string_view)>& write);

}  // namespace zt7
