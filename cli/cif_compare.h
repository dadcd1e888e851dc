// Where a CIF document written out and read back would differ from the one that was read.
#pragma once

#include <string>

namespace cif_dp {
class TCifDP;
}

namespace zt7cli {

// Names the first block or entry in which `after` differs from `before`: the version,
// block names and parents, then each block's entries in order (kind, name, comment,
// value, loop columns and cells). Empty when they agree. Comments compare without the
// blanks around them, which writing them back adds.
std::string FirstDifference(const cif_dp::TCifDP& before, const cif_dp::TCifDP& after);

}  // namespace zt7cli
