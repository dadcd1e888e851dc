// Cutting CIF text into tokens that are views of the text, and matching brackets.
#pragma once

#include <cstdint>
#include <unordered_map>

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

// The text being read, with the bracket matches found so far: a match found inside an
// outer walk is the one a fresh walk from that bracket would find, so nested lists are
// matched once each rather than once per level.
class CifText {
 public:
  explicit CifText(const vexstr& text) : text_(text), chars_(text.raw()) {}
  const vexstr& Text() const { return text_; }
  const char16_t* Chars() const { return chars_; }
  size_t Length() const { return text_.Length(); }

  // The position of the bracket that closes the one at `pos` (`open`), looking no
  // further than `bound`; raises TInvalidArgumentException "data" when there is none.
  size_t MatchBracket(size_t pos, size_t bound, char16_t open, char16_t close);
  // Line feeds in [from, pos).
  size_t LineAt(size_t from, size_t pos) const;
  vexstr TokenText(const TokenView& token) const;
  char16_t FirstChar(const TokenView& token) const {
    return token.wrap ? token.wrap : chars_[token.begin];
  }
  size_t TokenLength(const TokenView& token) const {
    return token.end - token.begin + (token.wrap ? 2 : 0);
  }

 private:
  vexstr text_;
  const char16_t* chars_;
  std::unordered_map<uint32_t, uint32_t> closeOf_;
};

// Tokens of the range [begin, end) of a text, one at a time; the range starts a text of
// its own for the rules that look at the start and for line numbers.
class CifTokenizer {
 public:
  CifTokenizer(CifText& text, size_t begin, size_t end, int version)
      : text_(text), s_(text.Chars()), begin_(begin), end_(end), i_(begin), version_(version) {}
  // False after the last token; raises ParsingException for an unterminated text field or
  // triple-quoted string and for ";" at the start.
  bool Next(TokenView& token);

 private:
  bool QuotedString(char16_t quote, TokenView& token);
  void Raise(const char* reason, size_t at) const;

  CifText& text_;
  const char16_t* s_;
  size_t begin_, end_, i_;
  // Where a quoted key's consumed colon ended; a quote there opens a string.
  size_t afterColon_ = SIZE_MAX;
  int version_;
};

}  // namespace cif_dp
