// Owned lists, string lists and hand-over wrappers.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "sdl/constlist.h"
#include "sdl/edict.h"
#include "sdl/equeue.h"
#include "sdl/smart/vex_ptr.h"
#include "support/raises.h"

namespace zodu {
namespace {

using testing_support::Ascii;
using testing_support::Raises;

// Growth never moves the elements of an owned list; the hand-over wrappers give the object
// itself to the last holder and a copy to the others.
TEST(Lists, GrowthAndHandOver) {
  TTypeList<std::string> list;
  std::string& first = list.AddNew("first");
  for (int i = 0; i < 30; ++i) list.Add(new std::string("more"));
  EXPECT_EQ(&list[0], &first);
  ConstTypeList<std::string> held(std::move(list)), shared = held;
  EXPECT_NE(&held.Release()[0], &first);
  EXPECT_EQ(&shared.Release()[0], &first);
  EXPECT_TRUE(Raises<TFunctionFailedException>([&] { shared.obj(); }, "uninitialised object"));
  vex_object_ptr<std::string> a(new std::string("a")), b = a;
  std::unique_ptr<std::string> aCopy(a.release()), original(b.release());
  EXPECT_NE(aCopy.get(), original.get());
  EXPECT_EQ(*aCopy, *original);
  EXPECT_TRUE(a.is_null());
  TCStrList lines;
  lines.Add(vexcstr("first"));
  for (int i = 0; i < 40; ++i) lines.Add(lines[0]);  // growth moves the line being added
  EXPECT_EQ(Ascii(lines[40]), "first");
}

TEST(StrList, StrtokAndText) {
  // Text, whether empty pieces are skipped, and the pieces each in brackets.
  const std::tuple<const char*, bool, const char*> rows[] = {
      {",a,b", false, "[][a][b]"}, {",a,b", true, "[a][b]"}, {"a,b,", false, "[a][b]"},
      {"a,,b", false, "[a][][b]"}, {",", false, "[]"},       {"", false, ""},
  };
  for (const auto& [text, skipEmpty, pieces] : rows) {
    TCStrList list;
    list.Strtok(vexcstr(text), ',', skipEmpty);
    std::string got;
    for (const vexcstr& s : list) got += "[" + Ascii(s) + "]";
    EXPECT_EQ(got, pieces) << text;
  }
  TStrList list;
  list.Strtok(vexstr(u"a b c"), u' ');
  EXPECT_EQ(Ascii(list.Text(vexstr(u", "))), "a, b, c");
  EXPECT_EQ(Ascii(list.Text(vexstr(u", "), 1, 99)), "b, c");
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
  for (int k = -1; k <= 1000; ++k) ASSERT_EQ(dict.Find(k) != nullptr, reference.count(k) == 1);
  EXPECT_EQ(dict.Add(reference.begin()->first, -1, true), -1);
  EXPECT_TRUE(dict.Remove(reference.begin()->first));
  EXPECT_FALSE(dict.Remove(reference.begin()->first));
}
// Upper case sorts before lower case unless case is ignored.
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
  EXPECT_EQ(exact, "Beta CELL Cell atom ");
  EXPECT_EQ(*blocks.Find(vexstr(u"cell")), 1);
  EXPECT_EQ(queues.Find(vexstr(u"cell")), nullptr);
}

// First in, first out; an empty queue refuses to pop.
TEST(TQueue, FirstInFirstOut) {
  TQueue<int> queue;
  for (int i : {3, 1, 2}) queue.Push(i);
  std::string order;
  while (!queue.IsEmpty()) order += std::to_string(queue.Pop());
  EXPECT_EQ(order, "312");
  EXPECT_TRUE(Raises<TFunctionFailedException>([&] { queue.Pop(); }, "queue is empty"));
}

}  // namespace
}  // namespace zodu
