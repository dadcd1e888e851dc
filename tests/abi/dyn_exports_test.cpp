// DYN digests through the loaded library against the second computation of dyn_reference.h.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/dyn_reference.h"
#include "support/loaded_module.h"

namespace {

namespace fs = std::filesystem;
using dyn_reference::kColumns;
using dyn_reference::LoopCif;
using dyn_reference::LoopDigest;
using dyn_reference::Rows;
using dyn_reference::WholeFileDigest;

using zt7test::Wide;

// Frames with their digest, and reflection files beside them.
class DynDigests : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) const {
    const fs::path path = module_.folder() / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }
  std::u16string Frames() const { return frames_.path(); }
  std::string Seal(const std::string& path) {
    return EXPORT(module_, pcDigestDYN)(Frames().c_str(), u"*.img", Wide(path).c_str(),
                                        first_.c_str(), second_.c_str());
  }
  bool Check(const std::string& path, const char* digest) {
    return EXPORT(module_, bValidateDYNDigest)(Wide(path).c_str(), digest);
  }

  zt7test::FreshModule module_;
  const zt7test::SealedFrames frames_{module_};
  const std::string& first_ = frames_.first;
  const std::string& second_ = frames_.second;
};

TEST_F(DynDigests, WhatIsSealedAndHow) {
  const auto rows = Rows(100);
  // An extra column, and an intensity lengthened until the loop text's UTF-16 bytes leave
  // exactly 56 bytes for the last block, where the in-memory padding differs.
  auto wider = kColumns;
  for (auto& column : wider) column[1] = 'R';  // names are found whatever their case
  wider.push_back("_refln_F_squared_calc");
  auto widerRows = rows;
  for (auto& row : widerRows) row.push_back("0.5");
  auto textLength = [&] {
    size_t n = 0;
    for (const auto& line : dyn_reference::LoopLines(wider, widerRows)) n += line.size();
    return n;
  };
  while (textLength() % 32 != 28) widerRows[0][3] += "0";
  const std::string head = "data_crystal\n_cell_length_a 5.95\n";
  const std::string loop = head + LoopCif(kColumns, rows);
  const std::string reformatted =
      "data_crystal\n# sealed loop below\n_cell_length_b 9.03\r\n_cell_length_a 5.95\r\n" +
      LoopCif(kColumns, rows, "\n   \t") + "_diffrn_ambient_temperature 100\ndata_other\n" +
      LoopCif(kColumns, Rows(3));
  // Names are compared whole: a sigma column with a longer name is no sigma column.
  auto longerSigma = kColumns;
  longerSigma[4] += "_x";
  const struct {
    const char* what;
    std::string name, content, expected;
  } cases[] = {
      {"100 rows", "a.cif_od", loop, LoopDigest(kColumns, rows)},
      {"99 rows", "b.cif_od", head + LoopCif(kColumns, Rows(99)), ""},
      {"extra column, 56 bytes left", "d.cif_od", head + LoopCif(wider, widerRows),
       LoopDigest(wider, widerRows)},
      {"reformatted outside, respaced inside", "e.cif_od", reformatted, LoopDigest(kColumns, rows)},
      {"sigma column under a longer name", "g.cif_od", head + LoopCif(longerSigma, rows), ""},
      {"loop in the second block", "h.cif_od", head + "data_second\n" + LoopCif(kColumns, rows),
       ""},
      {"value count not a multiple of the columns", "i.cif_od", loop + "1 2 3\n", ""},
      {"capitalised extension: whole file", "k.CIF_OD", loop, WholeFileDigest(loop)},
      {"empty file: whole file", "empty.hkl", "", WholeFileDigest("")},
  };
  for (const auto& c : cases) {
    const std::string path = Write(c.name, c.content);
    EXPECT_EQ(Seal(path), c.expected) << c.what;
    EXPECT_TRUE(c.expected.empty() || Check(path, c.expected.c_str())) << c.what;
  }
  EXPECT_NE(LoopDigest(wider, widerRows), LoopDigest(kColumns, rows));
}

TEST_F(DynDigests, Validation) {
  const std::string cif = "data_x\n" + LoopCif(kColumns, Rows(120));
  const std::string path = Write("sealed.cif_od", cif);
  const std::string digest = LoopDigest(kColumns, Rows(120));
  auto with = [&](size_t at, char c) { return digest.substr(0, at) + c + digest.substr(at + 1); };
  const struct {
    const char* what;
    std::string digest;
    bool valid;
  } cases[] = {
      {"as sealed, but for the first character, which is not compared", with(0, 'x'), true},
      {"stored mode 1 checks the whole file", WholeFileDigest(cif), true},
      {"mode 1 in a loop digest", with(1, '1'), false},
      {"last character changed", with(37, digest[37] == 'a' ? 'b' : 'a'), false},
      {"empty", "", false},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(path, c.digest.c_str()), c.valid) << c.what;
  EXPECT_FALSE(Check(path, nullptr));
}

TEST_F(DynDigests, RefusedInputs) {
  const std::string cif = Write("ok.cif_od", "data_x\n" + LoopCif(kColumns, Rows(100)));
  const std::string digest = LoopDigest(kColumns, Rows(100));
  auto seal = [&](const char16_t* frames, const char16_t* path, const char* second) {
    return std::string(
        EXPORT(module_, pcDigestDYN)(frames, u"*.img", path, first_.c_str(), second));
  };
  EXPECT_EQ(seal(nullptr, Wide(cif).c_str(), second_.c_str()), "");
  EXPECT_EQ(seal(Frames().c_str(), nullptr, second_.c_str()), "");
  // Nothing but a regular file is read: none of these may hang or be taken.
  const fs::path fifo = module_.folder() / "pipe.cif_od";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_directory(module_.folder() / "folder.cif_od");
  for (const std::string& path : {fifo.string(), (module_.folder() / "folder.cif_od").string(),
                                  std::string("/dev/zero"), std::string("/dev//zero")}) {
    EXPECT_EQ(Seal(path), "") << path;
    EXPECT_FALSE(Check(path, digest.c_str())) << path;
    EXPECT_FALSE(Check(path, WholeFileDigest("").c_str())) << path;
  }
}

}  // namespace
