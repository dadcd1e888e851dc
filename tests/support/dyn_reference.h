// A second computation of DYN digests for the tests' expected values: reflection loops
// written as CIF text and as the loop text the digest covers (built from the writer's
// layout rules), hashed with OpenSSL and the in-memory padding rebuilt.
#pragma once

#include <openssl/sha.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/module_digests.h"

namespace dyn_reference {

using Row = std::vector<std::string>;

inline const std::vector<std::string> kColumns = {"_refln_index_h", "_refln_index_k",
                                                  "_refln_index_l", "_refln_intensity_meas",
                                                  "_refln_intensity_sigma"};

// `count` rows of h, k, l, intensity and sigma (seeded), each value plain text.
inline std::vector<Row> Rows(int count, unsigned seed = 11) {
  std::vector<Row> rows;
  char i[32], s[32];
  for (int n = 0; n < count; ++n) {
    seed = seed * 1103515245u + 12345u;
    std::snprintf(i, sizeof i, "%.2f", double(seed >> 9 & 0xfffff) / 37.0 - 40.0);
    std::snprintf(s, sizeof s, "%.2f", 0.5 + double(seed >> 20) / 311.0);
    rows.push_back({std::to_string(n % 13 - 6), std::to_string(n / 13 % 9 - 4),
                    std::to_string(n / 117), i, s});
  }
  return rows;
}

// The loop as a file holds it: one value after another, `separator` between values.
inline std::string LoopCif(const std::vector<std::string>& columns, const std::vector<Row>& rows,
                           const std::string& separator = " ") {
  std::string text = "loop_\n";
  for (const auto& column : columns) text += column + "\n";
  for (const Row& row : rows) {
    for (size_t c = 0; c < row.size(); ++c) text += (c ? separator : "") + row[c];
    text += "\n";
  }
  return text;
}

// The lines the writer lays out for the loop: "loop_", two spaces before each column
// name, each row from a line that starts with a space, a value going on the same line
// (after a space) while line and value together stay within 80 characters; then an
// empty line.
inline std::vector<std::string> LoopLines(const std::vector<std::string>& columns,
                                          const std::vector<Row>& rows) {
  std::vector<std::string> lines = {"loop_"};
  for (const auto& column : columns) lines.push_back("  " + column);
  for (const Row& row : rows) {
    lines.push_back(" " + row[0]);
    for (size_t c = 1; c < row.size(); ++c) {
      if (lines.back().size() + row[c].size() <= 80)
        lines.back() += " " + row[c];
      else
        lines.push_back(" " + row[c]);
    }
  }
  lines.push_back("");
  return lines;
}

// The 38 characters from the grouped SHA-256 text `x` of the data.
inline std::string Digest(const std::string& x, char mode) {
  const std::string summary =
      reference::MD5Text(x) + reference::SHA256Text(x) + reference::SHA224Text(x);
  const std::string head = std::string("6") + mode + reference::MD5Text(summary);
  const std::string check = reference::MD5Text(head);
  return head + check[0] + check[6] + check[18] + check[24];
}

// Mode 1: the standard SHA-256 of the file's bytes.
inline std::string WholeFileDigest(const std::string& bytes) {
  unsigned char digest[32];
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
  return Digest(reference::Hex(digest, 32, 4), '1');
}

// Mode 2: the loop's lines joined, as UTF-16LE (ASCII here), with the in-memory padding.
inline std::string LoopDigest(const std::vector<std::string>& columns,
                              const std::vector<Row>& rows) {
  std::string utf16;
  for (const std::string& line : LoopLines(columns, rows))
    for (char c : line) utf16 += {c, '\0'};
  return Digest(reference::SHA256Text(utf16), '2');
}

}  // namespace dyn_reference
