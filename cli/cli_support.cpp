// What the zt7util subcommands share: argument text, digest parts, output and usage errors.
#include "cli_support.h"

#include <sys/stat.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>  // for strlen, strerror
#include <string>
#include <vector>

#include "module_log.h"
#include "sdl/regular_file.h"
#include "sdl/utf8_path.h"

namespace zt7cli {

std::u16string WideText(const std::string& utf8) {
  std::u16string wide(utf8.size(), u'\0');  // never more units than bytes
  wide.resize(zodu::DecodeUtf8(utf8.data(), utf8.size(), wide.data()));
  return wide;
}

DigestParts::DigestParts(const std::string& digest) : given(digest.empty() ? 0 : 1) {
  const size_t comma = digest.find(',');
  first = digest.substr(0, comma);
  if (comma == std::string::npos) return;
  second = digest.substr(comma + 1);
  given = 2;
}

void AddDigestParts(CLI::App& command, DigestParts& parts, size_t required) {
  auto take = [&parts, required](const std::vector<std::string>& words) {
    if (words.size() > 2) throw CLI::ValidationError("unexpected argument '" + words[2] + "'");
    std::vector<std::string> split = words;
    if (words.size() == 1 && words[0].find(',') != std::string::npos) {
      const size_t comma = words[0].find(',');
      split = {words[0].substr(0, comma), words[0].substr(comma + 1)};
    }
    for (const std::string& part : split)
      if (part.find(',') != std::string::npos)
        throw CLI::ValidationError("FIRST SECOND",
                                   "a digest is two parts with one comma between "
                                   "them, not '" +
                                       part + "'");
    if (split.size() < required)
      throw CLI::ValidationError("FIRST SECOND", "the digest needs both parts");
    parts.given = split.size();
    parts.first = split[0];
    if (split.size() > 1) parts.second = split[1];
  };
  CLI::Option* option = command.add_option_function<std::vector<std::string>>(
      required > 1 ? "FIRST SECOND" : "FIRST [SECOND]", take);
  // Up to any number, so that a surplus word is named as such.
  option->expected(required > 0 ? 1 : 0, 1 << 20);
  if (required > 0) option->required();
}

std::string WhyNotRegularFile(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) {
    if (errno == ELOOP) return "a loop of symbolic links";
    if (errno == ENOENT || errno == ENOTDIR) return "no such file";
    return std::strerror(errno);
  }
  if (S_ISDIR(status.st_mode)) return "a folder, not a file";
  if (S_ISFIFO(status.st_mode)) return "a FIFO, not a regular file";
  if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return "a device, not a regular file";
  if (S_ISSOCK(status.st_mode)) return "a socket, not a regular file";
  if (!S_ISREG(status.st_mode)) return "not a regular file";
  if (access(path.c_str(), R_OK) != 0) return "not readable";
  return "";
}

bool AreRegularFiles(const char* name, const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    const std::string why = WhyNotRegularFile(path);
    if (why.empty()) continue;
    Refused(name, path, why);
    return false;
  }
  return true;
}

std::string ReadText(const std::string& path, std::string& text) {
  text.clear();
  zodu::FileFault fault;
  if (path == "-") {
    fault = zodu::ReadBounded(STDIN_FILENO, kMaxTextBytes, text);
  } else {
    const std::string why = WhyNotRegularFile(path);
    if (!why.empty()) return why;
    // Checked again once open: the path may have changed in between.
    fault = zodu::ReadRegularFile(path.c_str(), kMaxTextBytes, true, text);
  }
  switch (fault.kind) {
    case zodu::FileFault::kNone:
      return "";
    case zodu::FileFault::kTooLarge:
      return "more than 1 GiB (1073741824 bytes), the most the tool reads";
    case zodu::FileFault::kNotRegular:
    case zodu::FileFault::kSymbolicLink:
      return "not a regular file";
    default:
      return std::strerror(fault.error);
  }
}

void PrintLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);  // before any error line that follows it on standard error
}

int UsageError(const char* name, const std::string& message) {
  std::string line = "zt7util: ";
  if (name) line += std::string(name) + ": ";
  line += message + " (see 'zt7util help" + (name ? std::string(" ") + name : "") + "')\n";
  std::fputs(line.c_str(), stderr);
  return kUsageError;
}

std::string Escaped(const std::string& name) {
  std::string text;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '\t') {
      text += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      const char octal[] = {'\\', char('0' + (byte >> 6)), char('0' + ((byte >> 3) & 7)),
                            char('0' + (byte & 7)), '\0'};
      text += octal;
    } else {
      text += c;
    }
  }
  return text;
}

namespace {

constexpr char kWarning[] = "Warning: ";
constexpr char kError[] = "Error: ";  // an exception the module caught at its boundary
constexpr char kTestCrystal[] = "unsealed test-crystal file";

bool StartsWith(const std::string& text, const char* start) {
  return text.compare(0, std::strlen(start), start) == 0;
}

ModuleWord WordOf(const std::vector<std::string>& entries) {
  for (const std::string& entry : entries)
    if (StartsWith(entry, kError)) return {true, entry.substr(std::strlen(kError))};
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
    if (!StartsWith(*entry, kWarning)) return {false, *entry};
  return {true, ""};
}

void PrintError(const char* name, const std::string& subject, const std::string& reason) {
  std::fputs(
      ("zt7util: " + std::string(name) + ": '" + Escaped(subject) + "': " + Escaped(reason) + "\n")
          .c_str(),
      stderr);
}

}  // namespace

ModuleWord LastModuleWord() {
  return WordOf(NewLogEntries());
}

std::string RefusalReason(const ModuleWord& word) {
  return word.reason.empty() ? "refused by the library without a reason" : word.reason;
}

std::string ErrorReason(const ModuleWord& word) {
  return word.reason.empty() ? "the library gave no reason" : word.reason;
}

int Refused(const char* name, const std::string& subject, const std::string& reason) {
  PrintError(name, subject, reason);
  return kRefused;
}

void ReportWarnings(const char* name) {
  for (const std::string& entry : NewLogEntries())
    if (StartsWith(entry, kWarning))
      std::fputs(("zt7util: " + std::string(name) + ": " + entry + "\n").c_str(), stderr);
}

int ReportCheck(const char* name, const std::string& subject, int code, bool secondGiven) {
  const bool passed = code == 3 || (code == 1 && !secondGiven);
  const ModuleWord word = WordOf(NewLogEntries());
  if (!passed && word.error)
    return Refused(name, subject, "could not be checked: " + ErrorReason(word));
  std::string text = code == 3 ? "both parts valid" : code == 1 ? "first part valid" : "invalid";
  if (code == 1 && StartsWith(word.reason, kTestCrystal)) text = word.reason;
  PrintLine(std::to_string(code) + " " + text);
  return passed ? kSuccess : Refused(name, subject, word.reason);
}

}  // namespace zt7cli
