// Findings: the places where a document read from CIF text differs from the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cif_dp {

// One place where the reader kept less of the text, or read it otherwise, than the text
// says. The reader stays as tolerant as ever and goes on reading; a caller that wants to
// know what it tolerated passes a sink.
struct CifFinding {
  enum Kind : uint8_t {
    kNotText,         // NUL bytes near the start, or the gzip magic: later findings are not given
    kNotUtf8,         // bytes that are not UTF-8, each read as ISO 8859-1; given once, not lost
    kDroppedChar,     // a character the document does not keep (beyond U+FFFF, ...) or a NUL
    kByteOrderMark,   // a byte-order mark taken into the first word
    kNoDataHeading,   // no data_ heading anywhere
    kUnnamedValue,    // a value without a name, skipped
    kReplacedName,    // an item named again: the earlier value is gone
    kDroppedComment,  // a comment the document does not keep
    kEmptyLoop,       // a loop without values, dropped
    kUnclosed,        // a quotation that runs to the end of the text
    kFailure,         // the reading stopped here; the message is the reader's reason
  };
  Kind kind;
  // Something of the text did not reach the document (every kind but kNotUtf8).
  bool lost;
  // From 1; the column counts characters (a UTF-8 sequence is one).
  size_t line;
  size_t column;
  std::string message;  // UTF-8
};

// Receives the findings of one reading: those of decoding the bytes first, then those of
// reading the text in its order, a failure last.
class CifFindings {
 public:
  virtual void Found(const CifFinding& finding) = 0;
  // A line that a reading without a sink writes to the application's log (a block renamed,
  // an empty loop dropped, an item that takes a loop's name), in the log's words.
  virtual void Logged(const std::string& line) = 0;

 protected:
  ~CifFindings() = default;
};

}  // namespace cif_dp
