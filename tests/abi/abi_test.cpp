// The built library as a host meets it: loaded with dlopen, every export found by name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/loaded_module.h"
#include "zt7util.h"

namespace {

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

TEST(Exports, AllSixteenAreFoundByName) {
  FreshModule module;
  for (const char* name : kExportNames) EXPECT_NO_THROW(module.Find<void>(name)) << name;
}

TEST(Exports, DynamicSymbolTableHoldsExactlyTheExports) {
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

TEST(Exports, ModuleVersionIsEleven) {
  FreshModule module;
  EXPECT_EQ(EXPORT(module, iwGetVersion)(), 11);
}

TEST(Exports, KeyVersionStartsAtThreeAndIsStoredUnchanged) {
  FreshModule module;
  auto set = EXPORT(module, SetKeyVersion);
  auto get = EXPORT(module, iGetKeyVersion);
  EXPECT_EQ(get(), 3);
  set(7);
  EXPECT_EQ(get(), 7);
  set(-1);
  EXPECT_EQ(get(), -1);
}

// Half of (sum at odd positions - sum at even positions), bytes signed, worked by hand.
TEST(Exports, GetInfoTable) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {nullptr, ""},        // refused
      {"", "0"},            //
      {"a", "-48"},         // -97 / 2, toward zero
      {"ab", "0"},          // (98 - 97) / 2
      {"az", "12"},         // (122 - 97) / 2
      {"za", "-12"},        // (97 - 122) / 2
      {"abc", "-49"},       // (98 - 97 - 99) / 2
      {"\xFF", "0"},        // the byte counts as -1: 1 / 2
      {"\x80\x7F", "127"},  // (127 - -128) / 2
  };
  FreshModule module;
  auto info = EXPORT(module, pcGetInfo);
  for (const Case& c : cases) {
    const char* result = info(c.text);
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, c.expected) << (c.text ? c.text : "(null)");
  }
}

// Sums past 2^31 wrap as 32-bit two's complement (the sanitizer build catches any
// signed overflow on the way).
TEST(Exports, GetInfoSumsWrapOnVeryLongText) {
  const size_t pairs = 20'000'000;
  std::string text;
  text.reserve(2 * pairs);
  for (size_t i = 0; i < pairs; ++i) text += "\x01\x7F";
  // odd - even = 126 * 20,000,000 = 2,520,000,000, which wraps to
  // 2,520,000,000 - 4,294,967,296 = -1,774,967,296; halved: -887,483,648.
  FreshModule module;
  EXPECT_STREQ(EXPORT(module, pcGetInfo)(text.c_str()), "-887483648");
}

TEST(Exports, ReturnedTextsAreNewCopiesThatStayValid) {
  FreshModule module;
  auto info = EXPORT(module, pcGetInfo);
  const char* first = info("az");
  const char* second = info("az");
  EXPECT_NE(first, second);
  EXPECT_STREQ(first, "12");
  EXPECT_STREQ(second, "12");
  info("za");
  EXPECT_STREQ(first, "12");
}

TEST(Exports, RuntimeObjectIsMadeOnce) {
  FreshModule module;
  auto get = EXPORT(module, GetZTRunnable);
  ZT7Runnable* first = get();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(get(), first);
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
}

TEST(Exports, InitialiseFirstCreatesTheRuntimeObject) {
  FreshModule module;
  EXPORT(module, Initialise)(0x1234, -5);
  EXPECT_NE(EXPORT(module, GetZTRunnable)(), nullptr);
}

TEST(Exports, NullPointersAreRefused) {
  FreshModule module;
  EXPECT_STREQ(EXPORT(module, pcGetInfo)(nullptr), "");
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

// ---- the runtime object through the host's C++ view ----

// Host memory that the test can account for: every allocation must come back through
// the host's own release routine.
int liveHostBlocks = 0;

void ReleaseHostMemory(void* memory) {
  --liveHostBlocks;
  std::free(memory);
}

template <class T>
T* AllocateHostMemory(size_t count) {
  ++liveHostBlocks;
  return static_cast<T*>(std::malloc(count * sizeof(T)));
}

// A host that answers every expression with a fixed text per expression.
class TestHost : public zt7::IHostObject {
 public:
  void EvaluateFunction(zt7::vex_dll_ptr<char16_t>& result, const char16_t* expression) override {
    std::u16string value = std::u16string(u"value of ") + expression;
    auto* chars = AllocateHostMemory<char16_t>(value.size() + 1);
    std::memcpy(chars, value.c_str(), (value.size() + 1) * sizeof(char16_t));
    auto* record = AllocateHostMemory<zt7::vex_dll_record<char16_t>>(1);
    *record = {chars, 1, ReleaseHostMemory};
    result.reset(record);
  }
};

// The host's calls on the runtime object through the header's view of its slots. The
// object's own classes are internal to the module, so UBSan's vptr check, which looks for
// the view's class among the object's bases, cannot apply to these calls.
class HostCalls {
 public:
  explicit HostCalls(ZT7Runnable* object) : object_(object) {}
#define HOST_CALL __attribute__((no_sanitize("vptr")))
  HOST_CALL bool AttachHost(zt7::IHostObject* host) {
    return object_->AttachHost(host);
  }
  HOST_CALL bool Detach() {
    return object_->Detach();
  }
  HOST_CALL zt7::IHostObject* GetHost() {
    return object_->GetHost();
  }
  HOST_CALL const char16_t* GetBaseDir() {
    return object_->GetBaseDir();
  }
  HOST_CALL const char* GetModuleHash() {
    return object_->GetModuleHash();
  }
#undef HOST_CALL

 private:
  ZT7Runnable* object_;
};

TEST(HostView, HolderReleasesCharactersThenItselfThroughTheHost) {
  liveHostBlocks = 0;
  TestHost host;
  {
    zt7::vex_dll_ptr<char16_t> holder;
    host.EvaluateFunction(holder, u"BaseDir()");
    EXPECT_EQ(std::u16string(holder.get()), u"value of BaseDir()");
    EXPECT_EQ(liveHostBlocks, 2);
  }
  EXPECT_EQ(liveHostBlocks, 0);
}

TEST(HostView, SlotsReachTheRuntimeObject) {
  FreshModule module;
  ZT7Runnable* runnable = EXPORT(module, GetZTRunnable)();
  ASSERT_NE(runnable, nullptr);
  HostCalls object(runnable);
  EXPECT_EQ(object.GetHost(), nullptr);
  ASSERT_NE(object.GetBaseDir(), nullptr);
  ASSERT_NE(object.GetModuleHash(), nullptr);
  EXPECT_STREQ(object.GetModuleHash(), "");

  liveHostBlocks = 0;
  TestHost host;
  EXPECT_TRUE(object.AttachHost(&host));
  EXPECT_EQ(object.GetHost(), &host);
  EXPECT_EQ(liveHostBlocks, 0) << "a host text was kept instead of copied";
  ASSERT_NE(object.GetBaseDir(), nullptr);
  ASSERT_NE(object.GetModuleHash(), nullptr);
}

TEST(HostView, AttachingNoHostDoesNotCrash) {
  FreshModule module;
  ZT7Runnable* runnable = EXPORT(module, GetZTRunnable)();
  ASSERT_NE(runnable, nullptr);
  HostCalls object(runnable);
  object.AttachHost(nullptr);
  EXPECT_EQ(object.GetHost(), nullptr);
}

TEST(HostView, DetachEndsTheRuntimeObjectForGood) {
  FreshModule module;
  auto get = EXPORT(module, GetZTRunnable);
  ZT7Runnable* runnable = get();
  ASSERT_NE(runnable, nullptr);
  EXPECT_FALSE(HostCalls(runnable).Detach());
  EXPECT_EQ(get(), nullptr);
  // A host that breaks the rule and calls on gets refusals, not a crash.
  EXPORT(module, Initialise)(1, 2);
  EXPECT_EQ(get(), nullptr);
  EXPECT_STREQ(EXPORT(module, pcGetInfo)("az"), "12");
}

}  // namespace
