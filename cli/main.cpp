// zt7util: the command-line tool over the module's exports. Each subcommand lives in a
// cmd_<family>.cpp and is named once in the table below.
#include <cstring>
#include <string>

#include "cli_support.h"

namespace zt7cli {

// The subcommands, in the order --help lists them: one line each.
#define ZT7_SUBCOMMANDS(X) \
  X(kDemoCommand)          \
  X(kVersionCommand)       \
  X(kInfoCommand)          \
  X(kDigestHklCommand)     \
  X(kUpdateHklCommand)     \
  X(kCheckHklCommand)      \
  X(kCheckRefsCommand)     \
  X(kDigestFramesCommand)  \
  X(kCheckFramesCommand)   \
  X(kDigestDynCommand)     \
  X(kCheckDynCommand)      \
  X(kDynLoopCommand)       \
  X(kMatchHklCommand)      \
  X(kCheckCellCommand)

#define ZT7_DECLARE(command) extern const Command command;
ZT7_SUBCOMMANDS(ZT7_DECLARE)
#define ZT7_ADDRESS(command) &command,
const Command* const kCommands[] = {ZT7_SUBCOMMANDS(ZT7_ADDRESS)};

namespace {

void PrintHelp() {
  PrintLine("Usage: zt7util SUBCOMMAND [ARGUMENTS...]");
  PrintLine("       zt7util SUBCOMMAND --help");
  PrintLine("");
  PrintLine("Seals single-crystal diffraction data (frame folders, HKL and reflection files)");
  PrintLine("with integrity digests and checks them, through the zt7util library.");
  PrintLine("");
  PrintLine("Subcommands:");
  for (const Command* command : kCommands) {
    // The summary stands beside a short synopsis and under a long one.
    std::string head = std::string(command->name) + " " + command->synopsis;
    if (head.size() < 28)
      PrintLine("  " + head + std::string(28 - head.size(), ' ') + command->summary);
    else
      PrintLine("  " + head + "\n" + std::string(30, ' ') + command->summary);
  }
  PrintLine("");
  PrintLine("Exit status: 0 success, 1 refused or a negative check, 2 usage error.");
}

int Run(const Command& command, const Arguments& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help") {
      PrintUsage(command);
      return kSuccess;
    }
  }
  if (arguments.size() < command.minArguments)
    return UsageError(&command, std::string("missing argument: ") + command.synopsis);
  if (arguments.size() > command.maxArguments)
    return UsageError(&command, "unexpected argument '" + arguments[command.maxArguments] + "'");
  return command.run(arguments);
}

}  // namespace
}  // namespace zt7cli

int main(int argc, char** argv) {
  using namespace zt7cli;
  if (argc < 2) return UsageError(nullptr, "missing subcommand");
  const char* name = argv[1];
  if (std::strcmp(name, "--help") == 0 || std::strcmp(name, "-h") == 0) {
    PrintHelp();
    return kSuccess;
  }
  for (const Command* command : kCommands)
    if (std::strcmp(name, command->name) == 0)
      return Run(*command, Arguments(argv + 2, argv + argc));
  return UsageError(nullptr, std::string("unknown subcommand '") + name + "'");
}
