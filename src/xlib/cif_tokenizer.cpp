// The CIF tokenizer: one pass over the text driven by a table of character classes.
#include "xlib/cif_tokenizer.h"

#include <algorithm>
#include <cstring>  // for memchr
#include <vector>

#include "sdl/utf8_path.h"
#include "xlib/cif_site.h"

namespace cif_dp {
namespace {

enum CharClass : uint8_t { kOrdinary, kWhite, kQuote, kSemicolon, kHash, kOpenBracket };

struct ClassTable {
  uint8_t of[256] = {};
  constexpr ClassTable() {
    of[' '] = of['\t'] = of['\n'] = kWhite;
    of['\''] = of['"'] = kQuote;
    of[';'] = kSemicolon;
    of['#'] = kHash;
    of['['] = of['{'] = kOpenBracket;
  }
};
constexpr ClassTable kClasses;

inline uint8_t ClassOf(char c) {
  return kClasses.of[static_cast<unsigned char>(c)];
}
inline uint8_t ClassOf(char16_t c) {
  return c < 256 ? kClasses.of[c] : uint8_t(kOrdinary);
}

template <class C>
inline bool IsWhite(C c) {
  return ClassOf(c) == kWhite;
}

// The first position from `from` on that holds `c`, or `end`.
inline size_t Find(const char* s, size_t from, size_t end, char c) {
  const void* at = from < end ? std::memchr(s + from, c, end - from) : nullptr;
  return at ? size_t(static_cast<const char*>(at) - s) : end;
}
inline size_t Find(const char16_t* s, size_t from, size_t end, char16_t c) {
  while (from < end && s[from] != c) ++from;
  return from;
}

[[noreturn, gnu::cold]] void RaiseNoBracket(int line) {
  throw zodu::TInvalidArgumentException(
      zodu::FormatLocation("xlib/cifdp", "cif_dp::TCifDP::ExtractBracketedData", line),
      vexstr(u"data"));
}

}  // namespace

std::string Utf8Text(const vexstr& text) {
  const zodu::vexcstr bytes = zodu::PathToUtf8(text);
  return std::string(bytes.raw(), bytes.Length());
}

template <class C>
std::pair<size_t, size_t> TextPlaces<C>::At(size_t pos) {
  if (pos < pos_) pos_ = line_ = column_ = 0;
  for (; pos_ < pos; ++pos_) {
    const C c = chars_[pos_];
    if (c == '\n' || (c == '\r' && returnsEnd_)) {
      ++line_;
      column_ = 0;
    } else if (c != '\r') {
      ++column_;
    }
  }
  return {line_ + 1, column_ + 1 + (line_ == 0 ? shift_ : 0)};
}

template <class C>
void CifText<C>::SetFindings(CifFindings* findings, size_t shift) {
  findings_ = findings;
  places_ = TextPlaces<C>(chars_, shift, false);
}

template <class C>
void CifText<C>::Report(CifFinding::Kind kind, size_t at, const std::string& message) {
  if (!findings_) return;
  const auto [line, column] = places_.At(at);
  findings_->Found(CifFinding{kind, kind != CifFinding::kNotUtf8, line, column, message});
}

template <class C>
void CifText<C>::NoteFault(size_t at, std::string reason) {
  faultAt_ = at;
  faultReason_ = std::move(reason);
}

template <class C>
void CifText<C>::ReportFault() {
  if (!faultReason_.empty()) Report(CifFinding::kFailure, faultAt_, faultReason_);
}

// A quote opens a quoted part only when none is open and closes only the same quote, so a
// quote of the other kind inside a quoted part changes nothing.
template <class C>
size_t CifText<C>::MatchBracket(size_t pos, size_t bound, char16_t open, char16_t close) {
  if (pos >= bound || chars_[pos] != open) RaiseNoBracket(__LINE__);
  if (auto known = closeOf_.find(uint32_t(pos)); known != closeOf_.end()) return known->second;
  std::vector<uint32_t> opens;
  char16_t quote = 0;
  for (size_t i = pos; i < bound; ++i) {
    const C c = chars_[i];
    if (c == '\'' || c == '"') {
      if (quote == 0)
        quote = c;
      else if (quote == c)
        quote = 0;
    } else if (quote != 0) {
      continue;
    } else if (c == open) {
      if (i != pos) {
        if (auto known = closeOf_.find(uint32_t(i)); known != closeOf_.end()) {
          i = known->second;
          continue;
        }
      }
      opens.push_back(uint32_t(i));
    } else if (c == ';' && chars_[i - 1] == '\n') {
      size_t k = i + 1;
      while (k < bound && !(chars_[k] == ';' && chars_[k - 1] == '\n')) ++k;
      if (k >= bound) break;
      i = k;
    } else if (c == close) {
      closeOf_[opens.back()] = uint32_t(i);
      opens.pop_back();
      if (opens.empty()) return i;
    }
  }
  NoteFault(pos, std::string("unclosed bracket '") + char(open) + "'");
  RaiseNoBracket(__LINE__);
}

template <class C>
size_t CifText<C>::LineAt(size_t from, size_t pos) const {
  size_t lines = 0;
  for (size_t i = from; i < pos; ++i) lines += chars_[i] == '\n';
  return lines;
}

template <class C>
vexstr CifText<C>::Slice(size_t begin, size_t length) const {
  if constexpr (std::is_same_v<C, char>) {
    // Widened texts are packed one after another into shared pools, so that the values of
    // a run of items share one buffer that holds nothing but them.
    constexpr size_t kPool = 480;  // below the size at which malloc consolidates
    const bool own = length > kPool / 2;
    if (!own && poolUsed_ + length > pool_.Length()) {
      pool_ = NewPool(kPool);
      poolUsed_ = 0;
    }
    vexstr into = own ? NewPool(length) : pool_;
    const size_t at = own ? 0 : poolUsed_;
    // The pool's places past `poolUsed_` are viewed by no one yet.
    char16_t* to = const_cast<char16_t*>(into.raw()) + at;
    for (size_t i = 0; i < length; ++i)
      to[i] =
          static_cast<char16_t>(static_cast<int16_t>(static_cast<signed char>(chars_[begin + i])));
    if (!own) poolUsed_ += length;
    return into.SubString(at, length);
  } else {
    return text_.SubString(begin, length);
  }
}

template <class C>
vexstr CifText<C>::NewPool(size_t size) {
  auto* chars = static_cast<char16_t*>(zodu::vex_malloc_(size * sizeof(char16_t)));
  // No NUL: c_str of a view must not end it in place at a place a later text fills.
  std::fill_n(chars, size, char16_t(0xFFFF));
  return vexstr::Adopt(chars, size);
}

template <class C>
vexstr CifText<C>::TokenText(const TokenView& token) const {
  vexstr inner = Slice(token.begin, token.end - token.begin);
  if (!token.wrap) return inner;
  return vexstr(&token.wrap, 1) << inner << token.wrap;
}

template <class C>
vexstr CifText<C>::NameText(const TokenView& token) const {
  if constexpr (std::is_same_v<C, char>) {
    // Bounded, so that a text of ever new names costs no more than without sharing.
    constexpr size_t kNames = 4096, kLongest = 80;
    const size_t length = token.end - token.begin;
    if (token.wrap || length > kLongest) return TokenText(token);
    const std::string_view key(chars_ + token.begin, length);
    const auto found = names_.find(key);
    if (found != names_.end()) return found->second;
    vexstr name = TokenText(token);
    if (names_.size() < kNames) names_.emplace(key, name);
    return name;
  } else {
    return TokenText(token);
  }
}

template <class C>
void CifTokenizer<C>::Raise(const char* reason, size_t at) const {
  text_.NoteFault(at, reason);
  throw ParsingException(
      zodu::FormatLocation("xlib/cifdp", "cif_dp::TCifDP::TokenizeString", __LINE__),
      vexstr(reason), text_.LineAt(begin_, at));
}

template <class C>
bool CifTokenizer<C>::QuotedString(char16_t quote, TokenView& token) {
  const size_t i = i_;
  if (i + 2 < end_ && s_[i + 1] == quote && s_[i + 2] == quote) {
    size_t j = i + 3;
    while (j + 2 < end_ && !(s_[j] == quote && s_[j + 1] == quote && s_[j + 2] == quote)) ++j;
    if (j + 2 >= end_) Raise("unbalanced quotation", i);
    token = TokenView{uint32_t(i + 3), uint32_t(j), uint32_t(i), quote};
    // The character after the closing quotes is taken as a separator.
    if (j + 3 < end_ && !IsWhite(s_[j + 3]))
      text_.Report(
          CifFinding::kDroppedChar, j + 3,
          "'" + MessageText(s_ + j + 3, 1) + "' right after the closing quotes is not kept");
    i_ = std::min(j + 4, end_);
    return true;
  }
  for (size_t k = i + 1; k < end_; ++k) {
    if (s_[k] != quote) continue;
    if (k + 1 == end_ || IsWhite(s_[k + 1])) {
      token = TokenView{uint32_t(i), uint32_t(k + 1), uint32_t(k), 0};
      i_ = k + 1;
      return true;
    }
    if (version_ == 2 && s_[k + 1] == ':') {
      token = TokenView{uint32_t(i), uint32_t(k + 1), uint32_t(k), 0};
      i_ = afterColon_ = k + 2;
      return true;
    }
  }
  // Unterminated: up to the second-last character, closed with the quote.
  text_.Report(CifFinding::kUnclosed, i, "unclosed quotation: the rest of the text is one value");
  if (i + 1 >= end_)
    token = TokenView{uint32_t(i), uint32_t(i + 1), uint32_t(i), 0};
  else
    token = TokenView{uint32_t(i + 1), uint32_t(end_ - 1), uint32_t(end_ - 1), quote};
  i_ = end_;
  return true;
}

template <class C>
bool CifTokenizer<C>::Next(TokenView& token) {
  while (i_ < end_) {
    const size_t i = i_;
    const C c = s_[i];
    const bool atStart = i == begin_;
    switch (ClassOf(c)) {
      case kWhite:
        do ++i_;
        while (i_ < end_ && IsWhite(s_[i_]));
        continue;
      case kQuote:
        if (atStart || IsWhite(s_[i - 1]) || (version_ == 2 && i == afterColon_))
          return QuotedString(c, token);
        break;
      case kSemicolon:
        if (atStart) Raise("invalid start of file", i);
        if (s_[i - 1] == '\n') {
          size_t k = Find(s_, i + 1, end_, '\n');
          while (k + 1 < end_ && s_[k + 1] != ';') k = Find(s_, k + 1, end_, '\n');
          if (k + 1 >= end_) Raise("unbalanced quotation", i);
          token = TokenView{uint32_t(i), uint32_t(k + 2), uint32_t(i), 0};
          i_ = k + 2;
          return true;
        }
        break;
      case kHash:
        if (atStart || IsWhite(s_[i - 1])) {
          const size_t k = Find(s_, i, end_, '\n');
          token = TokenView{uint32_t(i), uint32_t(k), uint32_t(i), 0};
          i_ = k < end_ ? k + 1 : end_;
          return true;
        }
        break;
      case kOpenBracket:
        if (version_ == 2) {
          const size_t close = text_.MatchBracket(i, end_, c, c == '[' ? u']' : u'}');
          token = TokenView{uint32_t(i), uint32_t(close + 1), uint32_t(close), 0};
          i_ = close + 1;
          return true;
        }
        break;
      default:
        break;
    }
    // A plain token: only white space ends it.
    size_t k = i + 1;
    while (k < end_ && !IsWhite(s_[k])) ++k;
    token = TokenView{uint32_t(i), uint32_t(k), uint32_t(i), 0};
    i_ = k;
    return true;
  }
  return false;
}

template class TextPlaces<char>;
template class TextPlaces<char16_t>;
template class CifText<char>;
template class CifText<char16_t>;
template class CifTokenizer<char>;
template class CifTokenizer<char16_t>;

}  // namespace cif_dp
