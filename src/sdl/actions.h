// Named action queues, the handlers that attach to them and event dispatchers.
#pragma once

#include <memory>
#include <vector>

#include "sdl/ebase.h"
#include "sdl/typelist.h"

namespace zodu {

// Base of the objects that collections hold.
class ACollectionItem : public virtual IVexObject {};

// Reacts when a queue runs; each operation answers whether it handled the event.
class AActionHandler : public ACollectionItem {
 public:
  bool IsEnabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }

  virtual bool Enter(const IVexObject* /*sender*/, const IVexObject* /*data*/) { return false; }
  virtual bool Exit(const IVexObject* /*sender*/, const IVexObject* /*data*/) { return false; }
  virtual bool Execute(const IVexObject* sender, const IVexObject* data) = 0;

 private:
  bool enabled_ = true;
};

// The queue operations as event flags of a dispatcher.
enum : unsigned { msiEnter = 0x1, msiExecute = 0x2, msiExit = 0x4, msiAll = 0x7 };

// Receives the events of the queues it is registered with, told apart by an id.
class AEventsDispatcher {
 public:
  virtual ~AEventsDispatcher() = default;
  virtual bool Dispatch(int id, unsigned event, const IVexObject* sender,
                        const IVexObject* data) = 0;
};

class TActionQList;

// A named queue of handlers and dispatchers. It owns its handlers: a handler belongs to
// one queue and ends with it. Dispatchers are borrowed.
class TActionQueue : public AActionHandler {
 public:
  // Raises TInvalidArgumentException "Parent" when `parent` is null.
  TActionQueue(TActionQList* parent, const vexstr& name, bool exclusive);

  const vexstr& GetName() const { return name_; }
  TActionQList& GetParent() const { return *parent_; }

  // Takes ownership of `handler` and attaches it after the others.
  AActionHandler& Add(AActionHandler* handler);
  // Registers `dispatcher` for the operations in `events` under `id`.
  void AddDispatcher(int id, AEventsDispatcher* dispatcher, unsigned events = msiAll);

  // Run the queue: enabled handlers in order, then the dispatchers registered for the
  // operation. An exclusive queue stops at the first true answer.
  bool Enter(const IVexObject* sender, const IVexObject* data) override;
  bool Exit(const IVexObject* sender, const IVexObject* data) override;
  bool Execute(const IVexObject* sender, const IVexObject* data) override;

 private:
  struct DispatcherEntry {
    AEventsDispatcher* dispatcher;
    int id;
    unsigned events;
  };
  bool Run(unsigned event, const IVexObject* sender, const IVexObject* data);

  TTypeList<AActionHandler> handlers_;
  std::vector<DispatcherEntry> dispatchers_;
  vexstr name_;
  TActionQList* parent_;
  bool exclusive_;
};

// Queues by name, compared case-sensitively; owns the queues.
class TActionQList {
 public:
  TActionQList() = default;
  TActionQList(const TActionQList&) = delete;
  TActionQList& operator=(const TActionQList&) = delete;

  // Raises "the queue already exists" for a name in use.
  TActionQueue& New(const vexstr& name, bool exclusive = false);
  // The queue of that name, or null.
  TActionQueue* Find(const vexstr& name) const;
  size_t Count() const { return queues_.size(); }

 private:
  // Sorted by name for bisection.
  std::vector<std::unique_ptr<TActionQueue>> queues_;
};

}  // namespace zodu
