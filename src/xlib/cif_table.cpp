// The CIF loop: columns, the loop name taken from their common part, and cells.
#include <algorithm>
#include <utility>

#include "xlib/cif_site.h"
#include "xlib/cifdp.h"

namespace cif_dp {
namespace {

struct Found {
  size_t length = 0;
  size_t at = 0;
};

// The longest prefix of `b` that occurs anywhere in `a`, at its first position. The Z
// function of b + separator + a gives every position's match in one linear pass, so long
// hostile column names cannot make naming quadratic.
Found LongestPrefixIn(const vexstr& a, const vexstr& b) {
  const size_t nb = b.Length(), n = nb + 1 + a.Length();
  std::vector<uint32_t> s(n);
  for (size_t i = 0; i < nb; ++i) s[i] = b[i];
  s[nb] = 0x10000;  // no character equals it
  for (size_t i = 0; i < a.Length(); ++i) s[nb + 1 + i] = a[i];
  std::vector<size_t> z(n, 0);
  Found best;
  for (size_t i = 1, l = 0, r = 0; i < n; ++i) {
    if (i < r) z[i] = std::min(r - i, z[i - l]);
    while (i + z[i] < n && s[z[i]] == s[i + z[i]]) ++z[i];
    if (i + z[i] > r) l = i, r = i + z[i];
    if (i > nb && z[i] > best.length) best = {z[i], i - nb - 1};
  }
  return best;
}

// The common part of two column names.
vexstr CommonPart(const vexstr& a, const vexstr& b) {
  Found x = LongestPrefixIn(a, b), y = LongestPrefixIn(b, a);
  return x.length <= y.length ? b.SubString(y.at, y.length) : a.SubString(x.at, x.length);
}

// The position of the last `c` after the first character, or 0.
size_t LastAfterFirst(const vexstr& s, char16_t c) {
  long at = s.LastIndexOf(c);
  return at > 0 ? size_t(at) : 0;
}

}  // namespace

cetTable::cetTable(const cetTable& other)
    : ICifEntry(other),
      columns_(other.columns_),
      columnIndex_(other.columnIndex_),
      commonPart_(other.commonPart_),
      shortest_(other.shortest_),
      rowCount_(other.rowCount_),
      rowNames_(other.rowNames_),
      text_(other.text_),
      narrowText_(other.narrowText_),
      cells_(other.cells_) {
  objects_.reserve(other.objects_.size());
  for (const auto& object : other.objects_)
    objects_.emplace_back(object ? object->Replicate() : nullptr);
}

cetTable::~cetTable() = default;

vexstr cetTable::GetStringValue() const {
  throw zodu::TNotImplementedException(CIF_LOCATION);
}

long cetTable::ColIndex(const vexstr& name) const {
  const size_t found = columnIndex_.Find(name, columns_.Count(),
                                         [this](size_t i) -> const vexstr& { return columns_[i]; });
  return found == NameIndex::npos ? -1 : long(found);
}

void cetTable::AddCol(const vexstr& name) {
  if (ColIndex(name) >= 0) return;
  const size_t rows = rowCount_, cols = columns_.Count();
  if (rows > 0) {
    Cells widened;
    for (size_t r = 0; r < rows; ++r) {
      for (size_t c = 0; c < cols; ++c) widened.push_back(cells_.Get(r * cols + c));
      widened.push_back(Cell{0, kUnset});
    }
    cells_.swap(widened);
  }
  columns_.Add(name);
  columnIndex_.Appended(columns_.Count(),
                        [this](size_t i) -> const vexstr& { return columns_[i]; });
  FoldColumn(columns_.Count() - 1);
  if (columns_.Count() == 1) {
    ICifEntry::SetName(name);
    return;
  }
  vexstr loopName = NameFromColumns();
  if (loopName.IsEmpty()) zodu::RaiseFunctionFailed(CIF_SITE, "mismatching loop columns");
  ICifEntry::SetName(loopName);
}

// Folds column `i` into the common part of the columns before it.
void cetTable::FoldColumn(size_t i) {
  const vexstr& column = columns_[i];
  if (i == 0) return;
  if (i == 1) {
    commonPart_ = CommonPart(columns_[0], column);
    shortest_ = std::min(columns_[0].Length(), column.Length());
    return;
  }
  vexstr common = CommonPart(column, commonPart_);
  if (common.Length() > 1) {
    commonPart_ = common;
    shortest_ = std::min(shortest_, column.Length());
  }
}

// The fold of all columns is kept, so that a loop of many columns is named in linear time.
vexstr cetTable::NameFromColumns() const {
  vexstr p = commonPart_;
  if (p.Length() != shortest_) {
    if (size_t cut = LastAfterFirst(p, '_'))
      p = p.SubStringTo(cut);
    else if (size_t stop = LastAfterFirst(p, '.'))
      p = p.SubStringTo(stop);
  }
  return p;
}

void cetTable::SetName(const vexstr& newName) {
  const size_t oldLength = HasName() ? GetName().Length() : 0;
  columnIndex_.Clear();
  for (size_t i = 0; i < columns_.Count(); ++i) {
    vexstr& column = columns_[i];
    column = newName + column.SubStringFrom(std::min(oldLength, column.Length()));
    columnIndex_.Appended(i + 1, [this](size_t c) -> const vexstr& { return columns_[c]; });
    FoldColumn(i);
  }
  ICifEntry::SetName(newName);
}

size_t cetTable::AddRow(const vexstr& name) {
  if (!name.IsEmpty() || !rowNames_.empty()) {
    rowNames_.resize(rowCount_);
    rowNames_.push_back(name);
  }
  for (size_t c = 0; c < columns_.Count(); ++c) cells_.push_back(Cell{0, kUnset});
  return rowCount_++;
}

const vexstr& cetTable::GetRowName(size_t row) const {
  static const vexstr unnamed;
  return row < rowNames_.size() ? rowNames_[row] : unnamed;
}

ICifEntry* cetTable::Get(size_t row, size_t col) {
  const size_t at = row * columns_.Count() + col;
  const Cell cell = cells_.Get(at);
  switch (KindOf(cell)) {
    case kUnset:
      return nullptr;
    case kObject:
      return objects_[cell.at].get();
    default: {
      // Made an entry on first request, then kept as one.
      ICifEntry& entry = *objects_.emplace_back(
          std::make_unique<cetString>(ViewText(cell), KindOf(cell) == kQuotedView));
      cells_.Put(at, Cell{uint32_t(objects_.size() - 1), kObject});
      return &entry;
    }
  }
}

void cetTable::Set(size_t row, size_t col, std::unique_ptr<ICifEntry> owned) {
  const size_t at = row * columns_.Count() + col;
  const Cell cell = cells_.Get(at);
  if (KindOf(cell) == kObject) {
    objects_[cell.at] = std::move(owned);
    return;
  }
  objects_.push_back(std::move(owned));
  cells_.Put(at, Cell{uint32_t(objects_.size() - 1), kObject});
}

namespace {

template <class C>
bool IsWhite(C c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// Where the value of a view at `at` of the n characters `s` lies, as the tokenizer found
// it: a plain value runs to white space; a quoted one, from after its quote to the first
// same quote that white space, the end or (CIF 2.0) a colon follows.
template <class C>
std::pair<size_t, size_t> ViewRange(const C* s, size_t n, size_t at, bool quoted, bool version2) {
  size_t k = at;
  if (!quoted) {
    while (k < n && !IsWhite(s[k])) ++k;
    return {at, k - at};
  }
  for (k = at + 1; k < n; ++k)
    if (s[k] == s[at] && (k + 1 == n || IsWhite(s[k + 1]) || (version2 && s[k + 1] == ':'))) break;
  return {at + 1, k - at - 1};
}

}  // namespace

vexstr cetTable::ViewText(const Cell& cell) const {
  const bool quoted = KindOf(cell) == kQuotedView;
  if (narrowText_.Length() != 0) {
    const auto [at, length] =
        ViewRange(narrowText_.raw(), narrowText_.Length(), cell.at, quoted, version2_);
    return vexstr(narrowText_.raw() + at, length);
  }
  const auto [at, length] = ViewRange(text_.raw(), text_.Length(), cell.at, quoted, version2_);
  return text_.SubString(at, length);
}

cetTable::CellView cetTable::Peek(size_t row, size_t col) const {
  const Cell cell = cells_.Get(row * columns_.Count() + col);
  CellView view;
  if (KindOf(cell) == kObject) view.entry = objects_[cell.at].get();
  if (KindOf(cell) != kPlainView && KindOf(cell) != kQuotedView) return view;
  view.view = true;
  view.quoted = KindOf(cell) == kQuotedView;
  if (narrowText_.Length() != 0) {
    const auto [at, length] =
        ViewRange(narrowText_.raw(), narrowText_.Length(), cell.at, view.quoted, version2_);
    view.narrow = std::string_view(narrowText_.raw() + at, length);
  } else {
    const auto [at, length] =
        ViewRange(text_.raw(), text_.Length(), cell.at, view.quoted, version2_);
    view.wide = std::u16string_view(text_.raw() + at, length);
  }
  return view;
}

// A value whose place the view cannot find again (a text beyond the cell's reach, a
// triple-quoted or unterminated string) is kept as an entry. A plain value from the
// tokenizer always ends at white space or the end, as a view finds it.
void cetTable::AppendView(size_t at, size_t length, bool quoted) {
  const size_t start = at - quoted;
  bool found = start <= kMaxAt;
  if (found && quoted)
    found = (narrowText_.Length() != 0
                 ? ViewRange(narrowText_.raw(), narrowText_.Length(), start, true, version2_)
                 : ViewRange(text_.raw(), text_.Length(), start, true, version2_)) ==
            std::make_pair(at, length);
  if (!found) {
    AppendObject(std::make_unique<cetString>(narrowText_.Length() != 0
                                                 ? vexstr(narrowText_.raw() + at, length)
                                                 : text_.SubString(at, length),
                                             quoted));
    return;
  }
  cells_.push_back(Cell{uint32_t(start), quoted ? kQuotedView : kPlainView});
}

cetTable::Cell cetTable::Cells::Get(size_t i) const {
  const Group& group = GroupOf(i);
  const uint16_t packed = group.packed[i & (kGroup - 1)];
  const uint32_t kind = packed >> 14, distance = packed & kFar;
  if (kind == kUnset) return Cell{0, kUnset};
  return Cell{distance == kFar ? far_->at(i) : group.base + distance, kind};
}

void cetTable::Cells::Put(size_t i, Cell cell) {
  Group& group = GroupOf(i);
  uint16_t& packed = group.packed[i & (kGroup - 1)];
  if (KindOf(cell) == kUnset) {
    packed = uint16_t(kUnset << 14);
    if (far_) far_->erase(i);
    return;
  }
  if (group.base == kNoBase) group.base = cell.at;
  const bool near = cell.at >= group.base && cell.at - group.base < kFar;
  packed = uint16_t(cell.kind << 14 | (near ? cell.at - group.base : kFar));
  if (near) {
    if (far_) far_->erase(i);
    return;
  }
  if (!far_) far_ = std::make_unique<std::unordered_map<size_t, uint32_t>>();
  far_->insert_or_assign(i, uint32_t(cell.at));
}

void cetTable::Cells::Grow() {
  if (capacity_ >= kChunk) {
    chunks_.emplace_back(new Group[kChunk / kGroup]);
    capacity_ += kChunk;
    return;
  }
  const size_t grown = std::min(kChunk, std::max(kGroup, 2 * capacity_));
  std::unique_ptr<Group[]> first(new Group[grown / kGroup]);
  if (size_) std::copy(chunks_[0].get(), chunks_[0].get() + capacity_ / kGroup, first.get());
  if (chunks_.empty())
    chunks_.push_back(std::move(first));
  else
    chunks_[0] = std::move(first);
  capacity_ = grown;
}

cetTable::Cells& cetTable::Cells::operator=(const Cells& other) {
  Cells copy;
  for (size_t i = 0; i < other.size(); ++i) copy.push_back(other.Get(i));
  swap(copy);
  return *this;
}

void cetTable::AppendObject(std::unique_ptr<ICifEntry> cell) {
  objects_.push_back(std::move(cell));
  cells_.push_back(Cell{uint32_t(objects_.size() - 1), kObject});
}

void cetTable::FinishRows() {
  rowCount_ = columns_.Count() ? cells_.size() / columns_.Count() : 0;
}

}  // namespace cif_dp
