// The exception tree: reports, location texts, copies of cause chains, allocation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "raises.h"
#include "sdl/ebase.h"
#include "sdl/estrlist.h"

#ifdef __SANITIZE_ADDRESS__
// Let a huge allocation fail with null, as the plain allocator does, instead of aborting.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}
#endif

namespace zodu {
namespace {

using testing_support::Ascii;
using testing_support::Raises;

const vexstr kAt(u"[sdl/efile(zodu::TEFile::Open):12]");

TEST(Report, KindMessageAndLocation) {
  const struct {
    vexstr report;
    std::string expected;
  } rows[] = {
      {TFunctionFailedException(kAt, u"boom").GetReport(), "Failed boom at " + Ascii(kAt)},
      {TNotImplementedException(kAt).GetReport(), "Not implemented at " + Ascii(kAt)},
      {TInvalidArgumentException(kAt, u"x").GetReport(),
       "zodu::TInvalidArgumentException x at " + Ascii(kAt)},
      {TIndexOutOfRangeException(kAt, 7, 0, 5).GetReport(),
       "Invalid index [0..5]: 7 at " + Ascii(kAt)},
      {TOutOfMemoryException(kAt).GetReport(), "Out of memory at " + Ascii(kAt)},
      {TInvalidIntegerNumberException(kAt, u"1x").GetReport(),
       "Invalid integer format '1x' at " + Ascii(kAt)},
      {TInvalidFloatNumberException(kAt, u"").GetReport(),
       "Invalid float format '' at " + Ascii(kAt)},
      {TInvalidBoolException(kAt, u"yes").GetReport(),
       "Invalid boolean format 'yes' at " + Ascii(kAt)},
      {TFileException(kAt, u"a.hkl", u"fread failed").GetReport(),
       "zodu::TFileException a.hkl fread failed at " + Ascii(kAt)},
      {TFileDoesNotExistException(kAt, u"a.hkl").GetReport(),
       "File does not exist a.hkl  at " + Ascii(kAt)},
      {TIOException(kAt, u"").GetReport(), "zodu::TIOException at " + Ascii(kAt)},
  };
  for (const auto& row : rows) EXPECT_EQ(Ascii(row.report), row.expected);
}

TEST(Location, FileUnderSrcAndQualifiedFunction) {
  const struct {
    const char* file;
    const char* function;
    const char* location;
  } rows[] = {
      {"sdl/efile.cpp", "void zodu::TEFile::Open(const vexstr&, const vexstr&)",
       "[sdl/efile(zodu::TEFile::Open):7]"},
      {"/home/x/src/zt7/src/repository/hkl_util.cpp", "static int hkl_util::ParseRef(const char*)",
       "[repository/hkl_util(hkl_util::ParseRef):7]"},
      {"sdl/smart/vex_istring.h",
       "T zodu::TTSString<Base, T>::GetLast() const [with Base = zodu::TWString; T = char16_t]",
       "[sdl/smart/vex_istring(zodu::TTSString<zodu::TWString, char16_t>::GetLast):7]"},
      {"sdl/equeue.h",
       "T zodu::TQueue<T>::Pop() [with T = zodu::AnAssociation3<unsigned int, unsigned int, bool>]",
       "[sdl/equeue(zodu::TQueue<zodu::AnAssociation3<unsigned int, unsigned int, bool>>::Pop):7]"},
      {"sdl/a.h", "static T* zodu::A<T, N>::F(const T&) [with T = int; long unsigned int N = 5]",
       "[sdl/a(zodu::A<int, 5>::F):7]"},
      {"sdl/a.h",
       "zodu::A<T, N>& zodu::A<T, N>::operator<<(int) [with T = int; long unsigned int N = 5]",
       "[sdl/a(zodu::A<int, 5>::operator<<):7]"},
      {"sdl/a.h", "bool zodu::A<T>::operator()(int) const [with T = char]",
       "[sdl/a(zodu::A<char>::operator()):7]"},
      {"sdl/a.cpp", "void* zodu::A::operator new(size_t)", "[sdl/a(zodu::A::operator new):7]"},
      {"sdl/a.h",
       "auto& zodu::IndexableIterator<Indexable>::Next() [with Indexable = zodu::D<int>]",
       "[sdl/a(zodu::IndexableIterator<zodu::D<int>>::Next):7]"},
      {"sdl/a.h", "decltype(auto) zodu::B<T>::Get() [with T = int]",
       "[sdl/a(zodu::B<int>::Get):7]"},
      {"sdl/a.cpp", "void zodu::{anonymous}::Anon(int)", "[sdl/a(zodu::{anonymous}::Anon):7]"},
      {"sdl/a.cpp", "zodu::G()::<lambda(int)>", "[sdl/a(zodu::G):7]"},
      {"sdl/a.h", "void zodu::Q<T>::In::P() const [with T = zodu::Tx<char, 2>]",
       "[sdl/a(zodu::Q<zodu::Tx<char, 2>>::In::P):7]"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Ascii(FormatLocation(row.file, row.function, 7)), row.location) << row.function;
}

TBasicException* Chain(const char* outer, const char* middle, const char* inner) {
  auto* e = new TFunctionFailedException(kAt, vexstr(outer));
  auto* m = new TInvalidArgumentException(kAt, vexstr(middle));
  m->SetCause(new TNotImplementedException(vexstr(inner)));
  e->SetCause(m);
  return e;
}

TEST(Replicate, CopiesTheWholeCauseChain) {
  TBasicException* original = Chain("outer", "middle", "[inner]");
  auto* copy = static_cast<TBasicException*>(original->Replicate());
  ASSERT_EQ(typeid(*copy), typeid(TFunctionFailedException));
  const TBasicException* copies[] = {copy, copy->GetCause(), copy->GetCause()->GetCause()};
  const TBasicException* originals[] = {original, original->GetCause(),
                                        original->GetCause()->GetCause()};
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(copies[i], nullptr);
    EXPECT_NE(copies[i], originals[i]);
    EXPECT_EQ(typeid(*copies[i]), typeid(*originals[i]));
    EXPECT_EQ(Ascii(copies[i]->GetReport()), Ascii(originals[i]->GetReport()));
  }
  EXPECT_EQ(copy->GetCause()->GetCause()->GetCause(), nullptr);
  delete original;  // the copy lives on by itself
  EXPECT_EQ(Ascii(copy->GetCause()->GetCause()->GetReport()), "Not implemented at [inner]");
  delete copy;
}

TEST(Replicate, CopyConstructionIsDeepToo) {
  TBasicException* original = Chain("a", "b", "[c]");
  TFunctionFailedException copy(*static_cast<TFunctionFailedException*>(original));
  EXPECT_NE(copy.GetCause(), original->GetCause());
  delete original;
  EXPECT_EQ(Ascii(copy.GetCause()->GetMessage()), "b");
}

// Appended after what the list already holds, innermost first.
TEST(CauseChain, InnermostFirst) {
  TBasicException* three = Chain("outer", "middle", "[inner]");
  TStrList lines;
  lines.Add(vexstr(u"kept"));
  three->GetCauseChain(lines);
  ASSERT_EQ(lines.Count(), 4u);
  EXPECT_EQ(Ascii(lines[0]), "kept");
  EXPECT_EQ(Ascii(lines[1]), "Not implemented at [inner]");
  EXPECT_EQ(Ascii(lines[2]), "zodu::TInvalidArgumentException middle at " + Ascii(kAt));
  EXPECT_EQ(Ascii(lines[3]), "Failed outer at " + Ascii(kAt));
  delete three;
}

class NotBasic : public TExceptionBase {
 public:
  void DoNothing() const override {}
};

TEST(GetException, OnlyBasicExceptions) {
  TFunctionFailedException basic(kAt, u"x");
  const TExceptionBase& asBase = basic;
  EXPECT_EQ(TExceptionBase::GetException(asBase), &basic);
  NotBasic other;
  EXPECT_TRUE(Raises<TFunctionFailedException>([&] { TExceptionBase::GetException(other); },
                                               "invalid exception type",
                                               "[sdl/ebase(zodu::TExceptionBase::GetException):"));
}

TEST(VexObject, DefaultNameAndReplicate) {
  class Plain : public IVexObject {};
  Plain plain;
  EXPECT_NE(Ascii(plain.ToString()).find("Plain"), std::string::npos);
  EXPECT_TRUE(Raises<TNotImplementedException>([&] { delete plain.Replicate(); }, "",
                                               "[sdl/ebase(zodu::IVexObject::Replicate):"));
}

TEST(Allocation, ZeroSizeDoesNotRaiseHugeSizeDoes) {
  void* p = nullptr;
  EXPECT_NO_THROW(p = vex_malloc_(0));
  std::free(p);
  void* q = vex_realloc_(nullptr, 16);
  ASSERT_NE(q, nullptr);
  EXPECT_TRUE(Raises<TOutOfMemoryException>([] { vex_malloc_(SIZE_MAX / 2); }, "",
                                            "[sdl/ebase(zodu::vex_malloc_):"));
  EXPECT_TRUE(Raises<TOutOfMemoryException>([&] { vex_realloc_(q, SIZE_MAX / 2); }, "",
                                            "[sdl/ebase(zodu::vex_realloc_):"));
  std::free(q);  // a failed realloc leaves the block
}

TEST(Referencible, NonZeroCountIsReportedNotThrown) {
  struct Counted : AReferencible {};
  ::testing::internal::CaptureStderr();
  EXPECT_NO_THROW({
    Counted counted;
    counted.IncRef();
  });
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("reference count is not zero"),
            std::string::npos);
}

}  // namespace
}  // namespace zodu
