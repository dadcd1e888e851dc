// Where a CIF document written out and read back would differ from the one that was read.
#pragma once

#include <string>

namespace cif_dp {
class TCifDP;
}

namespace zt7cli {

// Names the first place where `after` differs in what CIF text says from `before`: the
// version, the blocks and save frames, then in each block its items and loops in order
// (kind, name, value, loop columns and cells) and, apart from them, its non-empty
// comments in order, compared without the blanks around them. Empty when they agree.
// What writing may change is not compared: empty comments (and an unnamed block that held
// nothing else), whether a comment belonged to an item or stood alone, spacing.
std::string FirstDifference(const cif_dp::TCifDP& before, const cif_dp::TCifDP& after);

}  // namespace zt7cli
