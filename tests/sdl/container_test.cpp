// Owned lists, string lists and hand-over wrappers.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "raises.h"
#include "sdl/constlist.h"
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

// Owned lists copy deeply and delete their elements, which growth never moves; the hand-over
// wrappers give the object itself to the last holder and a copy to the others.
TEST(Lists, OwnershipAndHandOver) {
  int live = 0;
  {
    TTypeList<Tracked> list;
    Tracked& first = list.AddNew(&live, 1);
    for (int i = 0; i < 30; ++i) list.Add(new Tracked(&live, i));
    EXPECT_EQ(&list[0], &first);
    TTypeList<Tracked> copy(list);
    EXPECT_EQ(live, 62);
    list.Delete(1);
    EXPECT_EQ(live, 61);
    ConstTypeList<Tracked> held(std::move(list)), shared = held;
    EXPECT_NE(&held.Release()[0], &first);
    EXPECT_EQ(&shared.Release()[0], &first);
    EXPECT_TRUE(Raises<TFunctionFailedException>([&] { shared.obj(); }, "uninitialised object"));
  }
  EXPECT_EQ(live, 0);
  vex_object_ptr<Tracked> a(new Tracked(&live, 3)), b = a;
  std::unique_ptr<Tracked> aCopy(a.release()), original(b.release());
  EXPECT_NE(aCopy.get(), original.get());
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

}  // namespace
}  // namespace zodu
