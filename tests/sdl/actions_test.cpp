// Action queues: the order and answers of handlers and dispatchers.
#include "sdl/actions.h"

#include <gtest/gtest.h>

#include <string>

namespace zodu {
namespace {

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

}  // namespace
}  // namespace zodu
