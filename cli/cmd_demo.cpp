// `zt7util demo`: a sample collection sealed and checked end to end through the exports.
#include <stdlib.h>  // for mkdtemp

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>  // for strerror
#include <filesystem>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli_support.h"
#include "cmd_seal.h"
#include "tool.h"
#include "zt7kit.h"

namespace zt7cli {
namespace {

namespace fs = std::filesystem;

constexpr char kDemo[] = "demo";

// The first test crystal: a, b, c in angstrom, all angles 90 degrees.
constexpr double kCell[6] = {5.95, 9.03, 18.38, 90.0, 90.0, 90.0};
constexpr char kCellLine[] = "CELL 0.71073 5.9500 9.0300 18.3800 90.000 90.000 90.000";
constexpr int kFrames = 360;

constexpr char kMask[] = "*.img";

// The library's calls as the demo's steps use them: a digest ("" when refused), a check's
// code, a distance.
std::string FramesDigest(const fs::path& folder) {
  KitText digest;
  zt7kit_digest_frames(folder.c_str(), kMask, digest.Out(), nullptr);
  return digest.Text();
}

int FramesCheck(const fs::path& folder, const char* first, const char* second) {
  int code = 0;
  zt7kit_check_frames(folder.c_str(), kMask, first, second, &code, nullptr);
  return code;
}

std::string HklDigest(const fs::path& folder, const fs::path& hkl, const char* first,
                      const char* second, int keyVersion = 0) {
  KitText digest;
  zt7kit_digest_hkl(folder.c_str(), kMask, hkl.c_str(), first, second, keyVersion, digest.Out(),
                    nullptr);
  return digest.Text();
}

int HklCheck(const fs::path& hkl, const char* first, const char* second) {
  int code = 0;
  zt7kit_check_hkl(hkl.c_str(), first, second, &code, nullptr);
  return code;
}

int RefsCheck(const std::string& text, const char* first, const char* second) {
  int code = 0;
  zt7kit_check_refs(nullptr, text.data(), text.size(), first, second, &code, nullptr);
  return code;
}

double Distance(const fs::path& a, const fs::path& b) {
  double distance = 1.0;
  zt7kit_match_hkl(a.c_str(), b.c_str(), &distance, nullptr);
  return distance;
}

std::string Carried(const fs::path& old, const fs::path& renewed, const char* first,
                    const char* second) {
  KitText digest;
  zt7kit_update_hkl(old.c_str(), renewed.c_str(), first, second, digest.Out(), nullptr);
  return digest.Text();
}

std::string DynDigest(const fs::path& folder, const fs::path& file, const char* first,
                      const char* second) {
  KitText digest;
  zt7kit_digest_dyn(folder.c_str(), kMask, file.c_str(), first, second, digest.Out(), nullptr);
  return digest.Text();
}

bool DynCheck(const fs::path& file, const std::string& digest) {
  return zt7kit_check_dyn(file.c_str(), digest.c_str(), nullptr) == ZT7KIT_OK;
}

// Every write and read is checked: on a full disk the demo stops at the file it could not
// write, naming it and the system's reason, instead of checking empty files.
struct FileTrouble : std::runtime_error {
  FileTrouble(const fs::path& path, int error)
      : std::runtime_error("'" + Escaped(path.string()) + "': " + std::strerror(error)) {}
};

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw FileTrouble(path, errno);
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int error = errno;
  if (std::fclose(file) != 0 && written) written = false, error = errno;
  if (!written) throw FileTrouble(path, error);
}

std::string ReadFile(const fs::path& path) {
  std::string text;
  const std::string why = ReadInput(path.string(), text);
  if (!why.empty()) throw std::runtime_error("'" + Escaped(path.string()) + "': " + why);
  return text;
}

// Frames of a rotation series: a short text header and a 16-bit image of background noise
// with a few spots, between 2 KiB and about 130 KiB.
void WriteFrames(const fs::path& folder, std::mt19937& random) {
  fs::create_directories(folder);
  std::poisson_distribution<int> background(12);
  for (int n = 1; n <= kFrames; ++n) {
    const int side = 32 + (n * 37) % 225;
    char header[160];
    std::snprintf(header, sizeof header,
                  "FRAME %03d\nPHI %.2f\nWIDTH 0.50\nEXPOSURE 10.0\nSIZE %d %d\n\f", n, 0.5 * n,
                  side, side);
    std::string bytes(header);
    std::vector<uint16_t> pixels(size_t(side) * side);
    for (uint16_t& p : pixels) p = uint16_t(background(random));
    for (int spot = 0; spot < 8; ++spot)
      pixels[random() % pixels.size()] = uint16_t(2000 + random() % 30000);
    bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 2);
    char name[32];
    std::snprintf(name, sizeof name, "run1_%04d.img", n);
    WriteFile(folder / name, bytes);
  }
  WriteFile(folder / "run1.log", "collection log: not a frame\n");
}

struct Reflection {
  int h, k, l;
  double I, sigma;
};

// Unique reflections of the test crystal to 1.0 angstrom with Wilson-like intensities.
std::vector<Reflection> Reflections(std::mt19937& random) {
  std::exponential_distribution<double> amplitude(1.0);
  std::vector<Reflection> refs;
  for (int h = 0; h <= 6; ++h)
    for (int k = -9; k <= 9; ++k)
      for (int l = -18; l <= 18; ++l) {
        const double s2 = h * h / (kCell[0] * kCell[0]) + k * k / (kCell[1] * kCell[1]) +
                          l * l / (kCell[2] * kCell[2]);
        if ((h == 0 && k == 0 && l == 0) || s2 > 1.0) continue;
        const double I = 4000.0 * std::exp(-3.0 * s2) * amplitude(random);
        refs.push_back({h, k, l, I, 0.6 + std::sqrt(I) * 0.8});
      }
  return refs;
}

std::string HklText(const std::vector<Reflection>& refs, bool withCell) {
  std::string text;
  char line[64];
  for (const Reflection& r : refs) {
    std::snprintf(line, sizeof line, "%4d%4d%4d%8.2f%8.2f\n", r.h, r.k, r.l, r.I, r.sigma);
    text += line;
  }
  text += "   0   0   0    0.00    0.00\n";
  if (withCell) text += std::string(kCellLine) + "\n";
  return text;
}

// The reflections as a .cif_od file: a few items and the reflection loop, one row per line
// with the values separated by `separator`; `comments` adds comment lines and items around
// the loop, which its digest does not cover.
std::string CifOdText(const std::vector<Reflection>& refs, const char* separator, bool comments) {
  std::string text = "data_crystal\n";
  if (comments) text += "# integrated again with a new mask\n_computing_data_reduction zt7\n";
  text += "_cell_length_a 5.95\n_cell_length_b 9.03\n_cell_length_c 18.38\nloop_\n";
  for (const char* column : {"h", "k", "l"}) text += std::string("_refln_index_") + column + "\n";
  text += "_refln_intensity_meas\n_refln_intensity_sigma\n";
  char line[96];
  for (const Reflection& r : refs) {
    std::snprintf(line, sizeof line, "%d%s%d%s%d%s%.2f%s%.2f\n", r.h, separator, r.k, separator,
                  r.l, separator, r.I, separator, r.sigma);
    text += line;
  }
  if (comments) text += "# end of the reflections\ndata_notes\n_note 'kept apart'\n";
  return text;
}

// The steps print as they go; the first unexpected result makes the demo fail.
class Steps {
 public:
  bool Check(const std::string& what, const std::string& result, bool expected) {
    std::printf("  %-58s %s\n", (what + ":").c_str(), result.c_str());
    if (!expected && failed_.empty()) failed_ = what;
    return expected;
  }
  const std::string& failed() const { return failed_; }

 private:
  std::string failed_;
};

std::string Code(int code) {
  return std::to_string(code);
}

using Parts = DigestParts;

// Flips one byte in the middle of `frame`; a second call puts it back.
void FlipByte(const fs::path& frame) {
  std::string bytes = ReadFile(frame);
  bytes[bytes.size() / 2] ^= 1;
  WriteFile(frame, bytes);
}

int RunSteps(const fs::path& root) {
  std::mt19937 random(2026);
  const fs::path frames = root / "frames";
  const fs::path hkl = root / "crystal.hkl", reprocessed = root / "crystal-reprocessed.hkl",
                 tampered = root / "crystal-tampered.hkl", unsealed = root / "crystal-unsealed.hkl";
  std::printf("Sample collection in %s\n", root.string().c_str());
  WriteFrames(frames, random);
  std::vector<Reflection> refs = Reflections(random);
  WriteFile(hkl, HklText(refs, false));
  WriteFile(unsealed, HklText(refs, true));
  WriteFile(root / "crystal-unsealed.ins",
            "TITL test crystal\n" + std::string(kCellLine) + "\nEND\n");
  std::printf(
      "  %d frames (run1_*.img) and run1.log; %zu reflections in crystal.hkl and "
      "crystal.cif_od\n\n",
      kFrames, refs.size());

  Steps steps;
  std::puts("Frames");
  const Parts framesDigest(FramesDigest(frames));
  steps.Check("frames digest made", framesDigest.first + "," + framesDigest.second,
              framesDigest.first.size() == 43 && framesDigest.second.size() == 43);
  const char* f1 = framesDigest.first.c_str();
  const char* f2 = framesDigest.second.c_str();
  steps.Check("frames digest checked (3 = both parts valid)", Code(FramesCheck(frames, f1, f2)),
              FramesCheck(frames, f1, f2) == 3);

  std::puts("HKL file");
  const Parts sealed(HklDigest(frames, hkl, f1, f2));
  steps.Check("sealed under scheme " + std::to_string(ZT7KIT_DEFAULT_KEY_VERSION),
              sealed.first + "," + sealed.second,
              sealed.first.size() == 38 && sealed.second.size() == 38);
  const Parts sealedV1(HklDigest(frames, hkl, f1, f2, 1));
  steps.Check("sealed under scheme 1", sealedV1.first + "," + sealedV1.second,
              sealedV1.first.compare(0, 2, "41") == 0 && sealedV1.second.compare(0, 2, "51") == 0);
  const int valid = HklCheck(hkl, sealed.first.c_str(), sealed.second.c_str());
  steps.Check("HKL file validated (3)", Code(valid), valid == 3);
  const std::string listText = ReadFile(hkl);
  const int validText = RefsCheck(listText, sealed.first.c_str(), sealed.second.c_str());
  steps.Check("reflection list validated as text (3)", Code(validText), validText == 3);

  std::puts("Re-processed HKL file");
  std::vector<Reflection> again = refs;
  std::shuffle(again.begin(), again.end(), random);
  std::normal_distribution<double> drift(1.0, 0.005);
  for (Reflection& r : again) r.I *= drift(random);
  WriteFile(reprocessed, HklText(again, false));
  const double distance = Distance(hkl, reprocessed);
  char distanceText[32];
  std::snprintf(distanceText, sizeof distanceText, "%.6f", distance);
  steps.Check("intensity distance to the original (match-hkl)", distanceText, distance <= 0.1);
  const Parts carried(Carried(hkl, reprocessed, sealedV1.first.c_str(), sealedV1.second.c_str()));
  steps.Check("seal carried over (update-hkl)", carried.first + "," + carried.second,
              carried.first.size() == 38 && carried.second.size() == 38);
  const int validCarried = HklCheck(reprocessed, carried.first.c_str(), carried.second.c_str());
  steps.Check("re-processed file validated (3)", Code(validCarried), validCarried == 3);

  std::puts("Reflection file (.cif_od)");
  const fs::path cif = root / "crystal.cif_od";
  WriteFile(cif, CifOdText(refs, " ", false));
  const std::string dyn = DynDigest(frames, cif, f1, f2);
  steps.Check("reflection loop sealed (DYN digest \"62...\")", dyn,
              dyn.size() == 38 && dyn.compare(0, 2, "62") == 0);
  const bool dynValid = DynCheck(cif, dyn);
  steps.Check("reflection file checked", dynValid ? "valid" : "invalid", dynValid);
  WriteFile(cif, CifOdText(refs, "\t  ", true));
  const bool reformattedValid = DynCheck(cif, dyn);
  steps.Check("comments and items added, loop respaced: still valid",
              reformattedValid ? "valid" : "invalid", reformattedValid);
  std::vector<Reflection> edited = refs;
  edited[edited.size() / 2].I += 10.0;
  WriteFile(cif, CifOdText(edited, " ", false));
  const bool editedValid = DynCheck(cif, dyn);
  steps.Check("one intensity changed in the loop: detected", editedValid ? "valid" : "invalid",
              !editedValid);

  std::puts("Tampering");
  std::vector<Reflection> changed = refs;
  std::max_element(changed.begin(), changed.end(), [](auto& a, auto& b) { return a.I < b.I; })->I *=
      1.5;
  WriteFile(tampered, HklText(changed, false));
  const int caught = HklCheck(tampered, sealed.first.c_str(), sealed.second.c_str());
  steps.Check("one intensity changed: detected (0)", Code(caught), caught == 0);
  const fs::path firstFrame = frames / "run1_0001.img";
  FlipByte(firstFrame);
  const int framesAfter = FramesCheck(frames, f1, f2);
  steps.Check("one byte of the first frame changed: frames check (0)", Code(framesAfter),
              framesAfter == 0);
  const std::string refused = HklDigest(frames, hkl, f1, f2);
  steps.Check("no HKL digest issued for those frames", refused.empty() ? "none" : refused,
              refused.empty());
  FlipByte(firstFrame);
  // The frames digest reads the first frame and four that it picks, not every frame.
  const fs::path unreadFrame = frames / "run1_0180.img";
  FlipByte(unreadFrame);
  const int unnoticed = FramesCheck(frames, f1, f2);
  steps.Check("one byte of frame 180 (not sampled) changed: unnoticed (3)", Code(unnoticed),
              unnoticed == 3);
  FlipByte(unreadFrame);

  std::puts("Test crystal");
  const bool isTestCrystal = zt7kit_check_cell(kCell, nullptr) == ZT7KIT_OK;
  steps.Check("cell 5.95 9.03 18.38 90 90 90 recognised", isTestCrystal ? "yes" : "no",
              isTestCrystal);
  const int fallback = HklCheck(unsealed, nullptr, nullptr);
  steps.Check("unsealed file passes as the test crystal (1)", Code(fallback), fallback == 1);

  std::puts("Dataset folder (zt7util seal, zt7util verify)");
  const int sealedFolder =
      RunSeal({.folders = {{root.string()}}, .force = true, .options = {1, true}});
  const VerifyArguments verify{.folders = {{root.string()}}, .options = {1, true}};
  const int intact = RunVerify(verify);
  steps.Check("folder sealed and verified intact (exit 0)", Code(intact),
              sealedFolder == kSuccess && intact == kSuccess);
  FlipByte(unreadFrame);
  const int frameChanged = RunVerify(verify);
  steps.Check("frame 180 changed again: verify names it (exit 1)", Code(frameChanged),
              frameChanged == kRefused);
  FlipByte(unreadFrame);

  std::puts("");
  if (!steps.failed().empty()) {
    std::fprintf(stderr, "zt7util: demo: step failed: %s\n", steps.failed().c_str());
    return kRefused;
  }
  std::puts("Every step gave the expected result.");
  return kSuccess;
}

struct DemoArguments {
  std::string folder;
  bool keep = false;
};

int RunDemo(const DemoArguments& arguments) {
  fs::path root = arguments.folder;
  std::error_code error;
  if (root.empty()) {
    std::string pattern = (fs::temp_directory_path(error) / "zt7util-demo.XXXXXX").string();
    if (!mkdtemp(pattern.data())) return Refused(kDemo, pattern, "cannot make a temporary folder");
    root = pattern;
  } else {
    // Never over a user's files.
    const bool exists = fs::exists(fs::symlink_status(root, error));
    if (exists && !(fs::is_directory(root, error) && fs::is_empty(root, error)))
      return UsageError(kDemo, "'" + arguments.folder + "' exists and is not an empty folder");
    fs::create_directories(root, error);
    if (error) return Refused(kDemo, arguments.folder, error.message());
  }
  int status = kRefused;
  try {
    status = RunSteps(root);
  } catch (const std::exception& trouble) {
    std::fflush(stdout);
    std::fprintf(stderr, "zt7util: demo: %s\n", trouble.what());
  }
  if (arguments.folder.empty() && !arguments.keep) {
    fs::remove_all(root, error);
  } else {
    std::printf("The files stay in %s\n", root.string().c_str());
  }
  return status;
}

}  // namespace

void AddDemoCommands(Tool& tool) {
  auto arguments = std::make_shared<DemoArguments>();
  CLI::App& demo = tool.Add(
      {kDemo, "[--keep] [FOLDER]", "build a sample collection and seal and check it end to end",
       "  Writes 360 frames, an HKL file of the first test crystal, its structure file and\n"
       "  a .cif_od reflection file into FOLDER, which must be absent or empty, or else into\n"
       "  a temporary folder that is removed at the end unless --keep is given. Then makes\n"
       "  and checks every kind of digest, and changes the data: a changed intensity and a\n"
       "  changed first frame are detected; a byte changed in a frame that the frames\n"
       "  digest does not sample is not. Ends by sealing the folder, verifying it and\n"
       "  changing a frame. Exit 0 when every step gives the expected result."},
      [arguments] { return RunDemo(*arguments); });
  demo.add_flag("--keep", arguments->keep);
  demo.add_option("FOLDER", arguments->folder);
}

}  // namespace zt7cli
