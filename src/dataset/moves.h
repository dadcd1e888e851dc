// A file that moved inside a dataset: new at one path with the bytes that went missing at
// another.
#pragma once

#include <vector>

#include "dataset/verify.h"

namespace zt7::dataset {

// Each NEW file whose SHA-256 equals that of a MISSING file becomes one MOVED entry at its
// new path, reason "from OLD", carrying the old path's items (its SHA-256 found, its HKL
// or DYN digests vouched for by the same bytes); the MISSING entry goes. Pairs are made in
// path order, each file in at most one. `entries` stay sorted by path.
void FoldMoves(std::vector<EntryCheck>& entries);

}  // namespace zt7::dataset
