// Running action queues and keeping them by name.
#include "sdl/actions.h"

#include <algorithm>

namespace zodu {

TActionQueue::TActionQueue(TActionQList* parent, const vexstr& name, bool exclusive)
    : name_(name), parent_(parent), exclusive_(exclusive) {
  if (parent == nullptr) throw TInvalidArgumentException(ZT_LOCATION, u"Parent");
}

AActionHandler& TActionQueue::Add(AActionHandler* handler) {
  return handlers_.Add(handler);
}

void TActionQueue::AddDispatcher(int id, AEventsDispatcher* dispatcher, unsigned events) {
  dispatchers_.push_back(DispatcherEntry{dispatcher, id, events});
}

bool TActionQueue::Enter(const IVexObject* sender, const IVexObject* data) {
  return Run(msiEnter, sender, data);
}

bool TActionQueue::Exit(const IVexObject* sender, const IVexObject* data) {
  return Run(msiExit, sender, data);
}

bool TActionQueue::Execute(const IVexObject* sender, const IVexObject* data) {
  return Run(msiExecute, sender, data);
}

bool TActionQueue::Run(unsigned event, const IVexObject* sender, const IVexObject* data) {
  if (!IsEnabled()) return false;
  bool handled = false;
  // By index: a handler may attach further handlers while the queue runs.
  for (size_t i = 0; i < handlers_.Count(); ++i) {
    AActionHandler& handler = handlers_[i];
    if (!handler.IsEnabled()) continue;
    bool answer = event == msiEnter  ? handler.Enter(sender, data)
                  : event == msiExit ? handler.Exit(sender, data)
                                     : handler.Execute(sender, data);
    if (!answer) continue;
    if (exclusive_) return true;
    handled = true;
  }
  for (size_t i = 0; i < dispatchers_.size(); ++i) {
    DispatcherEntry entry = dispatchers_[i];
    if ((entry.events & event) == 0) continue;
    if (!entry.dispatcher->Dispatch(entry.id, event, sender, data)) continue;
    if (exclusive_) return true;
    handled = true;
  }
  return handled;
}

namespace {

bool NameBefore(const std::unique_ptr<TActionQueue>& queue, const vexstr& name) {
  return queue->GetName().Compare(name) < 0;
}

}  // namespace

TActionQueue& TActionQList::New(const vexstr& name, bool exclusive) {
  auto at = std::lower_bound(queues_.begin(), queues_.end(), name, NameBefore);
  if (at != queues_.end() && (*at)->GetName().Equals(name))
    RaiseFunctionFailed(ZT_SITE, "the queue already exists");
  return **queues_.insert(at, std::make_unique<TActionQueue>(this, name, exclusive));
}

TActionQueue* TActionQList::Find(const vexstr& name) const {
  auto at = std::lower_bound(queues_.begin(), queues_.end(), name, NameBefore);
  return at != queues_.end() && (*at)->GetName().Equals(name) ? at->get() : nullptr;
}

}  // namespace zodu
