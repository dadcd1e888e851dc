// The zt7util tool as a user meets it: help, version, info, usage, demo, README session.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "cli/run_tool.h"
#include "cli_support.h"
#include "json_text.h"
#include "sdl/temp_folder.h"

namespace {

using zt7test::RunTool;

TEST(Tool, HelpVersionInfoAndUsageErrors) {
  const std::string infoUsage = "Usage: zt7util info TEXT\n  the module's check number";
  zt7test::ExpectCalls({
      {"--help", 0, "info TEXT"},
      {"info -h", 0, infoUsage},
      {"help info", 0, infoUsage},
      {"info x --help", 0, infoUsage},
      {"--version", 0, "zt7util tool version: 11.0.0\nmodule version: 11\nkey version: 3\n"},
      {"info -- -x", 0, "37\n"},  // after --, a leading '-' is text
      // A usage error names the argument at fault.
      {"frobnicate", 2, "'frobnicate'"},
      {"", 2, "missing subcommand"},
      {"info", 2, "TEXT"},
      {"version extra", 2, "'extra'"},
      {"--foo info a", 2, "'--foo'"},
      {"help nothing", 2, "'nothing'"},
      {"digest-hkl --key-version 4 f m h a b", 2, "--key-version"},
      {"digest-hkl --key-version x f m h a b", 2, "--key-version"},
      {"digest-hkl f m h a", 2, "FIRST SECOND"},
      {"digest-hkl f m h a,b,c,d", 2, "'b,c,d'"},
      {"check-hkl h a,b c", 2, "'a,b'"},
  });
  EXPECT_EQ(RunTool("help").out, RunTool("--help").out);
  EXPECT_EQ(RunTool("version").out, "module version: 11\nkey version: 3\n");
  // The single byte 0xFF counts as -1.
  for (const auto& [argument, out] :
       {std::pair{"az", "12\n"}, {"''", "0\n"}, {"abc", "-49\n"}, {"\"$(printf '\\377')\"", "0\n"}})
    EXPECT_EQ(RunTool(std::string("info ") + argument).out, out) << argument;
}

// Arguments: UTF-8 becomes UTF-16; bytes that are not UTF-8 become U+DC80..U+DCFF one by one.
TEST(ToolText, WideTextOfUtf8Arguments) {
  const std::pair<std::string, std::u16string> cases[] = {
      {"\xC3\xA9\xE2\x82\xAC", u"\u00E9\u20AC"},          // two and three bytes
      {"\xF0\x9F\x94\xAC", u"\U0001F52C"},                // four bytes: a surrogate pair
      {"a\xFF", u"a\xDCFF"},                              // never valid
      {"\xC3", u"\xDCC3"},                                // cut short at the end
      {"\xC3(", u"\xDCC3("},                              // no continuation
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                      // overlong
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},            // a surrogate encoded
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // above U+10FFFF
  };
  for (const auto& [utf8, wide] : cases) EXPECT_EQ(zt7cli::WideText(utf8), wide) << utf8;
}

// JSON strings: escapes, UTF-8 and surrogates; appended, never replacing.
TEST(ToolText, JsonStringEscapesAndEncodes) {
  const std::pair<std::u16string, std::string> cases[] = {
      {u"a\"b\\c/d", "\"a\\\"b\\\\c/d\""},
      {u"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
      {std::u16string(u"\0\x1f\x7f", 3), "\"\\u0000\\u001f\x7f\""},
      {u"\u00e9\u20ac", "\"\xc3\xa9\xe2\x82\xac\""},                      // two and three bytes
      {u"\U00010000\U0010FFFF", "\"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\""},  // pairs joined
      {u"\xd800x\xdc80", "\"\\ud800x\\udc80\""},                          // lone halves
      {u"\xdfff\xdbff\xdbff", "\"\\udfff\\udbff\\udbff\""},  // low first, high before high
  };
  for (const auto& [text, json] : cases) {
    std::string out = "[";
    zt7cli::AppendJsonString(out, text);
    EXPECT_EQ(out, "[" + json) << json;
  }
}

// FOLDER must be absent or empty; without it the temporary folder goes unless --keep.
TEST(Tool, DemoNeverWritesOverFilesAndCleansUp) {
  zodu::testing::TempFolder folder;
  const std::string used = zt7test::Quote(folder.MakeFile("a.hkl", "x"));
  for (const std::string& target : {used, zt7test::Quote(folder.path())}) {
    const zt7test::Outcome r = RunTool("demo " + target);
    EXPECT_EQ(r.status, 2) << target;
    EXPECT_NE(r.err.find(target), std::string::npos) << r.err;
  }
  std::filesystem::create_directory(folder / "tmp");
  setenv("TMPDIR", (folder / "tmp").c_str(), 1);
  const zt7test::Outcome demo = RunTool("demo", 120);
  unsetenv("TMPDIR");
  EXPECT_EQ(demo.status, 0) << demo.out << demo.err;
  EXPECT_TRUE(std::filesystem::is_empty(folder / "tmp"));
}

// The README's example session, run line by line in a fresh folder: each output line must
// match the README's, where "..." stands for any text.
TEST(Readme, ExampleSessionRunsAsShown) {
  std::ifstream readme(ZT7_README_PATH);
  std::string line;
  while (std::getline(readme, line) && !line.starts_with("A session in a sample folder")) {
  }
  std::vector<std::pair<std::string, std::string>> steps;  // command, output lines
  while (std::getline(readme, line) && (steps.empty() || line.starts_with("    "))) {
    if (line.starts_with("    $ "))
      steps.push_back({line.substr(6), ""});
    else if (!steps.empty())
      steps.back().second += line.substr(4) + "\n";
  }
  ASSERT_GE(steps.size(), 8u);
  zodu::testing::TempFolder folder;
  const std::string tools = std::filesystem::path(ZT7_TOOL_PATH).parent_path().string();
  const std::string out = folder / "session.out";
  for (const auto& [command, expected] : steps) {
    const std::string shell =
        "cd '" + folder.path() + "' && PATH='" + tools + "':$PATH; " + command;
    EXPECT_NE(
        std::system(("timeout 120 sh -c " + zt7test::Quote(shell) + " >'" + out + "'").c_str()),
        -1);
    std::string pattern =
        std::regex_replace(expected, std::regex(R"([\\^$.|?*+()[\]{}])"), R"(\$&)");
    pattern = std::regex_replace(pattern, std::regex(R"(\\\.\\\.\\\.)"), "[^\n]*");
    const std::string got = zt7test::ReadFile(out);
    EXPECT_TRUE(std::regex_match(got, std::regex(pattern))) << command << "\n" << got;
  }
}

}  // namespace
