// What the zt7util subcommands share: argument text, digest parts, output and usage errors.
#include "cli_support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>  // for strlen, strerror
#include <string>
#include <vector>

namespace zt7cli {

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

std::string ReadInput(const std::string& path, std::string& text) {
  text.clear();
  int descriptor = STDIN_FILENO;
  if (path != "-") {
    // Non-blocking, so that opening a FIFO waits for nobody; then nothing but a regular
    // file is read.
    descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return std::strerror(errno);
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
      close(descriptor);
      return "not a regular file";
    }
  }
  char buffer[1 << 16];
  std::string why;
  for (;;) {
    const ssize_t n = read(descriptor, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) why = std::strerror(errno);
    if (n <= 0) break;
    if (text.size() + static_cast<size_t>(n) > kMaxTextBytes) {
      why = "more than 1 GiB (1073741824 bytes), the most the tool reads";
      break;
    }
    text.append(buffer, static_cast<size_t>(n));
  }
  if (descriptor != STDIN_FILENO) close(descriptor);
  return why;
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

void PrintLines(const char* name, const std::string& lines) {
  for (size_t start = 0; start < lines.size();) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    std::fputs(
        ("zt7util: " + std::string(name) + ": " + lines.substr(start, end - start) + "\n").c_str(),
        stderr);
    start = end + 1;
  }
}

int Refused(const char* name, const std::string& subject, const std::string& reason) {
  std::string lines;
  for (size_t start = 0; start <= reason.size();) {
    size_t end = reason.find('\n', start);
    if (end == std::string::npos) end = reason.size();
    lines += "'" + Escaped(subject) + "': " + Escaped(reason.substr(start, end - start)) + "\n";
    start = end + 1;
  }
  lines.pop_back();
  PrintLines(name, lines);
  return kRefused;
}

int ReportDigest(const char* name, const std::string& subject, zt7kit_status status,
                 const KitText& digest, const KitText& message) {
  if (status != ZT7KIT_OK) return Refused(name, subject, message.Text());
  PrintLine(digest.Text());
  const std::string notes = message.Text();
  for (size_t start = 0; start < notes.size();) {
    size_t end = notes.find('\n', start);
    if (end == std::string::npos) end = notes.size();
    PrintLines(name, "warning: " + notes.substr(start, end - start));
    start = end + 1;
  }
  return kSuccess;
}

int ReportCheck(const char* name, const std::string& subject, zt7kit_status status, int code,
                const KitText& message) {
  if (status == ZT7KIT_ERROR)
    return Refused(name, subject, "could not be checked: " + message.Text());
  if (status == ZT7KIT_REFUSED) return Refused(name, subject, message.Text());
  std::string text = code == 3 ? "both parts valid" : code == 1 ? "first part valid" : "invalid";
  // A passing 1 with a note: the unsealed test crystal.
  if (status == ZT7KIT_OK && code == 1 && !message.Empty()) text = message.Text();
  PrintLine(std::to_string(code) + " " + text);
  return status == ZT7KIT_OK ? kSuccess : Refused(name, subject, message.Text());
}

}  // namespace zt7cli
