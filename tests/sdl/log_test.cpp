// The log: entry headers byte for byte, dispatch by kind, handlers, streams and the lock.
#include "sdl/log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "sdl/log_capture.h"
#include "sdl/raises.h"

namespace {

using zodu::AActionHandler;
using zodu::IVexObject;
using zodu::TLog;
using zodu::TLogText;
using zodu::testing::CaptureStream;
using zodu::testing_support::Ascii;
using zodu::testing_support::Raises;

// Notes "NAME.op" for each call, and for Exit whether the entry had reached the stream.
class QueueSpy : public AActionHandler {
 public:
  QueueSpy(const char* name, bool answer, std::string& trace, const CaptureStream& stream)
      : name_(name), answer_(answer), trace_(trace), stream_(stream) {}
  bool Execute(const IVexObject*, const IVexObject* data) override {
    trace_ +=
        std::string(name_) + ".e(" + Ascii(static_cast<const TLogText*>(data)->GetText()) + ") ";
    return answer_;
  }
  bool Exit(const IVexObject*, const IVexObject*) override {
    trace_ += std::string(name_) + ".x" + (stream_.bytes.empty() ? "-" : "+") + " ";
    return false;
  }

 private:
  const char* name_;
  bool answer_;
  std::string& trace_;
  const CaptureStream& stream_;
};

struct KindCase {
  int kind;
  bool verbose;
  bool answer;
  const char* trace;
  const char* written;
};

TEST(TLog, DispatchesEachKindToItsQueue) {
  const KindCase cases[] = {
      {1, false, true, "POST.e(m\r\n) ", "m\r\n"},
      {1, false, false, "POST.e(m\r\n) ", "m\r\n"},
      {2, false, false, "", ""},
      {2, true, false, "POST.e(m\r\n) INF.e(m\r\n) INF.x+ ", "m\r\n"},
      {2, true, true, "POST.e(m\r\n) INF.e(m\r\n) INF.x- ", ""},
      {0, false, false, "POST.e(m\r\n) INF.e(m\r\n) INF.x+ ", "m\r\n"},
      {3, false, true, "POST.e(m\r\n) INF.e(m\r\n) INF.x- ", ""},
      {8, false, false, "POST.e(m\r\n) INF.e(m\r\n) INF.x+ ", "m\r\n"},
      {-1, false, false, "POST.e(m\r\n) INF.e(m\r\n) INF.x+ ", "m\r\n"},
      {4, false, true, "POST.e(m\r\n) WRN.e(m\r\n) WRN.x- ", ""},
      {4, false, false, "POST.e(m\r\n) WRN.e(m\r\n) WRN.x+ ", "m\r\n"},
      {5, false, true, "POST.e(m\r\n) ERR.e(m\r\n) ERR.x- ", ""},
      {5, false, false, "POST.e(m\r\n) ERR.e(m\r\n) ERR.x+ ", "m\r\n"},
      {6, false, true, "POST.e(m\r\n) EXC.e(m\r\n) EXC.x- ", ""},
      {7, false, false, "POST.e(m\r\n) EXC.e(m\r\n) EXC.x+ ", "m\r\n"},
      // A kind-2 entry with verbose set is an information entry like kind 0.
      {2, true, true, "POST.e(m\r\n) INF.e(m\r\n) INF.x- ", ""},
  };
  for (const KindCase& c : cases) {
    TLog log;
    CaptureStream stream, second;
    std::string trace;
    log.AddStream(&stream, false);
    log.AddStream(&second, false);
    log.SetVerbose(c.verbose);
    // ONPOST answers too, which must not keep an entry from the streams.
    log.OnPost().Add(new QueueSpy("POST", c.answer, trace, stream));
    log.OnInfo().Add(new QueueSpy("INF", c.answer, trace, stream));
    log.OnWarning().Add(new QueueSpy("WRN", c.answer, trace, stream));
    log.OnError().Add(new QueueSpy("ERR", c.answer, trace, stream));
    log.OnException().Add(new QueueSpy("EXC", c.answer, trace, stream));
    log.NewEntry(c.kind) << "m";
    EXPECT_EQ(trace, c.trace) << "kind " << c.kind;
    // A handled entry reaches no stream, an unhandled one every stream.
    EXPECT_EQ(stream.bytes, c.written) << "kind " << c.kind;
    EXPECT_EQ(second.bytes, c.written) << "kind " << c.kind;
    log.RemoveStream(&stream);
    log.RemoveStream(&second);
  }
}

TEST(TLog, MakesItsFiveQueuesInItsOwnList) {
  TLog log;
  EXPECT_EQ(log.GetActions().Count(), 5u);
  const char16_t* names[] = {u"ONINF", u"ONWRN", u"ONERR", u"ONEXC", u"ONPOST"};
  zodu::TActionQueue* queues[] = {&log.OnInfo(), &log.OnWarning(), &log.OnError(),
                                  &log.OnException(), &log.OnPost()};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(log.GetActions().Find(names[i]), queues[i]);
}

TEST(TLog, APlainEntryIsItsTextAndTheLineEnd) {
  TLog log;
  CaptureStream stream;
  log.AddStream(&stream, false);
  log.NewEntry(1, false, zodu::vexstr()) << "Too few frames";
  EXPECT_EQ(stream.bytes, "Too few frames\r\n");
  EXPECT_EQ(stream.writes, 1);
}

TEST(TLog, PiecesJoinInOrder) {
  TLog log;
  CaptureStream stream;
  log.AddStream(&stream, false);
  log.NewEntry(1) << "n=" << 42 << u", " << zodu::vexcstr("u=") << 7u << zodu::vexstr(u"") << -3;
  EXPECT_EQ(stream.bytes, "n=42, u=7-3\r\n");
}

// The local time as ctime writes it, but with the day in two digits, built field by field.
std::string TimeText(std::time_t t) {
  static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm f;
  localtime_r(&t, &f);
  char text[64];
  std::snprintf(text, sizeof(text), "%s %s %02d %02d:%02d:%02d %d", days[f.tm_wday],
                months[f.tm_mon], f.tm_mday, f.tm_hour, f.tm_min, f.tm_sec, f.tm_year + 1900);
  return text;
}

TEST(TLog, TheFourHeaderForms) {
  struct Case {
    bool annotate;
    const char16_t* location;
    std::string before, after;  // around the time, when the header has one
  } cases[] = {
      {true, u"sdl/x(f):12", "New log entry at [sdl/x(f):12]: ", "\r\nbody\r\n"},
      {true, u"", "New log entry at: ", "\r\nbody\r\n"},
      {false, u"sdl/x(f):12", "At [sdl/x(f):12]: \r\nbody\r\n", ""},
      {false, u"", "body\r\n", ""},
  };
  for (const Case& c : cases) {
    TLog log;
    CaptureStream stream;
    log.AddStream(&stream, false);
    std::time_t start = std::time(nullptr);
    log.NewEntry(1, c.annotate, c.location) << "body";
    std::time_t end = std::time(nullptr);
    if (!c.annotate) {
      EXPECT_EQ(stream.bytes, c.before);
      continue;
    }
    bool matched = false;
    for (std::time_t t = start; t <= end; ++t)
      matched |= stream.bytes == c.before + TimeText(t) + c.after;
    EXPECT_TRUE(matched) << stream.bytes;
    EXPECT_EQ(TimeText(start).size(), 24u);
  }
}

TEST(TLog, WithoutStreamsTheQueuesStillRun) {
  TLog log;
  CaptureStream unused;
  std::string trace;
  log.OnPost().Add(new QueueSpy("POST", false, trace, unused));
  log.OnError().Add(new QueueSpy("ERR", false, trace, unused));
  log.NewEntry(5) << "e";
  EXPECT_EQ(trace, "POST.e(e\r\n) ERR.e(e\r\n) ERR.x- ");
}

TEST(TLog, AutoFlushFlushesEveryStreamAfterEachEntry) {
  TLog log;
  CaptureStream a, b;
  log.AddStream(&a, false);
  log.AddStream(&b, false);
  log.NewEntry(1) << "1";
  EXPECT_EQ(a.flushes + b.flushes, 0);
  log.SetAutoFlush(true);
  log.NewEntry(1) << "2";
  log.NewEntry(2) << "dropped";
  EXPECT_EQ(a.flushes, 1);
  EXPECT_EQ(b.flushes, 1);
}

TEST(TLog, CharactersBecomeBytes) {
  TLog log;
  CaptureStream stream;
  log.AddStream(&stream, false);
  // Wide: up to 255 as the byte, above as '?'. Narrow pieces keep their bytes.
  const char16_t wide[] = {u'A', 0xE9, 0x100, 0x4E2D, 0xDC80, 0};
  log.NewEntry(1) << wide << zodu::vexcstr("\xE9\xFF");
  EXPECT_EQ(stream.bytes, std::string("A\xE9???\xE9\xFF\r\n"));
}

TEST(TLog, OwnedStreamsEndWithTheLog) {
  bool ownedGone = false, borrowedGone = false, removedGone = false;
  CaptureStream borrowed(&borrowedGone);
  {
    TLog log;
    log.AddStream(new CaptureStream(&ownedGone), true);
    log.AddStream(&borrowed, false);
    auto* removed = new CaptureStream(&removedGone);
    log.AddStream(removed, true);
    EXPECT_EQ(log.StreamCount(), 3u);
    EXPECT_TRUE(log.RemoveStream(removed));
    EXPECT_TRUE(removedGone);
    EXPECT_FALSE(log.RemoveStream(removed));
    EXPECT_FALSE(ownedGone);
  }
  EXPECT_TRUE(ownedGone);
  EXPECT_FALSE(borrowedGone);
}

TEST(TLog, IsNoByteStream) {
  TLog log;
  CaptureStream stream;
  log.AddStream(&stream, false);
  EXPECT_TRUE(Raises<zodu::TNotImplementedException>([&] { log.Write("x", 1); }, "",
                                                     "[sdl/log(zodu::TLog::Write):"));
  // The text writers go through the raw write too.
  EXPECT_THROW(log.Write(zodu::vexcstr("x")), zodu::TNotImplementedException);
  EXPECT_EQ(stream.bytes, "");
  log.Flush();
  EXPECT_EQ(stream.flushes, 1);
}

// A handler that writes an entry of its own, from inside the log's lock.
TEST(TLog, AHandlerMayWriteAnEntry) {
  TLog log;
  CaptureStream stream;
  log.AddStream(&stream, false);
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

TEST(TLog, EntriesFromSeveralThreadsAreWrittenOneAtATime) {
  TLog log;
  CaptureStream stream;
  log.AddStream(&stream, false);
  // Notes any moment at which two entries are inside the log together.
  struct Overlap : AActionHandler {
    bool Execute(const IVexObject*, const IVexObject*) override {
      if (inside.fetch_add(1) != 0) ++overlaps;
      std::this_thread::yield();
      inside.fetch_sub(1);
      return false;
    }
    std::atomic<int> inside{0}, overlaps{0};
  };
  auto* overlap = new Overlap;
  log.OnPost().Add(overlap);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&log, t] {
      for (int i = 0; i < 250; ++i) log.NewEntry(1) << "thread " << t << " entry " << i;
    });
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(overlap->overlaps.load(), 0);
  EXPECT_EQ(stream.writes, 1000);
}

}  // namespace
