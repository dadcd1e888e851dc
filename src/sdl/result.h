// The one way a domain function answers: its value, or the reason it has none.
#pragma once

#include <string>
#include <utility>

namespace zt7 {

// kMismatch: done, and the data do not agree; kRefused: not done, the arguments or the
// data do not allow it; kError: not done, the system failed.
enum class Outcome { kOk, kMismatch, kRefused, kError };

// A value with its outcome and a reason in UTF-8 (one or more lines). A value that is not
// kOk may still be meaningful (a check's code); the reason of a kOk value is a note for the
// caller (a warning), empty when there is none. The reason is made once, where the outcome
// is decided, and travels with the result.
template <class T>
class Result {
 public:
  Result(T value, std::string note = std::string())
      : value_(std::move(value)), reason_(std::move(note)) {}
  Result(Outcome outcome, std::string reason, T value = T())
      : outcome_(outcome), value_(std::move(value)), reason_(std::move(reason)) {}

  bool Ok() const { return outcome_ == Outcome::kOk; }
  Outcome GetOutcome() const { return outcome_; }
  const T& Value() const { return value_; }
  T& Value() { return value_; }
  const std::string& Reason() const { return reason_; }

 private:
  Outcome outcome_ = Outcome::kOk;
  T value_;
  std::string reason_;
};

// The value of a result that is only an outcome and a reason.
struct Done {};

}  // namespace zt7
