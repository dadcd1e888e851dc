// TEFile: a file through the C runtime, and the path, folder and listing functions.
#pragma once

#include <cstdio>
#include <mutex>
#include <vector>

#include "sdl/ebase.h"
#include "sdl/estrlist.h"
#include "sdl/istream.h"

namespace zodu {

class TEFile : public IVexObject, public IDataInputStream, public IDataOutputStream {
 public:
  TEFile() = default;
  // Opens at once; raises as Open does.
  TEFile(const vexstr& name, const vexstr& mode);
  // Closes without raising, since a destructor must not throw: call Close to learn
  // whether buffered output reached the file.
  ~TEFile() override;
  TEFile(const TEFile&) = delete;
  TEFile& operator=(const TEFile&) = delete;

  // Closes any open file, then opens `name` with a C runtime mode text ("rb", "w", "a+"...).
  // Only regular files open: a folder, pipe or device raises and the object stays closed.
  void Open(const vexstr& name, const vexstr& mode);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  // The name given to the last successful Open; kept after Close.
  const vexstr& GetName() const { return name_; }

  using IInputStream::Read;
  using IOutputStream::Write;
  void Read(void* buffer, size_t count) override;
  void Write(const void* buffer, size_t count) override;
  uint64_t GetPosition() override;
  // Keeps the position.
  uint64_t Length() override;
  void SetPosition(uint64_t position) override;
  void Flush() override;

  // ---- paths and folders; none of these raise for a failure of their own ----

  static bool PathExists(const vexstr& name);
  // True when the file is gone afterwards.
  static bool RemoveFile(const vexstr& name);
  static bool IsFolder(const vexstr& name);
  static bool CreateFolder(const vexstr& name);
  // True when the folder is gone afterwards; it must be empty.
  static bool RemoveFolder(const vexstr& name);
  static bool SetCurrentFolder(const vexstr& path);
  static vexstr GetCurrentFolder();
  static vexstr AppendSeparator(const vexstr& path);
  // An empty path stays empty.
  static vexstr& AppendSeparatorInPlace(vexstr& path);
  // The text after the last "." unless that dot is the first character or a separator
  // follows it.
  static vexstr FileExtension(const vexstr& name);
  // The text after the last separator (the whole name when the only one is at the start);
  // empty for a path that names an existing folder.
  static vexstr FileNamePart(const vexstr& name);
  static vexstr ReplaceExtension(const vexstr& name, const vexstr& extension);
  // Index of the dot that starts the extension as FileExtension sees it, or npos.
  static size_t ExtensionDot(const char16_t* name, size_t length);

  // One piece of a file mask: patterns for the name before the extension dot and for the
  // extension, with "*" and "?", ignoring case.
  struct MaskAssociation {
    // "*" matches everything; a piece without extension matches only names without one.
    explicit MaskAssociation(const vexstr& piece);
    bool Matches(const char16_t* name, size_t length) const;

    vexstr name;
    vexstr extension;
  };

  // A whole file mask: its pieces split at ";"; a name matches when a piece matches it.
  class FileMask {
   public:
    explicit FileMask(const vexstr& mask);
    bool Matches(const char16_t* name, size_t length) const;

   private:
    std::vector<MaskAssociation> pieces_;
  };

  // Flags of ListFolder: files are always listed; folders with kListFolders, and "." and
  // ".." with kListDotFolders as well.
  static constexpr unsigned kListFiles = 0x1, kListFolders = 0x2, kListDotFolders = 0x4;

  // Appends to `list` the bare names of the regular files in `dir` (and the folders
  // `flags` asks for) that match a piece of `mask` (pieces split at
  // ";"). Entries come in the folder's own order. False when the folder cannot be read.
  static bool ListFolder(const vexstr& dir, TStrList& list, const vexstr& mask, unsigned flags);
  // Held by every listing; shared with whoever must not run alongside one.
  static std::mutex& ListingLock();

 private:
  void _seek(uint64_t offset, int origin);
  void CheckHandle() const;

  FILE* handle_ = nullptr;
  vexstr name_;
};

}  // namespace zodu
