// The HKL digest text under the three digest schemes.
#include "zt3util/digest_schemes.h"

#include "repository/hkl_util.h"
#include "sdl/md5.h"
#include "sdl/sha2.h"
#include "zt3util/check_characters.h"
#include "zt3util/end_lines.h"
#include "zt3util/scheme_histograms.h"

using namespace zodu;

namespace zt7 {
namespace {

enum class Scheme { LineText = 1, RawHistogram = 2, Fingerprint = 3 };

Scheme SchemeOf(int version) {
  if (version == 1) return Scheme::LineText;
  if (version == 2) return Scheme::RawHistogram;
  return Scheme::Fingerprint;
}

// The tag, the main hash and four digits of the check hash. Schemes 1 and 2 hash the
// first half of the text with the part's digit replaced by "0" or "1"; scheme 3 hashes it
// as it is. Scheme 1 takes the check digits from positions 1, 9, 17, 25, the others from
// 0, 8, 16, 24.
vexcstr FinishPart(Scheme scheme, unsigned part, const vexcstr& mainHash) {
  vexcstr digest;
  digest << (part == kDigestPart1 ? '4' : '5') << static_cast<char>('0' + int(scheme)) << mainHash;
  vexcstr checkSource = digest;
  if (scheme != Scheme::Fingerprint)
    checkSource = vexcstr(part == kDigestPart1 ? "0" : "1") << digest.SubStringFrom(1);
  if (scheme == Scheme::LineText)
    AppendCheckCharacters(digest, checkSource, {1, 9, 17, 25});
  else
    AppendCheckCharacters(digest, checkSource, {0, 8, 16, 24});
  return digest;
}

// Part 1: the first 10 and last 10 reflection lines joined by blanks; part 2: the first 15
// and last 15 joined by nothing.
vexcstr LineTextPart(const HklScan& scan, bool legacy, unsigned part) {
  const bool first = part == kDigestPart1;
  const size_t ends = first ? kEndLinesOfPart1 : kEndLinesOfPart2;
  const TCStrList selected = scan.EndLines(ends, ends, legacy);
  return FinishPart(Scheme::LineText, part, MD5Text(selected.Text(first ? " " : "")));
}

// The histogram text of all records of the model length.
vexcstr HistogramSummary(Scheme scheme, const HklScan& scan) {
  const TArrayList<double>& intensities = scan.Intensities();
  const ConstTypeList<hkl_util::Bin> bins =
      scheme == Scheme::RawHistogram ? RawFingerprint(intensities, hkl_util::kBins)
                                     : hkl_util::fingerprint(intensities, hkl_util::kBins);
  return FingerprintText(bins.obj());
}

// Part 1 hashes the summary; part 2 hashes its MD5, SHA-256 and SHA-224 texts run together.
vexcstr HistogramPart(Scheme scheme, const vexcstr& summary, unsigned part) {
  if (part == kDigestPart1) return FinishPart(scheme, part, MD5Text(summary));
  const vexcstr hashes = MD5Text(summary) << SHA256Text(summary) << SHA224Text(summary);
  return FinishPart(scheme, part, MD5Text(hashes));
}

}  // namespace

ScanNeeds NeedsOfScheme(int version, bool legacy) {
  ScanNeeds needs;
  if (SchemeOf(version) == Scheme::LineText) {
    needs.endLines = !legacy;
    needs.legacyEndLines = legacy;
  } else {
    needs.intensities = true;
  }
  return needs;
}

vexcstr ComposeDigest(const TCStrList& lines, int version, unsigned mask, bool legacy) {
  return ComposeDigest(HklScan::OfLines(lines, NeedsOfScheme(version, legacy)), version, mask,
                       legacy);
}

vexcstr ComposeDigest(const HklScan& scan, int version, unsigned mask, bool legacy) {
  if (!scan.IsUsable()) return vexcstr();
  const Scheme scheme = SchemeOf(version);
  vexcstr summary;
  if (scheme != Scheme::LineText && (mask & (kDigestPart1 | kDigestPart2)))
    summary = HistogramSummary(scheme, scan);
  auto partOf = [&](unsigned part) {
    return scheme == Scheme::LineText ? LineTextPart(scan, legacy, part)
                                      : HistogramPart(scheme, summary, part);
  };
  vexcstr digest;
  if (mask & kDigestPart1) digest << partOf(kDigestPart1);
  if (mask & kDigestPart2) digest << ',' << partOf(kDigestPart2);
  return digest;
}

}  // namespace zt7
