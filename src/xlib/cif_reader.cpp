// The CIF reader: text to tokens to blocks, items, loops, comments, lists and maps.
#include <algorithm>
#include <cstdlib>  // for free
#include <cstring>  // for memchr
#include <exception>
#include <memory>
#include <optional>
#include <string>  // for char_traits
#include <vector>

#include "sdl/estrlist.h"
#include "sdl/utf8.h"
#include "xlib/cif_log.h"
#include "xlib/cif_site.h"
#include "xlib/cif_tokenizer.h"

namespace cif_dp {
namespace {

[[noreturn, gnu::cold]] void RaiseParsing(const char* function, int line, const vexstr& reason,
                                          size_t number) {
  throw ParsingException(zodu::FormatLocation("xlib/cifdp", function, line), reason, number);
}

template <class C>
bool StartsWithi(const CifText<C>& text, const TokenView& t, const char16_t* prefix, size_t n) {
  if (t.wrap || t.end - t.begin < n) return false;
  const C* s = text.Chars() + t.begin;
  for (size_t i = 0; i < n; ++i) {
    char16_t c = s[i];
    if (c >= 'A' && c <= 'Z') c = char16_t(c + ('a' - 'A'));
    if (c != prefix[i]) return false;
  }
  return true;
}

template <class C>
bool IsBracketToken(const CifText<C>& text, const TokenView& t, int version) {
  if (version != 2 || text.TokenLength(t) == 0) return false;
  const char16_t first = text.FirstChar(t);
  return first == '[' || first == '{';
}

// The text field's lines: the token without its semicolons, cut at every line feed with
// empty pieces kept; a field that opens with a line feed loses that first empty piece.
std::unique_ptr<cetStringList> TextField(const vexstr& token) {
  auto field = std::make_unique<cetStringList>();
  TStrList& lines = field->GetLines();
  const size_t last = token.Length() - 1;
  size_t from = 1;
  for (size_t i = 1; i < last; ++i)
    if (token[i] == '\n') {
      lines.Add(token.SubString(from, i - from));
      from = i + 1;
    }
  lines.Add(token.SubString(from, last - from));
  if (token[1] == '\n') lines.Delete(0);
  return field;
}

// Every entry kind but lists and maps, from a token of `text`.
template <class C>
std::unique_ptr<ICifEntry> PlainEntry(const CifText<C>& text, const TokenView& t) {
  const size_t n = text.TokenLength(t);
  if (n == 0) return std::make_unique<cetString>(vexstr(), true);
  const char16_t first = text.FirstChar(t);
  if (first == '#') return std::make_unique<cetComment>(text.TokenText(t).SubStringFrom(1));
  if (first == ';' && !t.wrap) {
    vexstr token = text.TokenText(t);
    if (n >= 2 && token[n - 1] == ';') return TextField(token);
    return std::make_unique<cetString>(token, true);
  }
  if (t.wrap) return std::make_unique<cetString>(text.Slice(t.begin, t.end - t.begin), true);
  return std::make_unique<cetString>(text.TokenText(t));
}

// The tokens of a list's or map's inside.
struct Level {
  ICifEntry* container;
  bool isMap;
  size_t innerBegin;
  std::vector<TokenView> tokens;
  size_t next = 0;
};

// The line of the map's token is counted only when the map fails.
template <class C, class MapLine>
void FillLevel(CifText<C>& text, const TokenView& t, Level& level, MapLine mapLine) {
  if (t.end - t.begin >= 2) {
    CifTokenizer<C> tokenizer(text, t.begin + 1, t.end - 1, 2);
    TokenView part;
    while (tokenizer.Next(part)) level.tokens.push_back(part);
  }
  if (level.isMap && level.tokens.size() % 2 != 0) {
    text.NoteFault(t.begin, "even number of items is expected for a map");
    RaiseParsing("cif_dp::cetDict::FromToken", __LINE__,
                 vexstr(u"even number of items is expected for a map"), mapLine());
  }
}

template <class C>
std::unique_ptr<ICifEntry> NewContainer(const CifText<C>& text, const TokenView& t) {
  if (text.FirstChar(t) == '[') return std::make_unique<cetList>();
  return std::make_unique<cetDict>();
}

// Fills `root` from its token. Nested lists and maps are kept on a stack of levels, not
// on the call stack, so that brackets nested a hundred thousand deep are read as any other.
template <class C, class MapLine>
void FillBracketed(CifText<C>& text, const TokenView& t, ICifEntry& root, MapLine rootLine) {
  std::vector<Level> levels;
  levels.push_back(Level{&root, root.Kind() == EntryKind::kMap, t.begin + 1, {}});
  FillLevel(text, t, levels.back(), rootLine);
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.tokens.size()) {
      levels.pop_back();
      continue;
    }
    const size_t innerBegin = level.innerBegin;
    std::unique_ptr<cetString> key;
    if (level.isMap)
      key = std::make_unique<cetString>(text.TokenText(level.tokens[level.next++]), true);
    const TokenView value = level.tokens[level.next++];
    const bool nested = IsBracketToken(text, value, 2);
    std::unique_ptr<ICifEntry> owned = nested ? NewContainer(text, value) : PlainEntry(text, value);
    ICifEntry* entry = owned.get();
    if (level.isMap)
      static_cast<cetDict*>(level.container)->Add(std::move(key), std::move(owned));
    else
      static_cast<cetList*>(level.container)->Add(std::move(owned));
    if (nested) {
      const bool isMap = text.FirstChar(value) == '{';
      levels.push_back(Level{entry, isMap, value.begin + 1, {}});  // `level` is stale now
      FillLevel(text, value, levels.back(), [&] { return text.LineAt(innerBegin, value.ref); });
    }
  }
}

// An entry from a token of `text`, as EntryFromToken makes it; `line` gives the token's
// line for the map's failure.
template <class C, class MapLine>
std::unique_ptr<ICifEntry> EntryFromView(CifText<C>& text, const TokenView& t, int version,
                                         MapLine line) {
  if (!IsBracketToken(text, t, version)) return PlainEntry(text, t);
  std::unique_ptr<ICifEntry> root = NewContainer(text, t);
  FillBracketed(text, t, *root, line);
  return root;
}

// Removes carriage returns when the text has line feeds, else makes them line feeds;
// returns the new length.
template <class C>
size_t NormalizeLineEnds(C* s, size_t n) {
  if (std::find(s, s + n, C('\r')) == s + n) return n;
  const bool hasFeed = std::find(s, s + n, C('\n')) != s + n;
  size_t out = 0;
  for (size_t i = 0; i < n; ++i) {
    if (s[i] != '\r')
      s[out++] = s[i];
    else if (!hasFeed)
      s[out++] = '\n';
  }
  return out;
}

}  // namespace

// Builds the document from the tokens as they come. The order of failures is that of a
// reader that tokenizes the whole text first: after a fault of the building, the rest is
// still tokenized, and a tokenizing fault there is the one reported (with an empty
// document, as nothing would have been built).
template <class C>
class CifLoader {
 public:
  CifLoader(TCifDP& doc, const TextHolder<C>& text, CifFindings* findings)
      : doc_(doc),
        findings_(findings),
        text_(text),
        tokenizer_(text_, 0, text.Length(), doc.version_) {
    text_.SetFindings(findings, doc.version_ == 2 ? 10 : 0);
  }

  void Run() {
    try {
      ReadAll();
      if (!sawHeading_) text_.Report(CifFinding::kNoDataHeading, 0, "no data_ heading");
      // A value keeps a NUL, but CIF text may not hold one and many readers end a text there.
      const C* end = text_.Chars() + text_.Length();
      if (const C* nul = text_.Finds() ? std::find(text_.Chars(), end, C(0)) : end; nul != end)
        text_.Report(CifFinding::kDroppedChar, size_t(nul - text_.Chars()),
                     "a NUL character, which CIF text cannot hold");
    } catch (...) {
      text_.ReportFault();
      throw;
    }
  }

 private:
  void ReadAll() {
    try {
      Walk();
    } catch (...) {
      if (tokenizerFailed_) {
        doc_.Clear();
        throw;
      }
      std::exception_ptr fault = std::current_exception();
      try {
        TokenView rest;
        while (tokenizer_.Next(rest)) {
        }
      } catch (...) {
        doc_.Clear();
        throw;
      }
      std::rethrow_exception(fault);
    }
  }

  bool Take(TokenView& t) {
    if (hasPending_) {
      t = pending_;
      hasPending_ = false;
      return true;
    }
    try {
      if (!tokenizer_.Next(t)) return false;
    } catch (...) {
      tokenizerFailed_ = true;
      throw;
    }
    ++taken_;
    return true;
  }
  void PutBack(const TokenView& t) {
    pending_ = t;
    hasPending_ = true;
  }
  // The index of the next token to be taken.
  size_t NextIndex() const { return hasPending_ ? taken_ - 1 : taken_; }
  size_t LineOf(const TokenView& t) const { return text_.LineAt(0, t.ref); }
  vexstr TextOf(const TokenView& t) const { return text_.TokenText(t); }
  bool IsComment(const TokenView& t) const { return text_.FirstChar(t) == '#'; }
  // Exactly "loop_", in this case.
  bool IsLoopHeader(const TokenView& t) const {
    return !t.wrap && t.end - t.begin == 5 &&
           std::equal(text_.Chars() + t.begin, text_.Chars() + t.end, "loop_");
  }

  void Walk() {
    current_ = &doc_.AddBlock(vexstr(), nullptr);
    TokenView t;
    while (Take(t)) {
      const char16_t first = text_.FirstChar(t);
      if (first == '#') {
        Add(std::make_unique<cetComment>(TextOf(t).SubStringFrom(1)));
      } else if (IsLoopHeader(t)) {
        ReadLoop(t);
      } else if (first == '_') {
        ReadItem(t);
      } else if (StartsWithi(text_, t, u"data_", 5)) {
        sawHeading_ = true;
        OpenBlock(TextOf(t).SubStringFrom(5));
      } else if (StartsWithi(text_, t, u"save_", 5)) {
        if (t.end - t.begin > 5)
          OpenFrame(TextOf(t).SubStringFrom(5));
        else if (current_->GetParent())
          current_ = current_->GetParent();
      } else if (first == ';') {
        RaiseAt(t, __LINE__, vexstr(u"unnamed text block"), LineOf(t));
      } else if (first == '\'') {
        RaiseAt(t, __LINE__, vexstr(u"unnamed text string"), LineOf(t));
      } else if (text_.Finds()) {
        SkippedValue(t);
      }
    }
  }

  [[noreturn]] void RaiseAt(const TokenView& t, int line, const vexstr& reason, size_t number) {
    text_.NoteFault(t.begin, Utf8Text(reason));
    RaiseParsing("cif_dp::TCifDP::LoadFromString", line, reason, number);
  }

  void SkippedValue(const TokenView& t) {
    if (t.begin == 0 && !t.wrap && text_.Chars()[0] == 0xFEFF)
      text_.Report(CifFinding::kByteOrderMark, 0,
                   "a byte-order mark joins the first word, which is then skipped: " +
                       MessageText(TextOf(t).SubStringFrom(1)));
    else
      text_.Report(CifFinding::kUnnamedValue, t.begin,
                   "value without a name, skipped: " + MessageText(TextOf(t)));
  }

  void ReadItem(const TokenView& nameToken) {
    const vexstr name = text_.NameText(nameToken);
    TokenView t;
    if (!Take(t)) RaiseMissingValue(nameToken, name);
    ItemComment comment;
    if (IsComment(t)) {
      comment.text = TextOf(t).SubStringFrom(1);
      comment.present = true;
      for (bool first = true;; first = false) {
        if (!first)
          text_.Report(
              CifFinding::kDroppedComment, t.begin,
              "a second comment before the value of " + MessageText(name) + " is not kept");
        if (!Take(t)) RaiseMissingValue(nameToken, name);
        if (!IsComment(t)) break;
      }
    }
    if (text_.Finds()) {
      const ICifEntry* earlier = current_->FindEntry(name);
      if (earlier && earlier->Kind() != EntryKind::kLoop)
        text_.Report(CifFinding::kReplacedName, nameToken.begin,
                     MessageText(name) + " is given again: the earlier value is not kept");
    }
    std::unique_ptr<ICifEntry> entry =
        EntryFromView(text_, t, doc_.version_, [&] { return LineOf(t); });
    entry->SetName(name);
    if (comment.present) entry->SetComment(comment.text);
    Add(std::move(entry));
  }

  struct ItemComment {
    vexstr text;
    bool present = false;
  };

  [[noreturn]] void RaiseMissingValue(const TokenView& nameToken, const vexstr& name) {
    RaiseAt(nameToken, __LINE__, vexstr(u"missing value for ") << name, 0);
  }

  void OpenBlock(const vexstr& header) {
    const vexstr name = doc_.FreeBlockName(header, findings_);
    if (current_->GetName().IsEmpty() && current_->Count() == 0)
      doc_.Rename(*current_, name);
    else
      current_ = &doc_.AddBlock(name, nullptr);
  }

  // A frame is reused only under the block that opened it; a name held by any other
  // block is renamed as a duplicate, so that frames of different blocks never merge.
  void OpenFrame(const vexstr& header) {
    CifBlock* existing = doc_.FindBlock(header);
    if (existing && existing->GetParent() == current_) {
      current_ = existing;
      return;
    }
    current_ = &doc_.AddBlock(existing ? doc_.FreeBlockName(header, findings_) : header, current_);
  }

  bool EndsLoopValues(const TokenView& t) const {
    return text_.FirstChar(t) == '_' || StartsWithi(text_, t, u"loop_", 5) ||
           StartsWithi(text_, t, u"data_", 5) || StartsWithi(text_, t, u"save_", 5);
  }

  void ReadLoop(const TokenView& loopToken) {
    auto table = std::make_unique<cetTable>();
    if constexpr (std::is_same_v<C, char>)
      table->narrowText_ = text_.Text();
    else
      table->text_ = text_.Text();
    table->version2_ = doc_.version_ == 2;
    std::vector<vexstr> headerComments, valueComments;
    TokenView t;
    bool more;
    while ((more = Take(t)) && (text_.FirstChar(t) == '_' || IsComment(t))) {
      if (IsComment(t))
        headerComments.push_back(TextOf(t).SubStringFrom(1));
      else
        table->AddCol(text_.NameText(t));
    }
    if (more) PutBack(t);
    const size_t firstValue = NextIndex();
    const size_t columns = table->ColCount();
    size_t values = 0;
    // Lists and maps may fail; they are built after the shape of the loop is checked.
    std::vector<std::pair<size_t, TokenView>> deferred;
    while (Take(t)) {
      if (EndsLoopValues(t)) {
        PutBack(t);
        break;
      }
      if (IsComment(t)) {
        valueComments.push_back(TextOf(t).SubStringFrom(1));
        continue;
      }
      ++values;
      if (columns == 0) continue;
      if (IsBracketToken(text_, t, doc_.version_)) {
        deferred.emplace_back(table->cells_.size(), t);
        table->AppendObject(nullptr);
      } else {
        AppendCell(*table, t);
      }
    }
    if (columns == 0 || values % columns != 0)
      RaiseAt(loopToken, __LINE__,
              vexstr(u"invalid table ") << (table->HasName() ? table->GetName() : vexstr()),
              firstValue);
    for (const auto& cell : deferred) {
      const TokenView token = cell.second;
      table->objects_[table->cells_.Get(cell.first).at] =
          EntryFromView(text_, token, doc_.version_, [&] { return LineOf(token); });
    }
    table->FinishRows();
    if (table->RowCount() == 0) {
      text_.Report(CifFinding::kEmptyLoop, loopToken.begin,
                   "loop " + MessageText(table->GetName()) + " has no values and is dropped");
      LogLine(findings_, zodu::kLogWarning, vexstr(u"Ignoring empty table ") << table->GetName());
      return;
    }
    Add(std::move(table));
    for (const vexstr& comment : valueComments) Add(std::make_unique<cetComment>(comment));
    for (const vexstr& comment : headerComments) Add(std::make_unique<cetComment>(comment));
  }

  void Add(std::unique_ptr<ICifEntry> entry) { current_->Add(std::move(entry), findings_); }

  // A cell that is a plain or quoted value stays a view of the text.
  void AppendCell(cetTable& table, const TokenView& t) {
    const C* s = text_.Chars();
    const size_t n = t.end - t.begin;
    if (t.wrap) {
      table.AppendView(t.begin, n, true);
      return;
    }
    const C first = s[t.begin];
    if (first == ';' || first == '#') {
      table.AppendObject(PlainEntry(text_, t));
      return;
    }
    if (n > 1 && (first == '\'' || first == '"') && s[t.end - 1] == first)
      table.AppendView(t.begin + 1, n - 2, true);
    else  // a plain token holds no blank or tab, so it is not quoted
      table.AppendView(t.begin, n, false);
  }

  TCifDP& doc_;
  CifFindings* findings_;
  CifText<C> text_;
  CifTokenizer<C> tokenizer_;
  CifBlock* current_ = nullptr;
  TokenView pending_{};
  bool hasPending_ = false;
  bool tokenizerFailed_ = false;
  bool sawHeading_ = false;
  size_t taken_ = 0;
};

void TCifDP::LoadFromString(const vexstr& source) {
  LoadFromString(source, nullptr);
}

namespace {

// 2 for a text that opens with the CIF 2.0 magic, else 1.
template <class C>
int VersionOf(const C* s, size_t n) {
  static const char kMagic[] = "#\\#CIF_2.0";
  return n >= 10 && std::equal(kMagic, kMagic + 10, s) ? 2 : 1;
}

}  // namespace

void TCifDP::LoadFromString(const vexstr& source, CifFindings* findings) {
  const int version = VersionOf(source.raw(), source.Length());
  vexstr text = source;
  if (text.IndexOf(u'\r') >= 0) {
    auto* chars = static_cast<char16_t*>(zodu::vex_malloc_((text.Length() + 1) * sizeof(char16_t)));
    std::copy(text.begin(), text.end(), chars);
    text = vexstr::Adopt(chars, NormalizeLineEnds(chars, text.Length()), text.Length() + 1);
  }
  LoadText(text, version, findings);
}

// `text` has its line ends made uniform already.
template <class Text>
void TCifDP::LoadText(const Text& text, int version, CifFindings* findings) {
  using C = std::remove_const_t<std::remove_pointer_t<decltype(text.raw())>>;
  Clear();
  version_ = version;
  CifLoader<C> loader(*this, version_ == 2 ? text.SubStringFrom(10) : text, findings);
  loader.Run();
  for (CifBlock& block : blocks_) block.Tidy();
}

void TCifDP::LoadFromStrings(const TStrList& lines) {
  LoadFromString(lines.Text(vexstr(u"\n")));
}

void TCifDP::LoadFromStream(zodu::IInputStream& in) {
  LoadFromStream(in, nullptr);
}

namespace {

// What decoding found, at a position of the decoded text.
struct DecodeNote {
  CifFinding::Kind kind;
  size_t at;
  std::string message;
};

// Why the bytes are not text at all, or null.
const char* NotTextReason(const unsigned char* b, size_t n) {
  if (n >= 2 && b[0] == 0x1F && b[1] == 0x8B) return "not text: gzip-compressed data";
  if (std::memchr(b, 0, std::min<size_t>(n, 4096))) return "not text: NUL bytes near the start";
  return nullptr;
}

// Of a reading of something that is not text, only the failure is worth telling.
class FailureOnly : public CifFindings {
 public:
  explicit FailureOnly(CifFindings& to) : to_(to) {}
  void Found(const CifFinding& finding) override {
    if (finding.kind == CifFinding::kFailure) to_.Found(finding);
  }
  void Logged(const std::string& line) override { to_.Logged(line); }

 private:
  CifFindings& to_;
};

// UTF-8, one 16-bit character per sequence. A byte that does not begin a complete, valid
// sequence is the one character of its value (ISO 8859-1), so that it never swallows the
// quote or line feed after it. A character beyond U+FFFF reads as it always has: its first
// three bytes as one character, the fourth widened with its sign; valid UTF-8 thus reads as
// it did when the digests of such files were made. Returns the number of characters.
size_t DecodeUtf8(const unsigned char* b, size_t n, char16_t* chars,
                  std::vector<DecodeNote>* notes) {
  size_t count = 0;
  bool latin1 = false;
  for (size_t i = 0; i < n;) {
    const unsigned char b0 = b[i];
    if (b0 < 0x80) {
      chars[count++] = b0;
      ++i;
      continue;
    }
    const zodu::Utf8Char decoded = zodu::DecodeUtf8Char(b + i, n - i);
    if (decoded.length == 0) {
      if (notes && !latin1) notes->push_back({CifFinding::kNotUtf8, count, ""});
      latin1 = true;
      chars[count++] = b0;
      ++i;
    } else if (decoded.length < 4) {
      chars[count++] = char16_t(decoded.code);
      i += decoded.length;
    } else {
      chars[count++] = char16_t((b0 & 0x0F) * 4096 + (b[i + 1] & 0x3F) * 64 + (b[i + 2] & 0x3F));
      if (notes)
        notes->push_back(
            {CifFinding::kDroppedChar, count - 1, "a character beyond U+FFFF is not kept"});
      chars[count++] = char16_t(0xFF00 | b[i + 3]);
      i += 4;
    }
  }
  return count;
}

void ReportNotes(std::vector<DecodeNote>& notes, const char16_t* chars, size_t count,
                 CifFindings& findings) {
  TextPlaces places(chars, 0, std::find(chars, chars + count, u'\n') == chars + count);
  for (DecodeNote& note : notes) {
    const auto [line, column] = places.At(note.at);
    if (note.kind == CifFinding::kNotUtf8)
      note.message = "not UTF-8 from " + std::to_string(line) + ":" + std::to_string(column) +
                     ", read as ISO 8859-1";
    findings.Found(CifFinding{note.kind, note.kind != CifFinding::kNotUtf8, line, column,
                              std::move(note.message)});
  }
}

}  // namespace

// Text of ASCII alone, the common case, is read as it is: no decoding, half the memory.
void TCifDP::LoadFromStream(zodu::IInputStream& in, CifFindings* findings) {
  const uint64_t length = in.Length(), position = in.GetPosition();
  const size_t n = size_t(position < length ? length - position : 0);
  std::unique_ptr<char, decltype(&std::free)> bytes(static_cast<char*>(zodu::vex_malloc_(n + 1)),
                                                    &std::free);
  if (n) in.Read(bytes.get(), n);
  const auto* b = reinterpret_cast<const unsigned char*>(bytes.get());
  std::optional<FailureOnly> failureOnly;
  if (const char* notText = findings ? NotTextReason(b, n) : nullptr) {
    findings->Found(CifFinding{CifFinding::kNotText, true, 1, 1, notText});
    findings = &failureOnly.emplace(*findings);
  }
  unsigned char high = 0;
  for (size_t i = 0; i < n; ++i) high |= b[i];
  if (high < 0x80) {
    const size_t count = NormalizeLineEnds(bytes.get(), n);
    const int version = VersionOf(bytes.get(), count);
    LoadText(zodu::vexcstr::Adopt(bytes.release(), count, n + 1), version, findings);
    return;
  }
  std::vector<DecodeNote> notes;
  auto* chars = static_cast<char16_t*>(zodu::vex_malloc_((n + 1) * sizeof(char16_t)));
  size_t count = DecodeUtf8(b, n, chars, findings ? &notes : nullptr);
  bytes.reset();
  if (!notes.empty()) ReportNotes(notes, chars, count, *findings);
  count = NormalizeLineEnds(chars, count);
  const int version = VersionOf(chars, count);
  LoadText(vexstr::Adopt(chars, count, n + 1), version, findings);
}

zodu::ConstTypeList<CifToken> TCifDP::TokenizeString(const vexstr& text, int version) {
  CifText<char16_t> source(text);
  CifTokenizer<char16_t> tokenizer(source, 0, text.Length(), version);
  zodu::TTypeList<CifToken> tokens;
  TokenView t;
  size_t line = 0, counted = 0;
  while (tokenizer.Next(t)) {
    line += source.LineAt(counted, t.ref);
    counted = t.ref;
    tokens.Add(new CifToken{source.TokenText(t), unsigned(line)});
  }
  return zodu::ConstTypeList<CifToken>(std::move(tokens));
}

vexstr TCifDP::ExtractBracketedData(const vexstr& text, char16_t open, char16_t close,
                                    size_t& pos) {
  CifText<char16_t> source(text);
  const size_t start = pos;
  pos = source.MatchBracket(start, text.Length(), open, close);
  return text.SubString(start, pos - start + 1);
}

std::unique_ptr<ICifEntry> TCifDP::EntryFromToken(const CifToken& token, int version) {
  CifText<char16_t> source(token.text);
  const TokenView t{0, uint32_t(token.text.Length()), 0, 0};
  return EntryFromView(source, t, version, [&] { return size_t(token.line); });
}

void cetList::FromToken(const CifToken& token) {
  CifText<char16_t> source(token.text);
  FillBracketed(source, TokenView{0, uint32_t(token.text.Length()), 0, 0}, *this,
                [&] { return size_t(token.line); });
}

void cetDict::FromToken(const CifToken& token) {
  CifText<char16_t> source(token.text);
  FillBracketed(source, TokenView{0, uint32_t(token.text.Length()), 0, 0}, *this,
                [&] { return size_t(token.line); });
}

}  // namespace cif_dp
