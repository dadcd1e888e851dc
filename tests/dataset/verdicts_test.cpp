// The verdict on a file of a sealed dataset, from what each of its items found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dataset/verify.h"

namespace {

using zt7::dataset::EntryCheck;
using zt7::dataset::ItemKind;
using zt7::dataset::Status;

// An item that found what was expected ('='), something else ('x') or nothing ('-').
zt7::dataset::ItemCheck Item(ItemKind kind, char found) {
  return {kind, "e", found == '=' ? "e" : found == 'x' ? "other" : ""};
}

TEST(Verdicts, EachMixOfItemsHasItsVerdict) {
  const auto S = ItemKind::kSha256, H = ItemKind::kHkl, D = ItemKind::kDyn, L = ItemKind::kLink;
  const struct {
    std::vector<std::pair<ItemKind, char>> items;
    Status status;
    std::string reason;
  } rows[] = {
      {{{S, '='}}, Status::kOk, ""},
      {{{S, '='}, {H, '='}}, Status::kOk, ""},
      {{{S, 'x'}}, Status::kFailed, "SHA-256 differs"},
      {{{L, 'x'}}, Status::kFailed, "its target changed: SHA-256 differs"},
      {{{S, '='}, {H, '-'}},
       Status::kFailed,
       "bytes unchanged, but its HKL digest does not check out"},
      {{{S, '='}, {D, '-'}},
       Status::kFailed,
       "bytes unchanged, but its DYN digest does not check out"},
      {{{S, 'x'}, {D, '='}},
       Status::kReformatted,
       "bytes changed, reflection loop unchanged: its DYN digest checks out"},
      {{{S, 'x'}, {H, '='}},
       Status::kFailed,
       "bytes changed; its HKL digest still checks out, but that digest compares binned "
       "intensities and cannot vouch that the data are unchanged"},
      {{{S, 'x'}, {H, '-'}},
       Status::kFailed,
       "bytes changed, and its HKL digest does not check out"},
      {{{D, '-'}}, Status::kFailed, "its DYN digest does not check out"},
  };
  for (const auto& row : rows) {
    EntryCheck entry;
    for (const auto& [kind, found] : row.items) entry.items.push_back(Item(kind, found));
    zt7::dataset::Judge(entry);
    EXPECT_EQ(entry.status, row.status) << row.reason;
    EXPECT_EQ(entry.reason, row.reason);
  }
}

}  // namespace
