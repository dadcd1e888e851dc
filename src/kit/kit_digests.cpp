// zt7kit: the digests and checks, each with its own reason.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "kit/kit_call.h"
#include "sdl/regular_file.h"
#include "zt3util/cell_check.h"
#include "zt3util/check_number.h"
#include "zt3util/digest_calls.h"
#include "zt7kit.h"

namespace kit = zt7::kit;

namespace {

// The most that a reflection list file may hold: 1 GiB.
constexpr size_t kMostReflectionBytes = size_t(1) << 30;

// A check's code and status; a passing check's notes (an unsealed test crystal) as well.
zt7kit_status CheckAnswer(const zt7::Result<int>& check, int* result, char** message) {
  if (result) *result = check.Value();
  return kit::Answer(check, message);
}

}  // namespace

void zt7kit_free(void* text) {
  std::free(text);
}

int32_t zt7kit_version(void) {
  return zt7::kModuleVersion;
}

zt7kit_status zt7kit_info(const char* text, size_t length, char** number, char** message) {
  kit::Clear({number, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"text", text}, {"number", number}})) return s;
    kit::Hand(number, std::to_string(zt7::CheckNumber(text, length)));
    return ZT7KIT_OK;
  });
}

zt7kit_status zt7kit_digest_frames(const char* folder, const char* mask, char** digest,
                                   char** message) {
  kit::Clear({digest, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s =
            kit::NeedAll(message, {{"folder", folder}, {"mask", mask}, {"digest", digest}}))
      return s;
    const zt7::Result<std::string> made = zt7::DigestFrames(folder, mask);
    kit::Hand(digest, made.Ok() ? made.Value() : "");
    return kit::Answer(made, message);
  });
}

zt7kit_status zt7kit_check_frames(const char* folder, const char* mask, const char* first,
                                  const char* second, int* result, char** message) {
  kit::Clear({message});
  if (result) *result = 0;
  return kit::Guard(message, [&] {
    if (zt7kit_status s =
            kit::NeedAll(message, {{"folder", folder}, {"mask", mask}, {"first part", first}}))
      return s;
    return CheckAnswer(zt7::CheckFrames(folder, mask, first, second), result, message);
  });
}

zt7kit_status zt7kit_digest_hkl(const char* frames_folder, const char* mask, const char* hkl_file,
                                const char* frames_first, const char* frames_second,
                                int key_version, char** digest, char** message) {
  kit::Clear({digest, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"frames folder", frames_folder},
                                                 {"mask", mask},
                                                 {"HKL file", hkl_file},
                                                 {"first frames part", frames_first},
                                                 {"digest", digest}}))
      return s;
    if (!kit::KnownKeyVersion(key_version)) {
      kit::Hand(message, "no key version " + std::to_string(key_version) + " (1, 2 or 3)");
      return ZT7KIT_REFUSED;
    }
    const zt7::Result<std::string> made =
        zt7::DigestHkl(frames_folder, mask, hkl_file, frames_first, frames_second, key_version);
    kit::Hand(digest, made.Ok() ? made.Value() : "");
    return kit::Answer(made, message);
  });
}

zt7kit_status zt7kit_update_hkl(const char* old_hkl_file, const char* new_hkl_file,
                                const char* old_first, const char* old_second, char** digest,
                                char** message) {
  kit::Clear({digest, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(
            message,
            {{"old HKL file", old_hkl_file}, {"new HKL file", new_hkl_file}, {"digest", digest}}))
      return s;
    const zt7::Result<std::string> made =
        zt7::UpdateHkl(old_hkl_file, new_hkl_file, old_first, old_second);
    kit::Hand(digest, made.Ok() ? made.Value() : "");
    return kit::Answer(made, message);
  });
}

zt7kit_status zt7kit_check_hkl(const char* hkl_file, const char* first, const char* second,
                               int* result, char** message) {
  kit::Clear({message});
  if (result) *result = 0;
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"HKL file", hkl_file}})) return s;
    return CheckAnswer(zt7::CheckHkl(hkl_file, first, second), result, message);
  });
}

zt7kit_status zt7kit_check_refs(const char* path, const char* reflections, size_t length,
                                const char* first, const char* second, int* result,
                                char** message) {
  kit::Clear({message});
  if (result) *result = 0;
  return kit::Guard(message, [&] {
    if (path == nullptr) {
      if (zt7kit_status s = kit::NeedAll(message, {{"path or reflections", reflections}})) return s;
      return CheckAnswer(zt7::CheckRefs(std::string_view(reflections, length), first, second),
                         result, message);
    }
    const zt7::Result<std::string> text = zt7::ReadRegularFile(path, kMostReflectionBytes);
    if (!text.Ok()) return kit::Answer(text, message);
    return CheckAnswer(zt7::CheckRefs(text.Value(), first, second), result, message);
  });
}

zt7kit_status zt7kit_match_hkl(const char* first_hkl_file, const char* second_hkl_file,
                               double* distance, char** message) {
  kit::Clear({message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"first HKL file", first_hkl_file},
                                                 {"second HKL file", second_hkl_file},
                                                 {"distance", distance}}))
      return s;
    const zt7::Result<double> match = zt7::MatchHkl(first_hkl_file, second_hkl_file);
    *distance = match.Value();
    return kit::Answer(match, message);
  });
}

zt7kit_status zt7kit_check_cell(const double* cell, char** message) {
  kit::Clear({message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"cell", cell}})) return s;
    if (zt7::IsTestCrystalCell(cell)) return ZT7KIT_OK;
    kit::Hand(message, "not the cell of a standard test crystal");
    return ZT7KIT_MISMATCH;
  });
}

zt7kit_status zt7kit_digest_dyn(const char* frames_folder, const char* mask,
                                const char* reflection_file, const char* frames_first,
                                const char* frames_second, char** digest, char** message) {
  kit::Clear({digest, message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s = kit::NeedAll(message, {{"frames folder", frames_folder},
                                                 {"mask", mask},
                                                 {"reflection file", reflection_file},
                                                 {"first frames part", frames_first},
                                                 {"second frames part", frames_second},
                                                 {"digest", digest}}))
      return s;
    const zt7::Result<std::string> made =
        zt7::DigestDyn(frames_folder, mask, reflection_file, frames_first, frames_second);
    kit::Hand(digest, made.Ok() ? made.Value() : "");
    return kit::Answer(made, message);
  });
}

zt7kit_status zt7kit_check_dyn(const char* reflection_file, const char* digest, char** message) {
  kit::Clear({message});
  return kit::Guard(message, [&] {
    if (zt7kit_status s =
            kit::NeedAll(message, {{"reflection file", reflection_file}, {"digest", digest}}))
      return s;
    // The check refuses a path under ten characters: a short relative name is made whole.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(reflection_file, error);
    return kit::Answer(zt7::CheckDyn(error ? reflection_file : absolute.string(), digest), message);
  });
}
