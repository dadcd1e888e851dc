// Subcommands for HKL digests: sealing, carrying a seal over, checking files and texts.
#include <memory>
#include <string>

#include "cli_support.h"
#include "tool.h"
#include "zt7kit.h"

namespace zt7cli {
namespace {

constexpr char kDigestHkl[] = "digest-hkl";
constexpr char kUpdateHkl[] = "update-hkl";
constexpr char kCheckHkl[] = "check-hkl";
constexpr char kCheckRefs[] = "check-refs";

struct HklArguments {
  std::string folder, mask, hkl, newHkl;
  DigestParts digest;
  int keyVersion = 0;  // 0: the default scheme
};

int RunDigestHkl(const HklArguments& arguments) {
  KitText digest, message;
  const zt7kit_status status =
      zt7kit_digest_hkl(arguments.folder.c_str(), arguments.mask.c_str(), arguments.hkl.c_str(),
                        arguments.digest.First(), arguments.digest.Second(), arguments.keyVersion,
                        digest.Out(), message.Out());
  return ReportDigest(kDigestHkl, arguments.hkl, status, digest, message);
}

int RunUpdateHkl(const HklArguments& arguments) {
  KitText digest, message;
  const zt7kit_status status =
      zt7kit_update_hkl(arguments.hkl.c_str(), arguments.newHkl.c_str(), arguments.digest.First(),
                        arguments.digest.Second(), digest.Out(), message.Out());
  return ReportDigest(kUpdateHkl, arguments.newHkl, status, digest, message);
}

int RunCheckHkl(const HklArguments& arguments) {
  KitText message;
  int code = 0;
  const zt7kit_status status = zt7kit_check_hkl(arguments.hkl.c_str(), arguments.digest.First(),
                                                arguments.digest.Second(), &code, message.Out());
  return ReportCheck(kCheckHkl, arguments.hkl, status, code, message);
}

int RunCheckRefs(const HklArguments& arguments) {
  const bool input = arguments.hkl == "-";
  const std::string subject = input ? "standard input" : arguments.hkl;
  std::string text;
  if (input)
    if (std::string why = ReadInput("-", text); !why.empty())
      return Refused(kCheckRefs, subject, why);
  KitText message;
  int code = 0;
  const zt7kit_status status =
      zt7kit_check_refs(input ? nullptr : arguments.hkl.c_str(), text.data(), text.size(),
                        arguments.digest.First(), arguments.digest.Second(), &code, message.Out());
  return ReportCheck(kCheckRefs, subject, status, code, message);
}

}  // namespace

void AddHklCommands(Tool& tool) {
  auto digest = std::make_shared<HklArguments>();
  CLI::App& digestHkl = tool.Add(
      {kDigestHkl, "[--key-version N] FOLDER MASK HKL FIRST SECOND",
       "seal an HKL file whose frames digest (FIRST, SECOND) still checks out",
       "  Prints the HKL digest: part 1, and part 2 after a comma when both frames parts\n"
       "  check out. --key-version selects the digest scheme (1, 2, or 3 the default).\n"
       "  FIRST SECOND may also be given as one word, FIRST,SECOND, as digest-frames prints it.\n"
       "  Example: zt7util digest-hkl frames '*.img' run1.hkl 01ab...,11cd..."},
      [digest] { return RunDigestHkl(*digest); });
  digestHkl.add_option("--key-version", digest->keyVersion, "N")->check(CLI::Range(1, 3));
  AddRequired(digestHkl,
              {{"FOLDER", &digest->folder}, {"MASK", &digest->mask}, {"HKL", &digest->hkl}});
  AddDigestParts(digestHkl, digest->digest, 2);

  auto update = std::make_shared<HklArguments>();
  CLI::App& updateHkl =
      tool.Add({kUpdateHkl, "OLD NEW [FIRST [SECOND]]",
                "carry the seal of OLD over to the re-processed file NEW",
                "  FIRST and SECOND are the digest parts issued for OLD; they must still seal it.\n"
                "  NEW must hold the same number of reflections with a matching intensity\n"
                "  distribution. Prints the scheme-1 digest of NEW."},
               [update] { return RunUpdateHkl(*update); });
  AddRequired(updateHkl, {{"OLD", &update->hkl}, {"NEW", &update->newHkl}});
  AddDigestParts(updateHkl, update->digest, 0);

  auto check = std::make_shared<HklArguments>();
  CLI::App& checkHkl = tool.Add(
      {kCheckHkl, "HKL [FIRST [SECOND]]", "check an HKL file against its digest parts",
       "  Prints 0 invalid, 1 first part valid, or 3 both parts valid. A file without a\n"
       "  valid digest passes with 1 when it is a test crystal whose CELL line agrees with\n"
       "  its structure file (.ins or .res). Exit 0 for 3, or for 1 when SECOND is absent."},
      [check] { return RunCheckHkl(*check); });
  checkHkl.add_option("HKL", check->hkl)->required();
  AddDigestParts(checkHkl, check->digest, 0);

  auto refs = std::make_shared<HklArguments>();
  CLI::App& checkRefs =
      tool.Add({kCheckRefs, "FILE|- [FIRST [SECOND]]",
                "check a reflection list given as text (a file, or - for standard input)",
                "  The text is passed unchanged: carriage returns stay part of the lines.\n"
                "  Prints 0, 1 or 3 as check-hkl does."},
               [refs] { return RunCheckRefs(*refs); });
  checkRefs.add_option("FILE|-", refs->hkl)->required();
  AddDigestParts(checkRefs, refs->digest, 0);
}

}  // namespace zt7cli
