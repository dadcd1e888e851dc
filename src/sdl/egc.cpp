// The collector's life: made at load or on demand, ended by its queue or at unload.
#include "sdl/egc.h"

#include <mutex>

#include "sdl/bapp.h"

namespace zodu {
namespace {

TEGC* instance = nullptr;
// Guards the making of the collector when exports on several threads find none.
std::mutex making;

// Makes the collector when the module is loaded and, when the module is unloaded, ends
// one that no queue took over.
struct ModuleCollector {
  ModuleCollector() { TEGC::Get(); }
  ~ModuleCollector() {
    if (instance != nullptr && !instance->IsAttached()) delete instance;
  }
} moduleCollector;

}  // namespace

TEGC& TEGC::Get() {
  std::lock_guard<std::mutex> hold(making);
  if (instance == nullptr) {
    instance = new TEGC;
    // On failure the queue has deleted the collector, which cleared the pointer.
    if (TBasicApp::HasInstance()) instance->AttachTo(TBasicApp::GetInstance().GetIdleQueue());
  }
  return *instance;
}

bool TEGC::HasInstance() {
  return instance != nullptr;
}

TEGC::TEGC() = default;

TEGC::~TEGC() {
  if (instance == this) instance = nullptr;
}

void TEGC::AttachTo(TActionQueue& idle) {
  if (attached_) return;
  idle.Add(this);
  attached_ = true;
}

bool TEGC::Execute(const IVexObject*, const IVexObject*) {
  std::lock_guard<std::mutex> hold(lock_);
  objects_.Clear();
  return true;
}

}  // namespace zodu
