// The exception tree: reports, location texts, copies of cause chains, allocation.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "sdl/estrlist.h"
#include "support/raises.h"

#ifdef __SANITIZE_ADDRESS__
// Let a huge allocation fail with null, as the plain allocator does, instead of aborting.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}
#endif

namespace zodu {
namespace {

using testing_support::Ascii;

const vexstr kAt(u"[sdl/efile(zodu::TEFile::Open):12]");

// Kind name (or class name), the message when there is one, " at " and the location.
TEST(Report, KindMessageAndLocation) {
  const std::pair<vexstr, std::string> rows[] = {
      {TFunctionFailedException(kAt, u"boom").GetReport(), "Failed boom"},
      {TNotImplementedException(kAt).GetReport(), "Not implemented"},
      {TInvalidArgumentException(kAt, u"x").GetReport(), "zodu::TInvalidArgumentException x"},
      {TIndexOutOfRangeException(kAt, 7, 0, 5).GetReport(), "Invalid index [0..5]: 7"},
      {TInvalidIntegerNumberException(kAt, u"1x").GetReport(), "Invalid integer format '1x'"},
      {TFileException(kAt, u"a.hkl", u"fread").GetReport(), "zodu::TFileException a.hkl fread"},
      {TFileDoesNotExistException(kAt, u"a.hkl").GetReport(), "File does not exist a.hkl "},
  };
  for (const auto& [report, start] : rows) EXPECT_EQ(Ascii(report), start + " at " + Ascii(kAt));
}

// "[" + source under src/ + "(" + qualified function, template arguments bound + "):" + line.
TEST(Location, FileUnderSrcAndQualifiedFunction) {
  const char* const rows[][3] = {
      {"/home/x/src/zt7/src/repository/hkl_util.cpp", "static int hkl_util::ParseRef(const char*)",
       "[repository/hkl_util(hkl_util::ParseRef):7]"},
      {"sdl/equeue.h",
       "T zodu::TQueue<T>::Pop() [with T = zodu::AnAssociation3<unsigned int, unsigned int, bool>]",
       "[sdl/equeue(zodu::TQueue<zodu::AnAssociation3<unsigned int, unsigned int, bool>>::Pop):7]"},
      {"sdl/a.cpp", "zodu::G()::<lambda(int)>", "[sdl/a(zodu::G):7]"},
  };
  for (const auto& row : rows)
    EXPECT_EQ(Ascii(FormatLocation(row[0], row[1], 7)), row[2]) << row[1];
}

// Copies are deep; the cause chain lists the innermost report first, after what was there.
TEST(Causes, CopiesAndChain) {
  auto* outer = new TFunctionFailedException(kAt, u"outer");
  auto* middle = new TInvalidArgumentException(kAt, u"middle");
  middle->SetCause(new TNotImplementedException(u"[inner]"));
  outer->SetCause(middle);
  const auto* replica = static_cast<const TBasicException*>(outer->Replicate());
  TFunctionFailedException copy(*outer);
  delete outer;  // the copies live on by themselves
  for (const TBasicException* e : {replica, static_cast<const TBasicException*>(&copy)}) {
    ASSERT_EQ(typeid(*e->GetCause()), typeid(TInvalidArgumentException));
    TStrList lines;
    lines.Add(vexstr(u"kept"));
    e->GetCauseChain(lines);
    EXPECT_EQ(Ascii(lines.Text(vexstr(u"|"))),
              "kept|Not implemented at [inner]|zodu::TInvalidArgumentException middle at " +
                  Ascii(kAt) + "|Failed outer at " + Ascii(kAt));
  }
  delete replica;
}

// A count left non-zero is reported, not thrown from the destructor.
TEST(Objects, ReferenceCountLeftIsReported) {
  struct Counted : AReferencible {};
  ::testing::internal::CaptureStderr();
  EXPECT_NO_THROW(Counted().IncRef());
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("reference count is not zero"),
            std::string::npos);
}

TEST(Allocation, ZeroSizeDoesNotRaiseHugeSizeDoes) {
  std::free(vex_malloc_(0));
  void* q = vex_realloc_(nullptr, 16);
  ASSERT_NE(q, nullptr);
  EXPECT_THROW(vex_malloc_(SIZE_MAX / 2), TOutOfMemoryException);
  EXPECT_THROW(vex_realloc_(q, SIZE_MAX / 2), TOutOfMemoryException);
  std::free(q);  // a failed realloc leaves the block
}

}  // namespace
}  // namespace zodu
