// The CIF document: blocks, items, loops, comments, lists and maps, read from and written as CIF
// text.
#pragma once

#include <cstdint>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sdl/constlist.h"
#include "sdl/ebase.h"
#include "sdl/estrlist.h"
#include "sdl/istream.h"
#include "sdl/typelist.h"
#include "xlib/cif_findings.h"
#include "xlib/cif_name_index.h"

namespace cif_dp {

using zodu::vexstr;
using TStrList = zodu::TStrList;

template <class C>
class CifLoader;
class ICifEntry;

// Destroys the entries, taking nested lists and maps apart level by level so that deep
// nesting cannot exhaust the stack.
void ReleaseNested(std::vector<std::unique_ptr<ICifEntry>>& entries);

// Orders names as the document compares them: ignoring case. The name maps are ordered
// trees, so that a block of many names is built in n log n, not n squared.
struct CaseFreeLess {
  bool operator()(const vexstr& a, const vexstr& b) const { return a.Comparei(b) < 0; }
};
template <class V>
using NameMap = std::map<vexstr, V, CaseFreeLess>;

// Takes written lines one at a time, so that a document or loop is never held as text.
using LineSink = std::function<void(const vexstr& line)>;

// One token of CIF text: its text and the number of line feeds before it.
struct CifToken {
  vexstr text;
  unsigned int line = 0;
};

// What an entry is: callers branch on it, not on the entry's run-time class.
enum class EntryKind : uint8_t { kValue, kTextField, kComment, kList, kMap, kLoop, kBlock };

// Abstract entry: a name and a comment, both optional.
class ICifEntry : public zodu::IVexObject {
 public:
  ICifEntry() = default;
  // The copy shares the texts' buffers.
  ICifEntry(const ICifEntry& other);
  ICifEntry& operator=(const ICifEntry&) = delete;

  // The entry as the kind `T` when it is one, else null.
  template <class T>
  const T* As() const {
    return Kind() == T::kKind ? static_cast<const T*>(this) : nullptr;
  }
  template <class T>
  T* As() {
    return Kind() == T::kKind ? static_cast<T*>(this) : nullptr;
  }

  zodu::vexstr ToString() const override { return GetStringValue(); }
  ICifEntry* Replicate() const override = 0;
  // Appends the entry's CIF text to `out`.
  virtual void WriteLines(TStrList& out) const = 0;
  virtual void Tidy() {}
  virtual bool IsWritable() const { return true; }
  virtual int GetOrderIndex() const { return -1; }
  virtual void SetName(const vexstr& name);
  virtual vexstr GetStringValue() const = 0;
  // Kept out of the entry's fields, so that an entry costs no more than its texts.
  virtual EntryKind Kind() const = 0;

  bool HasName() const { return hasName_; }
  // Raises TNotImplementedException for an unnamed entry.
  const vexstr& GetName() const;
  bool HasComment() const { return comment_ != nullptr; }
  // The comment text, empty when there is none.
  const vexstr& GetCommentText() const;
  void SetComment(const vexstr& comment);

 private:
  // Held by value with a flag, so that naming an entry allocates nothing: an absent name
  // differs from an empty one. Comments are rare and kept aside.
  vexstr name_;
  std::unique_ptr<vexstr> comment_;
  bool hasName_ = false;
};

// Entry whose content is one or more strings.
class IStringCifEntry : public ICifEntry {
 public:
  virtual size_t Count() const { return 0; }
  virtual vexstr operator[](size_t index) const;
  virtual vexstr GetComment() const;
};

class cetString : public IStringCifEntry {
 public:
  static constexpr EntryKind kKind = EntryKind::kValue;
  EntryKind Kind() const final { return kKind; }
  // From a token: matching outer quotes are stripped and make the value quoted; otherwise
  // the value is quoted when empty or holding a blank or tab.
  explicit cetString(const vexstr& text);
  cetString(const vexstr& value, bool quoted) : quoted_(quoted), value_(value) {}
  ICifEntry* Replicate() const override { return new cetString(*this); }
  void WriteLines(TStrList& out) const override;
  vexstr GetStringValue() const override { return value_; }
  size_t Count() const override { return 1; }
  vexstr operator[](size_t) const override { return value_; }
  const vexstr& GetValue() const { return value_; }
  bool IsQuoted() const { return quoted_; }
  // The quoted flag a value would get from a token text without outer quotes.
  static bool NeedsQuotes(const char16_t* text, size_t length);

 private:
  // First, so that it fills the end of the entry's fields and the value costs 56 bytes.
  bool quoted_;
  vexstr value_;
};

// A semicolon text field: its lines.
class cetStringList : public IStringCifEntry {
 public:
  static constexpr EntryKind kKind = EntryKind::kTextField;
  EntryKind Kind() const final { return kKind; }
  cetStringList() = default;
  ICifEntry* Replicate() const override { return new cetStringList(*this); }
  void WriteLines(TStrList& out) const override;
  // Blank lines leave both ends of a text of two or more lines.
  void Tidy() override;
  vexstr GetStringValue() const override;
  size_t Count() const override { return lines_.Count(); }
  vexstr operator[](size_t index) const override { return lines_[index]; }
  TStrList& GetLines() { return lines_; }
  const TStrList& GetLines() const { return lines_; }

 private:
  TStrList lines_;
};

// A "#" comment; the text (without "#") is the entry's comment.
class cetComment : public IStringCifEntry {
 public:
  static constexpr EntryKind kKind = EntryKind::kComment;
  EntryKind Kind() const final { return kKind; }
  explicit cetComment(const vexstr& text) { SetComment(text); }
  ICifEntry* Replicate() const override { return new cetComment(*this); }
  void WriteLines(TStrList& out) const override;
  vexstr GetStringValue() const override { return GetCommentText(); }
  vexstr GetComment() const override { return GetCommentText(); }
  bool IsComment() const { return true; }
};

// A CIF 2.0 list: values between square brackets.
class cetList : public ICifEntry {
 public:
  static constexpr EntryKind kKind = EntryKind::kList;
  EntryKind Kind() const final { return kKind; }
  cetList() = default;
  cetList(const cetList& other);
  ~cetList() override { ReleaseNested(items_); }
  ICifEntry* Replicate() const override { return new cetList(*this); }
  void WriteLines(TStrList& out) const override;
  vexstr GetStringValue() const override;
  bool IsBlock() const { return false; }
  size_t Count() const { return items_.size(); }
  const ICifEntry& operator[](size_t index) const { return *items_[index]; }
  ICifEntry& operator[](size_t index) { return *items_[index]; }
  ICifEntry& Add(std::unique_ptr<ICifEntry> item);
  // Fills the list from a bracketed token.
  void FromToken(const CifToken& token);

 private:
  friend void ReleaseNested(std::vector<std::unique_ptr<ICifEntry>>& entries);
  std::vector<std::unique_ptr<ICifEntry>> items_;
};

// A CIF 2.0 map: key and value pairs between braces.
class cetDict : public ICifEntry {
 public:
  static constexpr EntryKind kKind = EntryKind::kMap;
  EntryKind Kind() const final { return kKind; }
  cetDict() = default;
  cetDict(const cetDict& other);
  ~cetDict() override;
  ICifEntry* Replicate() const override { return new cetDict(*this); }
  void WriteLines(TStrList& out) const override;
  vexstr GetStringValue() const override;
  bool IsBlock() const { return false; }
  size_t Count() const { return pairs_.size(); }
  const IStringCifEntry& GetKey(size_t index) const { return *pairs_[index].first; }
  const ICifEntry& GetValue(size_t index) const { return *pairs_[index].second; }
  ICifEntry& GetValue(size_t index) { return *pairs_[index].second; }
  void Add(std::unique_ptr<IStringCifEntry> key, std::unique_ptr<ICifEntry> value);
  // Fills the map from a braced token; an odd number of parts raises ParsingException.
  void FromToken(const CifToken& token);

 private:
  friend void ReleaseNested(std::vector<std::unique_ptr<ICifEntry>>& entries);
  std::vector<std::pair<std::unique_ptr<IStringCifEntry>, std::unique_ptr<ICifEntry>>> pairs_;
};

// A loop. Cells read from text stay views of the document's text until someone asks for
// them as entries, so that a million-row loop costs a few bytes per cell.
class cetTable : public ICifEntry {
 public:
  static constexpr EntryKind kKind = EntryKind::kLoop;
  EntryKind Kind() const final { return kKind; }
  cetTable() = default;
  cetTable(const cetTable& other);
  ~cetTable() override;
  ICifEntry* Replicate() const override { return new cetTable(*this); }
  void WriteLines(TStrList& out) const override;
  // The same lines, each handed on as soon as it is complete. With `fieldsAsRead`, a text
  // field cell is written as the reader gives it back (see CifBlock), not as the loop
  // digests cover it.
  void WriteLines(const LineSink& sink, bool fieldsAsRead = false) const;
  vexstr GetStringValue() const override;
  // Rewrites the start of every column name from the old name to `newName`.
  void SetName(const vexstr& newName) override;

  size_t ColCount() const { return columns_.Count(); }
  size_t RowCount() const { return rowCount_; }
  const vexstr& ColName(size_t index) const { return columns_[index]; }
  // Case-insensitive; -1 when absent.
  long ColIndex(const vexstr& name) const;
  // A column of a new name; the loop is renamed after the common part of its columns.
  void AddCol(const vexstr& name);
  // A row of unset cells; returns its index.
  size_t AddRow(const vexstr& name = vexstr());
  const vexstr& GetRowName(size_t row) const;
  // The cell, null while unset. A cell that is still a view of the text is made an entry
  // here and kept as one, so this changes the loop: a const loop is read through Peek.
  ICifEntry* Get(size_t row, size_t col);
  // A cell as it is held, without making it an entry as Get does: the entry when it is
  // one; for a view, its text (in `narrow` when the loop views 8-bit text of ASCII alone,
  // else in `wide`) and whether it is quoted; nothing for an unset cell. It neither
  // allocates nor changes the loop, so any number of threads may peek at a const document
  // at once, as long as they read its texts in place rather than copying them (a copy
  // counts references to the text without a lock).
  struct CellView {
    const ICifEntry* entry = nullptr;
    bool view = false;
    bool quoted = false;
    std::string_view narrow;
    std::u16string_view wide;
  };
  CellView Peek(size_t row, size_t col) const;
  // `cell` may be null; the previous cell is destroyed.
  void Set(size_t row, size_t col, std::unique_ptr<ICifEntry> cell);

 private:
  template <class C>
  friend class CifLoader;
  // A cell in four bytes: where a view of the text starts (a plain value, or the opening
  // quote of a quoted one; its end is found again as the tokenizer found it), an index into
  // `objects_`, or unset.
  enum CellKind : uint32_t { kPlainView = 0, kQuotedView = 1, kObject = 2, kUnset = 3 };
  struct Cell {
    uint32_t at : 30;
    uint32_t kind : 2;
  };
  static constexpr uint32_t kMaxAt = (1u << 30) - 1;
  static CellKind KindOf(Cell c) { return CellKind(c.kind); }
  // Cells in chunks of fixed size: growing never copies them, so that the peak of a loop
  // of millions of rows is its cells and not twice as many. A cell takes two bytes: its
  // kind and its distance from where the views of its group of eight start, so that the
  // cells of a loop of short values hold less than half the text they view; a cell too far
  // away (or an object's index) is kept aside.
  class Cells {
   public:
    Cells() = default;
    Cells(const Cells& other) { *this = other; }
    Cells& operator=(const Cells& other);
    size_t size() const { return size_; }
    Cell Get(size_t i) const;
    void Put(size_t i, Cell cell);
    void push_back(Cell cell) {
      if (size_ == capacity_) Grow();
      Put(size_++, cell);
    }
    void swap(Cells& other) {
      chunks_.swap(other.chunks_);
      far_.swap(other.far_);
      std::swap(size_, other.size_);
      std::swap(capacity_, other.capacity_);
    }

   private:
    static constexpr size_t kGroupBits = 3, kGroup = size_t(1) << kGroupBits;
    static constexpr size_t kChunkBits = 16, kChunk = size_t(1) << kChunkBits;
    static constexpr uint32_t kNoBase = ~uint32_t(0);
    static constexpr uint16_t kFar = (1u << 14) - 1;  // the distance is in `far_`
    struct Group {
      uint32_t base = kNoBase;       // the place of its first cell that has one
      uint16_t packed[kGroup] = {};  // kind << 14 | distance from `base`
    };
    Group& GroupOf(size_t i) const {
      return chunks_[i >> kChunkBits][(i & (kChunk - 1)) >> kGroupBits];
    }
    // The first chunk grows as a vector does, so that a small loop stays small.
    void Grow();
    std::vector<std::unique_ptr<Group[]>> chunks_;
    // Made on the first far cell: most loops have none.
    std::unique_ptr<std::unordered_map<size_t, uint32_t>> far_;
    size_t size_ = 0, capacity_ = 0;
  };

  void FoldColumn(size_t i);
  // The loop name from the common part of two or more columns; empty when there is none.
  vexstr NameFromColumns() const;
  // Appends a cell that views the text the loader set, [at, at + length) of a plain value,
  // or the inside of the quoted value that opens at `at`.
  void AppendView(size_t at, size_t length, bool quoted);
  void AppendObject(std::unique_ptr<ICifEntry> cell);
  void FinishRows();
  void WriteCell(const Cell& cell, bool fieldsAsRead, TStrList& out) const;
  // The text a view cell shows.
  vexstr ViewText(const Cell& cell) const;

  TStrList columns_;
  NameIndex columnIndex_{NameIndex::Keep::kFirst};
  // The common part of the columns and the shortest column length, before the final cut.
  vexstr commonPart_;
  size_t shortest_ = 0;
  size_t rowCount_ = 0;
  // Row names, only from the first named row on.
  std::vector<vexstr> rowNames_;
  // The text the cells view: 16-bit, or 8-bit text of ASCII alone.
  vexstr text_;
  zodu::vexcstr narrowText_;
  // The text is CIF 2.0, where a colon after a quoted value ends it.
  bool version2_ = false;
  Cells cells_;
  std::vector<std::unique_ptr<ICifEntry>> objects_;
};

// A data block or save frame.
class CifBlock : public ICifEntry {
 public:
  static constexpr EntryKind kKind = EntryKind::kBlock;
  EntryKind Kind() const final { return kKind; }
  CifBlock(const vexstr& name, CifBlock* parent);
  // A deep copy with both maps rebuilt; the parent pointer is kept.
  CifBlock(const CifBlock& other);
  ICifEntry* Replicate() const override { return new CifBlock(*this); }
  void WriteLines(TStrList& out) const override;
  // The same lines, handed on entry by entry, but for text fields: an empty last line is
  // written as the end of the text, so that every field reads back with its lines.
  void WriteLines(const LineSink& sink) const;
  void Tidy() override;
  vexstr GetStringValue() const override;
  bool IsBlock() const { return true; }

  // Takes ownership; see the .cpp for names already in use.
  ICifEntry& Add(ICifEntry* entry);
  // The same; a name that changes from a loop to an item is told to `findings` (when not
  // null) instead of the log.
  ICifEntry& Add(std::unique_ptr<ICifEntry> entry, CifFindings* findings = nullptr);
  size_t Count() const { return entries_.size(); }
  const ICifEntry& GetEntry(size_t index) const { return *entries_[index].entry; }
  ICifEntry& GetEntry(size_t index) { return *entries_[index].entry; }
  // Empty for comments.
  const ICifEntry* FindEntry(const vexstr& name) const;
  ICifEntry* FindEntry(const vexstr& name);
  const cetTable* FindTable(const vexstr& name, const cetTable* missing = nullptr) const;
  cetTable* FindTable(const vexstr& name, cetTable* missing = nullptr);
  size_t TableCount() const { return tables_.size(); }
  // Loops in name order.
  const cetTable& GetTable(size_t index) const {
    return *std::next(tables_.begin(), index)->second;
  }
  cetTable& GetTable(size_t index) { return *std::next(tables_.begin(), index)->second; }
  CifBlock* GetParent() const { return parent_; }

 private:
  friend class TCifDP;
  struct Slot {
    vexstr name;
    std::unique_ptr<ICifEntry> entry;
  };
  // The slot of the latest entry of that name, or NameIndex::npos.
  size_t FindSlot(const vexstr& name) const;
  void Append(const vexstr& name, std::unique_ptr<ICifEntry> entry);

  NameMap<cetTable*> tables_;
  std::vector<Slot> entries_;
  // Slots by name; an entry's slot name is the name it was added under.
  NameIndex index_{NameIndex::Keep::kLatest};
  CifBlock* parent_;
};

// A parse failure: "Failed to parse CIF because " + reason + " at CIF#" + number.
class ParsingException : public zodu::TBasicException {
 public:
  ParsingException(const vexstr& location, const vexstr& reason, size_t number);
  zodu::IVexObject* Replicate() const override { return new ParsingException(*this); }
  const char* GetKindName() const override { return "CIF reading"; }
};

// The document.
class TCifDP : public zodu::IVexObject {
 public:
  TCifDP() = default;
  TCifDP(const TCifDP&) = delete;
  TCifDP& operator=(const TCifDP&) = delete;

  // Joins the lines with line feeds.
  virtual void LoadFromStrings(const TStrList& lines);
  // The stream's bytes from its position to its end, decoded from UTF-8.
  virtual void LoadFromStream(zodu::IInputStream& in);
  // Replaces the content; raises ParsingException for a structural fault.
  virtual void LoadFromString(const vexstr& text);
  // The same readings, telling `findings` (may be null) every place where the document
  // differs from the text; a failure is found before it is raised.
  void LoadFromStream(zodu::IInputStream& in, CifFindings* findings);
  void LoadFromString(const vexstr& text, CifFindings* findings);
  virtual TStrList& SaveToStrings(TStrList& out) const;
  // The lines of SaveToStrings, handed on entry by entry (a loop row by row).
  void SaveTo(const LineSink& sink) const;

  // 1 for CIF 1.1 text, 2 for CIF 2.0 (and a new document).
  int GetVersion() const { return version_; }
  size_t Count() const { return blocks_.Count(); }
  const CifBlock& operator[](size_t index) const { return blocks_[index]; }
  CifBlock& operator[](size_t index) { return blocks_[index]; }
  const CifBlock* FindBlock(const vexstr& name) const;
  CifBlock* FindBlock(const vexstr& name);
  // The block of that name when there is one (parent ignored), else a new one.
  CifBlock& AddBlock(const vexstr& name, CifBlock* parent);
  void Clear();

  static zodu::ConstTypeList<CifToken> TokenizeString(const vexstr& text, int version);
  // On entry `pos` is at `open`; on return at the matching `close`. Raises
  // TInvalidArgumentException "data" when there is none.
  static vexstr ExtractBracketedData(const vexstr& text, char16_t open, char16_t close,
                                     size_t& pos);
  static std::unique_ptr<ICifEntry> EntryFromToken(const CifToken& token, int version);

 private:
  template <class C>
  friend class CifLoader;
  template <class Text>
  void LoadText(const Text& text, int version, CifFindings* findings);
  // The name under which a block called `name` can be added: `name`, or `name` with the
  // first free number, a duplicate told to `findings` (when not null) or else logged.
  vexstr FreeBlockName(const vexstr& name, CifFindings* findings);
  void Rename(CifBlock& block, const vexstr& name);

  // Names the blocks for `blockIndex_`.
  auto BlockName() const {
    return [this](size_t i) -> const vexstr& { return blocks_[i].GetName(); };
  }

  int version_ = 2;
  zodu::TTypeList<CifBlock> blocks_;
  // A name is held by one block only: the first one added under it.
  NameIndex blockIndex_{NameIndex::Keep::kFirst};
  // The last number given to each renamed name (lower case): blocks keep their names while
  // reading, so the search for a free number resumes there.
  NameMap<unsigned> lastNumbers_;
};

}  // namespace cif_dp
