// Where a CIF document written out and read back would differ from the one that was read.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace cif_dp {
class TCifDP;
}

namespace zt7 {

// What a document says, in order, as one digest per block, per item or loop and per
// non-empty comment, each with the label that names it: small enough to be kept while the
// document itself is gone. Compared: the version, the blocks and save frames, then in each
// block its items and loops in order (kind, name, value, loop columns and cells) and, apart
// from them, its non-empty comments in order, without the blanks around them. Not
// compared, as writing may change them: empty comments (and an unnamed block that held
// nothing else), whether a comment belonged to an item or stood alone, spacing.
struct CifSummary {
  struct Part {
    std::string label;
    std::array<unsigned char, 32> digest;
  };
  int version = 0;
  std::vector<Part> parts;
};

CifSummary Summarize(const cif_dp::TCifDP& document);

// Names the first part in which `after` differs from `before`; empty when they agree.
std::string FirstDifference(const CifSummary& before, const CifSummary& after);
std::string FirstDifference(const cif_dp::TCifDP& before, const cif_dp::TCifDP& after);

}  // namespace zt7
