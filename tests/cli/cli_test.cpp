// The zt7util tool run as a user runs it: output, error lines and exit statuses.
#include <gtest/gtest.h>
#include <stdlib.h>  // for mkdtemp
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cli/run_tool.h"
#include "cli_support.h"

namespace {

namespace fs = std::filesystem;
using zt7test::Outcome;
using zt7test::ReadFile;
using zt7test::RunTool;

size_t CountLines(const std::string& text) {
  return std::count(text.begin(), text.end(), '\n');
}

TEST(Tool, HelpListsEverySubcommand) {
  Outcome r = RunTool("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("version"), std::string::npos);
  EXPECT_NE(r.out.find("info TEXT"), std::string::npos);
  EXPECT_EQ(r.err, "");
}

TEST(Tool, SubcommandHelpPrintsItsUsage) {
  for (const char* arguments : {"info --help", "info -h", "help info", "info x --help"}) {
    Outcome r = RunTool(arguments);
    EXPECT_EQ(r.status, 0) << arguments;
    EXPECT_EQ(r.out.rfind("Usage: zt7util info TEXT\n  the module's check number", 0), 0u)
        << arguments << ": " << r.out;
    EXPECT_EQ(r.err, "") << arguments;
  }
  EXPECT_EQ(RunTool("help").out, RunTool("--help").out);
}

TEST(Tool, VersionGivesModuleAndKeyVersion) {
  Outcome r = RunTool("version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "module version: 11\nkey version: 3\n");
  Outcome all = RunTool("--version");
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out, "zt7util tool version: 11.0.0\nmodule version: 11\nkey version: 3\n");
}

TEST(Tool, InfoPrintsTheCheckNumber) {
  struct Case {
    const char* argument;  // as the shell gets it
    const char* out;
  } cases[] = {
      {"az", "12\n"},    {"''", "0\n"},
      {"abc", "-49\n"},  {"\"$(printf '\\377')\"", "0\n"},  // the single byte 0xFF counts as -1
      {"-- -x", "37\n"},                                    // after --, a leading '-' is text
  };
  for (const Case& c : cases) {
    Outcome r = RunTool(std::string("info ") + c.argument);
    EXPECT_EQ(r.status, 0) << c.argument;
    EXPECT_EQ(r.out, c.out) << c.argument;
    EXPECT_EQ(r.err, "") << c.argument;
  }
}

// A usage error is exit status 2 and one line on standard error naming what is wrong.
TEST(Tool, UsageErrorsNameTheArgumentAtFault) {
  struct Case {
    const char* arguments;
    const char* named;
  } cases[] = {
      {"frobnicate", "'frobnicate'"},
      {"", "missing subcommand"},
      {"info", "TEXT"},
      {"info a surplus", "'surplus'"},
      {"version extra", "'extra'"},
      {"info -x", "'-x'"},
      {"--foo info a", "'--foo'"},
      {"check-hkl a.hkl --foo", "'--foo'"},
      {"help nothing", "'nothing'"},
      {"digest-hkl --key-version 4 f m h a b", "--key-version"},
      {"digest-hkl --key-version 0 f m h a b", "--key-version"},
      {"digest-hkl --key-version x f m h a b", "--key-version"},
      {"digest-hkl f m h a", "FIRST SECOND"},
      {"digest-hkl f m h a,b,c,d", "'b,c,d'"},
      {"check-hkl h a,b c", "'a,b'"},
      {"check-frames f m a b c", "'c'"},
  };
  for (const Case& c : cases) {
    Outcome r = RunTool(c.arguments);
    EXPECT_EQ(r.status, 2) << c.arguments;
    EXPECT_EQ(r.out, "") << c.arguments;
    EXPECT_EQ(CountLines(r.err), 1u) << c.arguments << ": " << r.err;
    EXPECT_NE(r.err.find(c.named), std::string::npos) << c.arguments << ": " << r.err;
  }
}

// UTF-8 becomes UTF-16; bytes that are not UTF-8 become U+DC80..U+DCFF one by one.
TEST(ToolText, WideTextOfUtf8Arguments) {
  struct Case {
    std::string utf8;
    std::u16string wide;
  } cases[] = {
      {"", u""},
      {"frames/a_001.img", u"frames/a_001.img"},
      {"\xC3\xA9", u"\u00E9"},              // two bytes
      {"\xE2\x82\xAC", u"\u20AC"},          // three bytes
      {"\xF0\x9F\x94\xAC", u"\U0001F52C"},  // four bytes: a surrogate pair
      {"a\xFF"
       "b",
       u"a\xDCFF"
       "b"},                                              // never valid
      {"\xC3", u"\xDCC3"},                                // cut short at the end
      {"\xC3(", u"\xDCC3("},                              // no continuation
      {"\xC0\xAF", u"\xDCC0\xDCAF"},                      // overlong
      {"\xE0\x80\xAF", u"\xDCE0\xDC80\xDCAF"},            // overlong
      {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},            // a surrogate encoded
      {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // above U+10FFFF
  };
  for (const Case& c : cases) EXPECT_EQ(zt7cli::WideText(c.utf8), c.wide) << c.utf8;
}

}  // namespace
