// The application context: construction, base folder and its writability probe, idle work.
#include "sdl/bapp.h"

#include <dlfcn.h>  // for dladdr

#include <algorithm>  // for max
#include <climits>    // for PATH_MAX
#include <cstdlib>    // for realpath
#include <cstring>    // for strrchr
#include <mutex>
#include <thread>  // for hardware_concurrency

#include "sdl/efile.h"
#include "sdl/egc.h"
#include "sdl/utf8_path.h"

namespace zodu {
namespace {

TBasicApp* instance = nullptr;

constexpr char16_t kProbeName[] = u"_t__m___p____DIR";

bool IsExistingFolder(const vexstr& path) {
  return TEFile::PathExists(path) && TEFile::IsFolder(path);
}

// Whether a folder can be made and removed in `folder` (ending in the separator). Only a
// probe that this call made, or an empty folder of that name, is ever removed.
bool ProbeWritable(const vexstr& folder) {
  vexstr probe = folder + vexstr(kProbeName);
  if (TEFile::PathExists(probe)) {
    // A file of that name is somebody's: leave it, and the folder counts as not writable.
    if (!TEFile::IsFolder(probe)) return false;
  } else if (!TEFile::CreateFolder(probe)) {
    return false;
  }
  return TEFile::RemoveFolder(probe);
}

}  // namespace

// Walks the pending actions when the application idles.
class TBasicApp::TIdleHandler : public AActionHandler {
 public:
  explicit TIdleHandler(TBasicApp& app) : app_(app) {}
  bool Execute(const IVexObject*, const IVexObject*) override {
    bool any = app_.PendingActionCount() != 0;
    app_.RunPendingActions();
    return any;
  }

 private:
  TBasicApp& app_;
};

vexstr ModuleFolder() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) == 0 || info.dli_fname == nullptr)
    return vexstr();
  // The system reports the name the module was loaded by, which may be relative.
  char resolved[PATH_MAX];
  const char* path = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
  const char* slash = std::strrchr(path, '/');
  if (slash == nullptr) return vexstr();
  return PathFromUtf8(path, static_cast<size_t>(slash - path) + 1);
}

TBasicApp::TBasicApp(const vexstr& name, bool /*readOptions*/) {
  actions_.New(u"PROGRESS");
  actions_.New(u"TIMER");
  idle_ = &actions_.New(u"IDLE");
  if (instance != nullptr) RaiseFunctionFailed(ZT_SITE, "an application instance already exists");
  instance = this;
  try {
    processorCount_ = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    log_ = std::make_unique<TLog>();
    // The base folder comes before the collector joins: a context that fails here must
    // not take a collector, and the texts it keeps, down with it.
    SetBaseDir(name);
    TEGC::Get().AttachTo(*idle_);
    idle_->Add(new TIdleHandler(*this));
  } catch (...) {
    instance = nullptr;
    throw;
  }
}

TBasicApp::~TBasicApp() {
  if (instance == this) instance = nullptr;
}

bool TBasicApp::HasInstance() {
  return instance != nullptr;
}

TBasicApp& TBasicApp::GetInstance() {
  if (instance == nullptr) RaiseFunctionFailed(ZT_SITE, "Uninitialised application layer...");
  return *instance;
}

LogEntry TBasicApp::NewLogEntry(int kind, bool annotate, const vexstr& location) {
  return GetInstance().GetLog().NewEntry(kind, annotate, location);
}

void TBasicApp::SetBaseDir(const vexstr& name) {
  long lastSeparator = name.LastIndexOf(u'/');
  vexstr folder;
  if (!name.IsEmpty() && name[0] == u'/') folder = name.SubStringTo(size_t(lastSeparator) + 1);
  if (!IsExistingFolder(folder)) folder = ModuleFolder();
  if (!IsExistingFolder(folder))
    throw TFunctionFailedException(ZT_LOCATION, vexstr(u"Invalid basedir: '") << folder << u'\'');
  baseDir_ = folder;
  moduleName_ = TEFile::IsFolder(name) ? vexstr() : name.SubStringFrom(size_t(lastSeparator + 1));
  TEFile::AppendSeparatorInPlace(baseDir_);
  baseDirWritable_ = ProbeWritable(baseDir_);
}

void TBasicApp::RunPendingActions() {
  std::lock_guard<std::mutex> hold(TEFile::ListingLock());
  while (!pending_.IsEmpty()) {
    std::unique_ptr<AActionHandler> action = pending_.Release(0);
    action->Execute(this, nullptr);
  }
}

}  // namespace zodu
