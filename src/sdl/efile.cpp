// TEFile's stream members: opening, reading, writing and seeking a file.
#include "sdl/efile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>  // for strchr

#include "sdl/regular_file.h"
#include "sdl/utf8_path.h"

namespace zodu {
namespace {

// Opening a folder "rb" succeeds here and only reading fails, and opening a pipe waits for
// a writer. A file opened for reading alone is opened without waiting and checked through
// its descriptor, so nothing can be swapped in between; other modes are checked before the
// open and again after it.
bool IsOtherThanRegularFile(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 && !S_ISREG(st.st_mode);
}

bool IsRegularFile(int descriptor) {
  struct stat st;
  return fstat(descriptor, &st) == 0 && S_ISREG(st.st_mode);
}

bool IsReadOnlyMode(const char* mode) {
  return mode[0] == 'r' && std::strchr(mode, '+') == nullptr;
}

FILE* OpenForReading(const char* path, const char* mode) {
  FileFault fault;
  FileDescriptor descriptor = OpenRegularFile(path, true, fault);
  if (!descriptor.IsOpen()) return nullptr;
  FILE* handle = fdopen(descriptor.Get(), mode);
  if (handle) descriptor.Release();  // the handle closes it
  return handle;
}

FILE* OpenRegularFile(const char* path, const char* mode) {
  if (IsReadOnlyMode(mode)) return OpenForReading(path, mode);
  if (IsOtherThanRegularFile(path)) return nullptr;
  FILE* handle = std::fopen(path, mode);
  if (handle && !IsRegularFile(fileno(handle))) {
    std::fclose(handle);
    handle = nullptr;
  }
  return handle;
}

}  // namespace

TEFile::TEFile(const vexstr& name, const vexstr& mode) {
  Open(name, mode);
}

TEFile::~TEFile() {
  if (handle_) std::fclose(handle_);
}

void TEFile::Open(const vexstr& name, const vexstr& mode) {
  Close();
  vexcstr path = PathToUtf8(name);
  handle_ = OpenRegularFile(path.c_str(), PathToUtf8(mode).c_str());
  if (!handle_) {
    // Built before the name is cleared: `name` may be GetName() itself.
    TFileException error(ZT_LOCATION, name,
                         vexstr(u"NULL handle for '")
                             << name << u"' with opening mode '" << mode << u"'");
    name_ = vexstr();
    throw error;
  }
  name_ = name;
}

void TEFile::Close() {
  if (!handle_) return;
  int result = std::fclose(handle_);
  handle_ = nullptr;
  if (result != 0) throw TFileException(ZT_LOCATION, name_, u"fclose failed");
}

void TEFile::CheckHandle() const {
  if (!handle_) throw TFileException(ZT_LOCATION, name_, u"Invalid file handle");
}

void TEFile::Read(void* buffer, size_t count) {
  CheckHandle();
  if (count == 0) return;
  if (std::fread(buffer, count, 1, handle_) != 1)
    throw TFileException(ZT_LOCATION, name_, u"fread failed");
}

void TEFile::Write(const void* buffer, size_t count) {
  CheckHandle();
  if (count == 0) return;
  if (std::fwrite(buffer, count, 1, handle_) != 1)
    throw TFileException(ZT_LOCATION, name_, u"fwrite failed");
}

uint64_t TEFile::GetPosition() {
  CheckHandle();
  off_t position = ftello(handle_);
  if (position < 0) throw TFileException(ZT_LOCATION, name_, u"ftell failed");
  return static_cast<uint64_t>(position);
}

uint64_t TEFile::Length() {
  CheckHandle();
  off_t position = ftello(handle_);
  off_t length = -1;
  if (position >= 0 && fseeko(handle_, 0, SEEK_END) == 0) {
    length = ftello(handle_);
    if (fseeko(handle_, position, SEEK_SET) != 0) length = -1;
  }
  if (length < 0) throw TFileException(ZT_LOCATION, name_, u"ftell failed");
  return static_cast<uint64_t>(length);
}

void TEFile::SetPosition(uint64_t position) {
  _seek(position, SEEK_SET);
}

void TEFile::_seek(uint64_t offset, int origin) {
  CheckHandle();
  if (offset > static_cast<uint64_t>(INT64_MAX) ||
      fseeko(handle_, static_cast<off_t>(offset), origin) != 0)
    throw TFileException(ZT_LOCATION, name_, u"fseek failed");
}

void TEFile::Flush() {
  CheckHandle();
  // fclose reports success after a failed flush, so this is the only word of the loss.
  if (std::fflush(handle_) != 0) throw TFileException(ZT_LOCATION, name_, u"fflush failed");
}

}  // namespace zodu
