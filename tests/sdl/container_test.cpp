// Lists, string lists, hand-over wrappers, the queue and the sorted dictionaries.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "raises.h"
#include "sdl/constlist.h"
#include "sdl/edict.h"
#include "sdl/equeue.h"
#include "sdl/estrlist.h"
#include "sdl/smart/vex_ptr.h"
#include "sdl/typelist.h"

namespace zodu {
namespace {

using testing_support::Ascii;
using testing_support::Raises;

// Counts the live objects so that tests can see who deletes them.
struct Tracked {
  explicit Tracked(int* live, int value = 0) : live(live), value(value) { ++*live; }
  Tracked(const Tracked& o) : live(o.live), value(o.value) { ++*live; }
  ~Tracked() { --*live; }
  int* live;
  int value;
};

// Capacities seen while adding `n` elements to a list created empty.
template <class L, class F>
std::vector<size_t> Capacities(L& list, int n, F add) {
  std::vector<size_t> seen;
  for (int i = 0; i < n; ++i) {
    add(list, i);
    if (seen.empty() || seen.back() != list.GetCapacity()) seen.push_back(list.GetCapacity());
  }
  return seen;
}

TEST(Growth, FiveThenTwelveThenTwentyThree) {
  const std::vector<size_t> expected = {5, 12, 23, 39};
  TPtrList<int> pointers;
  EXPECT_EQ(Capacities(pointers, 24, [](auto& l, int) { l.Add(nullptr); }), expected);
  TArrayList<double> values;
  EXPECT_EQ(Capacities(values, 24, [](auto& l, int i) { l.Add(i); }), expected);
  TTypeList<int> owned;
  EXPECT_EQ(Capacities(owned, 24, [](auto& l, int i) { l.AddNew(i); }), expected);
  TCStrList lines;
  EXPECT_EQ(Capacities(lines, 24, [](auto& l, int) { l.Add(vexcstr("x")); }), expected);
}

TEST(Growth, SmallerCapacityChangesNothing) {
  TArrayList<int> list;
  list.SetCapacity(10);
  list.SetCapacity(3);
  EXPECT_EQ(list.GetCapacity(), 10u);
}

TEST(Ownership, TypeListDeletesPtrListDoesNot) {
  int live = 0;
  {
    TTypeList<Tracked> owned;
    owned.Add(new Tracked(&live));
    owned.AddNew(&live, 2);
    EXPECT_EQ(live, 2);
    owned.Delete(0);
    EXPECT_EQ(live, 1);
  }
  EXPECT_EQ(live, 0);
  Tracked kept(&live);
  {
    TPtrList<Tracked> borrowed;
    borrowed.Add(&kept);
  }
  EXPECT_EQ(live, 1);
}

TEST(Ownership, TypeListCopiesElementsAndKeepsAddresses) {
  int live = 0;
  TTypeList<Tracked> list;
  Tracked& first = list.AddNew(&live, 1);
  for (int i = 0; i < 30; ++i) list.AddNew(&live, i);
  EXPECT_EQ(&list[0], &first);  // growth does not move elements
  TTypeList<Tracked> copy(list);
  EXPECT_EQ(live, 62);
  EXPECT_NE(&copy[0], &list[0]);
  copy[0].value = 99;
  EXPECT_EQ(list[0].value, 1);
  std::unique_ptr<Tracked> taken = list.Release(0);
  EXPECT_EQ(taken.get(), &first);
  EXPECT_EQ(list.Count(), 30u);
  EXPECT_EQ(live, 62);
}

TEST(Ownership, AddingAnElementOfTheListItself) {
  TCStrList lines;
  lines.Add(vexcstr("first"));
  for (int i = 0; i < 40; ++i) lines.Add(lines[0]);  // growth moves the line being added
  EXPECT_EQ(Ascii(lines[40]), "first");
  TArrayList<double> values;
  values.Add(2.5);
  for (int i = 0; i < 40; ++i) values.Add(values[0]);
  EXPECT_EQ(values[40], 2.5);
}

std::vector<std::string> Pieces(const char* text, bool skipEmpty) {
  TCStrList list;
  list.Strtok(vexcstr(text), ',', skipEmpty);
  std::vector<std::string> out;
  for (const vexcstr& s : list) out.push_back(Ascii(s));
  return out;
}

TEST(Strtok, EmptyPiecesAndEnds) {
  using V = std::vector<std::string>;
  const struct {
    const char* text;
    bool skipEmpty;
    V pieces;
  } rows[] = {
      // a leading separator gives an empty first piece unless skipped
      {",a,b", false, V{"", "a", "b"}},
      {",a,b", true, V{"a", "b"}},
      // a trailing separator adds nothing after it
      {"a,b,", false, V{"a", "b"}},
      {"a,b,", true, V{"a", "b"}},
      // separators in a row
      {"a,,b", false, V{"a", "", "b"}},
      {"a,,b", true, V{"a", "b"}},
      {",,", false, V{"", ""}},
      {",", false, V{""}},
      {",", true, V{}},
      {"", false, V{}},
      {"abc", false, V{"abc"}},
  };
  for (const auto& row : rows) EXPECT_EQ(Pieces(row.text, row.skipEmpty), row.pieces) << row.text;
}

TEST(Strtok, PiecesShareTheText) {
  vexcstr text("ab\ncd");
  TCStrList lines;
  lines.Strtok(text, '\n');
  ASSERT_EQ(lines.Count(), 2u);
  EXPECT_EQ(lines[1].raw(), text.raw() + 3);
}

TEST(Text, SeparatorBetweenLinesOnly) {
  TStrList list;
  for (const char16_t* s : {u"a", u"b", u"c"}) list.Add(vexstr(s));
  const vexstr sep(u", ");
  EXPECT_EQ(Ascii(list.Text(sep)), "a, b, c");
  EXPECT_EQ(Ascii(list.Text(sep, 1)), "b, c");
  EXPECT_EQ(Ascii(list.Text(sep, 1, 2)), "b");
  EXPECT_EQ(Ascii(list.Text(sep, 2, 2)), "");
  EXPECT_EQ(Ascii(list.Text(sep, 0, 99)), "a, b, c");
  EXPECT_EQ(Ascii(TStrList().Text(sep)), "");
  EXPECT_EQ(Ascii(list.Text(vexstr())), "abc");
}

TEST(StrList, SwapAndReverse) {
  TCStrList list;
  list.Strtok(vexcstr("1 2 3 4"), ' ');
  list.Swap(0, 3);
  EXPECT_EQ(Ascii(list.Text(vexcstr(""))), "4231");
  list.Reverse(1, 4);
  EXPECT_EQ(Ascii(list.Text(vexcstr(""))), "4132");
}

const char* const kConstListAt = "[sdl/constlist(zodu::const_obj<";

TEST(ConstObj, TakesTheListOverAndReleasesOnce) {
  int live = 0;
  TTypeList<Tracked> list;
  Tracked& element = list.AddNew(&live, 5);
  ConstTypeList<Tracked> handed(std::move(list));
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(handed.obj()[0].value, 5);
  TTypeList<Tracked> taken = handed.Release();
  EXPECT_EQ(&taken[0], &element);  // the object itself, not a copy
  EXPECT_TRUE(handed.IsNull());
  EXPECT_TRUE(Raises<TFunctionFailedException>([&] { handed.Release(); }, "uninitialised object",
                                               kConstListAt));
  EXPECT_TRUE(Raises<TFunctionFailedException>([&] { handed.obj(); }, "uninitialised object",
                                               kConstListAt));
  EXPECT_THROW(ConstStrList<TCStrList>().obj(), TFunctionFailedException);
}

TEST(ConstObj, ReleasingASharedWrapperGivesACopy) {
  int live = 0;
  TTypeList<Tracked> list;
  list.AddNew(&live, 7);
  ConstTypeList<Tracked> first(std::move(list));
  ConstTypeList<Tracked> second = first;
  const Tracked* shared = &second.obj()[0];
  TTypeList<Tracked> copy = first.Release();
  EXPECT_NE(&copy[0], shared);
  EXPECT_EQ(copy[0].value, 7);
  EXPECT_EQ(live, 2);
  TTypeList<Tracked> last = second.Release();
  EXPECT_EQ(&last[0], shared);
}

TEST(ObjectPtr, ReleaseGivesTheObjectOrACopy) {
  int live = 0;
  vex_object_ptr<Tracked> a(new Tracked(&live, 3));
  vex_object_ptr<Tracked> b = a;
  Tracked* original = &*a;
  std::unique_ptr<Tracked> copy(a.release());
  EXPECT_NE(copy.get(), original);
  EXPECT_TRUE(a.is_null());
  std::unique_ptr<Tracked> same(b.release());
  EXPECT_EQ(same.get(), original);
  EXPECT_EQ(live, 2);
  EXPECT_EQ(vex_object_ptr<Tracked>().release(), nullptr);
}

TEST(Queue, FirstInFirstOut) {
  TQueue<std::string> queue;
  for (const char* s : {"a", "b", "c"}) queue.Push(s);
  EXPECT_EQ(queue.Count(), 3u);
  EXPECT_EQ(queue.Pop(), "a");
  queue.Push("d");
  EXPECT_EQ(queue.Pop(), "b");
  EXPECT_EQ(queue.Pop(), "c");
  EXPECT_EQ(queue.Pop(), "d");
  EXPECT_TRUE(queue.IsEmpty());
}

TEST(Queue, EmptyPopRaises) {
  TQueue<AnAssociation3<unsigned, unsigned, bool>> queue;
  EXPECT_TRUE(Raises<TFunctionFailedException>(
      [&] { queue.Pop(); }, "queue is empty",
      "[sdl/equeue(zodu::TQueue<zodu::AnAssociation3<unsigned int, unsigned int, bool>>::Pop):"));
  queue.Push({1, 2, true});
  EXPECT_EQ(queue.Pop().b, 2u);
  EXPECT_THROW(queue.Pop(), TFunctionFailedException);
}

template <class D>
std::string Keys(const D& dict) {
  std::string keys;
  for (const auto& entry : dict) keys += (keys.empty() ? "" : " ") + Ascii(entry.key);
  return keys;
}

TEST(Dict, BisectionAgreesWithAnOrderedMap) {
  std::mt19937 random(12345);
  vexdict<int, int> dict;
  std::map<int, int> reference;
  for (int i = 0; i < 3000; ++i) {
    int k = static_cast<int>(random() % 1000);
    dict.Add(k, i);
    reference.emplace(k, i);  // first value kept, like Add without replacing
  }
  ASSERT_EQ(dict.Count(), reference.size());
  size_t i = 0;
  for (const auto& [k, v] : reference) {
    ASSERT_EQ(dict.GetKey(i), k);
    ASSERT_EQ(dict.GetValue(i++), v);
  }
  for (int k = -1; k <= 1000; ++k) {
    const int* found = dict.Find(k);
    auto it = reference.find(k);
    ASSERT_EQ(found != nullptr, it != reference.end()) << k;
    if (found) {
      EXPECT_EQ(*found, it->second);
    }
  }
}

TEST(Dict, ReplaceFlag) {
  vexdict<int, std::string> dict;
  EXPECT_EQ(dict.Add(1, "first"), "first");
  EXPECT_EQ(dict.Add(1, "second"), "first");
  EXPECT_EQ(dict.Add(1, "third", true), "third");
  dict.Add(1, "ignored") += "!";  // the entry's value is handed back for further use
  EXPECT_EQ(*dict.Find(1), "third!");
  EXPECT_EQ(dict.Count(), 1u);
  EXPECT_TRUE(dict.Remove(1));
  EXPECT_FALSE(dict.Remove(1));
  EXPECT_TRUE(dict.IsEmpty());
}

TEST(StrDict, CaseInsensitiveKeysMerge) {
  vexstr_dict<int, vexstrComparator<true>> dict;
  dict.Add(vexstr(u"Cell"), 1);
  dict.Add(vexstr(u"CELL"), 2);
  dict.Add(vexstr(u"atom"), 3);
  dict.Add(vexstr(u"Beta"), 4);
  EXPECT_EQ(dict.Count(), 3u);
  EXPECT_EQ(Keys(dict), "atom Beta Cell");
  ASSERT_NE(dict.Find(vexstr(u"cell")), nullptr);
  EXPECT_EQ(*dict.Find(vexstr(u"cell")), 1);
  EXPECT_EQ(dict.IndexOf(vexstr(u"BETA")), 1);
  EXPECT_FALSE(dict.HasKey(vexstr(u"gamma")));
}

TEST(StrDict, CaseSensitiveKeysStayApart) {
  vexstr_dict<int, vexstrComparator<false>> dict;
  dict.Add(vexstr(u"Cell"), 1);
  dict.Add(vexstr(u"CELL"), 2);
  dict.Add(vexstr(u"atom"), 3);
  dict.Add(vexstr(u"Beta"), 4);
  EXPECT_EQ(dict.Count(), 4u);
  EXPECT_EQ(Keys(dict), "Beta CELL Cell atom");  // upper case sorts before lower case
  EXPECT_EQ(dict.Find(vexstr(u"cell")), nullptr);
  EXPECT_EQ(*dict.Find(vexstr(u"CELL")), 2);
}

TEST(IndexableIterator, NextPastTheLastEntryRaises) {
  vexdict<int, std::string> dict;
  dict.Add(2, "two");
  dict.Add(1, "one");
  auto values = dict.GetValues();
  EXPECT_TRUE(values.HasNext());
  EXPECT_EQ(values.Next(), "one");
  EXPECT_EQ(values.Next(), "two");
  EXPECT_FALSE(values.HasNext());
  try {
    values.Next();
    FAIL() << "nothing raised";
  } catch (const TIndexOutOfRangeException& e) {
    EXPECT_EQ(e.GetIndex(), 2u);
    EXPECT_EQ(e.GetMin(), 0u);
    EXPECT_EQ(e.GetMax(), 2u);
    EXPECT_EQ(Ascii(e.GetLocation()).rfind("[sdl/etraverse(zodu::IndexableIterator<", 0), 0u)
        << Ascii(e.GetLocation());
  }
  values.Reset();
  EXPECT_EQ(values.Next(), "one");
  const vexdict<int, std::string> empty;
  auto none = empty.GetValues();
  EXPECT_THROW(none.Next(), TIndexOutOfRangeException);
}

}  // namespace
}  // namespace zodu
