// HKL digests end to end through the loaded library: sealing, carrying over, validating.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/loaded_module.h"
#include "zt3util/module_digests.h"

namespace {

namespace fs = std::filesystem;
using zt7test::FreshModule;

std::u16string Wide(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

std::string HklLine(int h, int k, int l, double I, double sigma) {
  char line[64];
  std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.2f", h, k, l, I, sigma);
  return line;
}

// `count` reflections of a plausible collection (seeded), then the end marker.
std::vector<std::string> Reflections(int count, unsigned seed = 7) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int h = int(seed >> 8) % 15 - 7, k = int(seed >> 12) % 19 - 9, l = int(seed >> 16) % 23;
    const double I = double((seed >> 4) % 250000) / 100.0 - 20.0;
    lines.push_back(HklLine(h, k, l == 0 && h == 0 && k == 0 ? 1 : l, I, 1.0 + I / 50.0));
  }
  lines.push_back(HklLine(0, 0, 0, 0.0, 0.0));
  return lines;
}

std::string Joined(const std::vector<std::string>& lines, const std::string& end = "\n") {
  std::string text;
  for (const auto& line : lines) text += line + end;
  return text;
}

void Write(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

// The scheme-1 digest written out plainly: the lines of the model length that hold a
// reflection, in signed-byte order; the first and last `ends` of them, joined.
std::string SchemeOnePart(std::vector<std::string> lines, int part, bool legacy) {
  const size_t model = lines[0].size();
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return static_cast<signed char>(x) < static_cast<signed char>(y);
    });
  });
  auto counts = [&](const std::string& line) {
    if (line.size() != model || line.compare(0, 12, "   0   0   0") == 0) return false;
    for (int field = 0; field < 3; ++field)
      if (legacy && line.compare(4 * field, 4, "   0") == 0) return false;
    return true;
  };
  const size_t ends = part == 1 ? 10 : 15;
  std::vector<std::string> chosen;
  for (size_t i = 0; i < lines.size() && chosen.size() < ends; ++i)
    if (counts(lines[i])) chosen.push_back(lines[i]);
  for (size_t i = lines.size(); i-- > 0 && chosen.size() < 2 * ends;)
    if (counts(lines[i])) chosen.push_back(lines[i]);
  std::string summary;
  for (size_t i = 0; i < chosen.size(); ++i) summary += (i && part == 1 ? " " : "") + chosen[i];
  return reference::Part(part == 1 ? "41" : "51", reference::MD5Text(summary));
}

// A collection on disk: a frames folder with its digest and an HKL file.
class Collection : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = module_.folder() / "collection";
    fs::create_directories(root_ / "frames");
    for (int i = 1; i <= 6; ++i)
      Write(root_ / "frames" / ("run1_" + std::to_string(i) + ".img"),
            std::string(300 + 17 * i, char('a' + i)));
    const std::string digest = EXPORT(module_, pcDigestFrames)(Frames().c_str(), u"*.img");
    ASSERT_EQ(digest.size(), 87u);
    framesFirst_ = digest.substr(0, 43);
    framesSecond_ = digest.substr(44);
  }

  std::u16string Frames() const { return Wide((root_ / "frames").string()); }
  std::u16string Hkl(const std::string& name, const std::vector<std::string>& lines,
                     const std::string& end = "\n") const {
    Write(root_ / name, Joined(lines, end));
    return Wide((root_ / name).string());
  }
  std::string Seal(const std::u16string& hkl, bool withSecond = true) {
    return EXPORT(module_, pcDigestHKL)(Frames().c_str(), u"*.img", hkl.c_str(),
                                        framesFirst_.c_str(),
                                        withSecond ? framesSecond_.c_str() : nullptr);
  }
  int Check(const std::u16string& hkl, const char* first, const char* second) {
    return EXPORT(module_, iValidateHKLDigests)(hkl.c_str(), first, second);
  }

  FreshModule module_;
  fs::path root_;
  std::string framesFirst_, framesSecond_;
};

TEST_F(Collection, SealsUnderEachSchemeWithItsTags) {
  const auto hkl = Hkl("a.hkl", Reflections(300));
  const struct {
    int version;
    const char* tags;
  } rows[] = {{1, "4151"}, {2, "4252"}, {3, "4353"}, {0, "4353"}, {7, "4353"}, {-1, "4353"}};
  for (const auto& row : rows) {
    EXPORT(module_, SetKeyVersion)(row.version);
    const std::string digest = Seal(hkl);
    ASSERT_EQ(digest.size(), 77u) << row.version;
    EXPECT_EQ(digest.substr(0, 2) + digest.substr(39, 2), row.tags);
    EXPECT_EQ(digest[38], ',');
    EXPECT_EQ(Check(hkl, digest.substr(0, 38).c_str(), digest.substr(39).c_str()), 3);
  }
}

TEST_F(Collection, SchemeOneDigestIsTheSortedEndLinesDigest) {
  const auto lines = Reflections(300);
  const auto hkl = Hkl("a.hkl", lines);
  EXPORT(module_, SetKeyVersion)(1);
  EXPECT_EQ(Seal(hkl), SchemeOnePart(lines, 1, false) + "," + SchemeOnePart(lines, 2, false));
}

TEST_F(Collection, FirstFramesPartAloneGivesPartOneAlone) {
  const auto hkl = Hkl("a.hkl", Reflections(300));
  const std::string digest = Seal(hkl, false);
  ASSERT_EQ(digest.size(), 38u);
  EXPECT_EQ(digest.substr(0, 2), "43");
  EXPECT_EQ(Check(hkl, digest.c_str(), nullptr), 1);
}

TEST_F(Collection, FramesThatNoLongerCheckOutGetNoHklDigest) {
  const auto hkl = Hkl("a.hkl", Reflections(300));
  Write(root_ / "frames" / "run1_9.img", "one more frame");
  EXPECT_EQ(Seal(hkl), "");
}

TEST_F(Collection, ValidationCodes) {
  const auto hkl = Hkl("a.hkl", Reflections(300));
  const std::string digest = Seal(hkl);
  const std::string first = digest.substr(0, 38), second = digest.substr(39);
  std::string otherLead = first;
  otherLead[0] = 'x';
  std::string otherHash = first;
  otherHash[20] = otherHash[20] == '0' ? '1' : '0';
  EXPECT_EQ(Check(hkl, otherLead.c_str(), second.c_str()), 3);
  EXPECT_EQ(Check(hkl, otherHash.c_str(), second.c_str()), 0);
  EXPECT_EQ(Check(hkl, first.substr(0, 37).c_str(), second.c_str()), 0);
  EXPECT_EQ(Check(hkl, (first + "0").c_str(), second.c_str()), 0);
  EXPECT_EQ(Check(hkl, digest.c_str(), nullptr), 0);
  EXPECT_EQ(Check(hkl, first.c_str(), nullptr), 1);
  EXPECT_EQ(Check(hkl, first.c_str(), second.substr(0, 10).c_str()), 1);
  EXPECT_EQ(Check(hkl, first.c_str(), first.c_str()), 1);
  EXPECT_EQ(Check(hkl, nullptr, second.c_str()), 0);
}

TEST_F(Collection, OneChangedIntensityIsDetected) {
  auto lines = Reflections(300);
  const auto hkl = Hkl("a.hkl", lines);
  for (int version : {1, 2, 3}) {
    EXPORT(module_, SetKeyVersion)(version);
    const std::string digest = Seal(hkl);
    auto changed = lines;
    // The line that sorts first counts under every scheme; its intensity becomes the largest.
    auto it = std::min_element(changed.begin(), changed.end() - 1);
    it->replace(12, 8, "99999.00");
    const auto tampered = Hkl("b.hkl", changed);
    EXPECT_EQ(Check(tampered, digest.substr(0, 38).c_str(), digest.substr(39).c_str()), 0)
        << version;
  }
}

TEST_F(Collection, HundredLinesAreNeeded) {
  const auto short99 = Hkl("short.hkl", Reflections(98));  // 98 + end marker
  const auto full100 = Hkl("full.hkl", Reflections(99));
  const std::string a = Seal(short99), b = Seal(full100);
  ASSERT_EQ(a.size(), 77u);
  EXPECT_EQ(Check(short99, a.substr(0, 38).c_str(), a.substr(39).c_str()), 0);
  EXPECT_EQ(Check(full100, b.substr(0, 38).c_str(), b.substr(39).c_str()), 3);
}

TEST_F(Collection, LegacyLineTestDigestValidatesOnTheRetry) {
  auto lines = Reflections(300);
  // Lines that sort first, each with a lone right-justified 0 index.
  for (int i = 0; i < 12; ++i) lines[i] = HklLine(0, 0, i + 1, 100.0 + i, 2.0);
  const auto hkl = Hkl("a.hkl", lines);
  const std::string legacyFirst = SchemeOnePart(lines, 1, true);
  const std::string legacySecond = SchemeOnePart(lines, 2, true);
  ASSERT_NE(legacyFirst, SchemeOnePart(lines, 1, false));
  EXPECT_EQ(Check(hkl, legacyFirst.c_str(), legacySecond.c_str()), 3);
  // Only scheme 1 is retried.
  std::string asSchemeTwo = legacyFirst;
  asSchemeTwo[1] = '2';
  EXPECT_EQ(Check(hkl, asSchemeTwo.c_str(), nullptr), 0);
}

TEST_F(Collection, ReflectionTextValidatesLikeTheFile) {
  const auto lines = Reflections(300);
  const auto hkl = Hkl("a.hkl", lines);
  // Scheme 1 digests the line texts, so kept carriage returns change it.
  EXPORT(module_, SetKeyVersion)(1);
  const std::string digest = Seal(hkl);
  const std::string first = digest.substr(0, 38), second = digest.substr(39);
  auto refs = EXPORT(module_, iValidateRefsDigests);
  EXPECT_EQ(refs(Joined(lines).c_str(), first.c_str(), second.c_str()), 3);
  EXPECT_EQ(refs(("\n\n" + Joined(lines)).c_str(), first.c_str(), second.c_str()), 3);
  EXPECT_EQ(refs(Joined(lines, "\r\n").c_str(), first.c_str(), second.c_str()), 0);
  EXPECT_EQ(refs(nullptr, first.c_str(), second.c_str()), 0);
}

// A test crystal: the HKL file carries a CELL line that its structure file repeats.
class TestCrystal : public Collection {
 protected:
  std::u16string CrystalHkl(const std::string& cell = "CELL 0.71073 5.95 9.03 18.38 90 90 90") {
    auto lines = Reflections(150);
    lines.push_back(cell);
    return Hkl("crystal.hkl", lines);
  }
  void Structure(const std::string& extension, const std::string& cell) {
    Write(root_ / ("crystal." + extension), "TITL crystal\n" + cell + "\nZERR 4\nEND\n");
  }
};

// The structure file beside the HKL file: ".ins", else ".res"; its CELL line in any case.
TEST_F(TestCrystal, StructureFileChoice) {
  const struct {
    const char *ins, *res;
    int code;
  } rows[] = {
      {"cell 0.71073 5.951 9.03 18.38 90.00 90.5 90.00", nullptr, 1},
      {nullptr, "CELL 0.71073 5.95 9.03 18.38 90 90 90", 1},
      {"CELL 0.71073 6.95 9.03 18.38 90 90 90", "CELL 0.71073 5.95 9.03 18.38 90 90 90", 0},
  };
  const auto hkl = CrystalHkl();
  for (const auto& row : rows) {
    fs::remove(root_ / "crystal.ins");
    fs::remove(root_ / "crystal.res");
    if (row.ins) Structure("ins", row.ins);
    if (row.res) Structure("res", row.res);
    EXPECT_EQ(Check(hkl, nullptr, nullptr), row.code) << (row.ins ? row.ins : row.res);
  }
  // A first part that does not match falls back to the cell as well.
  Structure("ins", rows[0].ins);
  EXPECT_EQ(Check(hkl, "43000000000000000000000000000000000000", nullptr), 1);
}

TEST_F(TestCrystal, RefusedCells) {
  const struct {
    const char* hklCell;
    const char* structureCell;
  } rows[] = {
      {"CELL 0.71073 5.95 9.03 18.38 90 90 90", "CELL 0.71073 5.95 9.03 18.38 90 90"},
      {"CELL 0.71073 5.95 9.03 18.38 90 90 90", "CELL 0.7107 5.95 9.03 18.38 90 90 90"},
      {"CELL 0.71073 5.95 9.03 18.38 90 90 90", "CELL 0.71073 5.95 9.03 18.38 90 9O 90"},
      {"CELL 0.71073 5.95 9.03 18.38 90 90 90", "CELL 0.71073 5.95 0x9 18.38 90 90 90"},
      {"CELL 0.71073 5.95 9.03 18.38 90 90 90", "CELL 0.71073 5.95 9.33 18.38 90 90 90"},
      {"CELL 0.71073 8.00 9.03 18.38 90 90 90", "CELL 0.71073 8.00 9.03 18.38 90 90 90"},
      {"CELL 0.71073 1e999 9.03 18.38 90 90 90", "CELL 0.71073 1e999 9.03 18.38 90 90 90"},
  };
  for (const auto& row : rows) {
    const auto hkl = CrystalHkl(row.hklCell);
    Structure("ins", row.structureCell);
    EXPECT_EQ(Check(hkl, nullptr, nullptr), 0) << row.structureCell;
  }
}

TEST_F(TestCrystal, StructureFileThatIsAFolderGivesZero) {
  const auto hkl = CrystalHkl();
  fs::create_directory(root_ / "crystal.ins");
  EXPECT_EQ(Check(hkl, nullptr, nullptr), 0);
}

class Update : public Collection {
 protected:
  std::string Carry(const std::u16string& oldHkl, const std::u16string& newHkl, const char* first,
                    const char* second) {
    return EXPORT(module_, pcUpdateHKLDigests)(oldHkl.c_str(), newHkl.c_str(), first, second);
  }
};

TEST_F(Update, SameFileWithoutPartsGivesItsSchemeOnePartOne) {
  const auto lines = Reflections(300);
  const auto hkl = Hkl("a.hkl", lines);
  EXPECT_EQ(Carry(hkl, hkl, nullptr, nullptr), SchemeOnePart(lines, 1, false));
  const auto few = Hkl("few.hkl", Reflections(19));
  EXPECT_EQ(Carry(few, few, nullptr, nullptr), "");
}

TEST_F(Update, OldPartsMustStillSealTheOldFile) {
  const auto lines = Reflections(300);
  const auto oldHkl = Hkl("old.hkl", lines);
  auto reordered = lines;
  std::reverse(reordered.begin(), reordered.end() - 1);
  const auto newHkl = Hkl("new.hkl", reordered);
  const std::string first = SchemeOnePart(lines, 1, false), second = SchemeOnePart(lines, 2, false);

  EXPECT_EQ(Carry(oldHkl, newHkl, first.c_str(), nullptr), first);
  EXPECT_EQ(Carry(oldHkl, newHkl, first.c_str(), second.c_str()), first + "," + second);
  std::string wrong = first;
  wrong[0] = '5';
  EXPECT_EQ(Carry(oldHkl, newHkl, wrong.c_str(), second.c_str()), "");
  EXPECT_EQ(Carry(oldHkl, newHkl, first.c_str(), wrong.c_str()), first);

  EXPORT(module_, SetKeyVersion)(3);
  const std::string schemeThree = Seal(oldHkl);
  EXPECT_EQ(Carry(oldHkl, newHkl, schemeThree.substr(0, 38).c_str(), nullptr), "");

  EXPORT(module_, SetKeyVersion)(2);
  const std::string schemeTwo = Seal(oldHkl);
  EXPECT_EQ(Carry(oldHkl, newHkl, schemeTwo.substr(0, 38).c_str(), schemeTwo.substr(39).c_str()),
            first + "," + second);
}

TEST_F(Update, NewReflectionsMustMatchTheOldOnes) {
  const auto lines = Reflections(300);
  const auto oldHkl = Hkl("old.hkl", lines);
  auto more = lines;
  more.insert(more.begin(), HklLine(1, 2, 3, 50.0, 1.0));
  EXPECT_EQ(Carry(oldHkl, Hkl("more.hkl", more), nullptr, nullptr), "");
  // Another common line length (a batch column) still matches.
  std::vector<std::string> wider;
  for (const auto& line : lines) wider.push_back(line + "   1");
  const std::string digest = Carry(oldHkl, Hkl("wider.hkl", wider), nullptr, nullptr);
  EXPECT_EQ(digest, SchemeOnePart(wider, 1, false));
}

TEST_F(Collection, BadInputIsRefused) {
  const auto hkl = Hkl("a.hkl", Reflections(300));
  const std::string digest = Seal(hkl);
  const char* first = framesFirst_.c_str();
  auto seal = EXPORT(module_, pcDigestHKL);
  EXPECT_STREQ(seal(Frames().c_str(), u"*.img", nullptr, first, nullptr), "");
  EXPECT_STREQ(seal(Frames().c_str(), u"*.img", u"/no/such/file.hkl", first, nullptr), "");
  EXPECT_STREQ(seal(Frames().c_str(), u"*.img", Frames().c_str(), first, nullptr), "");
  EXPECT_EQ(Check(u"/no/such/file.hkl", digest.c_str(), nullptr), 0);
  EXPECT_EQ(Check(Frames(), digest.c_str(), nullptr), 0);
  EXPECT_STREQ(EXPORT(module_, pcUpdateHKLDigests)(hkl.c_str(), nullptr, nullptr, nullptr), "");

  std::string binary;
  for (int i = 0; i < 200000; ++i) binary += char((i * 7919) % 256);
  Write(root_ / "binary.hkl", binary);
  const auto binaryHkl = Wide((root_ / "binary.hkl").string());
  EXPECT_EQ(Check(binaryHkl, digest.c_str(), nullptr), 0);
  EXPECT_STREQ(
      EXPORT(module_, pcUpdateHKLDigests)(binaryHkl.c_str(), hkl.c_str(), nullptr, nullptr), "");

  auto hex = Reflections(300);
  hex[5] = "0x1F   2   3   12.50    1.00";
  EXPECT_EQ(Check(Hkl("hex.hkl", hex), digest.c_str(), nullptr), 0);
  EXPECT_STREQ(seal(Frames().c_str(), u"*.img", Hkl("hex.hkl", hex).c_str(), first, nullptr), "");

  auto longLines = Reflections(300);
  longLines[7] += std::string(100000, '9');
  EXPECT_EQ(Check(Hkl("long.hkl", longLines), digest.c_str(), nullptr), 0);
}

}  // namespace
