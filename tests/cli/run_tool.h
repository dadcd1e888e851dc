// Running the built zt7util tool from a test: exit status, standard output and error.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>  // for mkdtemp
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

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

// `text` in single quotes for the shell.
inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs the tool with `arguments` (already quoted for the shell), after the shell commands
// `before` (limits, such as "ulimit -v 65536;"). A run that takes longer than `seconds` is
// ended and gives status 124.
inline Outcome RunTool(const std::string& arguments, int seconds = 5,
                       const std::string& before = "") {
  std::string folder = (std::filesystem::temp_directory_path() / "zt7cli.XXXXXX").string();
  if (!mkdtemp(folder.data())) throw std::runtime_error("mkdtemp failed");
  const std::string command = before + "timeout " + std::to_string(seconds) + " '" + ZT7_TOOL_PATH +
                              "' " + arguments + " >'" + folder + "/out' 2>'" + folder + "/err'";
  const int raw = std::system(command.c_str());
  Outcome outcome{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(folder + "/out"),
                  ReadFile(folder + "/err")};
  std::filesystem::remove_all(folder);
  return outcome;
}

// One run of the tool and what it must give: `text` appears in its standard output or error.
struct Call {
  std::string arguments;
  int status;
  std::string text;
};

// A usage error (status 2) is also one line on standard error and nothing on standard output.
inline void ExpectCalls(const std::vector<Call>& calls) {
  for (const Call& c : calls) {
    SCOPED_TRACE(c.arguments);
    const Outcome r = RunTool(c.arguments);
    EXPECT_EQ(r.status, c.status) << r.out << r.err;
    EXPECT_NE((r.out + r.err).find(c.text), std::string::npos) << r.out << r.err;
    if (c.status != 2) continue;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
}

}  // namespace zt7test
