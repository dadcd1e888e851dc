// What the zt7util subcommands share: exit statuses, argument text, digest parts and output.
#pragma once

#include <cstddef>
#include <string>

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

  const char* First() const { return given > 0 ? first.c_str() : nullptr; }
  const char* Second() const { return given > 1 ? second.c_str() : nullptr; }
};

// Adds the positional arguments FIRST [SECOND] to `command`; at least `required` parts
// (0, 1 or 2) must be given. A part holding a comma is a usage error unless it is the only
// word, and then it is split there.
void AddDigestParts(CLI::App& command, DigestParts& parts, size_t required);

// `text` and a line end on standard output.
void PrintLine(const std::string& text);

// One line on standard error for a usage error of subcommand `name` (null: of the tool
// itself); returns kUsageError.
int UsageError(const char* name, const std::string& message);

// One line on standard error saying why subcommand `name` got no result; returns kRefused.
int Refused(const char* name, const std::string& reason);

// Prints a check result (0, 1 or 3) with its word and gives the exit status: success
// for 3, or for 1 when no second part was given to check.
int ReportCheck(int code, bool secondGiven);

}  // namespace zt7cli
