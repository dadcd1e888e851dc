// Writing log entries: headers, dispatch by kind and the streams.
#include "sdl/log.h"

#include <ctime>  // for time, localtime_r, strftime
#include <mutex>

#include "sdl/log_capture.h"

namespace zodu {
namespace {

// One lock for every log of the process, made on first use. Recursive, so that a handler
// may write an entry of its own. It ends with the module: nothing logs while the module's
// objects are destroyed, and a module that is loaded again must not keep an old one.
std::recursive_mutex& EntryLock() {
  static std::recursive_mutex lock;
  return lock;
}

constexpr char16_t kLineEnd[] = u"\r\n";

}  // namespace

vexstr LocalTimeText() {
  std::time_t now = std::time(nullptr);
  std::tm parts;
  char text[64];
  if (localtime_r(&now, &parts) == nullptr) return vexstr();
  size_t n = std::strftime(text, sizeof(text), "%a %b %d %H:%M:%S %Y", &parts);
  return vexstr(text, n);
}

TLog::TLog() {
  onInfo_ = &actions_.New(u"ONINF");
  onWarning_ = &actions_.New(u"ONWRN");
  onError_ = &actions_.New(u"ONERR");
  onException_ = &actions_.New(u"ONEXC");
  onPost_ = &actions_.New(u"ONPOST");
}

TLog::~TLog() {
  for (StreamEntry& entry : streams_)
    if (entry.owned) delete entry.stream;
}

void TLog::AddStream(IOutputStream* stream, bool owned) {
  streams_.push_back(StreamEntry{stream, owned});
}

bool TLog::RemoveStream(IOutputStream* stream) {
  for (size_t i = 0; i < streams_.size(); ++i) {
    if (streams_[i].stream != stream) continue;
    bool owned = streams_[i].owned;
    streams_.erase(streams_.begin() + i);
    if (owned) delete stream;
    return true;
  }
  return false;
}

LogEntry TLog::NewEntry(int kind, bool annotate, const vexstr& location) {
  return LogEntry(*this, kind, annotate, location);
}

void TLog::Write(const void*, size_t) {
  throw TNotImplementedException(ZT_LOCATION);
}

void TLog::SetPosition(uint64_t) {
  throw TNotImplementedException(ZT_LOCATION);
}

void TLog::Flush() {
  for (StreamEntry& entry : streams_) entry.stream->Flush();
}

void TLog::Dispatch(int kind, TTStrBuffer<vexstr>& buffer) {
  if (LogCapture* capture = LogCapture::Current()) {
    if (kind != kLogVerbose) capture->Take(kind, buffer.ToString());
    return;
  }
  std::lock_guard<std::recursive_mutex> hold(EntryLock());
  if (kind == kLogVerbose && !verbose_) return;
  buffer << vexstr(kLineEnd);
  TLogText text(buffer.ToString());
  onPost_->Execute(this, &text);
  if (kind == kLogPlain) return WriteToStreams(text.GetText());
  TActionQueue& queue = kind == kLogWarning                                  ? *onWarning_
                        : kind == kLogError                                  ? *onError_
                        : kind == kLogException || kind == kLogExceptionAlso ? *onException_
                                                                             : *onInfo_;
  if (!queue.Execute(this, &text)) WriteToStreams(text.GetText());
  queue.Exit(this, &text);
}

void TLog::WriteToStreams(const vexstr& text) {
  if (streams_.empty()) return;
  // The streams take bytes: code units up to 255 are written as such, any other as '?'.
  // Entries never fail for the characters they carry.
  std::vector<char> bytes(text.Length());
  for (size_t i = 0; i < bytes.size(); ++i) {
    char16_t c = text[i];
    bytes[i] = c <= 0xFF ? static_cast<char>(c) : '?';
  }
  for (StreamEntry& entry : streams_) entry.stream->Write(bytes.data(), bytes.size());
  if (autoFlush_) Flush();
}

LogEntry::LogEntry(TLog& log, int kind, bool annotate, const vexstr& location)
    : log_(log), kind_(kind) {
  if (annotate) {
    if (location.IsEmpty())
      buffer_ << vexstr(u"New log entry at: ");
    else
      buffer_ << vexstr(u"New log entry at [") << location << vexstr(u"]: ");
    buffer_ << LocalTimeText() << vexstr(kLineEnd);
  } else if (!location.IsEmpty()) {
    buffer_ << vexstr(u"At [") << location << vexstr(u"]: ") << vexstr(kLineEnd);
  }
}

LogEntry::~LogEntry() {
  try {
    log_.Dispatch(kind_, buffer_);
  } catch (...) {
  }
}

LogEntry& LogEntry::operator<<(const vexcstr& text) {
  if (text.IsEmpty()) return *this;
  auto* units = static_cast<char16_t*>(vex_malloc_(text.Length() * sizeof(char16_t)));
  for (size_t i = 0; i < text.Length(); ++i) units[i] = static_cast<unsigned char>(text[i]);
  buffer_ << vexstr::Adopt(units, text.Length());
  return *this;
}

}  // namespace zodu
