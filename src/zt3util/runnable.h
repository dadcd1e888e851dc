// The runtime object behind the exports, which is also the host's plug-in object.
#pragma once

#include <cstdint>

#include "sdl/bapp.h"
#include "sdl/ebase.h"
#include "sdl/smart/vex_ptr.h"
#include "zt7util.h"  // for the host object and vex_dll_ptr

namespace vex2 {

// A plug-in object that a host attaches to. Its slots match zt7::IVex2Runnable in the
// public header, which is how the host sees it.
class IVex2Runnable : public zodu::IVexObject {
 public:
  virtual bool AttachHost(zt7::IHostObject* host) = 0;
  virtual bool Detach() = 0;
  virtual zt7::IHostObject* GetHost() = 0;
  virtual const char16_t* GetBaseDir() = 0;
  virtual const char* GetModuleHash() = 0;
};

}  // namespace vex2

class IRODedi : public vex2::IVex2Runnable {};

// One per loaded module, made on first use and deleted by Detach. A single chain of
// bases, so that a pointer to any of them has the same address.
class RODediRunnable : public IRODedi {
 public:
  // The instance, made on the first call in the module's life; null after Detach. A
  // construction that fails is tried again by the next call.
  static RODediRunnable* GetInstance();

  // Keeps `host` and copies its "BaseDir()", "DataDir()" and "app.ModuleHash()", in that
  // order; each result holder is released as soon as its text is copied. Never throws:
  // a failure is logged and answered false, leaving the three texts as they were. A null
  // host only forgets the previous one.
  bool AttachHost(zt7::IHostObject* host) override;
  // Sets the instance to null and deletes this object; always false.
  bool Detach() override;
  zt7::IHostObject* GetHost() override { return host; }
  const char16_t* GetBaseDir() override;
  const char* GetModuleHash() override;

  void KeepHostValues(intptr_t callback, intptr_t context) {
    hostCallback = callback;
    hostContext = context;
  }
  const zodu::vexstr& GetDataDir() const { return dataDir; }
  intptr_t GetHostCallback() const { return hostCallback; }
  intptr_t GetHostContext() const { return hostContext; }

 private:
  friend class RODediInstance;
  // Sets up the application context "RODEDI" unless one exists, and takes its base folder.
  RODediRunnable();
  // Ends the application context when this object made it.
  ~RODediRunnable() override = default;

  zt7::IHostObject* host = nullptr;
  // The application context that this object made and owns; empty when it found one.
  zodu::vex_object_ptr<zodu::TBasicApp> app;
  zodu::vexstr baseDir;
  zodu::vexstr dataDir;
  zodu::vexcstr moduleHash;
  intptr_t hostContext = 0;
  intptr_t hostCallback = 0;
};
