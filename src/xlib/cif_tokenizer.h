// Cutting CIF text into tokens that are views of the text, and matching brackets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <utility>

#include "xlib/cifdp.h"

namespace cif_dp {

// A token as a range of the text; `wrap`, when set, is a quote character that stands
// before and after the range (triple-quoted and unterminated strings). `ref` is the
// position whose line is the token's line.
struct TokenView {
  uint32_t begin;
  uint32_t end;
  uint32_t ref;
  char16_t wrap;
};

// The holder of a text of characters C: 16-bit text, or 8-bit text that holds only ASCII
// (read without widening, at half the memory).
template <class C>
using TextHolder = std::conditional_t<std::is_same_v<C, char>, zodu::vexcstr, vexstr>;

// Text for findings in UTF-8: whole, or cut after 40 characters for a message.
std::string Utf8Text(const vexstr& text);
template <class C>
std::string MessageText(const C* chars, size_t length) {
  constexpr size_t kMost = 40;
  return Utf8Text(vexstr(chars, std::min(length, kMost))) + (length > kMost ? "..." : "");
}
inline std::string MessageText(const vexstr& text) {
  return MessageText(text.raw(), text.Length());
}

// Lines and columns (from 1) of positions of a text, counted forward from the last position
// asked for. Carriage returns end lines when `returnsEnd` (a text without line feeds), else
// they are not counted; `shift` characters stand before the first line (the CIF 2.0 magic).
template <class C>
class TextPlaces {
 public:
  TextPlaces(const C* chars, size_t shift, bool returnsEnd)
      : chars_(chars), shift_(shift), returnsEnd_(returnsEnd) {}
  std::pair<size_t, size_t> At(size_t pos);

 private:
  const C* chars_;
  size_t shift_;
  bool returnsEnd_;
  size_t pos_ = 0, line_ = 0, column_ = 0;
};

// The text being read, with the bracket matches found so far: a match found inside an
// outer walk is the one a fresh walk from that bracket would find, so nested lists are
// matched once each rather than once per level.
template <class C>
class CifText {
 public:
  explicit CifText(const TextHolder<C>& text)
      : text_(text), chars_(text.raw()), places_(text.raw(), 0, false) {}
  const TextHolder<C>& Text() const { return text_; }
  const C* Chars() const { return chars_; }
  size_t Length() const { return text_.Length(); }

  // The position of the bracket that closes the one at `pos` (`open`), looking no
  // further than `bound`; raises TInvalidArgumentException "data" when there is none.
  size_t MatchBracket(size_t pos, size_t bound, char16_t open, char16_t close);
  // Line feeds in [from, pos).
  size_t LineAt(size_t from, size_t pos) const;
  // The characters [begin, begin + length) as 16-bit text. From 8-bit text, a widened copy
  // in a buffer shared with the texts sliced before and after it.
  vexstr Slice(size_t begin, size_t length) const;
  vexstr TokenText(const TokenView& token) const;
  // The same for a name: the names of a dictionary's frames repeat, so from 8-bit text the
  // names seen before share one copy.
  vexstr NameText(const TokenView& token) const;
  char16_t FirstChar(const TokenView& token) const {
    return token.wrap ? token.wrap : char16_t(chars_[token.begin]);
  }
  size_t TokenLength(const TokenView& token) const {
    return token.end - token.begin + (token.wrap ? 2 : 0);
  }

  // Findings of the reading go to `findings` (none when null); `shift` as for TextPlaces.
  void SetFindings(CifFindings* findings, size_t shift);
  bool Finds() const { return findings_ != nullptr; }
  void Report(CifFinding::Kind kind, size_t at, const std::string& message);
  // Keeps where the failure about to be raised lies, so that the reading can say so.
  void NoteFault(size_t at, std::string reason);
  // The kept failure, as a finding; nothing when none was kept.
  void ReportFault();

 private:
  TextHolder<C> text_;
  const C* chars_;
  CifFindings* findings_ = nullptr;
  TextPlaces<C> places_;
  size_t faultAt_ = 0;
  std::string faultReason_;
  std::unordered_map<uint32_t, uint32_t> closeOf_;
  // A buffer of `size` characters, none of them set yet.
  static vexstr NewPool(size_t size);

  mutable vexstr pool_;
  mutable size_t poolUsed_ = 0;
  mutable std::unordered_map<std::string_view, vexstr> names_;
};

// Tokens of the range [begin, end) of a text, one at a time; the range starts a text of
// its own for the rules that look at the start and for line numbers.
template <class C>
class CifTokenizer {
 public:
  CifTokenizer(CifText<C>& text, size_t begin, size_t end, int version)
      : text_(text), s_(text.Chars()), begin_(begin), end_(end), i_(begin), version_(version) {}
  // False after the last token; raises ParsingException for an unterminated text field or
  // triple-quoted string and for ";" at the start.
  bool Next(TokenView& token);

 private:
  bool QuotedString(char16_t quote, TokenView& token);
  void Raise(const char* reason, size_t at) const;

  CifText<C>& text_;
  const C* s_;
  size_t begin_, end_, i_;
  // Where a quoted key's consumed colon ended; a quote there opens a string.
  size_t afterColon_ = SIZE_MAX;
  int version_;
};

}  // namespace cif_dp
