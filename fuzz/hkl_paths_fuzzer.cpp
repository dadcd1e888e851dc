// Fuzz target: the HKL digests, checks, updates and matches that read a file a piece at a
// time, each against the same work done the plain way (every line held, sorted, passed
// over end to end); any difference in result, digest or error text aborts. The input is
// file A, then optionally a form feed and file B (the re-processed file of an update).
#include <stdlib.h>  // for mkdtemp

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "repository/hkl_match.h"
#include "repository/hkl_util.h"
#include "repository/narrow_lines.h"
#include "sdl/ebase.h"
#include "sdl/md5.h"
#include "sdl/sha2.h"
#include "zt3util/digest_schemes.h"
#include "zt3util/hkl_digest.h"
#include "zt3util/hkl_validation.h"
#include "zt3util/scheme_histograms.h"

using zodu::vexcstr;

namespace {

using Lines = std::vector<std::string>;

// --- The plain way, line by line as the format describes it. ---

// Split at line feeds, trailing carriage returns removed (a line's first character stays).
Lines FileLines(const std::string& bytes) {
  Lines lines;
  for (size_t from = 0; from < bytes.size();) {
    size_t end = bytes.find('\n', from);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(from, end - from);
    if (line == "\r") line.clear();
    while (line.size() > 1 && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    from = end + 1;
  }
  return lines;
}

// A reflection text: up to its first null byte, split at line feeds, empty pieces skipped.
Lines TextLines(const std::string& text) {
  Lines lines;
  std::string line;
  for (char c : std::string(text.c_str())) {
    if (c != '\n') {
      line += c;
    } else if (!line.empty()) {
      lines.push_back(line);
      line.clear();
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool IndexPasses(const char* field, bool legacy) {
  size_t i = 0;
  while (i < 4 && (field[i] == ' ' || field[i] == '\t')) ++i;
  if (legacy && i == 3 && field[3] == '0') return false;
  bool negative = false;
  return vexcstr::IsIntegerText(field, 4, negative);
}

int32_t IndexOf(const char* field) {
  bool negative = false;
  const uint32_t magnitude = vexcstr::o_atoi_s(field, 4, negative, 10);
  return static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
}

// The intensity of a line of at least 28 characters that holds a reflection. The five
// field tests in column order, then h, k, l, the end marker, then (unless `legacy`, whose
// test reads no real field) I and sigma.
std::optional<double> Reflection(const std::string& line, bool legacy) {
  const char* s = line.data();
  for (int i = 0; i < 3; ++i)
    if (!IndexPasses(s + 4 * i, legacy)) return std::nullopt;
  if (!vexcstr::IsNumberText(s + 12, 8) || !vexcstr::IsNumberText(s + 20, 8)) return std::nullopt;
  const int32_t h = IndexOf(s), k = IndexOf(s + 4), l = IndexOf(s + 8);
  if (h == 0 && k == 0 && l == 0) return std::nullopt;
  if (legacy) return 0.0;
  const double I = vexcstr::o_atof(s + 12, 8);
  vexcstr::o_atof(s + 20, 8);  // sigma is read as well, and may raise
  return I;
}

bool IsUsable(const Lines& lines) {
  return lines.size() >= 20 && lines[0].size() >= 28;
}

zodu::TArrayList<double> Intensities(const Lines& lines, size_t length) {
  zodu::TArrayList<double> intensities;
  for (const std::string& line : lines)
    if (line.size() == length)
      if (std::optional<double> I = Reflection(line, false)) intensities.Add(*I);
  return intensities;
}

// Bytes compared as signed values; a line that is the start of another comes first.
bool SortsBefore(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<signed char>(x) < static_cast<signed char>(y);
  });
}

std::string Text(const vexcstr& text) {
  return std::string(text.raw(), text.Length());
}

std::string Md5(const std::string& x) {
  return Text(zodu::MD5Text(vexcstr(x.data(), x.size())));
}

// What part 1 or 2 of scheme 1 hashes: reflection lines from both ends of the sorted lines.
std::string LineText(const Lines& sorted, size_t L, int part, bool legacy) {
  const size_t n = part == 1 ? 10 : 15;
  Lines taken;
  auto take = [&](const std::string& line) {
    if (line.size() == L && Reflection(line, legacy)) taken.push_back(line);
  };
  for (size_t i = 0; i < sorted.size() && taken.size() < n; ++i) take(sorted[i]);
  for (size_t i = sorted.size(); i-- > 0 && taken.size() < 2 * n;) take(sorted[i]);
  std::string x;
  for (const std::string& line : taken) x += (x.empty() || part == 2 ? "" : " ") + line;
  return x;
}

// What schemes 2 and 3 hash: the histogram text.
std::string HistogramText(const zodu::TArrayList<double>& intensities, int scheme) {
  return Text(zt7::FingerprintText(
      (scheme == 2 ? zt7::RawFingerprint(intensities, 25) : hkl_util::fingerprint(intensities, 25))
          .obj()));
}

// Part 1 or 2 of a scheme from the text it hashes.
std::string Part(const std::string& x, int scheme, int part) {
  const vexcstr v(x.data(), x.size());
  const std::string main =
      scheme == 1 || part == 1
          ? Md5(x)
          : Md5(Text(zodu::MD5Text(v)) + Text(zodu::SHA256Text(v)) + Text(zodu::SHA224Text(v)));
  const std::string d = std::to_string(part + 3) + std::to_string(scheme) + main;
  const std::string check = Md5(scheme == 3 ? d : std::to_string(part - 1) + d.substr(1));
  const size_t at = scheme == 1 ? 1 : 0;
  return d + check[at] + check[at + 8] + check[at + 16] + check[at + 24];
}

int SchemeOf(int version) {
  return version == 1 || version == 2 ? version : 3;
}

Lines Sorted(Lines lines) {
  std::sort(lines.begin(), lines.end(), SortsBefore);
  return lines;
}

std::string Compose(const Lines& lines, int version, unsigned mask, bool legacy) {
  if (!IsUsable(lines) || (mask & 3) == 0) return "";
  const size_t L = lines[0].size();
  const int scheme = SchemeOf(version);
  std::string digest;
  if (scheme == 1) {
    const Lines sorted = Sorted(lines);
    if (mask & 1) digest += Part(LineText(sorted, L, 1, legacy), 1, 1);
    if (mask & 2) digest += "," + Part(LineText(sorted, L, 2, legacy), 1, 2);
  } else {
    const std::string x = HistogramText(Intensities(lines, L), scheme);
    if (mask & 1) digest += Part(x, scheme, 1);
    if (mask & 2) digest += "," + Part(x, scheme, 2);
  }
  return digest;
}

bool SameAfterFirst(const char* stored, const std::string& piece) {
  return std::strlen(stored) == piece.size() && std::strcmp(stored + 1, piece.c_str() + 1) == 0;
}

Lines Pieces(const std::string& digest) {
  Lines pieces;
  for (size_t from = 0; from <= digest.size();) {
    size_t comma = std::min(digest.find(',', from), digest.size());
    if (comma > from) pieces.push_back(digest.substr(from, comma - from));
    from = comma + 1;
  }
  return pieces;
}

int Validate(const Lines& lines, const char* first, const char* second) {
  if (lines.size() < 100 || !first || std::strlen(first) < 11) return 0;
  const int version = static_cast<signed char>(first[1] - '0');
  Lines pieces = Pieces(Compose(lines, version, 3, false));
  if (pieces.size() < 2) return 0;
  if (!SameAfterFirst(first, pieces[0])) {
    if (version != 1) return 0;
    pieces = Pieces(Compose(lines, 1, 3, true));
    if (pieces.size() != 2 || !SameAfterFirst(first, pieces[0])) return 0;
  }
  if (!second || std::strlen(second) < 11) return 1;
  return SameAfterFirst(second, pieces[1]) ? 3 : 1;
}

double Match(const zodu::TArrayList<double>& a, const zodu::TArrayList<double>& b) {
  if (a.Count() != b.Count() || a.Count() < 20) return 1.0;
  return hkl_util::corelate(hkl_util::fingerprint(a, 25).Release(),
                            hkl_util::fingerprint(b, 25).Release());
}

std::string Update(const Lines& oldLines, const Lines& newLines, const char* first,
                   const char* second) {
  if (!IsUsable(oldLines)) return "";
  const size_t L = oldLines[0].size();
  const zodu::TArrayList<double> oldIntensities = Intensities(oldLines, L);
  const Lines sorted = Sorted(oldLines);
  auto recomputed = [&](const char* stored, int part) {
    if (stored[1] == '1') return Part(LineText(sorted, L, part, false), 1, part);
    if (stored[1] == '2') return Part(HistogramText(oldIntensities, 2), 2, part);
    return std::string();
  };
  if (first && std::strlen(first) > 2 && recomputed(first, 1) != first) return "";
  const bool secondHolds = second && std::strlen(second) > 2 && recomputed(second, 2) == second;
  if (!IsUsable(newLines)) return "";
  if (Match(oldIntensities, Intensities(newLines, newLines[0].size())) > 0.1) return "";
  return Compose(newLines, 1, secondHolds ? 3 : 1, false);
}

// Whether a line as long as the first holds a reflection; a line that cannot be read does
// not count.
bool HasReflectionLine(const Lines& lines) {
  for (const std::string& line : lines) {
    if (line.size() != lines[0].size() || line.size() < 28) continue;
    try {
      if (Reflection(line, false)) return true;
    } catch (const zodu::TExceptionBase&) {
    }
  }
  return false;
}

double MatchFiles(const Lines& a, const Lines& b) {
  if (!IsUsable(a)) return 1.0;
  const zodu::TArrayList<double> ia = Intensities(a, a[0].size());
  if (!IsUsable(b)) return 1.0;
  return Match(ia, Intensities(b, b[0].size()));
}

// --- Running both ways. ---

// The result, or the error's report.
std::string Outcome(const std::function<std::string()>& run) {
  try {
    return run();
  } catch (const zodu::TBasicException& e) {
    const zodu::vexstr report = e.GetReport();
    return "error: " + std::string(report.begin(), report.end());
  } catch (const std::exception& e) {
    return std::string("error: ") + e.what();
  }
}

void Same(const char* what, const std::function<std::string()>& scanned,
          const std::function<std::string()>& whole) {
  const std::string a = Outcome(scanned), b = Outcome(whole);
  if (a == b) return;
  std::fprintf(stderr, "%s differs:\n  read a piece at a time: %s\n  read whole: %s\n", what,
               a.c_str(), b.c_str());
  std::abort();
}

std::string Number(double d) {
  char text[40];
  std::snprintf(text, sizeof text, "%a", d);
  return text;
}

// The two files of an input, in a folder of their own that goes with them: libFuzzer may
// end a run without destroying statics.
struct Files {
  Files() {
    char pattern[] = "/tmp/zt7fuzz.XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    folder = pattern;
  }
  ~Files() {
    for (const char* name : {"/a.hkl", "/b.hkl", ""}) std::remove((folder + name).c_str());
  }
  // The path of `name` in the folder, holding `bytes`, as the digests take it.
  zodu::vexstr Write(const char* name, const std::string& bytes) const {
    const std::string path = folder + "/" + name;
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return zodu::vexstr(path.c_str());
  }
  std::string folder;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Files files;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t feed = input.find('\f');
  const std::string a = input.substr(0, feed);
  const std::string b = feed == std::string::npos ? a : input.substr(feed + 1);
  const zodu::vexstr pathA = files.Write("a.hkl", a), pathB = files.Write("b.hkl", b);
  const Lines linesA = FileLines(a), linesB = FileLines(b), textA = TextLines(a);

  // Stored digests to check against: none, a made-up scheme-1 part, and A's own under each
  // scheme and under the legacy test.
  std::vector<std::string> stored = {"", "41" + std::string(36, '0')};
  for (int version : {1, 2, 3})
    for (bool legacy : {false, true}) {
      if (legacy && version != 1) continue;
      std::string digest = Outcome([&] { return Compose(linesA, version, 3, legacy); });
      if (digest.size() == 77) stored.push_back(digest);
    }

  // Part 1 of scheme 1 alone passes over fewer lines than both parts, and may raise less.
  for (const std::pair<int, unsigned> scheme : {std::pair{1, 1u}, {1, 3u}, {2, 3u}, {3, 3u}})
    Same(
        "the digest of the file",
        [&] { return Text(zt7::DigestHklFile(pathA, scheme.first, scheme.second)); },
        [&] { return Compose(linesA, scheme.first, scheme.second, false); });
  for (int version : {1, 2, 3})
    Same(
        "the digest of the lines",
        [&] { return Text(zt7::ComposeDigest(ReadNarrowLines(pathA).obj(), version, 3, false)); },
        [&] { return Compose(linesA, version, 3, false); });
  for (size_t i = 0; i < stored.size(); ++i) {
    const std::string& digest = stored[i];
    const std::string first = digest.substr(0, 38);
    const std::string second = digest.size() > 39 ? digest.substr(39) : "";
    const char* f = digest.empty() ? nullptr : first.c_str();
    const char* s = second.empty() ? nullptr : second.c_str();
    Same(
        "the check of the file",
        [&] { return std::to_string(zt7::ValidateHklDigests(pathA, f, s)); },
        [&] { return std::to_string(Validate(linesA, f, s)); });
    Same(
        "the check of the text",
        [&] { return std::to_string(zt7::ValidateRefsDigests(a.c_str(), f, s)); },
        [&] { return std::to_string(Validate(textA, f, s)); });
    // A scheme-3 seal is never carried over, and the made-up one seals nothing.
    if (i != 1 && (digest.empty() || digest[1] != '3'))
      Same(
          "the update", [&] { return Text(zt7::UpdateHklDigests(pathA, pathB, f, s)); },
          [&] { return Update(linesA, linesB, f, s); });
  }
  Same(
      "whether a reflection line is seen",
      [&] { return std::to_string(zt7::HklScan::OfFile(pathA, {}).HasReflectionLine()); },
      [&] { return std::to_string(HasReflectionLine(linesA)); });
  Same(
      "the match", [&] { return Number(MatchHklFiles(pathA, pathB)); },
      [&] { return Number(MatchFiles(linesA, linesB)); });
  return 0;
}
