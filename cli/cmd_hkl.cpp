// Subcommands for HKL digests: sealing, carrying a seal over, checking files and texts.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "cli_support.h"
#include "zt7util.h"

namespace zt7cli {

extern const Command kDigestHklCommand;
extern const Command kUpdateHklCommand;
extern const Command kCheckHklCommand;
extern const Command kCheckRefsCommand;

namespace {

// The n-th argument, or null when it was not given.
const char* Optional(const Arguments& arguments, size_t n) {
  return n < arguments.size() ? arguments[n].c_str() : nullptr;
}

// Names the reason when the library refused to digest `hkl`.
int RefusedDigest(const Command& command, const std::string& hkl) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(hkl, error))
    return Refused(command, "no HKL file '" + hkl + "'");
  return Refused(command, "no digest for '" + hkl +
                              "': the frames do not check out, the old digest does not seal the "
                              "old file, or the file holds too few reflections");
}

int RunDigestHkl(const Arguments& given) {
  Arguments arguments;
  for (size_t i = 0; i < given.size(); ++i) {
    if (given[i] != "--key-version") {
      arguments.push_back(given[i]);
      continue;
    }
    if (i + 1 == given.size()) return UsageError(&kDigestHklCommand, "--key-version needs N");
    const std::string& text = given[++i];
    size_t end = 0;
    int version = 0;
    try {
      version = std::stoi(text, &end);
    } catch (const std::exception&) {
      end = 0;
    }
    if (end == 0 || end != text.size())
      return UsageError(&kDigestHklCommand,
                        "--key-version takes a whole number, not '" + text + "'");
    SetKeyVersion(version);
  }
  if (arguments.size() != 5)
    return UsageError(&kDigestHklCommand, std::string("expected ") + kDigestHklCommand.synopsis);
  const std::u16string folder = WideText(arguments[0]), mask = WideText(arguments[1]),
                       hkl = WideText(arguments[2]);
  const std::string digest = pcDigestHKL(folder.c_str(), mask.c_str(), hkl.c_str(),
                                         arguments[3].c_str(), arguments[4].c_str());
  if (digest.empty()) return RefusedDigest(kDigestHklCommand, arguments[2]);
  PrintLine(digest);
  return kSuccess;
}

int RunUpdateHkl(const Arguments& arguments) {
  const std::u16string oldHkl = WideText(arguments[0]), newHkl = WideText(arguments[1]);
  const std::string digest = pcUpdateHKLDigests(oldHkl.c_str(), newHkl.c_str(),
                                                Optional(arguments, 2), Optional(arguments, 3));
  if (digest.empty()) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(arguments[0], error))
      return Refused(kUpdateHklCommand, "no HKL file '" + arguments[0] + "'");
    return RefusedDigest(kUpdateHklCommand, arguments[1]);
  }
  PrintLine(digest);
  return kSuccess;
}

int RunCheckHkl(const Arguments& arguments) {
  const std::u16string hkl = WideText(arguments[0]);
  std::error_code error;
  if (!std::filesystem::is_regular_file(arguments[0], error))
    return Refused(kCheckHklCommand, "no HKL file '" + arguments[0] + "'");
  return ReportCheck(
      iValidateHKLDigests(hkl.c_str(), Optional(arguments, 1), Optional(arguments, 2)),
      arguments.size() > 2);
}

int RunCheckRefs(const Arguments& arguments) {
  std::string text;
  if (arguments[0] == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  } else {
    std::FILE* file = std::fopen(arguments[0].c_str(), "rb");
    if (!file) return Refused(kCheckRefsCommand, "cannot read '" + arguments[0] + "'");
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    std::fclose(file);
  }
  return ReportCheck(
      iValidateRefsDigests(text.c_str(), Optional(arguments, 1), Optional(arguments, 2)),
      arguments.size() > 2);
}

}  // namespace

extern const Command kDigestHklCommand{
    "digest-hkl",
    "[--key-version N] FOLDER MASK HKL FIRST SECOND",
    "seal an HKL file whose frames digest (FIRST, SECOND) still checks out",
    "  Prints the HKL digest: part 1, and part 2 after a comma when both frames parts\n"
    "  check out. --key-version selects the digest scheme (1, 2, or 3 the default).\n"
    "  Example: zt7util digest-hkl frames '*.img' run1.hkl 01ab...,11cd... (as two words)",
    5,
    7,
    RunDigestHkl};

extern const Command kUpdateHklCommand{
    "update-hkl",
    "OLD NEW [FIRST [SECOND]]",
    "carry the seal of OLD over to the re-processed file NEW",
    "  FIRST and SECOND are the digest parts issued for OLD; they must still seal it.\n"
    "  NEW must hold the same number of reflections with a matching intensity\n"
    "  distribution. Prints the scheme-1 digest of NEW.",
    2,
    4,
    RunUpdateHkl};

extern const Command kCheckHklCommand{
    "check-hkl",
    "HKL [FIRST [SECOND]]",
    "check an HKL file against its digest parts",
    "  Prints 0 invalid, 1 first part valid, or 3 both parts valid. A file without a\n"
    "  valid digest passes with 1 when it is a test crystal whose CELL line agrees with\n"
    "  its structure file (.ins or .res). Exit 0 for 3, or for 1 when SECOND is absent.",
    1,
    3,
    RunCheckHkl};

extern const Command kCheckRefsCommand{
    "check-refs",
    "FILE|- [FIRST [SECOND]]",
    "check a reflection list given as text (a file, or - for standard input)",
    "  The text is passed unchanged: carriage returns stay part of the lines.\n"
    "  Prints 0, 1 or 3 as check-hkl does.",
    1,
    3,
    RunCheckRefs};

}  // namespace zt7cli
