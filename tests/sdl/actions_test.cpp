// Action queues: the order and answers of handlers and dispatchers, and queues by name.
#include "sdl/actions.h"

#include <gtest/gtest.h>

#include <string>

#include "sdl/raises.h"

namespace zodu {
namespace {

using testing_support::Raises;

// Appends its mark and "e" to a shared trace, or as a dispatcher "d" + id + ":" + event flag;
// answers as told.
class Recorder : public AActionHandler, public AEventsDispatcher {
 public:
  Recorder(std::string& trace, char mark, bool answer)
      : trace_(trace), mark_(mark), answer_(answer) {}
  bool Execute(const IVexObject*, const IVexObject*) override {
    trace_ += {mark_, 'e'};
    return answer_;
  }
  bool Dispatch(int id, unsigned event, const IVexObject*, const IVexObject*) override {
    trace_ += "d" + std::to_string(id) + ":" + std::to_string(event);
    return answer_;
  }

 private:
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

// A handler may attach others while the queue runs (enough that the list moves its
// storage); names are case-sensitive and unique.
TEST(TActionQList, HandlersAddedWhileRunningAndQueuesByName) {
  TActionQList list;
  std::string trace;
  struct Grower : AActionHandler {
    Grower(TActionQueue& q, std::string& t) : queue(q), trace(t) {}
    bool Execute(const IVexObject*, const IVexObject*) override {
      for (int i = 0; i < 20 && !grown; ++i) queue.Add(new Recorder(trace, 'n', false));
      grown = true;
      return false;
    }
    TActionQueue& queue;
    std::string& trace;
    bool grown = false;
  };
  TActionQueue& growing = list.New(u"G");
  growing.Add(new Grower(growing, trace));
  growing.Execute(nullptr, nullptr);
  trace.clear();
  growing.Execute(nullptr, nullptr);
  EXPECT_EQ(trace.size(), 40u);
  TActionQueue& upper = list.New(u"ONINF");
  TActionQueue& lower = list.New(u"onInf", true);
  EXPECT_EQ(list.Find(u"ONINF"), &upper);
  EXPECT_EQ(list.Find(u"onInf"), &lower);
  EXPECT_EQ(list.Find(u"OnInf"), nullptr);
  EXPECT_TRUE(
      Raises<TFunctionFailedException>([&] { list.New(u"ONINF"); }, "the queue already exists"));
  EXPECT_EQ(list.Count(), 3u);
}

}  // namespace
}  // namespace zodu
