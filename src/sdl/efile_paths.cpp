// TEFile's path and folder functions. Paths use "/" as separator already, so the
// separator conversion is the identity here.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>  // for free
#include <cstring>  // for strlen

#include "sdl/efile.h"
#include "sdl/utf8_path.h"

namespace zodu {
namespace {

constexpr char16_t kSeparator = u'/';

}  // namespace

bool TEFile::PathExists(const vexstr& name) {
  return access(PathToUtf8(name).c_str(), F_OK) == 0;
}

bool TEFile::RemoveFile(const vexstr& name) {
  // Removing a name needs no write permission on the file here, only on its folder.
  if (unlink(PathToUtf8(name).c_str()) == 0) return true;
  return errno == ENOENT || errno == ENOTDIR;
}

bool TEFile::IsFolder(const vexstr& name) {
  // stat takes "dir/" as well as "dir", and "/" must keep its only separator.
  struct stat st;
  return !name.IsEmpty() && stat(PathToUtf8(name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool TEFile::CreateFolder(const vexstr& name) {
  return mkdir(PathToUtf8(name).c_str(), 0777) == 0;
}

bool TEFile::RemoveFolder(const vexstr& name) {
  if (rmdir(PathToUtf8(name).c_str()) == 0) return true;
  return errno == ENOENT;
}

bool TEFile::SetCurrentFolder(const vexstr& path) {
  return !path.IsEmpty() && chdir(PathToUtf8(path).c_str()) == 0;
}

vexstr TEFile::GetCurrentFolder() {
  char* path = getcwd(nullptr, 0);
  if (!path) return vexstr();
  vexstr folder = PathFromUtf8(path, std::strlen(path));
  std::free(path);
  return folder;
}

vexstr TEFile::AppendSeparator(const vexstr& path) {
  vexstr result(path);
  if (result.IsEmpty() || result.GetLast() != kSeparator) result << kSeparator;
  return result;
}

vexstr& TEFile::AppendSeparatorInPlace(vexstr& path) {
  if (!path.IsEmpty() && path.GetLast() != kSeparator) path << kSeparator;
  return path;
}

size_t TEFile::ExtensionDot(const char16_t* name, size_t length) {
  for (size_t i = length; i-- > 0;) {
    if (name[i] == kSeparator) return vexstr::npos;
    if (name[i] == u'.') return i == 0 ? vexstr::npos : i;
  }
  return vexstr::npos;
}

vexstr TEFile::FileExtension(const vexstr& name) {
  size_t dot = ExtensionDot(name.raw(), name.Length());
  return dot == vexstr::npos ? vexstr() : name.SubStringFrom(dot + 1);
}

vexstr TEFile::FileNamePart(const vexstr& name) {
  if (name.IsEmpty() || IsFolder(name)) return vexstr();
  long separator = name.LastIndexOf(kSeparator);
  return separator > 0 ? name.SubStringFrom(static_cast<size_t>(separator) + 1) : name;
}

vexstr TEFile::ReplaceExtension(const vexstr& name, const vexstr& extension) {
  if (name.IsEmpty()) return vexstr();
  size_t dot = ExtensionDot(name.raw(), name.Length());
  vexstr result = dot == vexstr::npos ? name : name.SubStringTo(dot);
  if (!extension.IsEmpty()) {
    if (extension[0] != u'.') result << u'.';
    result << extension;
  }
  return result;
}

}  // namespace zodu
