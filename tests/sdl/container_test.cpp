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
#include "sdl/smart/vex_ptr.h"

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

// Capacity after each growth while adding 24 elements to a list created empty.
template <class L, class F>
std::vector<size_t> Capacities(L list, F add) {
  std::vector<size_t> seen;
  for (int i = 0; i < 24; ++i) {
    add(list, i);
    if (seen.empty() || seen.back() != list.GetCapacity()) seen.push_back(list.GetCapacity());
  }
  list.SetCapacity(3);  // a smaller capacity changes nothing
  EXPECT_EQ(list.GetCapacity(), seen.back());
  return seen;
}

TEST(Lists, GrowFiveThenTwelveThenTwentyThree) {
  const std::vector<size_t> expected = {5, 12, 23, 39};
  EXPECT_EQ(Capacities(TPtrList<int>(), [](auto& l, int) { l.Add(nullptr); }), expected);
  EXPECT_EQ(Capacities(TArrayList<double>(), [](auto& l, int i) { l.Add(i); }), expected);
  EXPECT_EQ(Capacities(TTypeList<int>(), [](auto& l, int i) { l.AddNew(i); }), expected);
  EXPECT_EQ(Capacities(TCStrList(), [](auto& l, int) { l.Add(vexcstr("x")); }), expected);
}

TEST(Lists, OwnershipCopiesAndAddresses) {
  int live = 0;
  {
    TTypeList<Tracked> list;
    Tracked& first = list.AddNew(&live, 1);
    for (int i = 0; i < 30; ++i) list.Add(new Tracked(&live, i));
    EXPECT_EQ(&list[0], &first);  // growth does not move elements
    TTypeList<Tracked> copy(list);
    EXPECT_EQ(live, 62);
    copy[0].value = 99;
    EXPECT_EQ(list[0].value, 1);
    list.Delete(1);
    EXPECT_EQ(live, 61);
    std::unique_ptr<Tracked> taken = list.Release(0);
    EXPECT_EQ(taken.get(), &first);
    TPtrList<Tracked> borrowed;
    borrowed.Add(&copy[0]);
  }
  EXPECT_EQ(live, 0);  // owned lists deleted their elements, the borrowed one did not twice
  TCStrList lines;
  lines.Add(vexcstr("first"));
  for (int i = 0; i < 40; ++i) lines.Add(lines[0]);  // growth moves the line being added
  EXPECT_EQ(Ascii(lines[40]), "first");
}

TEST(StrList, StrtokAndText) {
  using V = std::vector<std::string>;
  const struct {
    const char* text;
    bool skipEmpty;
    V pieces;
  } rows[] = {
      {",a,b", false, V{"", "a", "b"}},
      {",a,b", true, V{"a", "b"}},
      {"a,b,", false, V{"a", "b"}},
      {"a,,b", false, V{"a", "", "b"}},
      {"a,,b", true, V{"a", "b"}},
      {",", false, V{""}},
      {",", true, V{}},
      {"", false, V{}},
      {"abc", false, V{"abc"}},
  };
  for (const auto& row : rows) {
    TCStrList list;
    list.Strtok(vexcstr(row.text), ',', row.skipEmpty);
    V pieces;
    for (const vexcstr& s : list) pieces.push_back(Ascii(s));
    EXPECT_EQ(pieces, row.pieces) << row.text;
  }
  TStrList list;
  list.Strtok(vexstr(u"a b c"), u' ');
  const vexstr sep(u", ");
  EXPECT_EQ(Ascii(list.Text(sep)), "a, b, c");
  EXPECT_EQ(Ascii(list.Text(sep, 1, 99)), "b, c");
}

TEST(HandOver, ReleaseGivesTheObjectOrACopyOnce) {
  int live = 0;
  TTypeList<Tracked> list;
  Tracked& element = list.AddNew(&live, 5);
  ConstTypeList<Tracked> first(std::move(list));
  EXPECT_TRUE(list.IsEmpty());
  ConstTypeList<Tracked> second = first;
  TTypeList<Tracked> copy = first.Release();  // shared: a copy
  EXPECT_NE(&copy[0], &element);
  TTypeList<Tracked> taken = second.Release();  // the last: the object itself
  EXPECT_EQ(&taken[0], &element);
  EXPECT_EQ(live, 2);
  for (auto* emptied : {&first, &second})
    EXPECT_TRUE(Raises<TFunctionFailedException>([&] { emptied->obj(); }, "uninitialised object"));
  vex_object_ptr<Tracked> a(new Tracked(&live, 3)), b = a;
  std::unique_ptr<Tracked> aCopy(a.release()), original(b.release());
  EXPECT_NE(aCopy.get(), original.get());
  EXPECT_TRUE(a.is_null());
  EXPECT_EQ(vex_object_ptr<Tracked>().release(), nullptr);
}

TEST(Queue, FirstInFirstOutAndEmptyPopRaises) {
  TQueue<AnAssociation3<unsigned, unsigned, bool>> queue;
  queue.Push({1, 2, true});
  queue.Push({3, 4, false});
  EXPECT_EQ(queue.Pop().b, 2u);
  EXPECT_EQ(queue.Pop().b, 4u);
  EXPECT_TRUE(Raises<TFunctionFailedException>([&] { queue.Pop(); }, "queue is empty"));
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
  auto values = dict.GetValues();
  for (const auto& [k, v] : reference) ASSERT_EQ(values.Next(), v) << k;
  for (int k = -1; k <= 1000; ++k) ASSERT_EQ(dict.Find(k) != nullptr, reference.count(k) == 1) << k;
  vexdict<int, std::string> replaced;
  replaced.Add(1, "first");
  EXPECT_EQ(replaced.Add(1, "second"), "first");
  EXPECT_EQ(replaced.Add(1, "third", true), "third");
  EXPECT_TRUE(replaced.Remove(1));
  EXPECT_FALSE(replaced.Remove(1));
}

TEST(Dict, StringKeysWithAndWithoutCase) {
  vexstr_dict<int, vexstrComparator<true>> blocks;
  vexstr_dict<int, vexstrComparator<false>> queues;
  int value = 0;
  for (const char16_t* key : {u"Cell", u"CELL", u"atom", u"Beta"}) {
    blocks.Add(vexstr(key), ++value);
    queues.Add(vexstr(key), value);
  }
  std::string ignoringCase, exact;
  for (const auto& entry : blocks) ignoringCase += Ascii(entry.key) + " ";
  for (const auto& entry : queues) exact += Ascii(entry.key) + " ";
  EXPECT_EQ(ignoringCase, "atom Beta Cell ");
  EXPECT_EQ(exact, "Beta CELL Cell atom ");  // upper case sorts before lower case
  EXPECT_EQ(*blocks.Find(vexstr(u"cell")), 1);
  EXPECT_EQ(queues.Find(vexstr(u"cell")), nullptr);
  EXPECT_EQ(*queues.Find(vexstr(u"CELL")), 2);
}

}  // namespace
}  // namespace zodu
