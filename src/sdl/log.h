// The log: entries with headers and kinds, handed to handlers and written to streams.
#pragma once

#include <memory>
#include <vector>

#include "sdl/actions.h"
#include "sdl/ebase.h"
#include "sdl/estrlist.h"
#include "sdl/istream.h"

namespace zodu {

class LogEntry;

// The text of a finished entry, as the data argument of the log's queues.
class TLogText : public IVexObject {
 public:
  explicit TLogText(const vexstr& text) : text_(text) {}
  vexstr ToString() const override { return text_; }
  const vexstr& GetText() const { return text_; }

 private:
  vexstr text_;
};

// Entry kinds (an int, so that any value is a kind: unnamed ones count as information).
// A plain entry goes straight to the streams, a verbose one only when verbose; the rest
// are offered to a queue first ("ONWRN" warnings, "ONERR" errors, "ONEXC" exceptions,
// "ONINF" the others) and written unless a handler answers true.
enum LogKind : int {
  kLogInfo = 0,
  kLogPlain = 1,
  kLogVerbose = 2,
  kLogInformation = 3,
  kLogWarning = 4,
  kLogError = 5,
  kLogException = 6,
  kLogExceptionAlso = 7,
};

class TLog : public IVexObject, public IDataOutputStream {
 public:
  TLog();
  ~TLog() override;
  TLog(const TLog&) = delete;
  TLog& operator=(const TLog&) = delete;

  // An owned stream is deleted with the log (or when removed).
  void AddStream(IOutputStream* stream, bool owned);
  // Detaches `stream`, deleting it when the log owns it; false when it is not attached.
  bool RemoveStream(IOutputStream* stream);

  void SetVerbose(bool verbose) { verbose_ = verbose; }
  void SetAutoFlush(bool autoFlush) { autoFlush_ = autoFlush; }

  TActionQList& GetActions() { return actions_; }
  TActionQueue& OnInfo() const { return *onInfo_; }
  TActionQueue& OnWarning() const { return *onWarning_; }
  TActionQueue& OnError() const { return *onError_; }
  TActionQueue& OnException() const { return *onException_; }
  TActionQueue& OnPost() const { return *onPost_; }

  // An entry that is written when it ends. The header: with `annotate` "New log entry
  // at [location]: TIME" (or "New log entry at: TIME" without location), otherwise
  // "At [location]: " or nothing.
  LogEntry NewEntry(int kind, bool annotate = false, const vexstr& location = vexstr());

  // The log is no byte stream: a raw write raises TNotImplementedException.
  using IOutputStream::Write;
  void Write(const void* data, size_t size) override;
  // Flushes every stream.
  void Flush() override;
  uint64_t Length() override { return 0; }
  uint64_t GetPosition() override { return 0; }
  // Raises TNotImplementedException.
  void SetPosition(uint64_t position) override;

 private:
  friend class LogEntry;
  // Offers the finished text to the queues and writes it, under the process-wide lock.
  void Dispatch(int kind, TTStrBuffer<vexstr>& buffer);
  void WriteToStreams(const vexstr& text);

  struct StreamEntry {
    IOutputStream* stream;
    bool owned;
  };
  std::vector<StreamEntry> streams_;
  TActionQList actions_;
  bool verbose_ = false;
  bool autoFlush_ = false;
  TActionQueue* onInfo_;
  TActionQueue* onWarning_;
  TActionQueue* onError_;
  TActionQueue* onException_;
  TActionQueue* onPost_;
};

// An entry under construction: pieces are appended and the entry is written when it ends.
class LogEntry {
 public:
  LogEntry(TLog& log, int kind, bool annotate, const vexstr& location);
  LogEntry(const LogEntry&) = delete;
  LogEntry& operator=(const LogEntry&) = delete;
  // Writes the entry. A failing handler or stream cannot be reported from here: the
  // entry is then lost rather than the process.
  ~LogEntry();

  LogEntry& operator<<(const vexstr& text) {
    buffer_ << text;
    return *this;
  }
  // Narrow text keeps its bytes: they come out of the log as they went in.
  LogEntry& operator<<(const vexcstr& text);
  LogEntry& operator<<(const char* text) { return *this << vexcstr(text); }
  LogEntry& operator<<(const char16_t* text) { return *this << vexstr(text); }
  LogEntry& operator<<(int value) { return *this << (vexstr() << value); }
  LogEntry& operator<<(unsigned value) { return *this << (vexstr() << value); }

 private:
  TLog& log_;
  TTStrBuffer<vexstr> buffer_;
  int kind_;
};

// The current local time in the form "Wed Jan 02 02:03:55 1980"; empty when it cannot
// be formatted.
vexstr LocalTimeText();

}  // namespace zodu
