// The runtime object and its host: the application context it sets up, AttachHost's
// evaluations and the holder discipline, and Detach.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "sdl/bapp.h"
#include "support/loaded_module.h"
#include "zt3util/runnable.h"
#include "zt7util.h"

namespace {

namespace fs = std::filesystem;
using zodu::TBasicApp;

// What the test host handed out and what came back through its release routine.
struct Ledger {
  int allocations = 0;
  int releases = 0;
  std::vector<std::u16string> expressions;
  // Host memory not yet released when each evaluation began.
  std::vector<int> outstandingAtCall;
};
Ledger ledger;

void HostRelease(void* memory) {
  ++ledger.releases;
  std::free(memory);
}

void* HostAllocate(size_t size) {
  ++ledger.allocations;
  return std::malloc(size);
}

// A host that answers from a table; each answer is a holder it allocates itself. With
// `keepReference` it holds a second reference to every holder, dropped by DropAll.
class TestHost : public zt7::IHostObject {
 public:
  void EvaluateFunction(zt7::vex_dll_ptr<char16_t>& result, const char16_t* expression) override {
    ledger.outstandingAtCall.push_back(ledger.allocations - ledger.releases);
    ledger.expressions.push_back(expression);
    if (throwOn == expression) throw std::runtime_error("host failure");
    auto answer = values.find(expression);
    if (answer == values.end()) return;
    const std::u16string& text = answer->second;
    using Record = zt7::vex_dll_record<char16_t>;
    auto* record = static_cast<Record*>(HostAllocate(sizeof(Record)));
    record->chars = static_cast<char16_t*>(HostAllocate((text.size() + 1) * sizeof(char16_t)));
    std::memcpy(record->chars, text.c_str(), (text.size() + 1) * sizeof(char16_t));
    record->refs = keepReference ? 2 : 1;
    record->release = HostRelease;
    if (keepReference) kept.push_back(record);
    result.reset(record);
  }
  void DropAll() {
    for (auto* record : kept)
      if (--record->refs == 0) {
        record->release(record->chars);
        record->release(record);
      }
    kept.clear();
  }

  std::map<std::u16string, std::u16string> values = {
      {u"BaseDir()", u"/data/host/"},
      {u"DataDir()", u"/data/host/frames"},
      {u"app.ModuleHash()", u"9f3c\u00E9"},
  };
  std::u16string throwOn;
  bool keepReference = false;
  std::vector<zt7::vex_dll_record<char16_t>*> kept;
};

const std::vector<std::u16string> kEvaluationOrder = {u"BaseDir()", u"DataDir()",
                                                      u"app.ModuleHash()"};

// Calls on the runtime object as a host makes them, through the header's view. The
// module's own classes only share that view's slots, so UBSan's vptr check cannot apply.
#define HOST_CALL __attribute__((no_sanitize("vptr")))

class AttachHost : public ::testing::Test {
 protected:
  void SetUp() override { ledger = Ledger(); }
  zt7::IRODedi* Runnable() { return EXPORT(module, GetZTRunnable)(); }
  HOST_CALL bool Attach(zt7::IHostObject* host) { return Runnable()->AttachHost(host); }
  HOST_CALL bool Detach() { return Runnable()->Detach(); }
  HOST_CALL zt7::IHostObject* Host() { return Runnable()->GetHost(); }
  HOST_CALL std::u16string BaseDir() { return Runnable()->GetBaseDir(); }
  HOST_CALL std::string ModuleHash() { return Runnable()->GetModuleHash(); }

  zt7test::FreshModule module;
};

#undef HOST_CALL

TEST_F(AttachHost, CopiesTheThreeValuesInOrderAndReleasesEachHolderAtOnce) {
  ASSERT_NE(Runnable(), nullptr);
  // Before: the context's base folder, which is the module file's folder.
  EXPECT_EQ(BaseDir(), fs::path(module.folder().string() + "/").u16string());
  EXPECT_EQ(ModuleHash(), "");
  EXPECT_EQ(Host(), nullptr);

  TestHost host;
  EXPECT_TRUE(Attach(&host));
  EXPECT_EQ(ledger.expressions, kEvaluationOrder);
  // Each holder was gone before the next evaluation began.
  EXPECT_EQ(ledger.outstandingAtCall, std::vector<int>({0, 0, 0}));
  EXPECT_EQ(ledger.allocations, 6);
  EXPECT_EQ(ledger.releases, 6);
  EXPECT_EQ(Host(), &host);
  EXPECT_EQ(BaseDir(), u"/data/host/");
  EXPECT_EQ(ModuleHash(), "9f3c\xE9");
}

TEST_F(AttachHost, AHostThatKeepsAReferenceFreesTheTextItself) {
  TestHost host;
  host.keepReference = true;
  EXPECT_TRUE(Attach(&host));
  EXPECT_EQ(ledger.releases, 0);
  host.DropAll();
  EXPECT_EQ(ledger.releases, 6);
  // The module's copies do not depend on the host's memory.
  EXPECT_EQ(BaseDir(), u"/data/host/");
}

TEST_F(AttachHost, EmptyAnswersGiveEmptyTexts) {
  TestHost host;
  host.values.clear();
  EXPECT_TRUE(Attach(&host));
  EXPECT_EQ(ledger.expressions, kEvaluationOrder);
  EXPECT_EQ(BaseDir(), u"");
  EXPECT_EQ(ModuleHash(), "");
}

TEST_F(AttachHost, AFailureLeavesTheTextsAndReleasesEverything) {
  struct Case {
    const char* what;
    void (*prepare)(TestHost&);
    size_t evaluations;
  } cases[] = {
      {"module hash without narrow form",
       [](TestHost& h) { h.values[u"app.ModuleHash()"] = u"ab\u0100"; }, 3},
      {"host raises", [](TestHost& h) { h.throwOn = u"DataDir()"; }, 2},
  };
  for (const Case& c : cases) {
    ledger = Ledger();
    std::u16string before = BaseDir();
    TestHost host;
    c.prepare(host);
    EXPECT_FALSE(Attach(&host)) << c.what;
    EXPECT_EQ(ledger.expressions.size(), c.evaluations) << c.what;
    EXPECT_EQ(ledger.releases, ledger.allocations) << c.what;
    EXPECT_EQ(BaseDir(), before) << c.what;
    EXPECT_EQ(ModuleHash(), "") << c.what;
  }
}

TEST_F(AttachHost, ANullHostIsForgottenWithoutEvaluations) {
  TestHost host;
  Attach(&host);
  ledger = Ledger();
  EXPECT_TRUE(Attach(nullptr));
  EXPECT_EQ(Host(), nullptr);
  EXPECT_TRUE(ledger.expressions.empty());
  EXPECT_EQ(BaseDir(), u"/data/host/");
}

TEST_F(AttachHost, DetachEndsTheObjectForGood) {
  ASSERT_NE(Runnable(), nullptr);
  EXPECT_FALSE(Detach());
  EXPECT_EQ(Runnable(), nullptr);
  EXPECT_EQ(Runnable(), nullptr);
  // Exports that need the object refuse instead of failing.
  EXPORT(module, Initialise)(1, 2);
  EXPECT_EQ(EXPORT(module, iwGetVersion)(), 11);
}

TEST_F(AttachHost, TheProbeLeavesNothingBesideTheModule) {
  ASSERT_NE(Runnable(), nullptr);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(module.folder()))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>({"libzt7util.so"}));
}

// The scenarios below end the runtime object, which is made once per process: each runs
// in a process of its own. They return the number of the first check that failed.
int OwnedContext() {
  if (TBasicApp::HasInstance()) return 1;
  RODediRunnable* runnable = RODediRunnable::GetInstance();
  if (runnable == nullptr || !TBasicApp::HasInstance()) return 2;
  TBasicApp& app = TBasicApp::GetInstance();
  if (!app.GetModuleName().Equals(zodu::vexstr(u"RODEDI"))) return 3;
  if (!zodu::vexstr(runnable->GetBaseDir()).Equals(app.GetBaseDir())) return 4;
  if (runnable->Detach()) return 5;
  if (TBasicApp::HasInstance()) return 6;
  if (RODediRunnable::GetInstance() != nullptr) return 7;
  return 0;
}

int ForeignContext() {
  auto* app = new TBasicApp(u"/tmp/host-program", false);
  RODediRunnable* runnable = RODediRunnable::GetInstance();
  if (runnable == nullptr) return 1;
  if (!zodu::vexstr(runnable->GetBaseDir()).Equals(zodu::vexstr(u"/tmp/"))) return 2;
  if (runnable->Detach()) return 3;
  if (!TBasicApp::HasInstance() || &TBasicApp::GetInstance() != app) return 4;
  // The context still works after the runtime object is gone.
  TBasicApp::NewLogEntry(1) << "after Detach";
  delete app;
  return 0;
}

TEST(RODediRunnableContext, DetachEndsTheContextItMadeAndOnlyThat) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(OwnedContext()), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(std::exit(ForeignContext()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
