/* zt7util's public interface: the 16 exported C functions and, for C++ hosts, the runtime
   and host object interfaces. */
#ifndef ZT7UTIL_H
#define ZT7UTIL_H

/* Texts at this boundary:
   - wide arguments (const char16_t*) are NUL-terminated UTF-16; a null pointer counts as
     an empty text unless a function says otherwise;
   - narrow arguments (const char*) are NUL-terminated bytes, taken as they are;
   - a returned text (const char*) belongs to the module: a new NUL-terminated copy per
     call that stays valid at least until the runtime object is detached or the module is
     unloaded. Never free it. The empty text "" is every text function's refusal.
   No function lets an error escape: a failure inside gives the refusal result. */

#ifdef __cplusplus
#include <cstdint>
#else
#include <stdbool.h>
#include <stdint.h>
#include <uchar.h> /* for char16_t */
#endif

#if defined(__GNUC__)
#define ZT7_EXPORT __attribute__((visibility("default")))
#else
#define ZT7_EXPORT
#endif

#ifdef __cplusplus
namespace zt7 {
class IRODedi;
}
typedef zt7::IRODedi ZT7Runnable;
extern "C" {
#else
/* The runtime object; opaque in C. */
typedef struct ZT7Runnable ZT7Runnable;
#endif

/* The runtime object, made on the first call; the same pointer every time, null after
   its Detach. Owned by the module: end it with Detach, never delete it. */
ZT7_EXPORT ZT7Runnable* GetZTRunnable(void);
/* Stores the host's two values in the runtime object (making it if need be). */
ZT7_EXPORT void Initialise(intptr_t hostCallback, intptr_t hostContext);
/* Sets the digest scheme version used for new HKL digests; stored unchanged. */
ZT7_EXPORT void SetKeyVersion(int32_t version);
/* The digest scheme version: 3 until SetKeyVersion changes it. */
ZT7_EXPORT int32_t iGetKeyVersion(void);
/* The module's version number, 11. */
ZT7_EXPORT int32_t iwGetVersion(void);
/* A check number of `text` as decimal text (returned text); null gives "". */
ZT7_EXPORT const char* pcGetInfo(const char* text);

/* The frames digest of the files in `folder` that match `mask` (returned text); "" on
   refusal. */
ZT7_EXPORT const char* pcDigestFrames(const char16_t* folder, const char16_t* mask);
/* Checks a frames digest against the folder: 3 both parts valid, 1 only the first, 0 none
   or refused. */
ZT7_EXPORT int32_t iValidateFramesDigests(const char16_t* folder, const char16_t* mask,
                                          const char* firstDigest, const char* secondDigest);
/* The DYN digest of a reflection file whose frames digest (both parts) checks out
   (returned text): a name ending in ".cif_od" seals the file's reflection loop ("62..."),
   any other name the whole file ("61..."). "" on refusal. */
ZT7_EXPORT const char* pcDigestDYN(const char16_t* folder, const char16_t* mask,
                                   const char16_t* reflectionFile, const char* firstFramesDigest,
                                   const char* secondFramesDigest);
/* Whether `digest` is the DYN digest of the reflection file, made the way its second
   character names; its first character is not compared. False on refusal. */
ZT7_EXPORT bool bValidateDYNDigest(const char16_t* reflectionFile, const char* digest);
/* The HKL digest of an HKL file whose frames digest checks out (returned text); "" on
   refusal. */
ZT7_EXPORT const char* pcDigestHKL(const char16_t* folder, const char16_t* mask,
                                   const char16_t* hklFile, const char* firstFramesDigest,
                                   const char* secondFramesDigest);
/* The HKL digest of a re-processed file, given the valid digest of the old one (returned
   text); "" on refusal. */
ZT7_EXPORT const char* pcUpdateHKLDigests(const char16_t* oldHklFile, const char16_t* newHklFile,
                                          const char* oldFirstDigest, const char* oldSecondDigest);
/* Checks an HKL file against its digest parts: 3 both valid, 1 the first (or a
   recognised test crystal), 0 not valid or refused. */
ZT7_EXPORT int32_t iValidateHKLDigests(const char16_t* hklFile, const char* firstDigest,
                                       const char* secondDigest);
/* Checks a reflection list held as text against digest parts: 3, 1 or 0 as
   iValidateHKLDigests. */
ZT7_EXPORT int32_t iValidateRefsDigests(const char* reflections, const char* firstDigest,
                                        const char* secondDigest);
/* Distance of two HKL files' intensity distributions (0 for equal ones); 1.0 when they
   cannot be compared or on refusal. */
ZT7_EXPORT double dMatchHKL(const char16_t* firstHklFile, const char16_t* secondHklFile);
/* Whether the six cell values (a, b, c, alpha, beta, gamma) are a test crystal's; false
   on refusal. */
ZT7_EXPORT bool bCheckCell(const double* cell);

#ifdef __cplusplus
} /* extern "C" */

/* The host's view of the runtime object and the host object: usable by a host built with
   the same C++ ABI (Itanium on Linux). The runtime object's own classes are internal and
   only share these slots, so a host built with UBSan must leave its calls on the object
   out of the vptr check (-fno-sanitize=vptr or no_sanitize("vptr")). */
namespace zt7 {

/* Characters made by the host, handed to the module: the host fills in `chars`, `refs`
   (1) and `release`, the routine that frees what the host allocated. */
template <typename T>
struct vex_dll_record {
  T* chars;
  int32_t refs;
  void (*release)(void* memory);
};

/* A reference to a host-made text. The module copies the characters at once and drops
   its reference; the last reference calls the host's `release` on the characters and
   then on the record, so host memory is always freed by the host. */
template <typename T>
class vex_dll_ptr {
 public:
  vex_dll_ptr() = default;
  vex_dll_ptr(const vex_dll_ptr&) = delete;
  vex_dll_ptr& operator=(const vex_dll_ptr&) = delete;
  ~vex_dll_ptr() { reset(); }

  /* Takes over one reference to `record` (may be null); drops the one held before. */
  void reset(vex_dll_record<T>* record = nullptr) noexcept {
    vex_dll_record<T>* old = record_;
    record_ = record;
    if (old && --old->refs == 0) {
      old->release(old->chars);
      old->release(old);
    }
  }
  /* The characters, or null when there are none. */
  const T* get() const { return record_ ? record_->chars : nullptr; }

 private:
  vex_dll_record<T>* record_ = nullptr;
};

/* The host object given to AttachHost; implemented by the host. */
class IHostObject {
 public:
  /* Evaluates `expression` (e.g. "BaseDir()") and puts the value's text into `result`;
     leaves `result` empty when it cannot. */
  virtual void EvaluateFunction(vex_dll_ptr<char16_t>& result, const char16_t* expression) = 0;

 protected:
  ~IHostObject() = default;
};

/* The runtime object as the host sees it. The slots follow the module's own classes;
   delete it only through Detach. */
class IVexObject {
 protected:
  /* First, as in the module: the destructor takes the first two slots. */
  virtual ~IVexObject() = default;

 public:
  /* The module's ToString and Replicate; their types are internal: do not call. */
  virtual void ToStringSlot() = 0;
  virtual void ReplicateSlot() = 0;
};

class IVex2Runnable : public IVexObject {
 public:
  /* Keeps `host` and takes its base folder, data folder and module hash, evaluating
     "BaseDir()", "DataDir()" and "app.ModuleHash()" in that order; true. Each answer's
     holder is released before the next evaluation. False, with the three texts left as
     they were, when an evaluation throws or the module hash has a character above 255.
     A null host is only forgotten. */
  virtual bool AttachHost(IHostObject* host) = 0;
  /* Deletes the runtime object; GetZTRunnable gives null afterwards. Always false. */
  virtual bool Detach() = 0;
  /* The host object last given to AttachHost, or null. */
  virtual IHostObject* GetHost() = 0;
  /* The base folder (module-owned, NUL-terminated; "" when unset). */
  virtual const char16_t* GetBaseDir() = 0;
  /* The host's module hash (module-owned, NUL-terminated; "" when unset). */
  virtual const char* GetModuleHash() = 0;

 protected:
  ~IVex2Runnable() override = default;
};

class IRODedi : public IVex2Runnable {
 protected:
  ~IRODedi() override = default;
};

} /* namespace zt7 */
#endif /* __cplusplus */

#endif /* ZT7UTIL_H */
