// The tool's seal and verify subcommands, run as a user runs them on a dataset folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "cli/run_tool.h"
#include "support/dyn_reference.h"
#include "support/frames_reference.h"
#include "support/hkl_text.h"
#include "support/module_digests.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using zt7test::Outcome;
using zt7test::ReadFile;
using zt7test::RunTool;

using reference::Sha256;

// 120 reflections. The lowest intensity is 0 and the highest 62400, so the fingerprint
// scales by 624 / 62400 = 0.01 and bins trunc(I / 100): 995.27 and 905.27 both give 9.
std::string HklText() {
  std::vector<std::string> lines;
  for (int i = 1; i <= 120; ++i) {
    const double I = i == 1 ? 0.0 : i == 2 ? 62400.0 : i == 3 ? 995.27 : 100.0 * i + 0.5;
    lines.push_back(hkl_test::HklLine(i % 7 + 1, i % 5 - 2, i, I, 1.0));
  }
  lines.push_back(hkl_test::EndMarker());
  return hkl_test::JoinLines(lines);
}

const std::vector<dyn_reference::Row> kRows = dyn_reference::Rows(100);

std::string CifText(const std::vector<dyn_reference::Row>& rows) {
  return "data_crystal\n" + dyn_reference::LoopCif(dyn_reference::kColumns, rows);
}

void Replace(const std::string& path, const std::string& from, const std::string& to) {
  std::string text = ReadFile(path);
  text.replace(text.find(from), from.size(), to);
  std::ofstream(path, std::ios::binary) << text;
}

// Every regular file under `root` with its bytes.
std::map<std::string, std::string> Contents(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.symlink_status().type() == fs::file_type::regular)
      files[fs::relative(entry.path(), root).string()] = ReadFile(entry.path());
  return files;
}

class SealCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directory(folder / "frames");
    for (const char* name : {"f_001.img", "f_002.img"})
      folder.MakeFile("frames/" + std::string(name), name);
    folder.MakeFile("frames/run.log", "collection log");
    for (const char* name : {"crystal", "second"}) {
      folder.MakeFile(name + std::string(".hkl"), HklText());
      folder.MakeFile(name + std::string(".cif_od"), CifText(kRows));
    }
    folder.MakeFile("notes.txt", "notes");
    mkfifo((folder / "frames/pipe.img").c_str(), 0600);
    fs::create_directory_symlink("/etc", folder / "etc-link");
  }
  std::string Dir() const { return zt7test::Quote(folder.path()); }

  zodu::testing::TempFolder folder;
};

TEST_F(SealCommands, SealWritesEveryDigestAndChangesNoOtherFile) {
  const auto before = Contents(folder.path());
  Outcome r = RunTool("seal -j 2 " + Dir());
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string sealed = ReadFile(folder / "zt7util-seal.txt");
  EXPECT_EQ(r.out, folder.path() + ": sealed 8 files (1 frame sets, 2 HKL files, 2 reflection " +
                       "files) in " + folder.path() + "/zt7util-seal.txt\n" + Sha256(sealed) +
                       "  " + fs::canonical(folder.path()).string() + "\n");
  EXPECT_NE(r.err.find("frames/pipe.img: FIFO, not read"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("etc-link: symbolic link, not followed"), std::string::npos) << r.err;
  auto after = Contents(folder.path());
  const std::string manifest = after["zt7util-seal.txt"];
  after.erase("zt7util-seal.txt");
  EXPECT_EQ(after, before);

  // The HKL digest comes from the subcommand that seals one HKL file.
  const std::string frames =
      frames_reference::FramesDigest(folder / "frames", {"f_001.img", "f_002.img"});
  Outcome hkl =
      RunTool("digest-hkl " + Dir() + "/frames '*.img' " + Dir() + "/crystal.hkl " + frames);
  ASSERT_EQ(hkl.status, 0) << hkl.err;
  const std::string dyn = dyn_reference::LoopDigest(dyn_reference::kColumns, kRows);
  const std::string cif = Sha256(CifText(kRows));
  const std::string h = hkl.out.substr(0, 77), hklSum = Sha256(HklText());
  std::string expected;  // one item a line, sorted by path
  for (const auto& [kind, digest, path] : std::vector<std::array<std::string, 3>>{
           {"DYN", dyn, "crystal.cif_od"},
           {"SHA256", cif, "crystal.cif_od"},
           {"HKL", h, "crystal.hkl"},
           {"SHA256", hklSum, "crystal.hkl"},
           {"FRAMES", frames, "frames/*.img"},
           {"SHA256", Sha256("f_001.img"), "frames/f_001.img"},
           {"SHA256", Sha256("f_002.img"), "frames/f_002.img"},
           {"SHA256", Sha256("collection log"), "frames/run.log"},
           {"SHA256", Sha256("notes"), "notes.txt"},
           {"DYN", dyn, "second.cif_od"},
           {"SHA256", cif, "second.cif_od"},
           {"HKL", h, "second.hkl"},
           {"SHA256", hklSum, "second.hkl"}})
    expected += kind + "  " + digest + "  " + path + "\n";
  const std::string header = "# zt7util seal manifest, key version 3, sealed 2";
  EXPECT_EQ(manifest.substr(0, header.size()), header);
  const size_t last = manifest.rfind('\n', manifest.size() - 2) + 1;  // the manifest's SHA-256
  EXPECT_EQ(manifest.substr(manifest.find('\n') + 1, last - manifest.find('\n') - 1), expected);
}

TEST_F(SealCommands, VerifyNamesEveryChangedMissingAndNewFile) {
  zt7test::ExpectCalls(
      {{"verify " + Dir(), 1, "zt7util-seal.txt"},  // not sealed
       {"seal " + Dir() + "/notes.txt", 1, "notes.txt"},
       {"seal " + Dir(), 0, "sealed 8 files"},
       {"verify " + Dir(), 0,
        folder.path() +
            ": intact, 9 OK, 0 FAILED, 0 MISSING, 0 NEW, 0 REFORMATTED, 0 ERROR, 0 MOVED\n"}});

  Replace(folder / "frames/f_001.img", "f_", "F_");       // the frames digest reads it
  Replace(folder / "crystal.hkl", " 995.27", " 905.27");  // same fingerprint bin
  Replace(folder / "second.hkl", " 995.27", "9995.27");   // another bin
  Replace(folder / "crystal.cif_od", "data_crystal\n", "data_crystal\n# rewritten\n_a 1\n");
  std::vector<dyn_reference::Row> edited = kRows;
  edited[50][3] = "123.45";
  folder.MakeFile("second.cif_od", CifText(edited));
  fs::remove(folder / "notes.txt");
  folder.MakeFile("frames/extra.txt", "added");
  fs::remove(folder / "frames/run.log");
  mkfifo((folder / "frames/run.log").c_str(), 0600);  // never opened
  const std::string d = folder.path();
  const std::string report =
      d + "/crystal.cif_od: REFORMATTED (bytes changed, reflection loop unchanged: its DYN " +
      "digest checks out)\n" + d +
      "/crystal.hkl: FAILED (bytes changed; its HKL digest still checks out, but that " +
      "digest compares binned intensities and cannot vouch that the data are unchanged)\n" + d +
      "/frames/*.img: FAILED (frames digest does not check out)\n" + d +
      "/frames/extra.txt: NEW\n" + d + "/frames/f_001.img: FAILED (SHA-256 differs)\n" + d +
      "/frames/run.log: FAILED (now a FIFO, not read)\n" + d + "/notes.txt: MISSING\n" + d +
      "/second.cif_od: FAILED (bytes changed, and its DYN digest does not check out)\n" + d +
      "/second.hkl: FAILED (bytes changed, and its HKL digest does not check out)\n" + d +
      ": NOT INTACT, 1 OK, 6 FAILED, 1 MISSING, 1 NEW, 1 REFORMATTED, 0 ERROR, 0 MOVED\n";
  const Outcome r = RunTool("verify -j 4 " + Dir() + " " + Dir());  // in order, whatever the jobs
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, report);
  EXPECT_NE(r.err.find("'" + d + "' is named again: checked once"), std::string::npos) << r.err;
  const Outcome json = RunTool("verify --json --quiet " + Dir());
  EXPECT_EQ(json.status, 1);
  const std::string item =
      "{\"kind\": \"SHA256\", \"path\": \"frames/f_001.img\", \"expected\": \"" +
      Sha256("f_001.img") + "\", \"found\": \"" + Sha256("F_001.img") +
      "\", \"status\": \"FAILED\"";
  EXPECT_NE(json.out.find(item), std::string::npos) << json.out;
}

// The manifest's rules are tested in the process (tests/dataset); here, that verify says
// which line it refuses and checks nothing.
TEST_F(SealCommands, ABadManifestIsRefusedNamingItsLine) {
  folder.MakeFile("zt7util-seal.txt",
                  "# zt7util seal manifest\n\nSHA256  " + Sha256("notes") + "  ../../etc/passwd\n");
  const Outcome r = RunTool("verify " + Dir());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "zt7util: verify: " + folder.path() +
                       "/zt7util-seal.txt:3: path refused ('..' in the path): ../../etc/passwd\n");
  EXPECT_EQ(
      r.out,
      folder.path() +
          ": NOT VERIFIED, 0 OK, 0 FAILED, 0 MISSING, 0 NEW, 0 REFORMATTED, 0 ERROR, 0 MOVED\n");
}

// Temporary manifests are no part of a dataset; a file turned into a link is a change, read
// through nothing; a frame that is a link is sealed by its target, which the frames digest
// reads; names are one line each, escaped as `ls -b` shows them.
TEST_F(SealCommands, LinksNamesAndLeftoversTellTheTruth) {
  const std::string d = folder.path(), odd = "a\033[2Jb\nc\t.txt";
  folder.MakeFile(".zt7util-seal.txt.x1Y2z3", "left by a killed seal");
  folder.MakeFile(odd, "odd");
  folder.MakeFile("frames/g_1.cbf", "g");
  fs::create_symlink("run.log", folder / "frames/g_2.cbf");
  EXPECT_EQ(
      RunTool("seal --quiet --frames '*.tif' " + Dir()).err,
      "zt7util: seal: '" + d + "': no file matches the frames mask '*.tif': no frames digest\n");
  ASSERT_EQ(RunTool("seal --force --frames '*.cbf' " + Dir()).status, 0);
  const std::string manifest = ReadFile(folder / "zt7util-seal.txt");
  for (const std::string& line : {"  " + Sha256("odd") + "  a\\033[2Jb\\nc\\t.txt\n",
                                  "LINK  " + Sha256("collection log") + "  frames/g_2.cbf\n"})
    EXPECT_NE(manifest.find(line), std::string::npos) << manifest;
  EXPECT_EQ(manifest.find(".zt7util-seal.txt."), std::string::npos) << manifest;
  EXPECT_FALSE(fs::exists(folder / ".zt7util-seal.txt.x1Y2z3"));

  zodu::testing::TempFolder other;
  folder.MakeFile(".zt7util-seal.txt.a1b2c3", "being written");
  fs::remove(folder / odd);
  folder.MakeFile("frames/run.log", "collection log, edited");
  fs::rename(folder / "notes.txt", other / "notes");
  fs::create_symlink(other / "notes", folder / "notes.txt");  // the same bytes, elsewhere
  const Outcome r = RunTool("verify " + Dir());
  EXPECT_EQ(r.status, 1);
  for (const std::string& line :
       {d + "/a\\033[2Jb\\nc\\t.txt: MISSING\n",
        d + "/frames/g_2.cbf: FAILED (its target changed: SHA-256 differs)\n",
        d + "/notes.txt: FAILED (now a symbolic link)\n",
        std::string(" 0 NEW, 0 REFORMATTED, 0 ERROR, 0 MOVED\n")})
    EXPECT_NE(r.out.find(line), std::string::npos) << r.out;
  fs::rename(folder / "frames", folder / "moved");
  fs::create_directory_symlink("moved", folder / "frames");
  const Outcome moved = RunTool("verify " + Dir());
  for (const std::string& line : {d + "/frames/*.cbf: FAILED (now a symbolic link)\n",
                                  d + "/frames/f_001.img: FAILED (a folder on its path is now a "
                                      "symbolic link)\n"})
    EXPECT_NE(moved.out.find(line), std::string::npos) << moved.out;
  fs::rename(folder / "zt7util-seal.txt", other / "manifest");
  fs::create_symlink(other / "manifest", folder / "zt7util-seal.txt");
  zt7test::ExpectCalls({{"verify " + Dir(), 1, "zt7util-seal.txt' is a symbolic link, not read"}});
}

// A file replaced again and again while it is read has no one state to seal or to check.
TEST_F(SealCommands, AFileThatKeepsChangingIsNamedNotSealedNorJudged) {
  ASSERT_EQ(RunTool("seal --quiet " + Dir()).status, 0);
  const std::string manifest = ReadFile(folder / "zt7util-seal.txt");
  zodu::testing::TempFolder versions;
  std::string lines;  // long enough that every read sees a replacement
  for (int i = 0; i < 1000; ++i) lines += HklText();
  for (const char* name : {"0", "1"}) versions.MakeFile(name, lines + name);
  std::atomic<bool> done{false};
  std::thread replacing([&] {  // a new file in its place every millisecond
    for (int i = 0; !done; ++i) {
      fs::create_hard_link(versions / std::to_string(i % 2), versions / "next");
      fs::rename(versions / "next", folder / "crystal.hkl");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  const Outcome verified = RunTool("verify -j 2 " + Dir(), 60);
  const Outcome resealed = RunTool("seal --force -j 2 " + Dir(), 60);
  done = true;
  replacing.join();
  EXPECT_NE(verified.out.find("/crystal.hkl: ERROR (changed while it was read, twice)\n"),
            std::string::npos)
      << verified.out;
  EXPECT_EQ(resealed.status, 1);
  EXPECT_NE(resealed.err.find("/crystal.hkl: changed while it was read, twice\n"),
            std::string::npos)
      << resealed.err;
  EXPECT_EQ(ReadFile(folder / "zt7util-seal.txt"), manifest);
}

// Under a memory limit the loop of a large .cif_od file cannot be read (its document needs
// more than the limit): each command says
// that it could not check or seal it, never that it changed.
TEST_F(SealCommands, ACheckThatCouldNotBeMadeIsAnErrorNeverAMismatch) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  GTEST_SKIP() << "the sanitizers' runtime needs more address space than the limit";
#endif
  // 50 MB of text, whose loop cells alone do not fit beside it under the limit.
  const std::vector<dyn_reference::Row> rows = dyn_reference::Rows(2200000);
  const std::string large = zt7test::Quote(folder.MakeFile("large.cif_od", CifText(rows)));
  ASSERT_EQ(RunTool("seal --quiet " + Dir(), 60).status, 0);
  const std::string manifest = ReadFile(folder / "zt7util-seal.txt");
  const std::string digest = dyn_reference::LoopDigest(dyn_reference::kColumns, rows);
  const std::pair<std::string, std::string> calls[] = {
      {"check-dyn " + large + " " + digest, "/large.cif_od: could not be checked: "},
      {"verify -j 1 " + Dir(), "/large.cif_od: ERROR ("},
      {"verify -j 1 " + Dir(), ": NOT VERIFIED, 9 OK, 0 FAILED, 0 MISSING, 0 NEW, 0 REFORMATTED, "},
      {"seal --force -j 1 " + Dir(), "/large.cif_od: could not be sealed: "},
  };
  for (const auto& [arguments, text] : calls) {
    const Outcome r = RunTool(arguments, 60, "ulimit -v 65536; ");
    EXPECT_EQ(r.status, 1) << arguments;
    EXPECT_NE((r.out + r.err).find(text), std::string::npos) << r.out << r.err;
  }
  EXPECT_EQ(ReadFile(folder / "zt7util-seal.txt"), manifest);
}

}  // namespace
