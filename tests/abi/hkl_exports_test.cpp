// HKL digests and matching through the loaded library: seal, carry over, validate, compare.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/hkl_text.h"
#include "support/loaded_module.h"
#include "support/module_digests.h"

namespace {

namespace fs = std::filesystem;
using hkl_test::HklLine;
using hkl_test::JoinLines;
using hkl_test::SteppedReflections;

using zt7test::Wide;

// Reflections already in sorting order: twelve with h written as a lone zero (which the
// legacy line test rejects), then h = 1 with l = 1..110, then the end marker.
std::vector<std::string> Ordered() {
  std::vector<std::string> lines;
  for (int l = 1; l <= 12; ++l) lines.push_back(HklLine(0, 1, l, 100.0 + l, 2.0));
  for (int l = 1; l <= 110; ++l) lines.push_back(HklLine(1, 1, l, 50.0 + l, 1.0));
  lines.push_back(hkl_test::EndMarker());
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

// A collection on disk: frames with their digest, and HKL files beside them.
class Collection : public ::testing::Test {
 protected:
  std::u16string Write(const std::string& name, const std::string& content) const {
    std::ofstream(root_ / name, std::ios::binary) << content;
    return Wide((root_ / name).string());
  }
  std::u16string Frames() const { return frames_.path(); }
  std::u16string Hkl(const std::string& name, const std::vector<std::string>& lines) const {
    return Write(name, JoinLines(lines));
  }
  std::string Seal(const std::u16string& hkl, bool withSecond = true) {
    return EXPORT(module_, pcDigestHKL)(Frames().c_str(), u"*.img", hkl.c_str(),
                                        frames_.first.c_str(),
                                        withSecond ? frames_.second.c_str() : nullptr);
  }
  int Check(const std::u16string& hkl, const char* first, const char* second) {
    return EXPORT(module_, iValidateHKLDigests)(hkl.c_str(), first, second);
  }
  int CheckSealed(const std::u16string& hkl, const std::string& digest) {
    return Check(hkl, digest.substr(0, 38).c_str(), digest.substr(39).c_str());
  }
  std::string Carry(const std::u16string& oldHkl, const std::u16string& newHkl, const char* first,
                    const char* second) {
    return EXPORT(module_, pcUpdateHKLDigests)(oldHkl.c_str(), newHkl.c_str(), first, second);
  }

  zt7test::FreshModule module_;
  const fs::path root_ = module_.folder();
  const zt7test::SealedFrames frames_{module_};
};

TEST_F(Collection, SealsUnderEachSchemeWithItsTagsAndSeesOneChangedIntensity) {
  const auto lines = SteppedReflections(300);
  const auto hkl = Hkl("a.hkl", lines);
  auto changed = lines;
  // The line that sorts first counts under every scheme; its intensity becomes the largest.
  std::min_element(changed.begin(), changed.end() - 1)->replace(12, 8, "99999.00");
  const auto tampered = Hkl("b.hkl", changed);
  const struct {
    int version;
    const char* tags;
  } rows[] = {{1, "4151"}, {2, "4252"}, {3, "4353"}, {0, "4353"}, {-1, "4353"}};
  for (const auto& row : rows) {
    EXPORT(module_, SetKeyVersion)(row.version);
    const std::string digest = Seal(hkl);
    ASSERT_EQ(digest.size(), 77u) << row.version;
    EXPECT_EQ(digest.substr(0, 2) + digest[38] + digest.substr(39, 2),
              std::string(row.tags).insert(2, ","));
    EXPECT_EQ(CheckSealed(hkl, digest), 3) << row.version;
    EXPECT_EQ(CheckSealed(tampered, digest), 0) << row.version;
  }
}

TEST_F(Collection, SchemeOneDigestAndTheLegacyRetry) {
  const auto lines = Ordered();
  const auto hkl = Hkl("a.hkl", lines);
  EXPORT(module_, SetKeyVersion)(1);
  EXPECT_EQ(Seal(hkl), SchemeOne(lines, 0));
  // A seal made with the legacy line test validates on the retry, under scheme 1 only.
  const std::string legacy = SchemeOne(lines, 12);
  EXPECT_EQ(CheckSealed(hkl, legacy), 3);
  std::string asSchemeTwo = legacy.substr(0, 38);
  asSchemeTwo[1] = '2';
  EXPECT_EQ(Check(hkl, asSchemeTwo.c_str(), nullptr), 0);
}

TEST_F(Collection, ValidationCodes) {
  const auto hkl = Hkl("a.hkl", SteppedReflections(300));
  const std::string digest = Seal(hkl);
  const std::string first = digest.substr(0, 38), second = digest.substr(39);
  EXPECT_EQ(Seal(hkl, false), first);  // without the frames' second part, part 1 alone
  std::string otherHash = first;
  otherHash[20] = otherHash[20] == '0' ? '1' : '0';
  const struct {
    std::string first, second;
    int code;
  } rows[] = {
      {"x" + first.substr(1), second, 3},  // the first character is not compared
      {otherHash, second, 0},
      {first + "0", second, 0},
      {first, first, 1},
      {first, "", 1},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Check(hkl, row.first.c_str(), row.second.empty() ? nullptr : row.second.c_str()),
              row.code)
        << row.first << " " << row.second;
  EXPECT_EQ(Check(hkl, nullptr, second.c_str()), 0);
  // A hundred lines are needed to validate, the end marker counted; fewer still seal.
  const auto short99 = Hkl("short.hkl", SteppedReflections(98));
  const auto full100 = Hkl("full.hkl", SteppedReflections(99));
  const std::string sealed99 = Seal(short99);
  ASSERT_EQ(sealed99.size(), 77u);
  EXPECT_EQ(CheckSealed(short99, sealed99), 0);
  EXPECT_EQ(CheckSealed(full100, Seal(full100)), 3);
}

TEST_F(Collection, ReflectionTextValidatesLikeTheFile) {
  const auto lines = SteppedReflections(300);
  // Scheme 1 digests the line texts, so kept carriage returns change it.
  EXPORT(module_, SetKeyVersion)(1);
  const std::string digest = Seal(Hkl("a.hkl", lines));
  const std::string first = digest.substr(0, 38), second = digest.substr(39);
  auto refs = EXPORT(module_, iValidateRefsDigests);
  EXPECT_EQ(refs(JoinLines(lines).c_str(), first.c_str(), second.c_str()), 3);
  EXPECT_EQ(refs(JoinLines(lines, "\r\n").c_str(), first.c_str(), second.c_str()), 0);
  EXPECT_EQ(refs(nullptr, first.c_str(), second.c_str()), 0);
}

// A test crystal: the HKL file carries a CELL line that its structure file (".ins", else
// ".res") repeats; then it validates with code 1 whatever digest is given.
TEST_F(Collection, TestCrystalFallback) {
  const std::string cell = "CELL 0.71073 5.95 9.03 18.38 90 90 90";
  const struct {
    const char *hklCell, *ins, *res;
    int code;
  } rows[] = {
      {nullptr, "cell 0.71073 5.951 9.03 18.38 90.00 90.5 90.00", nullptr, 1},
      {nullptr, nullptr, "CELL 0.71073 5.95 9.03 18.38 90 90 90", 1},
      {nullptr, "CELL 0.71073 6.95 9.03 18.38 90 90 90", "CELL 0.71073 5.95 9.03 18.38 90 90 90",
       0},
      {nullptr, "CELL 0.7107 5.95 9.03 18.38 90 90 90", nullptr, 0},
      {"CELL 0.71073 1e999 9.03 18.38 90 90 90", "CELL 0.71073 1e999 9.03 18.38 90 90 90", nullptr,
       0},
  };
  for (const auto& row : rows) {
    auto lines = SteppedReflections(150);
    lines.push_back(row.hklCell ? row.hklCell : cell);
    const auto hkl = Hkl("crystal.hkl", lines);
    fs::remove(root_ / "crystal.ins");
    fs::remove(root_ / "crystal.res");
    for (const char* ext : {"ins", "res"})
      if (const char* text = std::string(ext) == "ins" ? row.ins : row.res)
        Write(std::string("crystal.") + ext, "TITL crystal\n" + std::string(text) + "\nEND\n");
    EXPECT_EQ(Check(hkl, nullptr, nullptr), row.code) << (row.ins ? row.ins : row.res);
    // A first part that does not match falls back to the cell as well.
    EXPECT_EQ(Check(hkl, "43000000000000000000000000000000000000", nullptr), row.code);
  }
  fs::remove(root_ / "crystal.ins");
  fs::create_directory(root_ / "crystal.ins");  // a folder is no structure file
  EXPECT_EQ(Check(Hkl("crystal.hkl", SteppedReflections(150)), nullptr, nullptr), 0);
}

TEST_F(Collection, UpdateCarriesPartsThatStillSealTheOldFile) {
  const auto lines = Ordered();
  const auto oldHkl = Hkl("old.hkl", lines);
  auto reordered = lines;
  std::reverse(reordered.begin(), reordered.end() - 1);
  const auto newHkl = Hkl("new.hkl", reordered);
  const std::string sealed = SchemeOne(lines, 0);
  const std::string first = sealed.substr(0, 38), second = sealed.substr(39);
  std::string wrong = first;
  wrong[0] = '5';
  // Without parts, a file is checked against itself: its scheme 1 part one.
  EXPECT_EQ(Carry(oldHkl, oldHkl, nullptr, nullptr), first);
  EXPECT_EQ(Carry(oldHkl, newHkl, first.c_str(), nullptr), first);
  EXPECT_EQ(Carry(oldHkl, newHkl, wrong.c_str(), second.c_str()), "");
  EXPECT_EQ(Carry(oldHkl, newHkl, first.c_str(), wrong.c_str()), first);
  EXPORT(module_, SetKeyVersion)(3);
  EXPECT_EQ(Carry(oldHkl, newHkl, Seal(oldHkl).substr(0, 38).c_str(), nullptr), "");
  EXPORT(module_, SetKeyVersion)(2);
  const std::string schemeTwo = Seal(oldHkl);
  EXPECT_EQ(Carry(oldHkl, newHkl, schemeTwo.substr(0, 38).c_str(), schemeTwo.substr(39).c_str()),
            sealed);
  // The new reflections must match the old ones; another common line length (a batch
  // column) still does.
  auto more = lines;
  more.insert(more.begin(), HklLine(1, 2, 3, 50.0, 1.0));
  EXPECT_EQ(Carry(oldHkl, Hkl("more.hkl", more), nullptr, nullptr), "");
  std::vector<std::string> wider;
  for (const auto& line : lines) wider.push_back(line + "   1");
  EXPECT_EQ(Carry(oldHkl, Hkl("wider.hkl", wider), nullptr, nullptr),
            SchemeOne(wider, 0).substr(0, 38));
}

// Missing, empty and special files are refused in the tool's tests, lines that are never
// read in tests/zt3util; here a line that cannot be read and a binary old file.
TEST_F(Collection, BadInput) {
  auto hex = SteppedReflections(300);
  hex[5] = "0x1F   2   3   12.50    1.00";
  EXPECT_EQ(Seal(Hkl("hex.hkl", hex)), "");
  std::string binary;
  for (int i = 0; i < 200000; ++i) binary += char((i * 7919) % 256);
  auto carry = EXPORT(module_, pcUpdateHKLDigests);
  const auto hkl = Hkl("a.hkl", SteppedReflections(300));
  EXPECT_STREQ(carry(Write("binary.hkl", binary).c_str(), hkl.c_str(), nullptr, nullptr), "");
}

// Every refusal names its reason in the log the host names, also when it is the module's
// first call and the refusal is an error caught at the boundary.
TEST(FirstCall, EveryRefusalNamesItsReasonInTheLog) {
  auto lines = SteppedReflections(150);
  lines[5] = "   1   2   3    0x1A    1.00";
  const std::string text = JoinLines(lines), hex = "Invalid float format '    0x1A'";
  const char* stored = "43000000000000000000000000000000000000";
  using M = const zt7test::FreshModule&;
  using P = const char16_t*;
  using Call = std::function<bool(M, P)>;
  const std::tuple<const char*, Call, std::string> rows[] = {
      {"update", [](M m, P p) { return !*EXPORT(m, pcUpdateHKLDigests)(p, p, 0, 0); }, hex},
      {"check", [&](M m, P p) { return !EXPORT(m, iValidateHKLDigests)(p, stored, 0); }, hex},
      {"match", [](M m, P p) { return EXPORT(m, dMatchHKL)(p, p) == 1.0; }, hex},
      {"no frames", [](M m, P p) { return !*EXPORT(m, pcDigestHKL)(0, u"*", p, "a", "b"); },
       "no frames folder"},
      {"title",
       [&](M m, P) { return !EXPORT(m, iValidateRefsDigests)(("T\n" + text).c_str(), stored, 0); },
       "is shorter than 28 characters"},
  };
  for (const auto& [what, call, reason] : rows) {
    const zt7test::FreshModule module;
    const fs::path hkl = module.folder() / "a.hkl", log = module.folder() / "log.txt";
    std::ofstream(hkl) << text;
    setenv("ZT7UTIL_LOG", log.c_str(), 1);
    EXPECT_TRUE(call(module, Wide(hkl.string()).c_str())) << what;
    unsetenv("ZT7UTIL_LOG");
    std::stringstream logged;
    logged << std::ifstream(log).rdbuf();
    EXPECT_NE(logged.str().find(reason), std::string::npos) << what << ": " << logged.str();
  }
}

// dMatchHKL on files: another common line length (a batch column) still matches; a longer
// first line leaves no record (the fingerprints' rules are in tests/repository).
TEST_F(Collection, Match) {
  const auto lines = SteppedReflections(40);
  auto mixed = lines, wide = lines;
  for (std::string& line : wide) line += "   1";
  mixed[0] += " ";
  const auto a = Hkl("a.hkl", lines);
  auto match = EXPORT(module_, dMatchHKL);
  EXPECT_EQ(match(a.c_str(), a.c_str()), 0.0);
  EXPECT_EQ(match(a.c_str(), Hkl("w.hkl", wide).c_str()), 0.0);
  EXPECT_EQ(match(a.c_str(), Hkl("m.hkl", mixed).c_str()), 1.0);
}

}  // namespace
