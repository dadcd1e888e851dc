// `zt7util demo`: a sample collection sealed and checked end to end through the exports.
#include <stdlib.h>  // for mkdtemp

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "cli_support.h"
#include "tool.h"
#include "zt7util.h"

namespace zt7cli {
namespace {

namespace fs = std::filesystem;

constexpr char kDemo[] = "demo";

// The first test crystal: a, b, c in angstrom, all angles 90 degrees.
constexpr double kCell[6] = {5.95, 9.03, 18.38, 90.0, 90.0, 90.0};
constexpr char kCellLine[] = "CELL 0.71073 5.9500 9.0300 18.3800 90.000 90.000 90.000";
constexpr int kFrames = 360;

std::u16string Wide(const fs::path& path) {
  return WideText(path.string());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

// A stored digest as its host would pass it: the two parts separately.
struct Parts {
  std::string first, second;
  explicit Parts(const std::string& digest) {
    const size_t comma = digest.find(',');
    first = digest.substr(0, comma);
    if (comma != std::string::npos) second = digest.substr(comma + 1);
  }
};

int RunDemo(const std::string& folder) {
  fs::path root;
  if (folder.empty()) {
    std::string pattern = (fs::temp_directory_path() / "zt7util-demo.XXXXXX").string();
    if (!mkdtemp(pattern.data())) return Refused(kDemo, "cannot make a temporary folder");
    root = pattern;
  } else {
    root = folder;
    std::error_code error;
    fs::create_directories(root, error);
    if (!fs::is_directory(root))
      return Refused(kDemo, "cannot use '" + folder + "' as the demo folder");
  }
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
  const std::u16string framesText = Wide(frames), mask = u"*.img", hklText = Wide(hkl);
  std::puts("Frames");
  const Parts framesDigest(pcDigestFrames(framesText.c_str(), mask.c_str()));
  steps.Check("frames digest made", framesDigest.first + "," + framesDigest.second,
              framesDigest.first.size() == 43 && framesDigest.second.size() == 43);
  const char* f1 = framesDigest.first.c_str();
  const char* f2 = framesDigest.second.c_str();
  steps.Check("frames digest checked (3 = both parts valid)",
              Code(iValidateFramesDigests(framesText.c_str(), mask.c_str(), f1, f2)),
              iValidateFramesDigests(framesText.c_str(), mask.c_str(), f1, f2) == 3);

  std::puts("HKL file");
  const Parts sealed(pcDigestHKL(framesText.c_str(), mask.c_str(), hklText.c_str(), f1, f2));
  steps.Check("sealed under scheme " + std::to_string(iGetKeyVersion()),
              sealed.first + "," + sealed.second,
              sealed.first.size() == 38 && sealed.second.size() == 38);
  const int keyVersion = iGetKeyVersion();
  SetKeyVersion(1);
  const Parts sealedV1(pcDigestHKL(framesText.c_str(), mask.c_str(), hklText.c_str(), f1, f2));
  SetKeyVersion(keyVersion);
  steps.Check("sealed under scheme 1", sealedV1.first + "," + sealedV1.second,
              sealedV1.first.compare(0, 2, "41") == 0 && sealedV1.second.compare(0, 2, "51") == 0);
  const int valid =
      iValidateHKLDigests(hklText.c_str(), sealed.first.c_str(), sealed.second.c_str());
  steps.Check("HKL file validated (3)", Code(valid), valid == 3);
  const std::string listText = ReadFile(hkl);
  const int validText =
      iValidateRefsDigests(listText.c_str(), sealed.first.c_str(), sealed.second.c_str());
  steps.Check("reflection list validated as text (3)", Code(validText), validText == 3);

  std::puts("Re-processed HKL file");
  std::vector<Reflection> again = refs;
  std::shuffle(again.begin(), again.end(), random);
  std::normal_distribution<double> drift(1.0, 0.005);
  for (Reflection& r : again) r.I *= drift(random);
  WriteFile(reprocessed, HklText(again, false));
  const std::u16string reprocessedText = Wide(reprocessed);
  const double distance = dMatchHKL(hklText.c_str(), reprocessedText.c_str());
  char distanceText[32];
  std::snprintf(distanceText, sizeof distanceText, "%.6f", distance);
  steps.Check("intensity distance to the original (dMatchHKL)", distanceText, distance <= 0.1);
  const Parts carried(pcUpdateHKLDigests(hklText.c_str(), reprocessedText.c_str(),
                                         sealedV1.first.c_str(), sealedV1.second.c_str()));
  steps.Check("seal carried over (pcUpdateHKLDigests)", carried.first + "," + carried.second,
              carried.first.size() == 38 && carried.second.size() == 38);
  const int validCarried =
      iValidateHKLDigests(reprocessedText.c_str(), carried.first.c_str(), carried.second.c_str());
  steps.Check("re-processed file validated (3)", Code(validCarried), validCarried == 3);

  std::puts("Reflection file (.cif_od)");
  const fs::path cif = root / "crystal.cif_od";
  WriteFile(cif, CifOdText(refs, " ", false));
  const std::u16string cifText = Wide(cif);
  const std::string dyn = pcDigestDYN(framesText.c_str(), mask.c_str(), cifText.c_str(), f1, f2);
  steps.Check("reflection loop sealed (DYN digest \"62...\")", dyn,
              dyn.size() == 38 && dyn.compare(0, 2, "62") == 0);
  const bool dynValid = bValidateDYNDigest(cifText.c_str(), dyn.c_str());
  steps.Check("reflection file checked", dynValid ? "valid" : "invalid", dynValid);
  WriteFile(cif, CifOdText(refs, "\t  ", true));
  const bool reformattedValid = bValidateDYNDigest(cifText.c_str(), dyn.c_str());
  steps.Check("comments and items added, loop respaced: still valid",
              reformattedValid ? "valid" : "invalid", reformattedValid);
  std::vector<Reflection> edited = refs;
  edited[edited.size() / 2].I += 10.0;
  WriteFile(cif, CifOdText(edited, " ", false));
  const bool editedValid = bValidateDYNDigest(cifText.c_str(), dyn.c_str());
  steps.Check("one intensity changed in the loop: detected", editedValid ? "valid" : "invalid",
              !editedValid);

  std::puts("Tampering");
  std::vector<Reflection> changed = refs;
  std::max_element(changed.begin(), changed.end(), [](auto& a, auto& b) { return a.I < b.I; })->I *=
      1.5;
  WriteFile(tampered, HklText(changed, false));
  const std::u16string tamperedText = Wide(tampered);
  const int caught =
      iValidateHKLDigests(tamperedText.c_str(), sealed.first.c_str(), sealed.second.c_str());
  steps.Check("one intensity changed: detected (0)", Code(caught), caught == 0);
  const fs::path firstFrame = frames / "run1_0001.img";
  std::string frameBytes = ReadFile(firstFrame);
  frameBytes[frameBytes.size() / 2] ^= 1;
  WriteFile(firstFrame, frameBytes);
  const int framesAfter = iValidateFramesDigests(framesText.c_str(), mask.c_str(), f1, f2);
  steps.Check("one byte of the first frame changed: frames check (0)", Code(framesAfter),
              framesAfter == 0);
  const std::string refused =
      pcDigestHKL(framesText.c_str(), mask.c_str(), hklText.c_str(), f1, f2);
  steps.Check("no HKL digest issued for those frames", refused.empty() ? "none" : refused,
              refused.empty());
  frameBytes[frameBytes.size() / 2] ^= 1;
  WriteFile(firstFrame, frameBytes);

  std::puts("Test crystal");
  const bool isTestCrystal = bCheckCell(kCell);
  steps.Check("cell 5.95 9.03 18.38 90 90 90 recognised", isTestCrystal ? "yes" : "no",
              isTestCrystal);
  const std::u16string unsealedText = Wide(unsealed);
  const int fallback = iValidateHKLDigests(unsealedText.c_str(), nullptr, nullptr);
  steps.Check("unsealed file passes as the test crystal (1)", Code(fallback), fallback == 1);

  std::puts("");
  if (!steps.failed().empty()) {
    std::fprintf(stderr, "zt7util: demo: step failed: %s\n", steps.failed().c_str());
    return kRefused;
  }
  std::printf("Every step gave the expected result. The files stay in %s\n", root.string().c_str());
  return kSuccess;
}

}  // namespace

void AddDemoCommands(Tool& tool) {
  auto folder = std::make_shared<std::string>();
  tool.Add({kDemo, "[FOLDER]", "build a sample collection and seal and check it end to end",
            "  Writes 360 frames, an HKL file of the first test crystal, its structure file and\n"
            "  a .cif_od reflection file into FOLDER (default: a new temporary folder, kept\n"
            "  afterwards), then makes and checks every kind of digest, and shows that a\n"
            "  changed intensity or frame is caught. Exit 0 when every step gives the expected\n"
            "  result."},
           [folder] { return RunDemo(*folder); })
      .add_option("FOLDER", *folder);
}

}  // namespace zt7cli
