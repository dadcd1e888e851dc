// Action queues: the order and answers of handlers and dispatchers, and queues by name.
#include "sdl/actions.h"

#include <gtest/gtest.h>

#include <string>

#include "sdl/raises.h"

namespace zodu {
namespace {

using testing_support::Raises;

// Appends its mark and the operation's letter (n, e, x) to a shared trace; answers as told.
class Recorder : public AActionHandler, public AEventsDispatcher {
 public:
  Recorder(std::string& trace, char mark, bool answer)
      : trace_(trace), mark_(mark), answer_(answer) {}
  bool Enter(const IVexObject*, const IVexObject*) override { return Note('n'); }
  bool Exit(const IVexObject*, const IVexObject*) override { return Note('x'); }
  bool Execute(const IVexObject*, const IVexObject*) override { return Note('e'); }
  // As a dispatcher: "d" + id + ":" + event flag.
  bool Dispatch(int id, unsigned event, const IVexObject*, const IVexObject*) override {
    trace_ += "d" + std::to_string(id) + ":" + std::to_string(event);
    return answer_;
  }

 private:
  bool Note(char operation) {
    trace_ += {mark_, operation};
    return answer_;
  }
  std::string& trace_;
  char mark_;
  bool answer_;
};

// Handlers a, b (disabled when asked), c, then a dispatcher for Execute only: an exclusive
// queue stops at the first true answer, any other asks everyone; a disabled one is not asked.
TEST(TActionQueue, RunsHandlersThenDispatchersAndCombinesTheirAnswers) {
  const struct {
    bool exclusive, answers[3], middleDisabled, dispatcherAnswer;
    const char* trace;
    bool result;
  } rows[] = {
      {false, {false, false, false}, false, false, "aebeced2:2", false},
      {false, {false, true, false}, false, false, "aebeced2:2", true},
      {false, {false, false, false}, false, true, "aebeced2:2", true},
      {true, {false, true, false}, false, false, "aebe", true},
      {true, {false, false, false}, false, true, "aebeced2:2", true},
      {true, {false, true, false}, true, false, "aeced2:2", false},
  };
  for (const auto& row : rows) {
    TActionQList list;
    TActionQueue& queue = list.New(u"Q", row.exclusive);
    std::string trace;
    Recorder dispatcher(trace, 'd', row.dispatcherAnswer);
    for (int i = 0; i < 3; ++i) {
      AActionHandler& handler = queue.Add(new Recorder(trace, "abc"[i], row.answers[i]));
      if (i == 1 && row.middleDisabled) handler.SetEnabled(false);
    }
    queue.AddDispatcher(2, &dispatcher, msiExecute);
    EXPECT_EQ(queue.Execute(nullptr, nullptr), row.result) << row.trace;
    EXPECT_EQ(trace, row.trace);
  }
}

TEST(TActionQueue, EachOperationHasItsHandlerOperationAndDispatcherFlag) {
  TActionQList list;
  TActionQueue& queue = list.New(u"Q");
  std::string trace;
  Recorder enterAndExit(trace, 'd', false), all(trace, 'd', false);
  queue.Add(new Recorder(trace, 'a', false));
  queue.AddDispatcher(5, &enterAndExit, msiEnter | msiExit);
  queue.AddDispatcher(6, &all);
  queue.Enter(nullptr, nullptr);
  queue.Execute(nullptr, nullptr);
  queue.Exit(nullptr, nullptr);
  EXPECT_EQ(trace, "and5:1d6:1aed6:2axd5:4d6:4");
  // A disabled queue answers false without asking anyone; a queue is a handler of another.
  queue.SetEnabled(false);
  EXPECT_FALSE(queue.Execute(nullptr, nullptr));
  TActionQueue& outer = list.New(u"outer");
  auto* inner = new TActionQueue(&list, u"inner", false);
  inner->Add(new Recorder(trace, 'i', true));
  outer.Add(inner);
  EXPECT_TRUE(outer.Execute(nullptr, nullptr));
  EXPECT_EQ(trace, "and5:1d6:1aed6:2axd5:4d6:4ie");
}

TEST(TActionQueue, AHandlerMayAttachOthersWhileTheQueueRuns) {
  TActionQList list;
  TActionQueue& queue = list.New(u"Q");
  std::string trace;
  struct Grower : AActionHandler {
    Grower(TActionQueue& q, std::string& t) : queue(q), trace(t) {}
    bool Execute(const IVexObject*, const IVexObject*) override {
      // Enough handlers that the list moves its storage.
      for (int i = 0; i < 20 && !grown; ++i) queue.Add(new Recorder(trace, 'n', false));
      grown = true;
      return false;
    }
    TActionQueue& queue;
    std::string& trace;
    bool grown = false;
  };
  queue.Add(new Grower(queue, trace));
  queue.Execute(nullptr, nullptr);
  trace.clear();
  queue.Execute(nullptr, nullptr);
  EXPECT_EQ(trace.size(), 40u);
}

TEST(TActionQList, NamesAreCaseSensitiveAndUnique) {
  TActionQList list;
  TActionQueue& upper = list.New(u"ONINF");
  TActionQueue& lower = list.New(u"onInf", true);
  EXPECT_EQ(list.Find(u"ONINF"), &upper);
  EXPECT_EQ(list.Find(u"onInf"), &lower);
  EXPECT_EQ(list.Find(u"OnInf"), nullptr);
  EXPECT_TRUE(Raises<TFunctionFailedException>([&] { list.New(u"ONINF"); },
                                               "the queue already exists", "sdl/actions"));
  EXPECT_EQ(list.Count(), 2u);
  EXPECT_TRUE(Raises<TInvalidArgumentException>(
      [] { TActionQueue queue(nullptr, u"orphan", false); }, "Parent", "sdl/actions"));
}

}  // namespace
}  // namespace zodu
