// A file of a dataset read once: its HKL lines scanned while its SHA-256 is made give what
// reading the file by its path gives, lines across the reading's pieces included.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "dataset/item_digests.h"
#include "support/hkl_text.h"
#include "support/temp_folder.h"
#include "zt3util/digest_calls.h"
#include "zt3util/hkl_digest.h"
#include "zt3util/hkl_validation.h"

namespace {

TEST(ItemDigests, LinesScannedInPiecesDigestAsTheFileReadWhole) {
  zodu::testing::TempFolder folder;
  // Far more than one piece of the reading; line ends of one and two bytes, and a last line
  // without a line feed, so that lines cross the pieces' borders at every offset.
  const std::string lf = hkl_test::JoinLines(hkl_test::SteppedReflections(12000));
  const std::string crlf = hkl_test::JoinLines(hkl_test::SteppedReflections(9000), "\r\n");
  for (const std::string& text : {lf, crlf, lf.substr(0, lf.size() - 1), lf + "\r\r\n"}) {
    const std::string path = folder.MakeFile("a.hkl", text);
    for (int version : {1, 2, 3}) {
      const zt7::ScanNeeds needs = zt7::NeedsOfValidation(version);
      std::atomic<uint64_t> bytes{0};
      std::string scanned;
      const auto read = zt7::dataset::ReadOneState(
          folder.path(), "a.hkl", bytes,
          [&](const std::string& file, const zt7::HklScan* lines) {
            ASSERT_NE(lines, nullptr);
            const auto digest = zt7::SealHklScan(*lines, file, version);
            scanned = digest.Ok() ? digest.Value() : digest.Reason();
          },
          false, &needs);
      ASSERT_EQ(read.fault, zt7::dataset::ReadFault::kNone) << read.why;
      EXPECT_EQ(bytes, text.size());
      // The same file read by its path, a run of whole lines at a time.
      const auto whole = zt7::DigestHklFile(zodu::testing::W(path), version, 3);
      EXPECT_EQ(scanned, std::string(whole.raw(), whole.Length())) << version;
      EXPECT_EQ(scanned.size(), 77u);
    }
  }
}

}  // namespace
