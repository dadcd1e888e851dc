// The entry kinds of the CIF document other than loops and blocks, and the parse failure.
#include "xlib/cif_site.h"
#include "xlib/cifdp.h"

namespace cif_dp {

using zodu::TNotImplementedException;

ICifEntry::ICifEntry(const ICifEntry& other)
    : IVexObject(other), name_(other.name_), hasName_(other.hasName_) {
  if (other.comment_) comment_ = std::make_unique<vexstr>(*other.comment_);
}

void ICifEntry::SetName(const vexstr& name) {
  name_ = name;
  hasName_ = true;
}

const vexstr& ICifEntry::GetName() const {
  if (!HasName()) throw TNotImplementedException(CIF_LOCATION);
  return name_;
}

const vexstr& ICifEntry::GetCommentText() const {
  static const vexstr empty;
  return HasComment() ? *comment_ : empty;
}

void ICifEntry::SetComment(const vexstr& comment) {
  comment_ = std::make_unique<vexstr>(comment);
}

vexstr IStringCifEntry::operator[](size_t) const {
  throw TNotImplementedException(
      zodu::FormatLocation("xlib/cifdp", "cif_dp::IStringCifEntry::operator []", __LINE__));
}

vexstr IStringCifEntry::GetComment() const {
  throw TNotImplementedException(CIF_LOCATION);
}

bool cetString::NeedsQuotes(const char16_t* text, size_t length) {
  if (length == 0) return true;
  for (size_t i = 0; i < length; ++i)
    if (text[i] == ' ' || text[i] == '\t') return true;
  return false;
}

// A read document holds a value entry per item.
static_assert(sizeof(cetString) <= 56, "a value entry outgrows its allocation size");

cetString::cetString(const vexstr& text) : value_(text) {
  size_t n = text.Length();
  char16_t first = n ? text[0] : 0;
  if (n > 1 && (first == '\'' || first == '"') && text[n - 1] == first) {
    value_ = text.SubString(1, n - 2);
    quoted_ = true;
  } else {
    quoted_ = NeedsQuotes(text.raw(), n);
  }
}

namespace {
bool IsBlankLine(const vexstr& line) {
  for (char16_t c : line)
    if (c != ' ' && c != '\t') return false;
  return true;
}
}  // namespace

void cetStringList::Tidy() {
  if (lines_.Count() < 2) return;
  while (lines_.Count() > 1 && IsBlankLine(lines_[0])) lines_.Delete(0);
  while (lines_.Count() > 0 && IsBlankLine(lines_[lines_.Count() - 1]))
    lines_.Delete(lines_.Count() - 1);
}

vexstr cetStringList::GetStringValue() const {
  return lines_.Text(vexstr(u"\r\n"));
}

namespace {

// An empty list or map with the name and comment of `from`, or null for other kinds.
std::unique_ptr<ICifEntry> EmptyContainerLike(const ICifEntry& from) {
  std::unique_ptr<ICifEntry> shell;
  if (from.Kind() == EntryKind::kList)
    shell = std::make_unique<cetList>();
  else if (from.Kind() == EntryKind::kMap)
    shell = std::make_unique<cetDict>();
  else
    return nullptr;
  if (from.HasName()) shell->SetName(from.GetName());
  if (from.HasComment()) shell->SetComment(from.GetCommentText());
  return shell;
}

// Copies the items (or pairs) of `from` into the empty `to`, nested lists and maps level by
// level rather than by recursion, so that deep nesting cannot exhaust the stack.
void CopyNested(const ICifEntry& from, ICifEntry& to) {
  struct Pending {
    const ICifEntry* from;
    ICifEntry* to;
  };
  std::vector<Pending> pending{{&from, &to}};
  auto copy = [&pending](const ICifEntry& item) {
    std::unique_ptr<ICifEntry> shell = EmptyContainerLike(item);
    if (!shell) return std::unique_ptr<ICifEntry>(item.Replicate());
    pending.push_back({&item, shell.get()});
    return shell;
  };
  while (!pending.empty()) {
    const Pending next = pending.back();
    pending.pop_back();
    if (const auto* list = next.from->As<cetList>()) {
      for (size_t i = 0; i < list->Count(); ++i)
        static_cast<cetList*>(next.to)->Add(copy((*list)[i]));
    } else {
      const auto& map = static_cast<const cetDict&>(*next.from);
      for (size_t i = 0; i < map.Count(); ++i) {
        std::unique_ptr<IStringCifEntry> key(
            static_cast<IStringCifEntry*>(map.GetKey(i).Replicate()));
        static_cast<cetDict*>(next.to)->Add(std::move(key), copy(map.GetValue(i)));
      }
    }
  }
}

}  // namespace

cetList::cetList(const cetList& other) : ICifEntry(other) {
  CopyNested(other, *this);
}

ICifEntry& cetList::Add(std::unique_ptr<ICifEntry> item) {
  return *items_.emplace_back(std::move(item));
}

vexstr cetList::GetStringValue() const {
  throw TNotImplementedException(CIF_LOCATION);
}

cetDict::cetDict(const cetDict& other) : ICifEntry(other) {
  CopyNested(other, *this);
}

void cetDict::Add(std::unique_ptr<IStringCifEntry> key, std::unique_ptr<ICifEntry> value) {
  pairs_.emplace_back(std::move(key), std::move(value));
}

cetDict::~cetDict() {
  std::vector<std::unique_ptr<ICifEntry>> values;
  for (auto& pair : pairs_) values.push_back(std::move(pair.second));
  ReleaseNested(values);
}

void ReleaseNested(std::vector<std::unique_ptr<ICifEntry>>& entries) {
  while (!entries.empty()) {
    std::unique_ptr<ICifEntry> entry = std::move(entries.back());
    entries.pop_back();
    if (auto* list = entry->As<cetList>()) {
      for (auto& item : list->items_) entries.push_back(std::move(item));
      list->items_.clear();
    } else if (auto* map = entry->As<cetDict>()) {
      for (auto& pair : map->pairs_) entries.push_back(std::move(pair.second));
      map->pairs_.clear();
    }
  }
}

vexstr cetDict::GetStringValue() const {
  throw TNotImplementedException(CIF_LOCATION);
}

ParsingException::ParsingException(const vexstr& location, const vexstr& reason, size_t number)
    : TBasicException(location, vexstr(u"Failed to parse CIF because ")
                                    << reason << u" at CIF#"
                                    << static_cast<unsigned long>(number)) {}

}  // namespace cif_dp
