// The rules of an archive audit, case by case: shards, lists, merges, moves and the
// manifest's own SHA-256.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dataset/folder_list.h"
#include "dataset/manifest.h"
#include "dataset/merge.h"
#include "dataset/moves.h"
#include "dataset/report.h"
#include "dataset/selection.h"
#include "dataset/shards.h"
#include "sdl/sha256_text.h"
#include "support/module_digests.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace zt7::dataset;

using reference::Sha256;

TEST(AuditRules, Sha256OfTextIsTheStandardOne) {
  // FIPS 180-4 examples; 56 bytes is where the module's own padding differs.
  EXPECT_EQ(zt7::Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(zt7::Sha256Hex("abc"),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(zt7::Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(AuditRules, ShardTextsAreCheckedWhole) {
  const struct {
    const char* text;
    size_t index, count;  // count 0: refused
    const char* why;
  } cases[] = {
      {"0/1", 0, 1, ""},
      {"3/64", 3, 64, ""},
      {"63/64", 63, 64, ""},
      {"64/64", 0, 0, "K is 64, but shards are numbered 0 to 63"},
      {"1/0", 0, 0, "N is 0"},
      {"x", 0, 0, "expected K/N"},
      {"-1/4", 0, 0, "K is not a number"},
      {"1/", 0, 0, "N is not a number"},
      {" 1/4", 0, 0, "K is not a number"},
      {"1/4 ", 0, 0, "N is not a number"},
      {"1.0/4", 0, 0, "K is not a number"},
      {"0x1/4", 0, 0, "K is not a number"},
      {"0/1000001", 0, 0, "N is not a number from 1 to 1000000"},
  };
  for (const auto& c : cases) {
    const zt7::Result<Shard> shard = ParseShard(c.text);
    EXPECT_EQ(shard.Ok(), c.count != 0) << c.text;
    if (shard.Ok()) {
      EXPECT_EQ(shard.Value().index, c.index) << c.text;
      EXPECT_EQ(shard.Value().count, c.count) << c.text;
    } else {
      EXPECT_NE(shard.Reason().find(c.why), std::string::npos) << c.text << ": " << shard.Reason();
    }
  }
}

// The documented rule, computed apart: the first eight bytes of the path's SHA-256 as a
// big-endian number, modulo N.
TEST(AuditRules, AShardDependsOnTheResolvedPathAlone) {
  for (const std::string path :
       {"/archive/set-0", "/archive/set-1", "/data/2026/x y", "/data/\xe9t\xe9", "/"}) {
    const uint64_t number = std::stoull(Sha256(path).substr(0, 16), nullptr, 16);
    for (size_t count : {1, 2, 3, 4, 7, 64, 1000, 1000000})
      EXPECT_EQ(ShardOf(path, count), size_t(number % count)) << path << " " << count;
  }
}

// Each folder falls to one shard, the same whatever the list's order or length.
TEST(AuditRules, ShardsSplitAListWhateverItsOrder) {
  zodu::testing::TempFolder root;
  std::string list, reversed;
  for (int i = 0; i < 40; ++i) {
    const std::string name = root.path() + "/set-" + std::to_string(i);
    fs::create_directory(name);
    list += name + "\n";
    reversed = name + "\n" + reversed;
  }
  std::vector<std::string> seen;
  std::string identity;
  for (size_t k = 0; k < 4; ++k) {
    const auto forward = SelectFolders({}, &list, "list", {k, 4});
    const auto backward = SelectFolders({}, &reversed, "list", {k, 4});
    ASSERT_TRUE(forward.Ok() && backward.Ok()) << forward.Reason();
    std::vector<std::string> a = forward.Value().folders, b = backward.Value().folders;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b) << "shard " << k;
    EXPECT_EQ(forward.Value().run.list, backward.Value().run.list);
    EXPECT_EQ(forward.Value().run.listed, 40u);
    for (const std::string& folder : a) EXPECT_EQ(ShardOf(folder, 4), k) << folder;
    seen.insert(seen.end(), a.begin(), a.end());
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen.size(), 40u);
  EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end());
}

TEST(AuditRules, ListsNameEachFolderOnce) {
  zodu::testing::TempFolder root;
  for (const char* name : {"a", "b c", "#d", "e"}) fs::create_directory(root / name);
  fs::create_directory_symlink(root / "e", root / "link-e");
  const std::string r = fs::canonical(root.path()).string();
  ASSERT_EQ(chdir(root.path().c_str()), 0);
  struct Case {
    std::string text;
    std::vector<std::string> resolved;  // empty: refused
    std::string note;                   // a note or the refusal, in part
  } cases[] = {
      {"a\n\nb c\r\n#d\n", {r + "/a", r + "/b c", r + "/#d"}, ""},
      {"a\n./a\n" + r + "/a/\n", {r + "/a"}, "list:2: './a' is listed on line 1 already"},
      {"e\nlink-e\n", {r + "/e"}, "list:2: 'link-e' is listed on line 1 already"},
      {"missing\n", {r + "/missing"}, ""},  // named, and found missing by the check
      {std::string("a\nb\0c\n", 6), {}, "list:2: a NUL byte"},
      {"a\n" + std::string(5000, 'x') + "\n", {}, "list:2: longer than any path"},
      {"\n\r\n", {}, "list: no folder listed"},
      {"", {}, "list: no folder listed"},
  };
  for (const Case& c : cases) {
    const zt7::Result<FolderList> list = ParseFolderList(c.text, "list");
    ASSERT_EQ(list.Ok(), !c.resolved.empty()) << c.text << list.Reason();
    if (!list.Ok()) {
      EXPECT_NE(list.Reason().find(c.note), std::string::npos) << list.Reason();
      continue;
    }
    std::vector<std::string> resolved;
    for (const ListedFolder& folder : list.Value().folders) resolved.push_back(folder.resolved);
    EXPECT_EQ(resolved, c.resolved) << c.text;
    const std::string notes = list.Value().notes.empty() ? "" : list.Value().notes.front();
    EXPECT_NE(notes.find(c.note), std::string::npos) << notes;
  }
  ASSERT_EQ(chdir("/"), 0);
}

TEST(AuditRules, ExpectedValuesAreReadByFolder) {
  const std::string sha(64, 'a'), other(64, 'B');
  const auto read =
      ParseExpectations("# kept apart\n" + sha + "  /x/y\n" + other + "  /x/z/../w\n", "records");
  ASSERT_TRUE(read.Ok()) << read.Reason();
  EXPECT_EQ(read.Value().at("/x/y"), sha);
  EXPECT_EQ(read.Value().at("/x/w"), std::string(64, 'b'));
  EXPECT_EQ(read.Value().size(), 2u);  // one blank is no line of the shape
  for (const std::string& bad :
       {sha + " /x\n", std::string("abc  /x\n"), sha + "  /x\n" + other + "  /x\n"})
    EXPECT_FALSE(ParseExpectations(bad, "records").Ok()) << bad;
}

EntryCheck Entry(const std::string& path, Status status, const std::vector<ItemCheck>& items) {
  return EntryCheck{path, status, "", items};
}

TEST(AuditRules, ANewFileWithTheBytesOfAMissingOneMoved) {
  const std::string x(64, '1'), y(64, '2'), z(64, '3');
  std::vector<EntryCheck> entries = {
      Entry("a.txt", Status::kMissing, {{ItemKind::kSha256, x, ""}}),
      Entry("b.hkl", Status::kMissing,
            {{ItemKind::kHkl, "hkl-digest", ""}, {ItemKind::kSha256, y, ""}}),
      Entry("c.txt", Status::kMissing, {{ItemKind::kSha256, z, ""}}),
      Entry("new/a.txt", Status::kNew, {{ItemKind::kSha256, "", x}}),
      Entry("new/a2.txt", Status::kNew, {{ItemKind::kSha256, "", x}}),  // a copy: no pair left
      Entry("new/b.hkl", Status::kNew, {{ItemKind::kSha256, "", y}}),
      Entry("other.txt", Status::kNew, {{ItemKind::kSha256, "", std::string(64, '4')}}),
  };
  FoldMoves(entries);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].path, "c.txt");
  EXPECT_EQ(entries[0].status, Status::kMissing);
  EXPECT_EQ(entries[1].path, "new/a.txt");
  EXPECT_EQ(entries[1].status, Status::kMoved);
  EXPECT_EQ(entries[1].reason, "from a.txt");
  EXPECT_EQ(entries[1].items.front().expected, x);
  EXPECT_EQ(entries[1].items.front().found, x);
  EXPECT_EQ(entries[2].status, Status::kNew);
  EXPECT_EQ(entries[3].path, "new/b.hkl");
  EXPECT_EQ(entries[3].status, Status::kMoved);
  EXPECT_EQ(entries[3].reason, "from b.hkl");
  ASSERT_EQ(entries[3].items.size(), 2u);
  EXPECT_EQ(entries[3].items[0].kind, ItemKind::kHkl);
  EXPECT_EQ(entries[3].items[0].found, "hkl-digest");
  EXPECT_EQ(entries[4].status, Status::kNew);
  DatasetCheck check{"set", "", {}, entries};
  EXPECT_FALSE(check.Intact());  // a move is a change
}

TEST(AuditRules, TheManifestsLastLineIsTheSha256OfTheLinesAbove) {
  const std::string header = "# zt7util seal manifest, key version 3, sealed 2026-01-01T00:00:00Z";
  const std::string body = "SHA256  " + Sha256("notes") + "  notes.txt\n";
  const std::string hashed = header + ", SHA-256 on its last line\n" + body;
  const std::string manifest = hashed + "# sha256 " + Sha256(hashed) + "\n";
  const std::string written = FormatManifest({{ItemKind::kSha256, Sha256("notes"), "notes.txt"}}, 3,
                                             "2026-01-01T00:00:00Z");
  EXPECT_EQ(written, manifest);
  std::string edited = manifest;
  edited[edited.find("notes.txt")] = 'N';
  const struct {
    std::string text, why;  // why "": accepted
  } cases[] = {
      {manifest, ""},
      {header + "\n" + body, ""},  // written before manifests held their SHA-256
      {edited, "edited: its last line is not the SHA-256 of the lines above it"},
      {hashed, "edited: its last line, the SHA-256 of the lines above it, is gone"},
      {manifest + body, "edited: a line follows its SHA-256 line"},
      {hashed + "# sha256 " + std::string(64, '0') + "\n", "edited: its last line is not"},
      {hashed + "# sha256 " + Sha256(hashed), "edited: its last line is not"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ManifestEdited(c.text).substr(0, c.why.size()), c.why) << c.text;
    EXPECT_EQ(ParseManifest(c.text).Ok(), c.why.empty()) << c.text;
  }
}

// Shard reports as verify writes them: dataset `i` of `listed` is intact unless in `changed`.
std::string ShardJson(size_t k, size_t n, size_t listed, const std::vector<size_t>& changed,
                      const std::string& list = std::string(64, 'c')) {
  std::vector<DatasetCheck> checks;
  for (size_t i = k; i < listed; i += n) {
    DatasetCheck check{"/archive/set-" + std::to_string(i), "", {}, {}};
    const bool bad = std::find(changed.begin(), changed.end(), i) != changed.end();
    check.entries.push_back(
        {"notes.txt",
         bad ? Status::kFailed : Status::kOk,
         bad ? "SHA-256 differs" : "",
         {{ItemKind::kSha256, std::string(64, '1'), std::string(64, bad ? '2' : '1')}}});
    checks.push_back(check);
  }
  std::vector<const DatasetCheck*> all;
  for (const DatasetCheck& check : checks) all.push_back(&check);
  RunInfo run{list, listed, {k, n}, false};
  return JsonReport(all, &run);
}

TEST(AuditRules, AMergeSaysIntactOnlyWhenEveryShardAndDatasetIs) {
  const std::string s0 = ShardJson(0, 3, 8, {}), s1 = ShardJson(1, 3, 8, {}),
                    s2 = ShardJson(2, 3, 8, {}), bad2 = ShardJson(2, 3, 8, {5});
  std::string otherVersion = s1;
  otherVersion.replace(otherVersion.find(ReportVersion()), ReportVersion().size(),
                       "zt7util 10.9.0");
  std::string fewer = s2;  // a dataset cut out, the JSON still whole
  fewer.erase(fewer.rfind(",\n {\"folder\""), fewer.rfind("\n]}") - fewer.rfind(",\n {\"folder\""));
  const struct {
    std::vector<ShardReport> reports;
    zt7::Outcome outcome;
    std::string says;
  } cases[] = {
      {{{"r0", s0}, {"r1", s1}, {"r2", s2}}, zt7::Outcome::kOk, ""},
      {{{"r2", s2}, {"r0", s0}, {"r1", s1}}, zt7::Outcome::kOk, ""},
      {{{"r0", s0}, {"r1", s1}, {"r2", bad2}}, zt7::Outcome::kMismatch, "not every dataset"},
      {{{"r0", s0}, {"r2", s2}}, zt7::Outcome::kMismatch, "shards are missing"},
      {{{"r0", s0}, {"r1", s1}, {"again", s1}, {"r2", s2}},
       zt7::Outcome::kRefused,
       "'again' and 'r1' are both shard 1 of 3"},
      {{{"r0", s0}, {"cut", s1.substr(0, s1.size() / 2)}, {"r2", s2}},
       zt7::Outcome::kRefused,
       "'cut': truncated or not JSON"},
      {{{"r0", s0}, {"r1", ShardJson(1, 3, 8, {}, std::string(64, 'd'))}, {"r2", s2}},
       zt7::Outcome::kRefused,
       "'r1': of another list than 'r0'"},
      {{{"r0", s0}, {"r1", ShardJson(1, 4, 8, {})}, {"r2", s2}},
       zt7::Outcome::kRefused,
       "'r1': one of 4 shards, 'r0' one of 3"},
      {{{"r0", s0}, {"r1", otherVersion}, {"r2", s2}},
       zt7::Outcome::kRefused,
       "'r1': written by zt7util 10.9.0, not by " + ReportVersion()},
      {{{"r0", s0}, {"r1", s1}, {"r2", fewer}},
       zt7::Outcome::kRefused,
       "the reports hold 7 datasets, the list 8"},
      {{{"plain", "{\"intact\": true, \"datasets\": []}"}},
       zt7::Outcome::kRefused,
       "'plain': not a shard report"},
      {{{"deep", std::string(100000, '[')}}, zt7::Outcome::kRefused, "nested too deeply"},
      {{}, zt7::Outcome::kRefused, "no report given"},
  };
  for (const auto& c : cases) {
    const MergedReport merged = MergeReports(c.reports);
    EXPECT_EQ(merged.verdict.GetOutcome(), c.outcome) << c.says << ": " << merged.verdict.Reason();
    EXPECT_NE(merged.verdict.Reason().find(c.says), std::string::npos) << merged.verdict.Reason();
    EXPECT_EQ(merged.json.empty(), c.outcome == zt7::Outcome::kRefused) << c.says;
  }
  const MergedReport partial = MergeReports({{"r0", s0}, {"r2", bad2}});
  EXPECT_EQ(partial.findings, std::vector<std::string>{"shard 1 of 3 missing"});
  EXPECT_NE(partial.json.find("\"shards\": {\"count\": 3, \"present\": [0, 2], \"missing\": [1]}"),
            std::string::npos)
      << partial.json;
  EXPECT_NE(partial.text.find("/archive/set-5/notes.txt: FAILED (SHA-256 differs)\n"),
            std::string::npos)
      << partial.text;
  EXPECT_NE(partial.text.find("audit: INCOMPLETE, 2 of 3 shards, 5 datasets, 1 not intact\n"),
            std::string::npos)
      << partial.text;
}

}  // namespace
