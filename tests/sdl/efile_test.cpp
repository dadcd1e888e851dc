// TEFile: open failures, reading and writing, positions, and the path functions.
#include "sdl/efile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "sdl/raises.h"
#include "sdl/temp_folder.h"

namespace zodu {
namespace {

using testing::TempFolder;
using testing::U8;
using testing::W;
using testing_support::Site;

// Runs `f`, which must raise TFileException at `site` with the message file + " " + text.
template <class F>
void ExpectFileError(F f, const std::string& site, const std::string& file,
                     const std::string& text) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected " << text;
  } catch (const TFileException& e) {
    EXPECT_EQ(Site(e), site);
    EXPECT_EQ(U8(e.GetFileName()), file);
    EXPECT_EQ(U8(e.GetMessage()), file + " " + text);
  }
}

TEST(TEFile, OpeningAMissingFileNamesFileAndModeAndStaysClosed) {
  TempFolder dir;
  std::string present = dir.MakeFile("present.txt", "abc");
  std::string missing = dir / "missing.txt";
  TEFile file(W(present), u"rb");
  ExpectFileError([&] { file.Open(W(missing), u"rb"); }, "[sdl/efile(zodu::TEFile::Open)", missing,
                  "NULL handle for '" + missing + "' with opening mode 'rb'");
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(file.GetName().IsEmpty());
  // Reopening by the kept name, now of a removed file.
  file.Open(W(present), u"rb");
  ASSERT_EQ(unlink(present.c_str()), 0);
  ExpectFileError([&] { file.Open(file.GetName(), u"rb"); }, "[sdl/efile(zodu::TEFile::Open)",
                  present, "NULL handle for '" + present + "' with opening mode 'rb'");
  ExpectFileError([&] { TEFile other(W(missing), u"r"); }, "[sdl/efile(zodu::TEFile::Open)",
                  missing, "NULL handle for '" + missing + "' with opening mode 'r'");
}

TEST(TEFile, AFolderOrPipeGivenAsAFileFailsAtOpen) {
  TempFolder dir;
  std::string pipe = dir / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  alarm(20);  // opening a pipe for reading would wait for a writer
  for (const std::string& path : {dir.path(), dir.path() + "/", pipe}) {
    for (const char16_t* mode : {u"rb", u"r", u"wb", u"a", u"r+b"}) {
      TEFile file;
      EXPECT_THROW(file.Open(W(path), mode), TFileException) << path;
      EXPECT_FALSE(file.IsOpen());
      EXPECT_THROW(file.Read(nullptr, 0), TFileException);
    }
  }
  alarm(0);
}

TEST(TEFile, ReadsWritesAndKeepsPositions) {
  TempFolder dir;
  std::string path = dir / "data.bin";
  TEFile file(W(path), u"w+b");
  file.Write("hello world", 11);
  file.Write(nullptr, 0);
  EXPECT_EQ(file.GetPosition(), 11u);
  file.SetPosition(6);
  EXPECT_EQ(file.Length(), 11u);
  EXPECT_EQ(file.GetPosition(), 6u);
  char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
  file.Read(buffer, 0);
  EXPECT_EQ(file.GetPosition(), 6u);
  EXPECT_EQ(buffer[0], 'x');
  file.Read(buffer, 5);
  EXPECT_EQ(std::string(buffer, 5), "world");
  file.SetPosition(8);
  ExpectFileError([&] { file.Read(buffer, 4); }, "[sdl/efile(zodu::TEFile::Read)", path,
                  "fread failed");
  ExpectFileError([&] { file.SetPosition(UINT64_MAX); }, "[sdl/efile(zodu::TEFile::_seek)", path,
                  "fseek failed");
  file.Close();
  file.Close();
  EXPECT_EQ(U8(file.GetName()), path);
}

TEST(TEFile, EveryOperationOnAClosedFileChecksTheHandle) {
  TEFile file;
  char c = 0;
  const std::string site = "[sdl/efile(zodu::TEFile::CheckHandle)";
  ExpectFileError([&] { file.Read(&c, 1); }, site, "", "Invalid file handle");
  ExpectFileError([&] { file.Write(&c, 1); }, site, "", "Invalid file handle");
  ExpectFileError([&] { file.GetPosition(); }, site, "", "Invalid file handle");
  ExpectFileError([&] { file.Length(); }, site, "", "Invalid file handle");
  ExpectFileError([&] { file.SetPosition(0); }, site, "", "Invalid file handle");
  ExpectFileError([&] { file.Flush(); }, site, "", "Invalid file handle");
}

TEST(TEFile, PathPieces) {
  struct Row {
    const char16_t *name, *extension, *namePart;
  };
  const Row rows[] = {
      {u"frame.img", u"img", u"frame.img"},
      {u"/data/run.1/frame.img", u"img", u"frame.img"},
      {u"a.tar.gz", u"gz", u"a.tar.gz"},
      {u".hidden", u"", u".hidden"},
      {u"name.", u"", u"name."},
      {u"run.1/frame", u"", u"frame"},
      {u"noext", u"", u"noext"},
      {u"/top", u"", u"/top"},  // a separator only at the start keeps the whole name
      {u"", u"", u""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(U8(TEFile::FileExtension(r.name)), U8(r.extension)) << U8(r.name);
    EXPECT_EQ(U8(TEFile::FileNamePart(r.name)), U8(r.namePart)) << U8(r.name);
  }
  TempFolder dir;
  EXPECT_TRUE(TEFile::FileNamePart(W(dir.path())).IsEmpty());
}

TEST(TEFile, ReplaceExtension) {
  struct Row {
    const char16_t *name, *extension, *result;
  };
  const Row rows[] = {
      {u"a.hkl", u"ins", u"a.ins"},     {u"a.hkl", u".res", u"a.res"}, {u"a.hkl", u"", u"a"},
      {u"a", u"ins", u"a.ins"},         {u"a.", u"ins", u"a.ins"},     {u"a.", u"", u"a"},
      {u".hidden", u"x", u".hidden.x"}, {u"d.1/a", u"x", u"d.1/a.x"},  {u"", u"ins", u""},
  };
  for (const Row& r : rows)
    EXPECT_EQ(U8(TEFile::ReplaceExtension(r.name, r.extension)), U8(r.result)) << U8(r.name);
}

TEST(TEFile, Separators) {
  EXPECT_EQ(U8(TEFile::AppendSeparator(u"/data")), "/data/");
  EXPECT_EQ(U8(TEFile::AppendSeparator(u"/data/")), "/data/");
  EXPECT_EQ(U8(TEFile::AppendSeparator(u"")), "/");
  vexstr path(u"run"), empty;
  EXPECT_EQ(U8(TEFile::AppendSeparatorInPlace(path)), "run/");
  EXPECT_EQ(U8(TEFile::AppendSeparatorInPlace(path)), "run/");
  EXPECT_TRUE(TEFile::AppendSeparatorInPlace(empty).IsEmpty());
}

TEST(TEFile, FolderFunctions) {
  TempFolder dir;
  std::string file = dir.MakeFile("f.txt", "x");
  std::string sub = dir / "sub";
  EXPECT_TRUE(TEFile::IsFolder(W(dir.path())));
  EXPECT_TRUE(TEFile::IsFolder(W(dir.path() + "/")));
  EXPECT_TRUE(TEFile::IsFolder(u"/"));
  EXPECT_FALSE(TEFile::IsFolder(u""));
  EXPECT_FALSE(TEFile::IsFolder(W(file)));
  EXPECT_FALSE(TEFile::IsFolder(W(file + "/")));

  EXPECT_TRUE(TEFile::CreateFolder(W(sub)));
  EXPECT_FALSE(TEFile::CreateFolder(W(sub)));
  EXPECT_TRUE(TEFile::PathExists(W(sub)));
  EXPECT_TRUE(TEFile::PathExists(W(file)));
  EXPECT_FALSE(TEFile::PathExists(W(dir / "none")));

  EXPECT_FALSE(TEFile::RemoveFolder(W(dir.path())));  // not empty
  EXPECT_FALSE(TEFile::RemoveFile(W(sub)));           // a folder is not a file
  EXPECT_TRUE(TEFile::RemoveFolder(W(sub)));
  EXPECT_TRUE(TEFile::RemoveFolder(W(sub)));
  ASSERT_EQ(chmod(file.c_str(), 0400), 0);
  EXPECT_TRUE(TEFile::RemoveFile(W(file)));
  EXPECT_FALSE(TEFile::PathExists(W(file)));
  EXPECT_TRUE(TEFile::RemoveFile(W(file)));
}

TEST(TEFile, CurrentFolder) {
  TempFolder dir;
  vexstr before = TEFile::GetCurrentFolder();
  ASSERT_FALSE(before.IsEmpty());
  EXPECT_FALSE(TEFile::SetCurrentFolder(u""));
  EXPECT_FALSE(TEFile::SetCurrentFolder(W(dir / "none")));
  ASSERT_TRUE(TEFile::SetCurrentFolder(W(dir.path())));
  EXPECT_EQ(U8(TEFile::GetCurrentFolder()), dir.path());
  ASSERT_TRUE(TEFile::SetCurrentFolder(before));
}

}  // namespace
}  // namespace zodu
