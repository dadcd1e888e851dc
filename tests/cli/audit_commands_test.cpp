// The audit of an archive through the tool: seal and verify of lists and shards, shard
// reports merged, moves, the manifest's SHA-256 checked against the keeper's records.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/run_tool.h"
#include "support/module_digests.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using zt7test::Outcome;
using zt7test::Quote;
using zt7test::ReadFile;
using zt7test::RunTool;

using reference::Sha256;

// An archive of four datasets and a list naming them, set-1 twice.
class AuditCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 4; ++i) {
      const std::string set = "set-" + std::to_string(i);
      fs::create_directories(archive / (set + "/frames"));
      archive.MakeFile(set + "/frames/a.img", "frame a of " + set);
      archive.MakeFile(set + "/frames/b.img", "frame b of " + set);
      archive.MakeFile(set + "/notes.txt", "notes of " + set);
      list += archive.path() + "/" + set + "\n";
    }
    list += archive.path() + "/set-1/\n";
    archive.MakeFile("list.txt", list);
  }
  std::string Path(const std::string& name) const { return Quote(archive.path() + "/" + name); }
  std::string Set(int i) const { return archive.path() + "/set-" + std::to_string(i); }

  zodu::testing::TempFolder archive;
  std::string list;
};

TEST_F(AuditCommands, SealOfAListSkipsSealedFoldersAndPrintsEachManifestsSha256) {
  ASSERT_EQ(RunTool("seal --quiet " + Quote(Set(2))).status, 0);
  const Outcome r = RunTool("seal --quiet --from - < " + Path("list.txt"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find(Set(2) + ": skipped: it has a manifest already"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("-:5: '" + Set(1) + "/' is listed on line 2 already: checked once"),
            std::string::npos)
      << r.err;
  for (int i : {0, 1, 3}) {
    const std::string manifest = ReadFile(Set(i) + "/zt7util-seal.txt");
    EXPECT_NE(r.out.find("\n" + Sha256(manifest) + "  " + Set(i) + "\n"), std::string::npos)
        << r.out;
  }
  EXPECT_EQ(RunTool("seal " + Quote(Set(2))).status, 1);  // one sealed folder: refused
  EXPECT_EQ(RunTool("seal --shard 4/4 " + Quote(Set(0))).status, 1);
}

TEST_F(AuditCommands, ShardReportsMergeIntoWhatOneVerifySays) {
  ASSERT_EQ(RunTool("seal --quiet --from " + Path("list.txt")).status, 0);
  archive.MakeFile("set-3/notes.txt", "changed");
  for (int k = 0; k < 3; ++k) {
    const Outcome shard =
        RunTool("verify --quiet --from " + Path("list.txt") + " --shard " + std::to_string(k) +
                "/3 --json -o " + Path("shard-" + std::to_string(k) + ".json"));
    EXPECT_LE(shard.status, 1) << shard.err;
    EXPECT_EQ(shard.out, "");
  }
  const std::string r0 = Path("shard-0.json"), r1 = Path("shard-1.json"), r2 = Path("shard-2.json");
  const Outcome merged = RunTool("merge-reports --json " + r0 + " " + r1 + " " + r2);
  EXPECT_EQ(merged.status, 1);
  const Outcome single = RunTool("verify --quiet --json --from " + Path("list.txt"));
  EXPECT_EQ(single.status, 1);
  // Every dataset object of the single run appears in the merge as it is.
  size_t datasets = 0;
  for (size_t at = single.out.find("{\"folder\""); at != std::string::npos;
       at = single.out.find("{\"folder\"", at + 1), ++datasets) {
    const std::string object = single.out.substr(at, single.out.find("]}", at) + 2 - at);
    EXPECT_NE(merged.out.find(object), std::string::npos) << object;
  }
  EXPECT_EQ(datasets, 4u);
  EXPECT_NE(merged.out.find("\"shards\": {\"count\": 3, \"present\": [0, 1, 2], \"missing\": []}"),
            std::string::npos)
      << merged.out;

  const Outcome text = RunTool("merge-reports " + r0 + " " + r1 + " " + r2);
  EXPECT_NE(text.out.find(Set(3) + "/notes.txt: FAILED (SHA-256 differs)\n"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("audit: NOT INTACT, 3 of 3 shards, 4 datasets, 1 not intact\n"),
            std::string::npos)
      << text.out;
  zt7test::ExpectCalls({
      {"merge-reports " + Path("none.json"), 2, "none.json"},
      {"verify --from " + Path("list.txt") + " --shard 3/3", 1, "shard '3/3': K is 3"},
      {"verify --from " + Path("none.txt"), 1, "none.txt"},
  });
}

// A file moved inside a dataset is one change; --failures-only keeps the JSON to it.
TEST_F(AuditCommands, AMovedFileIsOneChangeAndFailuresOnlyListsIt) {
  ASSERT_EQ(RunTool("seal --quiet " + Quote(Set(0))).status, 0);
  fs::rename(Set(0) + "/notes.txt", Set(0) + "/frames/notes.txt");
  const Outcome r = RunTool("verify --quiet " + Quote(Set(0)));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, Set(0) + "/frames/notes.txt: MOVED (from notes.txt)\n" + Set(0) +
                       ": NOT INTACT, 3 OK, 0 FAILED, 0 MISSING, 0 NEW, 0 REFORMATTED, 0 ERROR, "
                       "1 MOVED\n");
  const Outcome json = RunTool("verify --quiet --json --failures-only " + Quote(Set(0)));
  EXPECT_EQ(json.status, 1);
  EXPECT_NE(json.out.find("\"counts\": {\"OK\": 3, \"FAILED\": 0,"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"path\": \"frames/notes.txt\""), std::string::npos) << json.out;
  EXPECT_EQ(json.out.find("\"status\": \"OK\""), std::string::npos) << json.out;
}

TEST_F(AuditCommands, TheManifestIsCheckedAgainstItselfAndTheKeepersRecords) {
  ASSERT_EQ(RunTool("seal --quiet " + Quote(Set(0)) + " " + Quote(Set(1))).status, 0);
  const std::string manifest = ReadFile(Set(0) + "/zt7util-seal.txt");
  const std::string sha = Sha256(manifest), wrong(64, '0');
  archive.MakeFile("records.txt", sha + "  " + archive.path() + "/./set-0\n");
  archive.MakeFile("wrong.txt", wrong + "  " + Set(0) + "\n");
  zt7test::ExpectCalls({
      {"verify --expect " + sha + " " + Quote(Set(0)), 0, ": intact"},
      {"verify --expect-from " + Path("records.txt") + " " + Quote(Set(0)), 0, ": intact"},
      {"verify --expect " + wrong + " " + Quote(Set(0)), 1, "its SHA-256 is " + sha},
      {"verify --expect-from " + Path("wrong.txt") + " " + Quote(Set(0)), 1, "not the expected"},
      {"verify --expect-from " + Path("records.txt") + " " + Quote(Set(1)), 1,
       "none is expected for this folder"},
      {"verify --expect nothex " + Quote(Set(0)), 1, "not 64 hexadecimal digits"},
  });
  // An edited manifest is refused even without records; one written before manifests held
  // their SHA-256 still verifies.
  std::string edited = manifest;
  edited.replace(edited.find("notes.txt"), 9, "NOTES.txt");
  archive.MakeFile("set-0/zt7util-seal.txt", edited);
  zt7test::ExpectCalls({{"verify " + Quote(Set(0)), 1, "zt7util-seal.txt: edited"}});
  std::string old = manifest.substr(0, manifest.rfind("# sha256 "));
  old.replace(old.find(", SHA-256 on its last line"), 26, "");
  archive.MakeFile("set-0/zt7util-seal.txt", old);
  zt7test::ExpectCalls({{"verify " + Quote(Set(0)), 0, ": intact"}});
}

}  // namespace
