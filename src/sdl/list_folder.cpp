// Listing a folder's entries by file masks.
#include <dirent.h>
#include <fcntl.h>  // for AT_ numbers
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>  // for free
#include <cstring>  // for strlen
#include <memory>
#include <string>  // for char_traits
#include <utility>
#include <vector>

#include "sdl/efile.h"
#include "sdl/utf8_path.h"

namespace zodu {
namespace {

// Case is ignored as the C locale's towlower does it: ASCII letters only.
char16_t Fold(char16_t c) {
  return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

vexstr Folded(const char16_t* text, size_t length) {
  vexstr folded(text, length);
  for (size_t i = 0; i < length; ++i) folded.Set(i, Fold(text[i]));
  return folded;
}

// "*" matches any run of characters (also none), "?" exactly one. `pattern` is folded.
bool WildcardMatch(const vexstr& pattern, const char16_t* text, size_t length) {
  const char16_t* p = pattern.raw();
  size_t pn = pattern.Length(), pi = 0, ti = 0;
  size_t starP = vexstr::npos, starT = 0;
  while (ti < length) {
    if (pi < pn && p[pi] == u'*') {
      starP = ++pi;
      starT = ti;
    } else if (pi < pn && (p[pi] == u'?' || p[pi] == Fold(text[ti]))) {
      ++pi;
      ++ti;
    } else if (starP != vexstr::npos) {
      // Let the last "*" take one more character and try again from there.
      pi = starP;
      ti = ++starT;
    } else {
      return false;
    }
  }
  while (pi < pn && p[pi] == u'*') ++pi;
  return pi == pn;
}

enum class EntryKind { kFile, kFolder, kOther };

// The kind the entry's type gives, or for a link or an unknown type the kind of what the
// name leads to. Nothing is opened: a pipe is never waited on.
EntryKind KindOf(DIR* folder, const dirent* entry) {
  switch (entry->d_type) {
    case DT_REG:
      return EntryKind::kFile;
    case DT_DIR:
      return EntryKind::kFolder;
    case DT_LNK:
    case DT_UNKNOWN: {
      struct stat st;
      if (fstatat(dirfd(folder), entry->d_name, &st, 0) != 0) return EntryKind::kOther;
      if (S_ISREG(st.st_mode)) return EntryKind::kFile;
      return S_ISDIR(st.st_mode) ? EntryKind::kFolder : EntryKind::kOther;
    }
    default:
      return EntryKind::kOther;
  }
}

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

bool IsListed(DIR* folder, const dirent* entry, unsigned flags) {
  switch (KindOf(folder, entry)) {
    case EntryKind::kFile:
      return true;
    case EntryKind::kFolder:
      return (flags & TEFile::kListFolders) &&
             ((flags & TEFile::kListDotFolders) || !IsDotEntry(entry->d_name));
    default:
      return false;
  }
}

struct FolderCloser {
  void operator()(DIR* folder) const { closedir(folder); }
};

// The names of one listing share one buffer, a NUL after each, as the lines of a file
// share the file's buffer: one allocation per listing instead of two per name. A name is
// decoded straight into the free end of the buffer and kept there only when it is listed.
class NameCollector {
 public:
  NameCollector() = default;
  NameCollector(const NameCollector&) = delete;
  NameCollector& operator=(const NameCollector&) = delete;
  ~NameCollector() { std::free(chars_); }

  // Room for `units` more units and a NUL.
  char16_t* Tail(size_t units) {
    if (used_ + units + 1 > capacity_) {
      capacity_ = (used_ + units + 1) * 2;
      chars_ = static_cast<char16_t*>(vex_realloc_(chars_, capacity_ * sizeof(char16_t)));
    }
    return chars_ + used_;
  }
  // Keeps the `length` units written at Tail().
  void Keep(size_t length) {
    chars_[used_ + length] = 0;
    used_ += length + 1;
    ++count_;
  }

  void AppendTo(TStrList& list) {
    if (count_ == 0) return;
    vexstr all = vexstr::Adopt(std::exchange(chars_, nullptr), used_, capacity_);
    list.SetCapacity(list.Count() + count_);
    for (size_t at = 0; at < used_;) {
      size_t length = std::char_traits<char16_t>::length(all.raw() + at);
      list.Add(all.SubString(at, length));
      at += length + 1;
    }
  }

 private:
  char16_t* chars_ = nullptr;
  size_t used_ = 0, capacity_ = 0, count_ = 0;
};

}  // namespace

TEFile::MaskAssociation::MaskAssociation(const vexstr& piece) {
  if (piece.Length() == 1 && piece[0] == u'*') {
    name = extension = piece;
    return;
  }
  size_t dot = ExtensionDot(piece.raw(), piece.Length());
  if (dot == vexstr::npos) {
    name = Folded(piece.raw(), piece.Length());
  } else {
    name = Folded(piece.raw(), dot);
    extension = Folded(piece.raw() + dot + 1, piece.Length() - dot - 1);
  }
}

bool TEFile::MaskAssociation::Matches(const char16_t* text, size_t length) const {
  size_t dot = ExtensionDot(text, length);
  if (dot == vexstr::npos)
    return WildcardMatch(name, text, length) && WildcardMatch(extension, u"", 0);
  return WildcardMatch(name, text, dot) &&
         WildcardMatch(extension, text + dot + 1, length - dot - 1);
}

std::mutex& TEFile::ListingLock() {
  static std::mutex lock;
  return lock;
}

TEFile::FileMask::FileMask(const vexstr& mask) {
  TStrList pieces;
  for (const vexstr& piece : pieces.Strtok(mask, u';', true)) pieces_.emplace_back(piece);
}

bool TEFile::FileMask::Matches(const char16_t* name, size_t length) const {
  for (const MaskAssociation& piece : pieces_)
    if (piece.Matches(name, length)) return true;
  return false;
}

bool TEFile::ListFolder(const vexstr& dir, TStrList& list, const vexstr& mask, unsigned flags) {
  const FileMask masks(mask);

  std::lock_guard<std::mutex> hold(ListingLock());
  std::unique_ptr<DIR, FolderCloser> folder(opendir(PathToUtf8(dir).c_str()));
  if (!folder) return false;
  NameCollector names;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(folder.get());
    if (!entry) break;
    size_t bytes = std::strlen(entry->d_name);
    char16_t* name = names.Tail(bytes);  // never more units than bytes
    size_t length = DecodeUtf8(entry->d_name, bytes, name);
    // Matching first spares most entries the stat that a link or unknown type needs.
    if (masks.Matches(name, length) && IsListed(folder.get(), entry, flags)) names.Keep(length);
  }
  if (errno != 0) return false;
  names.AppendTo(list);
  return true;
}

}  // namespace zodu
