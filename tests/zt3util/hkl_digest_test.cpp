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

// Reflections already in sorting order: twelve with h written as a lone zero (which the
// legacy line test rejects), then h = 1 with l = 1..110, then the end marker.
std::vector<std::string> Ordered() {
  std::vector<std::string> lines;
  for (int l = 1; l <= 12; ++l) lines.push_back(HklLine(0, 1, l, 100.0 + l, 2.0));
  for (int l = 1; l <= 110; ++l) lines.push_back(HklLine(1, 1, l, 50.0 + l, 1.0));
  lines.push_back(HklLine(0, 0, 0, 0.0, 0.0));
  return lines;
}

// Scheme 1 of sorted `lines` ending in the end marker, counting from line `from`: part 1
// joins the first ten and the last ten backwards with blanks, part 2 fifteen and fifteen.
std::string SchemeOne(const std::vector<std::string>& lines, size_t from) {
  auto ends = [&](size_t count, const char* gap) {
    std::string summary;
    for (size_t i = 0; i < count; ++i) summary += (i ? gap : "") + lines[from + i];
    for (size_t i = 0; i < count; ++i) summary += gap + lines[lines.size() - 2 - i];
    return reference::MD5Text(summary);
  };
  return reference::Part("41", ends(10, " ")) + "," + reference::Part("51", ends(15, ""));
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

TEST_F(Collection, SchemeOneDigestAndTheLegacyRetry) {
  const auto lines = Ordered();
  const auto hkl = Hkl("a.hkl", lines);
  EXPORT(module_, SetKeyVersion)(1);
  EXPECT_EQ(Seal(hkl), SchemeOne(lines, 0));
  // A seal made with the legacy line test validates on the retry, under scheme 1 only.
  const std::string legacy = SchemeOne(lines, 12);
  EXPECT_EQ(Check(hkl, legacy.substr(0, 38).c_str(), legacy.substr(39).c_str()), 3);
  std::string asSchemeTwo = legacy.substr(0, 38);
  asSchemeTwo[1] = '2';
  EXPECT_EQ(Check(hkl, asSchemeTwo.c_str(), nullptr), 0);
}

TEST_F(Collection, TheFramesPartsDecideWhatIsSealed) {
  const auto hkl = Hkl("a.hkl", Reflections(300));
  const std::string partOne = Seal(hkl, false);
  ASSERT_EQ(partOne.size(), 38u);
  EXPECT_EQ(partOne.substr(0, 2), "43");
  EXPECT_EQ(Check(hkl, partOne.c_str(), nullptr), 1);
  // Frames that no longer check out get no HKL digest.
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
  const auto lines = Ordered();
  const auto hkl = Hkl("a.hkl", lines);
  EXPECT_EQ(Carry(hkl, hkl, nullptr, nullptr), SchemeOne(lines, 0).substr(0, 38));
  const auto few = Hkl("few.hkl", Reflections(19));
  EXPECT_EQ(Carry(few, few, nullptr, nullptr), "");
}

TEST_F(Update, OldPartsMustStillSealTheOldFile) {
  const auto lines = Ordered();
  const auto oldHkl = Hkl("old.hkl", lines);
  auto reordered = lines;
  std::reverse(reordered.begin(), reordered.end() - 1);
  const auto newHkl = Hkl("new.hkl", reordered);
  const std::string sealed = SchemeOne(lines, 0);
  const std::string first = sealed.substr(0, 38), second = sealed.substr(39);

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
  const auto lines = Ordered();
  const auto oldHkl = Hkl("old.hkl", lines);
  auto more = lines;
  more.insert(more.begin(), HklLine(1, 2, 3, 50.0, 1.0));
  EXPECT_EQ(Carry(oldHkl, Hkl("more.hkl", more), nullptr, nullptr), "");
  // Another common line length (a batch column) still matches.
  std::vector<std::string> wider;
  for (const auto& line : lines) wider.push_back(line + "   1");
  EXPECT_EQ(Carry(oldHkl, Hkl("wider.hkl", wider), nullptr, nullptr),
            SchemeOne(wider, 0).substr(0, 38));
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
