// The log: entry headers byte for byte, dispatch by kind, handlers and the lock.
#include "sdl/log.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <tuple>

#include "support/log_capture.h"
#include "support/raises.h"

namespace zodu {
namespace {

using testing::CaptureStream;
using testing_support::Ascii;

// Notes "NAME.e(text)" for Execute and, for Exit, whether the entry had reached the stream.
struct QueueSpy : AActionHandler {
  QueueSpy(const char* name, bool answer, std::string& trace, const CaptureStream& stream)
      : name(name), answer(answer), trace(trace), stream(stream) {}
  bool Execute(const IVexObject*, const IVexObject* data) override {
    trace += name + ".e(" + Ascii(static_cast<const TLogText*>(data)->GetText()) + ") ";
    return answer;
  }
  bool Exit(const IVexObject*, const IVexObject*) override {
    trace += name + ".x" + (stream.bytes.empty() ? "- " : "+ ");
    return false;
  }
  std::string name;
  bool answer;
  std::string& trace;
  const CaptureStream& stream;
};

// Each kind goes to its queue (ONPOST first, whose answer does not count); a handled entry
// reaches no stream, an unhandled one does; kind 2 only when verbose.
TEST(TLog, DispatchesEachKindToItsQueue) {
  // Kind, verbose, the handlers' answer, the queue asked after ONPOST, what the stream gets.
  const std::tuple<int, bool, bool, const char*, const char*> rows[] = {
      {1, false, true, "", "m\r\n"}, {2, false, false, nullptr, ""},
      {2, true, true, "INF", ""},    {8, false, false, "INF", "m\r\n"},
      {4, false, true, "WRN", ""},   {5, false, false, "ERR", "m\r\n"},
      {6, false, true, "EXC", ""},   {7, false, false, "EXC", "m\r\n"},
  };
  for (const auto& [kind, verbose, answer, queue, written] : rows) {
    TLog log;
    CaptureStream stream;
    std::string trace;
    log.AddStream(&stream, false);
    log.SetVerbose(verbose);
    TActionQueue* queues[] = {&log.OnPost(), &log.OnInfo(), &log.OnWarning(), &log.OnError(),
                              &log.OnException()};
    const char* names[] = {"POST", "INF", "WRN", "ERR", "EXC"};
    for (int i = 0; i < 5; ++i) queues[i]->Add(new QueueSpy(names[i], answer, trace, stream));
    log.NewEntry(kind) << "m";
    std::string expected;
    if (queue) expected = "POST.e(m\r\n) ";
    if (queue && *queue)
      expected += std::string(queue) + ".e(m\r\n) " + queue + ".x" + (*written ? "+ " : "- ");
    EXPECT_EQ(trace, expected) << "kind " << kind;
    EXPECT_EQ(stream.bytes, written) << "kind " << kind;
  }
}

// The local time as ctime writes it, but with the day in two digits.
std::string TimeText(std::time_t t) {
  char text[64];
  std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y", std::localtime(&t));
  return text;
}

TEST(TLog, TheFourHeaderForms) {
  // Annotated, location, then the text before and after the time, when the header has one.
  const std::tuple<bool, const char16_t*, std::string, std::string> rows[] = {
      {true, u"sdl/x(f):12", "New log entry at [sdl/x(f):12]: ", "\r\nbody\r\n"},
      {true, u"", "New log entry at: ", "\r\nbody\r\n"},
      {false, u"sdl/x(f):12", "At [sdl/x(f):12]: \r\nbody\r\n", ""},
      {false, u"", "body\r\n", ""},
  };
  for (const auto& [annotate, location, before, after] : rows) {
    TLog log;
    CaptureStream stream;
    log.AddStream(&stream, false);
    std::time_t start = std::time(nullptr);
    log.NewEntry(1, annotate, location) << "body";
    bool matched = !annotate && stream.bytes == before;
    for (std::time_t t = start; annotate && t <= std::time(nullptr); ++t)
      matched |= stream.bytes == before + TimeText(t) + after;
    EXPECT_TRUE(matched) << stream.bytes;
  }
}

// Pieces join in order into one write; wide characters above 255 become '?'.
TEST(TLog, AnEntryIsItsPiecesAndTheLineEndEvenFromAHandler) {
  TLog log;
  CaptureStream stream;
  log.AddStream(&stream, false);
  log.NewEntry(1) << "Too few frames";
  EXPECT_EQ(stream.writes, 1);
  const char16_t wide[] = {u'A', 0xE9, 0x100, 0xDC80, 0};
  log.NewEntry(1) << "n=" << 42 << u", " << 7u << -3 << wide << vexcstr("\xE9\xFF");
  EXPECT_EQ(stream.bytes, "Too few frames\r\nn=42, 7-3A\xE9??\xE9\xFF\r\n");
  stream.bytes.clear();
  // A handler may write an entry of its own from inside the lock.
  struct Echo : AActionHandler {
    explicit Echo(TLog& l) : log(l) {}
    bool Execute(const IVexObject*, const IVexObject*) override {
      log.NewEntry(1) << "echo";
      return false;
    }
    TLog& log;
  };
  log.OnError().Add(new Echo(log));
  log.NewEntry(5) << "failure";
  EXPECT_EQ(stream.bytes, "echo\r\nfailure\r\n");
}

}  // namespace
}  // namespace zodu
