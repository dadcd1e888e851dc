// TEGC: the collector that keeps objects alive after a call until the application idles.
#pragma once

#include <memory>
#include <mutex>
#include <utility>

#include "sdl/actions.h"
#include "sdl/typelist.h"

namespace zodu {

class TActionQueue;

// One per module. Exports on several threads hand it their texts at once, so its list is
// kept under a lock. It joins the application context's "IDLE" queue as soon as a context
// exists; the queue then owns it. Running the queue deletes the objects it holds.
class TEGC : public AActionHandler {
 public:
  // The collector, made when there is none.
  static TEGC& Get();
  static bool HasInstance();

  // Clears the module-wide pointer and deletes what is left.
  ~TEGC() override;

  // Takes `object` into the collector's care and returns it.
  template <class T>
  T* AddP(T* object) {
    std::unique_ptr<T> owned(object);
    Keep(std::make_unique<THeld<T>>(std::move(owned)));
    return object;
  }
  size_t Count() const {
    std::lock_guard<std::mutex> hold(lock_);
    return objects_.Count();
  }
  bool IsAttached() const { return attached_; }
  // Joins `idle` unless attached already; the queue owns the collector afterwards.
  void AttachTo(TActionQueue& idle);

  // Deletes every object held; true.
  bool Execute(const IVexObject* sender, const IVexObject* data) override;

 private:
  TEGC();

  // Any object, deleted with its own type.
  template <class T>
  class THeld : public IVexObject {
   public:
    explicit THeld(std::unique_ptr<T> object) : object_(std::move(object)) {}

   private:
    std::unique_ptr<T> object_;
  };
  void Keep(std::unique_ptr<IVexObject> held) {
    std::lock_guard<std::mutex> hold(lock_);
    objects_.Add(std::move(held));
  }

  mutable std::mutex lock_;
  TTypeList<IVexObject> objects_;
  bool attached_ = false;
};

}  // namespace zodu
