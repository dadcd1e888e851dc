// The match-hkl and check-cell subcommands: printed results and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>  // for strtod
#include <string>

#include "repository/hkl_text.h"
#include "sdl/temp_folder.h"

using zodu::testing::TempFolder;

namespace {

struct Result {
  int status;
  std::string out;
};

// Standard output and exit status of the tool; standard error is dropped.
Result Tool(const std::string& arguments) {
  const std::string command = std::string("'") + ZT7_TOOL_PATH + "' " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  Result result{-1, ""};
  if (!pipe) return result;
  char buffer[256];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.out.append(buffer, n);
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

TEST(MatchHklCommand, PrintsTheDistanceExactly) {
  TempFolder folder;
  std::vector<std::string> lines = hkl_test::SteppedReflections(40);
  const std::string a = folder.MakeFile("a.hkl", hkl_test::JoinLines(lines));
  lines[2] = hkl_test::HklLine(3, 1, 1, 77.7, 1.0);
  const std::string b = folder.MakeFile("b.hkl", hkl_test::JoinLines(lines));
  EXPECT_EQ(Tool("match-hkl '" + a + "' '" + a + "'").out, "0\n");
  const Result differ = Tool("match-hkl '" + a + "' '" + b + "'");
  EXPECT_EQ(differ.status, 0);
  const double distance = std::strtod(differ.out.c_str(), nullptr);
  EXPECT_GT(distance, 0.0);
  EXPECT_LT(distance, 1.0);
  // Printed with enough digits to come back as the same double.
  char again[32];
  std::snprintf(again, sizeof again, "%.17g\n", distance);
  EXPECT_EQ(differ.out, again);
  EXPECT_EQ(Tool("match-hkl '" + a + "' '" + folder / "missing.hkl" + "'").status, 1);
  EXPECT_EQ(Tool("match-hkl '" + a + "'").status, 2);
}

TEST(CheckCellCommand, YesOrNo) {
  EXPECT_EQ(Tool("check-cell 5.95 9.03 18.38 90 90 90").out, "yes\n");
  EXPECT_EQ(Tool("check-cell 5.95 9.03 18.38 90 90 90").status, 0);
  const Result no = Tool("check-cell 6.15 9.03 18.38 90 90 90");
  EXPECT_EQ(no.out, "no\n");
  EXPECT_EQ(no.status, 1);
  EXPECT_EQ(Tool("check-cell 7.77 8.72 10.86 90 104 90").out, "yes\n");
  const Result notANumber = Tool("check-cell nan nan nan nan nan nan");  // not finite: never
  EXPECT_EQ(notANumber.out, "no\n");
  EXPECT_EQ(notANumber.status, 1);
  EXPECT_EQ(Tool("check-cell 5.95 9.03 18.38 90 inf 90").out, "no\n");
  EXPECT_EQ(Tool("check-cell 7.77 8.72 10.86 90 104 ninety").status, 2);
  EXPECT_EQ(Tool("check-cell 7.77 8.72 10.86 90 104").status, 2);
}

}  // namespace
