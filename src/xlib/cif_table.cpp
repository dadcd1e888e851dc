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
  auto it = columnIndex_.find(FoldedKey(name));
  return it == columnIndex_.end() ? -1 : long(it->second);
}

std::u16string cetTable::FoldedKey(const vexstr& name) {
  std::u16string key(name.raw(), name.Length());
  for (char16_t& c : key)
    if (c >= 'A' && c <= 'Z') c = char16_t(c + ('a' - 'A'));
  return key;
}

void cetTable::AddCol(const vexstr& name) {
  if (!columnIndex_.emplace(FoldedKey(name), columns_.Count()).second) return;
  const size_t rows = rowCount_, cols = columns_.Count();
  if (rows > 0) {
    std::vector<Cell> widened;
    widened.reserve(rows * (cols + 1));
    for (size_t r = 0; r < rows; ++r) {
      widened.insert(widened.end(), cells_.begin() + r * cols, cells_.begin() + (r + 1) * cols);
      widened.push_back(Cell{0, uint32_t(kUnset) << kKindShift});
    }
    cells_.swap(widened);
  }
  columns_.Add(name);
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
  columnIndex_.clear();
  for (size_t i = 0; i < columns_.Count(); ++i) {
    vexstr& column = columns_[i];
    column = newName + column.SubStringFrom(std::min(oldLength, column.Length()));
    columnIndex_.emplace(FoldedKey(column), i);
    FoldColumn(i);
  }
  ICifEntry::SetName(newName);
}

size_t cetTable::AddRow(const vexstr& name) {
  if (!name.IsEmpty() || !rowNames_.empty()) {
    rowNames_.resize(rowCount_);
    rowNames_.push_back(name);
  }
  cells_.resize(cells_.size() + columns_.Count(), Cell{0, uint32_t(kUnset) << kKindShift});
  return rowCount_++;
}

const vexstr& cetTable::GetRowName(size_t row) const {
  static const vexstr unnamed;
  return row < rowNames_.size() ? rowNames_[row] : unnamed;
}

ICifEntry* cetTable::Get(size_t row, size_t col) const {
  Cell& cell = cells_[row * columns_.Count() + col];
  switch (KindOf(cell)) {
    case kUnset:
      return nullptr;
    case kObject:
      return objects_[cell.at].get();
    default: {
      // Made an entry on first request, then kept as one.
      auto* entry =
          new cetString(text_.SubString(cell.at, LengthOf(cell)), KindOf(cell) == kQuotedView);
      objects_.emplace_back(entry);
      cell = Cell{uint32_t(objects_.size() - 1), uint32_t(kObject) << kKindShift};
      return entry;
    }
  }
}

cetTable::CellView cetTable::Peek(size_t row, size_t col) const {
  const Cell cell = cells_[row * columns_.Count() + col];
  switch (KindOf(cell)) {
    case kUnset:
      return {nullptr, {}, false};
    case kObject:
      return {objects_[cell.at].get(), {}, false};
    default:
      return {nullptr, {text_.raw() + cell.at, LengthOf(cell)}, KindOf(cell) == kQuotedView};
  }
}

void cetTable::Set(size_t row, size_t col, ICifEntry* entry) {
  std::unique_ptr<ICifEntry> owned(entry);
  Cell& cell = cells_[row * columns_.Count() + col];
  if (KindOf(cell) == kObject) {
    objects_[cell.at] = std::move(owned);
    return;
  }
  objects_.push_back(std::move(owned));
  cell = Cell{uint32_t(objects_.size() - 1), uint32_t(kObject) << kKindShift};
}

void cetTable::AppendView(size_t at, size_t length, bool quoted) {
  if (length > kMaxViewLength) {
    AppendObject(new cetString(text_.SubString(at, length), quoted));
    return;
  }
  cells_.push_back(
      Cell{uint32_t(at),
           uint32_t(length) | (uint32_t(quoted ? kQuotedView : kPlainView) << kKindShift)});
}

void cetTable::AppendObject(ICifEntry* entry) {
  std::unique_ptr<ICifEntry> owned(entry);
  objects_.push_back(std::move(owned));
  cells_.push_back(Cell{uint32_t(objects_.size() - 1), uint32_t(kObject) << kKindShift});
}

void cetTable::FinishRows() {
  rowCount_ = columns_.Count() ? cells_.size() / columns_.Count() : 0;
}

}  // namespace cif_dp
