// Running the built zt7util tool from a test: exit status, standard output and error.
#pragma once

#include <stdlib.h>  // for mkdtemp
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace zt7test {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the tool with `arguments` (already quoted for the shell). A run that takes longer
// than `seconds` is ended and gives status 124.
inline Outcome RunTool(const std::string& arguments, int seconds = 5) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zt7cli.XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  std::filesystem::path folder = pattern;
  std::string command = "timeout " + std::to_string(seconds) + " '" + ZT7_TOOL_PATH + "' " +
                        arguments + " >'" + (folder / "out").string() + "' 2>'" +
                        (folder / "err").string() + "'";
  int raw = std::system(command.c_str());
  Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(folder / "out"),
                  ReadFile(folder / "err")};
  std::filesystem::remove_all(folder);
  return outcome;
}

}  // namespace zt7test
