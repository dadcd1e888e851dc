// The application context: instance rules, base folder, writability probe and idle work.
#include "sdl/bapp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>

#include "sdl/efile.h"
#include "sdl/raises.h"
#include "sdl/temp_folder.h"

namespace {

using zodu::TBasicApp;
using zodu::vexstr;
using zodu::testing::TempFolder;
using zodu::testing::U8;
using zodu::testing::W;
using zodu::testing_support::Raises;

constexpr char kProbe[] = "_t__m___p____DIR";

// The folder of this program as the kernel reports it, with the separator at the end.
std::string ProgramFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

TEST(TBasicApp, AnAbsolutePathInAnExistingFolderGivesThatFolder) {
  TempFolder folder;
  struct Case {
    std::string name, baseDir, moduleName;
  } cases[] = {
      {folder / "tool.exe", folder.path() + "/", "tool.exe"},
      // The folder given as the name: no module name.
      {folder.path() + "/", folder.path() + "/", ""},
      {folder.path(), std::filesystem::path(folder.path()).parent_path().string() + "/", ""},
      // A folder that does not exist: the program's folder, the name's last piece.
      {folder / "missing/tool", ProgramFolder(), "tool"},
      // Not absolute: the program's folder.
      {"relative/tool", ProgramFolder(), "tool"},
      {"RODEDI", ProgramFolder(), "RODEDI"},
  };
  for (const Case& c : cases) {
    TBasicApp app(W(c.name), false);
    EXPECT_EQ(U8(app.GetBaseDir()), c.baseDir) << c.name;
    EXPECT_EQ(U8(app.GetModuleName()), c.moduleName) << c.name;
  }
  EXPECT_FALSE(Exists(ProgramFolder() + kProbe));
}

TEST(TBasicApp, AWritableFolderIsWritableAndKeepsNoProbe) {
  TempFolder folder;
  TBasicApp app(W(folder / "app"), false);
  EXPECT_TRUE(app.IsBaseDirWritable());
  EXPECT_FALSE(Exists(folder / kProbe));
}

TEST(TBasicApp, AFolderThatTakesNoProbeIsNotWritable) {
  // The process may be root, which writes anywhere it has a writable file system; these
  // folders refuse new entries even then.
  for (const char* readOnly : {"/proc/", "/sys/"}) {
    if (!std::filesystem::is_directory(readOnly)) continue;
    TBasicApp app(W(std::string(readOnly) + "app"), false);
    EXPECT_EQ(U8(app.GetBaseDir()), readOnly);
    EXPECT_FALSE(app.IsBaseDirWritable()) << readOnly;
    EXPECT_FALSE(Exists(std::string(readOnly) + kProbe));
  }
}

TEST(TBasicApp, SomethingInTheProbesWayIsLeftAlone) {
  TempFolder folder;
  // A file of the probe's name.
  folder.MakeFile(kProbe, "user data");
  {
    TBasicApp app(W(folder / "app"), false);
    EXPECT_FALSE(app.IsBaseDirWritable());
  }
  EXPECT_TRUE(std::filesystem::is_regular_file(folder / kProbe));
  EXPECT_EQ(std::filesystem::file_size(folder / kProbe), 9u);
  std::filesystem::remove(folder / kProbe);

  // A folder of the probe's name with something inside.
  std::filesystem::create_directory(folder / kProbe);
  folder.MakeFile(std::string(kProbe) + "/keep", "x");
  {
    TBasicApp app(W(folder / "app"), false);
    EXPECT_FALSE(app.IsBaseDirWritable());
  }
  EXPECT_TRUE(Exists(folder / (std::string(kProbe) + "/keep")));
  std::filesystem::remove_all(folder / kProbe);

  // An empty folder of that name is a probe left behind: it goes, and proves writability.
  std::filesystem::create_directory(folder / kProbe);
  {
    TBasicApp app(W(folder / "app"), false);
    EXPECT_TRUE(app.IsBaseDirWritable());
  }
  EXPECT_FALSE(Exists(folder / kProbe));

  // A link of that name that leads nowhere.
  std::filesystem::create_symlink(folder / "nowhere", folder / kProbe);
  {
    TBasicApp app(W(folder / "app"), false);
    EXPECT_FALSE(app.IsBaseDirWritable());
  }
  EXPECT_TRUE(std::filesystem::is_symlink(folder / kProbe));
}

TEST(TBasicApp, OneInstanceAtATime) {
  EXPECT_FALSE(TBasicApp::HasInstance());
  EXPECT_TRUE(Raises<zodu::TFunctionFailedException>([] { TBasicApp::GetInstance(); },
                                                     "Uninitialised application layer...",
                                                     "[sdl/bapp(zodu::TBasicApp::GetInstance):"));
  TempFolder folder;
  {
    TBasicApp first(W(folder / "first"), false);
    EXPECT_TRUE(TBasicApp::HasInstance());
    EXPECT_TRUE(Raises<zodu::TFunctionFailedException>([] { TBasicApp second(u"RODEDI", false); },
                                                       "an application instance already exists",
                                                       "[sdl/bapp(zodu::TBasicApp::TBasicApp):"));
    EXPECT_EQ(&TBasicApp::GetInstance(), &first);
    EXPECT_EQ(U8(first.GetModuleName()), "first");
    // The log of the first still works.
    first.GetLog();
    TBasicApp::NewLogEntry(1) << "still here";
  }
  EXPECT_FALSE(TBasicApp::HasInstance());
}

TEST(TBasicApp, QueuesProcessorsAndPlatform) {
  TBasicApp app(u"RODEDI", false);
  EXPECT_EQ(app.GetActions().Count(), 3u);
  for (const char16_t* name : {u"PROGRESS", u"TIMER", u"IDLE"})
    EXPECT_NE(app.GetActions().Find(name), nullptr);
  EXPECT_EQ(app.GetActions().Find(u"IDLE"), &app.GetIdleQueue());
  EXPECT_GE(app.GetProcessorCount(), 1);
  EXPECT_EQ(U8(app.GetPlatformString()), "WIN32_SSE2");
  EXPECT_FALSE(app.GetLog().IsVerbose());
}

TEST(TBasicApp, IdleRunsEachPendingActionOnceUnderTheListingLock) {
  TBasicApp app(u"RODEDI", false);
  std::string trace;
  struct Action : zodu::AActionHandler {
    Action(std::string& t, char m) : trace(t), mark(m) {}
    ~Action() override { trace += '~'; }
    bool Execute(const zodu::IVexObject* sender, const zodu::IVexObject*) override {
      trace += mark;
      // Another thread must find the listing lock taken.
      bool free = true;
      std::thread([&free] {
        free = zodu::TEFile::ListingLock().try_lock();
        if (free) zodu::TEFile::ListingLock().unlock();
      }).join();
      if (free) trace += '!';
      EXPECT_EQ(sender, &TBasicApp::GetInstance());
      return true;
    }
    std::string& trace;
    char mark;
  };
  app.AddPendingAction(new Action(trace, 'a'));
  app.AddPendingAction(new Action(trace, 'b'));
  EXPECT_EQ(app.PendingActionCount(), 2u);
  app.GetIdleQueue().Execute(&app, nullptr);
  EXPECT_EQ(trace, "a~b~");
  EXPECT_EQ(app.PendingActionCount(), 0u);
  app.GetIdleQueue().Execute(&app, nullptr);
  EXPECT_EQ(trace, "a~b~");
}

}  // namespace
