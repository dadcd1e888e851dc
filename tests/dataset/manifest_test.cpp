// The seal manifest's rules, line by line: what parses, what is refused and where.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dataset/listing.h"
#include "dataset/manifest.h"
#include "support/temp_folder.h"

namespace {

using zt7::dataset::ItemKind;
using zt7::dataset::ParseManifest;

const std::string kHead = "# zt7util seal manifest, key version 3, sealed 2026-12-07T12:00:00Z\n";
const std::string kHex = std::string(64, 'a');

TEST(Manifest, LinesParseOrNameTheirFault) {
  const struct {
    std::string text;
    std::string reason;  // "" when it parses
  } rows[] = {
      {kHead + "SHA256  " + kHex + "  a.txt\n", ""},
      {kHead + "\n# a comment\r\nSHA256  " + kHex + "  a.txt\r\n", ""},
      {kHead + "FRAMES  01ab,11cd  frames/*.img\n", ""},
      {kHead + "SHA256  " + kHex + "  a\\\\b\\n\\033.txt\n", ""},
      {"", "1: empty manifest"},
      {"SHA256  " + kHex + "  a.txt\n", "1: not a zt7util seal manifest (no '# zt7util' header)"},
      {kHead + "SHA256 " + kHex + " a.txt\n",
       "2: expected KIND  DIGEST  PATH (two blanks between them)"},
      {kHead + "MD5  " + kHex + "  a.txt\n",
       "2: unknown kind 'MD5' (FRAMES, HKL, DYN, SHA256 or LINK)"},
      {kHead + "SHA256  " + kHex.substr(1) + "  a.txt\n",
       "2: not a SHA256 digest: '" + kHex.substr(1) + "'"},
      {kHead + "HKL  43ab,53XY  a.hkl\n", "2: not a HKL digest: '43ab,53XY'"},
      {kHead + "LINK  " + kHex + "  a\\q\n",
       "2: a backslash in the path that is not \\\\, \\n, \\r, \\t or \\NNN"},
      {kHead + "\nSHA256  " + kHex + "  a\nSHA256  " + kHex + "  a\n",
       "4: a second SHA256 item for 'a'"},
      {kHead + std::string(20000, 'x') + "\n", "2: line too long"},
  };
  for (const auto& row : rows) {
    const auto parsed = ParseManifest(row.text);
    EXPECT_EQ(parsed.Reason(), row.reason) << row.text.substr(0, 120);
    EXPECT_EQ(parsed.Ok(), row.reason.empty());
  }
}

TEST(Manifest, ItemsKeepKindPathAndLine) {
  const auto parsed =
      ParseManifest(kHead + "\nFRAMES  01ab,11cd  *.img\nLINK  " + kHex + "  f/a\\tb\\001\n");
  ASSERT_TRUE(parsed.Ok()) << parsed.Reason();
  ASSERT_EQ(parsed.Value().size(), 2u);
  EXPECT_EQ(parsed.Value()[0].kind, ItemKind::kFrames);
  EXPECT_EQ(parsed.Value()[0].line, 3u);
  EXPECT_EQ(parsed.Value()[1].path, std::string("f/a\tb\001"));
  // What FormatManifest writes reads back the same.
  const std::string text = zt7::dataset::FormatManifest(parsed.Value(), 3, "T");
  const auto again = ParseManifest(text);
  ASSERT_TRUE(again.Ok()) << again.Reason();
  EXPECT_EQ(again.Value()[1].path, parsed.Value()[1].path);
  EXPECT_EQ(text.substr(0, 48), "# zt7util seal manifest, key version 3, sealed T");
}

// A manifest path names a place inside the dataset folder, or it is refused before
// anything is read.
TEST(Manifest, PathsStayInsideTheFolder) {
  zodu::testing::TempFolder folder;
  std::filesystem::create_directory_symlink("/etc", folder / "etc-link");
  std::filesystem::create_directory(folder / "sub");
  const std::string root = std::filesystem::canonical(folder.path()).string();
  const std::pair<std::string, std::string> rows[] = {
      {"a.txt", ""},
      {"sub/a.txt", ""},
      {"etc-link", ""},  // the last name is never followed
      {"", "empty path"},
      {"/etc/passwd", "absolute path"},
      {"../../etc/passwd", "'..' in the path"},
      {"sub/./a", "'.' in the path"},
      {"sub//a", "'//' in the path"},
      {"etc-link/passwd", "a link leads out of the folder"},
  };
  for (const auto& [path, reason] : rows)
    EXPECT_EQ(zt7::dataset::InsideFolder(root, path).Reason(), reason) << path;
}

}  // namespace
