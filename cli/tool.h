// The zt7util command line: subcommands that each cmd_<family>.cpp adds, parsed with CLI11.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zt7cli {

// What `zt7util --help` and `zt7util help NAME` show of one subcommand.
struct CommandHelp {
  const char* name;
  const char* synopsis;  // the arguments as usage shows them, e.g. "FOLDER MASK"
  const char* summary;   // one line for the list of subcommands
  const char* details;   // further lines for `zt7util help NAME`; may be empty
};

// A family of subcommands adds each one with Add and then declares its options and
// positional arguments on the CLI::App returned, bound to variables that `run` reads.
// Run parses the command line and calls the chosen subcommand's `run`, whose result is
// the exit status; every parse error is one line on standard error and exit status 2.
class Tool {
 public:
  Tool();
  CLI::App& Add(const CommandHelp& help, std::function<int()> run);
  int Run(int argc, char** argv);

 private:
  struct Entry {
    CommandHelp help;
    CLI::App* app;
    std::function<int()> run;
  };
  const Entry* Find(const std::string& name) const;
  const Entry* Chosen() const;
  void PrintHelp() const;
  int PrintVersion() const;
  int Help(const std::string& name) const;

  CLI::App app_;
  const CLI::App* help_ = nullptr;
  std::vector<Entry> entries_;
  std::string helpTopic_;
  bool version_ = false;
};

// Declares the required positional arguments of `command`, in order, each bound to its text.
void AddRequired(CLI::App& command,
                 std::initializer_list<std::pair<const char*, std::string*>> arguments);

}  // namespace zt7cli
