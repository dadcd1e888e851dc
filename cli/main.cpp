// zt7util: the command-line tool over libzt7kit.
#include "tool.h"

namespace zt7cli {

// Each cmd_<family>.cpp adds its subcommands with one function; help lists them in the
// order they are added here.
void AddDemoCommands(Tool& tool);
void AddSealCommands(Tool& tool);
void AddAuditCommands(Tool& tool);
void AddModuleCommands(Tool& tool);
void AddHklCommands(Tool& tool);
void AddFramesCommands(Tool& tool);
void AddDynCommands(Tool& tool);
void AddMatchCommands(Tool& tool);
void AddCifCommands(Tool& tool);

}  // namespace zt7cli

int main(int argc, char** argv) {
  zt7cli::Tool tool;
  zt7cli::AddDemoCommands(tool);
  zt7cli::AddSealCommands(tool);
  zt7cli::AddAuditCommands(tool);
  zt7cli::AddModuleCommands(tool);
  zt7cli::AddHklCommands(tool);
  zt7cli::AddFramesCommands(tool);
  zt7cli::AddDynCommands(tool);
  zt7cli::AddMatchCommands(tool);
  zt7cli::AddCifCommands(tool);
  return tool.Run(argc, argv);
}
