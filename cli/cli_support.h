// What the zt7util subcommands share: exit statuses, argument text, digest parts and output.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace zt7cli {

enum ExitStatus : int {
  kSuccess = 0,
  kRefused = 1,  // the library refused, or a check came out negative
  kUsageError = 2,
};

// UTF-16 for the wide exports. Bytes that are not UTF-8 become U+DC80..U+DCFF, which the
// module turns back into the same bytes, so any file name given can be opened.
std::u16string WideText(const std::string& utf8);

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

// Why `path` cannot be read as a data file ("no such file", "a folder", "a FIFO", ...), or
// "" for a regular file. Asked before anything is opened, so that nothing waits on a FIFO
// or reads a device without end.
std::string WhyNotRegularFile(const std::string& path);

// Checks `paths` with WhyNotRegularFile; the first fault is one line on standard error for
// subcommand `name`, and the answer false.
bool AreRegularFiles(const char* name, const std::vector<std::string>& paths);

// The most that the tool reads as one text: 1 GiB.
inline constexpr size_t kMaxTextBytes = size_t(1) << 30;

// The whole of the regular file `path`, or of standard input for "-", into `text`; the
// reason when it cannot be read or holds more than kMaxTextBytes, else "".
std::string ReadText(const std::string& path, std::string& text);

// `text` and a line end on standard output.
void PrintLine(const std::string& text);

// One line on standard error for a usage error of subcommand `name` (null: of the tool
// itself); returns kUsageError.
int UsageError(const char* name, const std::string& message);

// `name` as `ls -b` shows it, so that a name is one line and cannot command the
// terminal: backslash as \\, line feed, carriage return and tab as \n, \r, \t, every other
// byte below 0x20 and 0x7f in octal (\033).
std::string Escaped(const std::string& name);

// The module's word on the last call that gave no result or a negative one, from its log.
struct ModuleWord {
  // The call could not be carried out: the module caught an error ("Error: ..."), or it
  // gave no reason, which every refusal and every mismatch has.
  bool error = false;
  std::string reason;  // its reason or the error's message; "" when it gave none
};
ModuleWord LastModuleWord();

// Why the module refused, or why a call could not be carried out, as the user reads it:
// its reason, or the fact that it gave none.
std::string RefusalReason(const ModuleWord& word);
std::string ErrorReason(const ModuleWord& word);

// One line on standard error saying why subcommand `name` got no result for `subject` (a
// file, folder or text named by the user, shown escaped); returns kRefused.
int Refused(const char* name, const std::string& subject, const std::string& reason);

// The module's warnings ("Warning: ...") of the last call, on standard error.
void ReportWarnings(const char* name);

// Prints a check result (0, 1 or 3) with its word and gives the exit status: success
// for 3, or for 1 when no second part was given to check. A 1 that the module gave to an
// unsealed test-crystal file says so; a negative outcome adds the module's reason for
// `subject` on standard error. A check the module could not carry out prints no result,
// only "could not be checked: REASON".
int ReportCheck(const char* name, const std::string& subject, int code, bool secondGiven);

}  // namespace zt7cli
