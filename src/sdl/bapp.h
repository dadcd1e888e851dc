// TBasicApp: the one application context of the module, with its log, queues and base folder.
#pragma once

#include <memory>

#include "sdl/actions.h"
#include "sdl/ebase.h"
#include "sdl/log.h"
#include "sdl/typelist.h"

namespace zodu {

class TBasicApp : public virtual IVexObject {
 public:
  // `name` decides the base folder (see SetBaseDir). No options file is read whatever
  // `readOptions` says. Raises "an application instance already exists" when there is
  // one and "Invalid basedir: '...'" when no base folder can be found.
  TBasicApp(const vexstr& name, bool readOptions);
  // Clears the instance pointer; the log, the queues and the collector in "IDLE" end.
  ~TBasicApp() override;
  TBasicApp(const TBasicApp&) = delete;
  TBasicApp& operator=(const TBasicApp&) = delete;

  virtual vexstr GetPlatformString() const { return vexstr(u"WIN32_SSE2"); }

  static bool HasInstance();
  // Raises "Uninitialised application layer..." when there is none.
  static TBasicApp& GetInstance();
  // An entry of the instance's log.
  static LogEntry NewLogEntry(int kind = 0, bool annotate = false,
                              const vexstr& location = vexstr());

  // Ends in the separator.
  const vexstr& GetBaseDir() const { return baseDir_; }
  const vexstr& GetModuleName() const { return moduleName_; }
  TActionQList& GetActions() { return actions_; }
  TActionQueue& GetIdleQueue() const { return *idle_; }
  TLog& GetLog() const { return *log_; }
  int GetProcessorCount() const { return processorCount_; }
  bool IsBaseDirWritable() const { return baseDirWritable_; }

  // The folder of `name` when it is an absolute path to an existing folder, otherwise
  // the folder of the module's own file; probes whether that folder is writable.
  void SetBaseDir(const vexstr& name);

  // Takes ownership of `action`, which the "IDLE" queue runs (Execute) once and deletes.
  void AddPendingAction(AActionHandler* action) { pending_.Add(action); }
  size_t PendingActionCount() const { return pending_.Count(); }

 private:
  class TIdleHandler;
  // Runs and deletes the pending actions, under the folder listing lock.
  void RunPendingActions();

  vexstr baseDir_;
  vexstr moduleName_;
  TActionQList actions_;
  std::unique_ptr<TLog> log_;
  int processorCount_ = 1;
  bool baseDirWritable_ = false;
  TTypeList<AActionHandler> pending_;
  TActionQueue* idle_;
};

// The folder of the module's own file, ending in the separator; empty when the system
// cannot tell.
vexstr ModuleFolder();

}  // namespace zodu
