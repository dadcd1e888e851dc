// The zt7util command line: registration of subcommands, parsing, help and usage errors.
#include "tool.h"

#include <cstdio>
#include <exception>

#include "cli_support.h"
#include "zt7kit.h"

namespace zt7cli {

Tool::Tool() : app_("zt7util", "zt7util") {
  app_.set_help_flag("-h,--help");  // answered with the tool's own help texts, below
  app_.require_subcommand(0, 1);    // so that `help NAME` takes NAME as its argument
  app_.add_flag("-V,--version", version_);
  CLI::App& help = Add({"help", "[SUBCOMMAND]", "this list, or the usage of one subcommand", ""},
                       [this] { return Help(helpTopic_); });
  help.add_option("SUBCOMMAND", helpTopic_);
  help_ = &help;
}

CLI::App& Tool::Add(const CommandHelp& help, std::function<int()> run) {
  CLI::App* app = app_.add_subcommand(help.name, help.summary);
  app->set_help_flag("-h,--help");
  entries_.push_back({help, app, std::move(run)});
  return *app;
}

const Tool::Entry* Tool::Find(const std::string& name) const {
  for (const Entry& entry : entries_)
    if (name == entry.help.name) return &entry;
  return nullptr;
}

const Tool::Entry* Tool::Chosen() const {
  for (const Entry& entry : entries_)
    if (entry.app->parsed()) return &entry;
  return nullptr;
}

void Tool::PrintHelp() const {
  PrintLine("Usage: zt7util SUBCOMMAND [ARGUMENTS...]");
  PrintLine("       zt7util help [SUBCOMMAND]   (or zt7util SUBCOMMAND --help)");
  PrintLine("       zt7util -V, --version");
  PrintLine("");
  PrintLine("Seals single-crystal diffraction data (frame folders, HKL and reflection files)");
  PrintLine("with integrity digests and checks them, through the zt7util library.");
  PrintLine("");
  PrintLine("Subcommands:");
  for (const Entry& entry : entries_) {
    // The summary stands beside a short synopsis and under a long one.
    std::string head = std::string(entry.help.name) + " " + entry.help.synopsis;
    if (head.size() < 28)
      PrintLine("  " + head + std::string(28 - head.size(), ' ') + entry.help.summary);
    else
      PrintLine("  " + head + "\n" + std::string(30, ' ') + entry.help.summary);
  }
  PrintLine("");
  PrintLine(
      "Options end at '--'; an argument after it is taken as it is, even with a leading '-'.");
  PrintLine("Exit status: 0 success, 1 refused, a negative check or an error, 2 usage error.");
}

int Tool::PrintVersion() const {
  PrintLine("zt7util tool version: " ZT7_TOOL_VERSION);
  PrintLine("module version: " + std::to_string(zt7kit_version()));
  PrintLine("key version: " + std::to_string(ZT7KIT_DEFAULT_KEY_VERSION));
  return kSuccess;
}

int Tool::Help(const std::string& name) const {
  if (name.empty()) {
    PrintHelp();
    return kSuccess;
  }
  const Entry* entry = Find(name);
  if (!entry) return UsageError(nullptr, "unknown subcommand '" + name + "'");
  std::string usage = std::string("Usage: zt7util ") + entry->help.name;
  if (*entry->help.synopsis) usage += std::string(" ") + entry->help.synopsis;
  PrintLine(usage);
  PrintLine(std::string("  ") + entry->help.summary);
  if (*entry->help.details) PrintLine(entry->help.details);
  return kSuccess;
}

int Tool::Run(int argc, char** argv) {
  if (argc < 2) return UsageError(nullptr, "missing subcommand");
  // CLI11 would take an unknown word for a surplus argument; name it as what it is.
  const std::string first = argv[1];
  if (first[0] != '-' && !Find(first))
    return UsageError(nullptr, "unknown subcommand '" + first + "'");
  try {
    app_.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    const Entry* entry = Chosen();
    return Help(entry ? entry->help.name : "");
  } catch (const CLI::ParseError& error) {
    const Entry* entry = Chosen();
    const char* name = entry ? entry->help.name : nullptr;
    // A word the command does not take is named first: a missing argument is often only
    // a consequence of it.
    std::vector<std::string> surplus = app_.remaining();
    if (surplus.empty() && entry) surplus = entry->app->remaining();
    if (!surplus.empty() && surplus[0].size() > 1 && surplus[0][0] == '-')
      return UsageError(name, "unknown option '" + surplus[0] + "'");
    if (!surplus.empty()) return UsageError(name, "unexpected argument '" + surplus[0] + "'");
    return UsageError(name, error.what());
  }
  if (version_) return PrintVersion();
  const Entry* entry = Chosen();
  if (!entry) return UsageError(nullptr, "missing subcommand");
  try {
    return entry->run();
  } catch (const std::exception& error) {  // a full disk in the demo, no memory, ...
    std::fprintf(stderr, "zt7util: %s: %s\n", entry->help.name, error.what());
    return kRefused;
  }
}

void AddRequired(CLI::App& command,
                 std::initializer_list<std::pair<const char*, std::string*>> arguments) {
  for (const auto& [name, text] : arguments) command.add_option(name, *text)->required();
}

}  // namespace zt7cli
