// The application context: instance rules, base folder and writability probe.
#include "sdl/bapp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "sdl/efile.h"
#include "support/raises.h"
#include "support/temp_folder.h"

namespace zodu {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::U8;
using testing::W;
using testing_support::Raises;

constexpr char kProbe[] = "_t__m___p____DIR";

// The folder of this program as the kernel reports it, with the separator at the end.
std::string ProgramFolder() {
  return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

bool Exists(const std::string& path) {
  return fs::symlink_status(path).type() != fs::file_type::not_found;
}

// An absolute name in an existing folder gives that folder; otherwise the program's folder.
TEST(TBasicApp, BaseFolderAndModuleName) {
  TempFolder folder;
  const std::string rows[][3] = {
      {folder / "tool.exe", folder.path() + "/", "tool.exe"},
      {folder.path(), fs::path(folder.path()).parent_path().string() + "/", ""},
      {folder / "missing/tool", ProgramFolder(), "tool"},
  };
  for (const auto& row : rows) {
    TBasicApp app(W(row[0]), false);
    EXPECT_EQ(U8(app.GetBaseDir()), row[1]) << row[0];
    EXPECT_EQ(U8(app.GetModuleName()), row[2]) << row[0];
  }
  EXPECT_FALSE(Exists(ProgramFolder() + kProbe));
}

// The probe proves writability and goes again; whatever of its name the user has is kept.
TEST(TBasicApp, TheProbeLeavesNothingAndTouchesNothing) {
  TempFolder folder;
  const std::string probe = folder / kProbe;
  const std::pair<std::function<void()>, bool> rows[] = {
      {[] {}, true},
      {[&] { folder.MakeFile(kProbe, "user data"); }, false},
      {[&] { fs::create_directories(probe + "/keep"); }, false},
      {[&] { fs::create_directory(probe); }, true},  // an empty one is a probe left behind
      {[&] { fs::create_symlink(folder / "nowhere", probe); }, false},
  };
  for (const auto& [prepare, writable] : rows) {
    prepare();
    const bool existed = Exists(probe);
    {
      TBasicApp app(W(folder / "app"), false);
      EXPECT_EQ(app.IsBaseDirWritable(), writable);
    }
    EXPECT_EQ(Exists(probe), existed && !writable);
    fs::remove_all(probe);
  }
  TBasicApp app(u"/proc/app", false);  // refuses new entries even to root
  EXPECT_FALSE(app.IsBaseDirWritable());
}

TEST(TBasicApp, OneInstanceAtATime) {
  EXPECT_TRUE(Raises<TFunctionFailedException>([] { TBasicApp::GetInstance(); },
                                               "Uninitialised application layer..."));
  TBasicApp app(u"RODEDI", false);
  EXPECT_TRUE(Raises<TFunctionFailedException>([] { TBasicApp second(u"RODEDI", false); },
                                               "an application instance already exists"));
  EXPECT_EQ(&TBasicApp::GetInstance(), &app);
  EXPECT_EQ(U8(app.GetPlatformString()), "WIN32_SSE2");
}

// The idle queue runs each pending action once, outside the listing lock, then deletes it.
TEST(TBasicApp, IdleRunsPendingActionsOnce) {
  TBasicApp app(u"RODEDI", false);
  std::string trace;
  struct Action : AActionHandler {
    explicit Action(std::string& t) : trace(t) {}
    ~Action() override { trace += '~'; }
    bool Execute(const IVexObject* sender, const IVexObject*) override {
      bool free = true;
      std::thread([&free] {
        if ((free = TEFile::ListingLock().try_lock())) TEFile::ListingLock().unlock();
      }).join();
      trace += free ? "free" : "a";
      EXPECT_EQ(sender, &TBasicApp::GetInstance());
      return true;
    }
    std::string& trace;
  };
  for (int i = 0; i < 2; ++i) app.AddPendingAction(new Action(trace));
  for (int i = 0; i < 2; ++i) app.GetIdleQueue().Execute(&app, nullptr);
  EXPECT_EQ(trace, "a~a~");
  EXPECT_EQ(app.PendingActionCount(), 0u);
}

}  // namespace
}  // namespace zodu
