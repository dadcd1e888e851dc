// TEFile: open failures, reading and writing, positions, and the path functions.
#include "sdl/efile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "support/raises.h"
#include "support/temp_folder.h"

namespace zodu {
namespace {

using testing::TempFolder;
using testing::U8;
using testing::W;
using testing_support::Raises;

TEST(TEFile, OpenFailuresNameFileAndModeAndLeaveItClosed) {
  TempFolder dir;
  std::string present = dir.MakeFile("present.txt", "abc"), missing = dir / "missing.txt";
  TEFile file(W(present), u"rb");
  EXPECT_TRUE(Raises<TFileException>(
      [&] { file.Open(W(missing), u"rb"); },
      missing + " NULL handle for '" + missing + "' with opening mode 'rb'", "sdl/efile"));
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.GetName().IsEmpty());
  // A folder or a pipe is no file, whatever the mode (reading a pipe would wait for a writer).
  std::string pipe = dir / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  alarm(20);
  for (const std::string& path : {dir.path(), dir.path() + "/", pipe})
    for (const char16_t* mode : {u"rb", u"wb", u"a", u"r+b"}) {
      EXPECT_THROW(file.Open(W(path), mode), TFileException) << path;
      EXPECT_FALSE(file.IsOpen());
    }
  alarm(0);
}

TEST(TEFile, ReadsWritesAndKeepsPositions) {
  TempFolder dir;
  std::string path = dir / "data.bin";
  TEFile file(W(path), u"w+b");
  file.Write("hello world", 11);
  file.SetPosition(6);
  EXPECT_EQ(file.Length(), 11u);
  EXPECT_EQ(file.GetPosition(), 6u);  // Length leaves the position
  char buffer[5];
  file.Read(buffer, 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  file.SetPosition(8);
  EXPECT_TRUE(Raises<TFileException>([&] { file.Read(buffer, 4); }, path + " fread failed"));
  EXPECT_TRUE(
      Raises<TFileException>([&] { file.SetPosition(UINT64_MAX); }, path + " fseek failed"));
  file.Close();
  file.Close();
  EXPECT_EQ(U8(file.GetName()), path);
  for (auto operation : {+[](TEFile& f) { f.Read(nullptr, 1); }, +[](TEFile& f) { f.Flush(); },
                         +[](TEFile& f) { f.Length(); }, +[](TEFile& f) { f.SetPosition(0); }})
    EXPECT_TRUE(Raises<TFileException>([&] { operation(file); }, path + " Invalid file handle"));
}

TEST(TEFile, PathPieces) {
  const char16_t* const rows[][5] = {
      // name, FileExtension, FileNamePart, ReplaceExtension with "ins", with ""
      {u"/d/run.1/f.img", u"img", u"f.img", u"/d/run.1/f.ins", u"/d/run.1/f"},
      {u".hidden", u"", u".hidden", u".hidden.ins", u".hidden"},
      {u"name.", u"", u"name.", u"name.ins", u"name"},
      {u"run.1/frame", u"", u"frame", u"run.1/frame.ins", u"run.1/frame"},
      {u"", u"", u"", u"", u""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(U8(TEFile::FileExtension(r[0])), U8(r[1])) << U8(r[0]);
    EXPECT_EQ(U8(TEFile::FileNamePart(r[0])), U8(r[2])) << U8(r[0]);
    EXPECT_EQ(U8(TEFile::ReplaceExtension(r[0], u"ins")), U8(r[3])) << U8(r[0]);
    EXPECT_EQ(U8(TEFile::ReplaceExtension(r[0], u"")), U8(r[4])) << U8(r[0]);
  }
  EXPECT_EQ(U8(TEFile::ReplaceExtension(u"a.hkl", u".res")), "a.res");
  EXPECT_EQ(U8(TEFile::AppendSeparator(u"/data")), "/data/");
  EXPECT_EQ(U8(TEFile::AppendSeparator(u"/data/")), "/data/");
}

TEST(TEFile, FolderFunctions) {
  TempFolder dir;
  std::string file = dir.MakeFile("f.txt", "x");
  EXPECT_TRUE(TEFile::IsFolder(W(dir.path() + "/")));
  EXPECT_FALSE(TEFile::IsFolder(u""));
  EXPECT_FALSE(TEFile::IsFolder(W(file)));
  EXPECT_FALSE(TEFile::RemoveFolder(W(dir.path())));  // not empty
  EXPECT_FALSE(TEFile::RemoveFile(W(dir.path())));    // a folder is not a file
}

}  // namespace
}  // namespace zodu
