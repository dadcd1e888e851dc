// The runtime object behind the exports, which is also the host's plug-in object.
#include "zt3util/runnable.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "zt3util/boundary.h"
#include "zt3util/log_file.h"

// The instance pointer and its one-time construction. Whatever is left of the object
// when the module is unloaded is deleted with it.
class RODediInstance {
 public:
  ~RODediInstance() { delete object_.exchange(nullptr); }

  RODediRunnable* Get() {
    if (!constructed_.load(std::memory_order_acquire)) {
      std::lock_guard<std::mutex> lock(constructing_);
      // `new` that throws leaves the flag clear, so the next call tries again.
      if (!constructed_.load(std::memory_order_relaxed)) {
        object_.store(new RODediRunnable(), std::memory_order_relaxed);
        constructed_.store(true, std::memory_order_release);
      }
    }
    return object_.load(std::memory_order_acquire);
  }
  void Clear() { object_.store(nullptr, std::memory_order_release); }

 private:
  std::atomic<RODediRunnable*> object_{nullptr};
  std::atomic<bool> constructed_{false};
  std::mutex constructing_;
};

namespace {
RODediInstance instance;
}  // namespace

RODediRunnable* RODediRunnable::GetInstance() {
  return instance.Get();
}

RODediRunnable::RODediRunnable() {
  if (!zodu::TBasicApp::HasInstance()) {
    std::unique_ptr<zodu::TBasicApp> made(new zodu::TBasicApp(u"RODEDI", false));
    app = zodu::vex_object_ptr<zodu::TBasicApp>(made.get());
    made.release();
    zt7::AttachLogFile(app->GetLog());
  }
  baseDir = zodu::TBasicApp::GetInstance().GetBaseDir();
}

namespace {

// The text of `expression` as the host evaluates it. The holder goes, and with its last
// reference the host's memory, as soon as the characters are copied.
zodu::vexstr Evaluate(zt7::IHostObject& host, const char16_t* expression) {
  zt7::vex_dll_ptr<char16_t> result;
  host.EvaluateFunction(result, expression);
  return zodu::vexstr(result.get());
}

}  // namespace

bool RODediRunnable::AttachHost(zt7::IHostObject* newHost) {
  host = newHost;
  if (newHost == nullptr) return true;
  return zt7::GuardExport(false, [this, newHost] {
    zodu::vexstr newBaseDir = Evaluate(*newHost, u"BaseDir()");
    zodu::vexstr newDataDir = Evaluate(*newHost, u"DataDir()");
    zodu::vexcstr newModuleHash(Evaluate(*newHost, u"app.ModuleHash()"));
    baseDir = newBaseDir;
    dataDir = newDataDir;
    moduleHash = newModuleHash;
    return true;
  });
}

bool RODediRunnable::Detach() {
  instance.Clear();
  delete this;
  return false;
}

const char16_t* RODediRunnable::GetBaseDir() {
  // c_str() may have to copy, and the host calls this directly.
  return zt7::GuardExport(u"", [this] { return baseDir.c_str(); });
}

const char* RODediRunnable::GetModuleHash() {
  return zt7::GuardExport("", [this] { return moduleHash.c_str(); });
}
