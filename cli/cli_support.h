// What the zt7util subcommands share: the command record, exit statuses, argument text
// and output.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zt7cli {

enum ExitStatus : int {
  kSuccess = 0,
  kRefused = 1,  // the library refused, or a check came out negative
  kUsageError = 2,
};

// A subcommand's arguments as given on the command line (UTF-8 bytes).
using Arguments = std::vector<std::string>;

// One subcommand. The tool checks the number of arguments and answers --help itself.
struct Command {
  const char* name;
  const char* synopsis;  // the arguments as usage shows them, e.g. "FOLDER MASK"
  const char* summary;   // one line for the list of subcommands
  const char* details;   // further lines for `zt7util NAME --help`; may be empty
  size_t minArguments;
  size_t maxArguments;
  int (*run)(const Arguments& arguments);
};

// UTF-16 for the wide exports. Bytes that are not UTF-8 become U+DC80..U+DCFF, which the
// module turns back into the same bytes, so any file name given can be opened.
std::u16string WideText(const std::string& utf8);

// A stored digest as its host passes it to the exports: the parts before and after the
// comma ("" when there is no comma).
struct DigestParts {
  std::string first, second;
  explicit DigestParts(const std::string& digest);
  // The second part, or null when there is none.
  const char* Second() const { return second.empty() ? nullptr : second.c_str(); }
};

// `text` and a line end on standard output.
void PrintLine(const std::string& text);

// The usage of one subcommand on standard output.
void PrintUsage(const Command& command);

// One line on standard error for a usage error of `command` (null: of the tool itself);
// returns kUsageError.
int UsageError(const Command* command, const std::string& message);

// One line on standard error saying why `command` got no result; returns kRefused.
int Refused(const Command& command, const std::string& reason);

// Prints a check result (0, 1 or 3) with its word and gives the exit status: success
// for 3, or for 1 when no second part was given to check.
int ReportCheck(int code, bool secondGiven);

}  // namespace zt7cli
