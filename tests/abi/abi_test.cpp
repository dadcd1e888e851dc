// The built library as a host meets it: loaded with dlopen, every export found by name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/loaded_module.h"
#include "zt7util.h"

namespace {

namespace fs = std::filesystem;
using zt7test::FreshModule;

const char* const kExportNames[] = {
    "GetZTRunnable",       "Initialise",
    "SetKeyVersion",       "iGetKeyVersion",
    "iwGetVersion",        "pcGetInfo",
    "pcDigestFrames",      "iValidateFramesDigests",
    "pcDigestDYN",         "bValidateDYNDigest",
    "pcDigestHKL",         "pcUpdateHKLDigests",
    "iValidateHKLDigests", "iValidateRefsDigests",
    "dMatchHKL",           "bCheckCell",
};

TEST(Exports, AllSixteenAndNothingElse) {
  FreshModule module;
  for (const char* name : kExportNames) EXPECT_NO_THROW(module.Find<void>(name)) << name;
  if (std::system("command -v nm >/dev/null 2>&1") != 0) GTEST_SKIP() << "nm is not installed";
  std::string command = std::string("nm -D --defined-only '") + ZT7_LIBRARY_PATH + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> names;
  char line[1024];
  while (std::fgets(line, sizeof line, pipe)) {
    // "ADDRESS TYPE NAME"
    char address[64], type[8], name[900];
    if (std::sscanf(line, "%63s %7s %899s", address, type, name) == 3) names.insert(name);
  }
  ASSERT_EQ(pclose(pipe), 0) << command;
  EXPECT_EQ(names, std::set<std::string>(std::begin(kExportNames), std::end(kExportNames)));
}

// Half of (sum at odd positions - sum at even positions), bytes signed, worked by hand.
TEST(Exports, GetInfoTable) {
  const struct {
    const char* text;
    const char* expected;
  } cases[] = {
      {nullptr, ""},        // refused
      {"a", "-48"},         // -97 / 2, toward zero
      {"\x80\x7F", "127"},  // (127 - -128) / 2
  };
  FreshModule module;
  auto info = EXPORT(module, pcGetInfo);
  for (const auto& c : cases) EXPECT_STREQ(info(c.text), c.expected) << (c.text ? c.text : "null");
  // Sums past 2^31 wrap as 32-bit two's complement (the sanitizer build catches any signed
  // overflow on the way): odd - even = 126 * 20,000,000 = 2,520,000,000, which wraps to
  // -1,774,967,296; halved: -887,483,648.
  std::string text;
  for (int i = 0; i < 20'000'000; ++i) text += "\x01\x7F";
  EXPECT_STREQ(info(text.c_str()), "-887483648");
}

TEST(Exports, ReturnedTextsAreNewCopiesThatStayValid) {
  FreshModule module;
  auto info = EXPORT(module, pcGetInfo);
  const char* first = info("az");
  const char* second = info("az");
  EXPECT_NE(first, second);
  info("za");
  EXPECT_STREQ(first, "12");
  EXPECT_STREQ(second, "12");
}

TEST(Exports, ConcurrentFirstCallsShareOneRuntimeObject) {
  FreshModule module;
  auto get = EXPORT(module, GetZTRunnable);
  std::vector<ZT7Runnable*> seen(8);
  std::vector<std::thread> threads;
  for (auto& slot : seen) threads.emplace_back([&slot, get] { slot = get(); });
  for (auto& t : threads) t.join();
  ASSERT_NE(seen[0], nullptr);
  for (ZT7Runnable* object : seen) EXPECT_EQ(object, seen[0]);
  EXPECT_EQ(get(), seen[0]);
}

TEST(Exports, NullPointersAreRefused) {
  FreshModule module;
  EXPORT(module, Initialise)(0x1234, -5);
  EXPECT_NE(EXPORT(module, GetZTRunnable)(), nullptr);
  EXPECT_STREQ(EXPORT(module, pcDigestFrames)(nullptr, nullptr), "");
  EXPECT_EQ(EXPORT(module, iValidateFramesDigests)(nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_STREQ(EXPORT(module, pcDigestDYN)(nullptr, nullptr, nullptr, nullptr, nullptr), "");
  EXPECT_FALSE(EXPORT(module, bValidateDYNDigest)(nullptr, nullptr));
  EXPECT_STREQ(EXPORT(module, pcDigestHKL)(nullptr, nullptr, nullptr, nullptr, nullptr), "");
  EXPECT_STREQ(EXPORT(module, pcUpdateHKLDigests)(nullptr, nullptr, nullptr, nullptr), "");
  EXPECT_EQ(EXPORT(module, iValidateHKLDigests)(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(EXPORT(module, iValidateRefsDigests)(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(EXPORT(module, dMatchHKL)(nullptr, nullptr), 1.0);
  EXPECT_FALSE(EXPORT(module, bCheckCell)(nullptr));
}

// ---- the runtime object and its host, through the header's view ----

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

// A host that answers from a table; each answer is a holder it allocates itself.
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
    record->refs = 1;
    record->release = HostRelease;
    result.reset(record);
  }

  std::map<std::u16string, std::u16string> values = {
      {u"BaseDir()", u"/data/host/"},
      {u"DataDir()", u"/data/host/frames"},
      {u"app.ModuleHash()", u"9f3c\u00E9"},
  };
  std::u16string throwOn;
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

  FreshModule module;
};

#undef HOST_CALL

TEST_F(AttachHost, EvaluatesInOrderReleasingEachHolderAtOnceAndKeepsTextsOnFailure) {
  ASSERT_NE(Runnable(), nullptr);
  // Before: the module file's folder, and the writability probe left nothing beside it.
  const std::u16string moduleFolder = fs::path(module.folder().string() + "/").u16string();
  EXPECT_EQ(BaseDir(), moduleFolder);
  EXPECT_EQ(ModuleHash(), "");
  EXPECT_EQ(Host(), nullptr);
  EXPECT_EQ(std::distance(fs::directory_iterator(module.folder()), fs::directory_iterator()), 1);

  // Failures first: they keep the texts that were there.
  const struct {
    const char* what;
    void (*prepare)(TestHost&);
    bool attached;
    size_t evaluations;
    std::u16string baseDir;
    std::string moduleHash;
  } cases[] = {
      {"module hash without narrow form",
       [](TestHost& h) { h.values[u"app.ModuleHash()"] = u"ab\u0100"; }, false, 3, moduleFolder,
       ""},
      {"host raises", [](TestHost& h) { h.throwOn = u"DataDir()"; }, false, 2, moduleFolder, ""},
      {"empty answers", [](TestHost& h) { h.values.clear(); }, true, 3, u"", ""},
      {"answers", [](TestHost&) {}, true, 3, u"/data/host/", "9f3c\xE9"},
  };
  for (const auto& c : cases) {
    ledger = Ledger();
    TestHost host;
    c.prepare(host);
    EXPECT_EQ(Attach(&host), c.attached) << c.what;
    EXPECT_EQ(ledger.expressions,
              std::vector<std::u16string>(kEvaluationOrder.begin(),
                                          kEvaluationOrder.begin() + c.evaluations))
        << c.what;
    EXPECT_EQ(ledger.outstandingAtCall, std::vector<int>(c.evaluations, 0)) << c.what;
    EXPECT_EQ(ledger.releases, ledger.allocations) << c.what;
    EXPECT_EQ(Host(), &host) << c.what;  // the last host given, even when it failed
    EXPECT_EQ(BaseDir(), c.baseDir) << c.what;
    EXPECT_EQ(ModuleHash(), c.moduleHash) << c.what;
  }
  // A null host is forgotten without evaluations; the texts stay.
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
  // A host that breaks the rule and calls on gets refusals, not a crash.
  EXPORT(module, Initialise)(1, 2);
  EXPECT_EQ(Runnable(), nullptr);
  EXPECT_EQ(EXPORT(module, iwGetVersion)(), 11);
  EXPECT_STREQ(EXPORT(module, pcGetInfo)("az"), "12");
}

}  // namespace
