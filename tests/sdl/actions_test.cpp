// Action queues: the order and answers of handlers and dispatchers, and queues by name.
#include "sdl/actions.h"

#include <gtest/gtest.h>

#include <string>

#include "sdl/raises.h"

namespace {

using zodu::AActionHandler;
using zodu::IVexObject;
using zodu::TActionQList;
using zodu::TActionQueue;
using zodu::testing_support::Raises;

// Appends its mark and the operation's letter to a shared trace; answers as told.
class Recorder : public AActionHandler {
 public:
  Recorder(std::string& trace, char mark, bool answer, bool* deleted = nullptr)
      : trace_(trace), mark_(mark), answer_(answer), deleted_(deleted) {}
  ~Recorder() override {
    if (deleted_) *deleted_ = true;
  }
  bool Enter(const IVexObject*, const IVexObject*) override { return Note('n'); }
  bool Exit(const IVexObject*, const IVexObject*) override { return Note('x'); }
  bool Execute(const IVexObject*, const IVexObject*) override { return Note('e'); }

 private:
  bool Note(char operation) {
    trace_ += mark_;
    trace_ += operation;
    return answer_;
  }
  std::string& trace_;
  char mark_;
  bool answer_;
  bool* deleted_;
};

class RecordingDispatcher : public zodu::AEventsDispatcher {
 public:
  RecordingDispatcher(std::string& trace, bool answer) : trace_(trace), answer_(answer) {}
  bool Dispatch(int id, unsigned event, const IVexObject*, const IVexObject*) override {
    trace_ += "d" + std::to_string(id) + ":" + std::to_string(event);
    return answer_;
  }

 private:
  std::string& trace_;
  bool answer_;
};

// Three handlers answering as given (a disabled one in the middle when asked), then a
// dispatcher for Execute only answering as given.
struct RunCase {
  bool exclusive;
  bool answers[3];
  bool middleDisabled;
  bool dispatcherAnswer;
  const char* trace;
  bool result;
};

TEST(TActionQueue, RunsHandlersThenDispatchersAndCombinesTheirAnswers) {
  const RunCase cases[] = {
      {false, {false, false, false}, false, false, "aebeced2:2", false},
      {false, {false, true, false}, false, false, "aebeced2:2", true},
      {false, {false, false, false}, false, true, "aebeced2:2", true},
      {true, {false, true, false}, false, false, "aebe", true},
      {true, {true, true, true}, false, true, "ae", true},
      {true, {false, false, false}, false, true, "aebeced2:2", true},
      // A disabled handler is not asked, so its true answer does not count.
      {true, {false, true, false}, true, false, "aeced2:2", false},
  };
  for (const RunCase& c : cases) {
    TActionQList list;
    TActionQueue& queue = list.New(u"Q", c.exclusive);
    std::string trace;
    RecordingDispatcher dispatcher(trace, c.dispatcherAnswer);
    const char marks[] = "abc";
    for (int i = 0; i < 3; ++i) {
      AActionHandler& handler = queue.Add(new Recorder(trace, marks[i], c.answers[i]));
      if (i == 1 && c.middleDisabled) handler.SetEnabled(false);
    }
    queue.AddDispatcher(2, &dispatcher, zodu::msiExecute);
    EXPECT_EQ(queue.Execute(nullptr, nullptr), c.result) << c.trace;
    EXPECT_EQ(trace, c.trace);
  }
}

TEST(TActionQueue, EachOperationCallsItsOwnHandlerOperationAndDispatcherFlag) {
  TActionQList list;
  TActionQueue& queue = list.New(u"Q");
  std::string trace;
  RecordingDispatcher enterAndExit(trace, false), all(trace, false);
  queue.Add(new Recorder(trace, 'a', false));
  queue.AddDispatcher(5, &enterAndExit, zodu::msiEnter | zodu::msiExit);
  queue.AddDispatcher(6, &all);
  queue.Enter(nullptr, nullptr);
  EXPECT_EQ(trace, "and5:1d6:1");
  trace.clear();
  queue.Execute(nullptr, nullptr);
  EXPECT_EQ(trace, "aed6:2");
  trace.clear();
  queue.Exit(nullptr, nullptr);
  EXPECT_EQ(trace, "axd5:4d6:4");
}

TEST(TActionQueue, ADisabledQueueAnswersFalseWithoutAskingAnyone) {
  TActionQList list;
  TActionQueue& queue = list.New(u"Q");
  std::string trace;
  queue.Add(new Recorder(trace, 'a', true));
  queue.SetEnabled(false);
  EXPECT_FALSE(queue.Execute(nullptr, nullptr));
  EXPECT_FALSE(queue.Enter(nullptr, nullptr));
  EXPECT_EQ(trace, "");
}

TEST(TActionQueue, AQueueIsAHandlerOfAnotherQueue) {
  TActionQList list;
  TActionQueue& outer = list.New(u"outer");
  TActionQList innerList;
  std::string trace;
  auto* inner = new TActionQueue(&innerList, u"inner", false);
  inner->Add(new Recorder(trace, 'i', true));
  outer.Add(inner);
  EXPECT_TRUE(outer.Execute(nullptr, nullptr));
  EXPECT_EQ(trace, "ie");
}

TEST(TActionQueue, HandlersEndWithTheirQueue) {
  bool deleted = false;
  std::string trace;
  {
    TActionQList list;
    list.New(u"Q").Add(new Recorder(trace, 'a', false, &deleted));
    EXPECT_FALSE(deleted);
  }
  EXPECT_TRUE(deleted);
}

TEST(TActionQueue, AHandlerMayAttachAnotherWhileTheQueueRuns) {
  TActionQList list;
  TActionQueue& queue = list.New(u"Q");
  std::string trace;
  struct Grower : AActionHandler {
    Grower(TActionQueue& q, std::string& t) : queue(q), trace(t) {}
    bool Execute(const IVexObject*, const IVexObject*) override {
      // Enough handlers that the list must move its storage.
      for (int i = 0; i < 20; ++i) queue.Add(new Recorder(trace, 'n', false));
      return false;
    }
    TActionQueue& queue;
    std::string& trace;
  };
  queue.Add(new Grower(queue, trace));
  queue.Execute(nullptr, nullptr);
  EXPECT_EQ(queue.HandlerCount(), 21u);
}

TEST(TActionQueue, AQueueNeedsItsList) {
  EXPECT_TRUE(Raises<zodu::TInvalidArgumentException>(
      [] { TActionQueue queue(nullptr, u"orphan", false); }, "Parent",
      "[sdl/actions(zodu::TActionQueue::TActionQueue):"));
}

TEST(TActionQList, NamesAreCaseSensitiveAndUnique) {
  TActionQList list;
  TActionQueue& upper = list.New(u"ONINF");
  TActionQueue& lower = list.New(u"onInf", true);
  list.New(u"A");
  list.New(u"Z");
  EXPECT_NE(&upper, &lower);
  EXPECT_EQ(list.Find(u"ONINF"), &upper);
  EXPECT_EQ(list.Find(u"onInf"), &lower);
  EXPECT_TRUE(lower.IsExclusive());
  EXPECT_EQ(list.Find(u"OnInf"), nullptr);
  EXPECT_EQ(list.Find(u""), nullptr);
  EXPECT_EQ(&list.Find(u"A")->GetParent(), &list);
  EXPECT_EQ(list.Count(), 4u);
  EXPECT_TRUE(Raises<zodu::TFunctionFailedException>([&] { list.New(u"ONINF"); },
                                                     "the queue already exists",
                                                     "[sdl/actions(zodu::TActionQList::New):"));
  EXPECT_EQ(list.Count(), 4u);
  EXPECT_EQ(list.Find(u"ONINF"), &upper);
}

}  // namespace
