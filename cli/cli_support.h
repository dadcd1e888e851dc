// What the zt7util subcommands share: exit statuses, digest parts, texts of the library,
// output and error lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "zt7kit.h"

namespace CLI {
class App;
}

namespace zt7cli {

enum ExitStatus : int {
  kSuccess = 0,
  kRefused = 1,  // the library refused, or a check came out negative
  kUsageError = 2,
};

// A text that libzt7kit hands out, freed with its holder.
class KitText {
 public:
  KitText() = default;
  ~KitText() { zt7kit_free(text_); }
  KitText(const KitText&) = delete;
  KitText& operator=(const KitText&) = delete;

  // Where a call puts the text; what was held before is freed.
  char** Out() {
    zt7kit_free(text_);
    text_ = nullptr;
    return &text_;
  }
  std::string Text() const { return text_ ? text_ : ""; }
  bool Empty() const { return text_ == nullptr; }
  const char* Get() const { return text_; }

 private:
  char* text_ = nullptr;
};

// A stored digest's two parts, given as FIRST SECOND or as the tool prints it, FIRST,SECOND.
struct DigestParts {
  std::string first, second;
  size_t given = 0;  // how many parts the command line held: 0, 1 or 2

  DigestParts() = default;
  // A digest as the tool prints it: FIRST,SECOND, or FIRST alone.
  explicit DigestParts(const std::string& digest);

  const char* First() const { return given > 0 ? first.c_str() : nullptr; }
  const char* Second() const { return given > 1 ? second.c_str() : nullptr; }
};

// Adds the positional arguments FIRST [SECOND] to `command`; at least `required` parts
// (0, 1 or 2) must be given. A part holding a comma is a usage error unless it is the only
// word, and then it is split there.
void AddDigestParts(CLI::App& command, DigestParts& parts, size_t required);

// The most that the tool reads as one input: 1 GiB.
inline constexpr size_t kMaxTextBytes = size_t(1) << 30;

// The whole of standard input ("-") or of the regular file `path` into `text`; the reason
// when it cannot be read or holds more than kMaxTextBytes, else "".
std::string ReadInput(const std::string& path, std::string& text);

// `text` and a line end on standard output.
void PrintLine(const std::string& text);

// One line on standard error for a usage error of subcommand `name` (null: of the tool
// itself); returns kUsageError.
int UsageError(const char* name, const std::string& message);

// `name` as `ls -b` shows it, so that a name is one line and cannot command the
// terminal: backslash as \\, line feed, carriage return and tab as \n, \r, \t, every other
// byte below 0x20 and 0x7f in octal (\033).
std::string Escaped(const std::string& name);

// Each line of `lines` on standard error after "zt7util: NAME: ".
void PrintLines(const char* name, const std::string& lines);

// One line on standard error per line of `reason`, saying why subcommand `name` got no
// result for `subject` (a file, folder or text named by the user, shown escaped); returns
// kRefused.
int Refused(const char* name, const std::string& subject, const std::string& reason);

// A digest call's outcome: the digest on standard output and the library's notes as
// warnings, or why there is none.
int ReportDigest(const char* name, const std::string& subject, zt7kit_status status,
                 const KitText& digest, const KitText& message);

// Prints a check result (0, 1 or 3) with its word and gives the exit status: success when
// the library passed it. A 1 that it gave to an unsealed test-crystal file says so; a
// negative outcome adds the library's reason for `subject` on standard error. A check that
// was refused or could not be carried out prints no result, only the reason.
int ReportCheck(const char* name, const std::string& subject, zt7kit_status status, int code,
                const KitText& message);

}  // namespace zt7cli
