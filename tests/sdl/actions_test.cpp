// Action queues: the order and answers of handlers and dispatchers.
#include "sdl/actions.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
  // Exclusive, b's answer, b disabled, the dispatcher's answer, trace, result; a and c say false.
  const std::tuple<bool, bool, bool, bool, const char*, bool> rows[] = {
      {false, false, false, false, "aebeced2:2", false},
      {false, true, false, false, "aebeced2:2", true},
      {false, false, false, true, "aebeced2:2", true},
      {true, true, false, false, "aebe", true},
      {true, false, false, true, "aebeced2:2", true},
      {true, true, true, false, "aeced2:2", false},
  };
  for (const auto& [exclusive, middleAnswer, middleDisabled, dispatcherAnswer, expected, result] :
       rows) {
    TActionQList list;
    TActionQueue& queue = list.New(u"Q", exclusive);
    std::string trace;
    Recorder dispatcher(trace, 'd', dispatcherAnswer);
    for (int i = 0; i < 3; ++i) {
      AActionHandler& handler = queue.Add(new Recorder(trace, "abc"[i], i == 1 && middleAnswer));
      if (i == 1 && middleDisabled) handler.SetEnabled(false);
    }
    queue.AddDispatcher(2, &dispatcher, msiExecute);
    EXPECT_EQ(queue.Execute(nullptr, nullptr), result) << expected;
    EXPECT_EQ(trace, expected);
  }
}

}  // namespace
}  // namespace zodu
