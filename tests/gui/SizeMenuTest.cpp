// The size menu on the panel and the user's settings file it writes.
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "gui/ISizeMenu.h"
#include "gui/UserSettings.h"
#include "tests/gui/EditorFixture.h"

namespace {

namespace fs = std::filesystem;

// The variable the settings folder comes from on this system.
#ifdef _WIN32
constexpr const char* kConfigVariable = "APPDATA";
void SetVariable(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }
#else
constexpr const char* kConfigVariable = "XDG_CONFIG_HOME";
void SetVariable(const char* name, const std::string& value) {
  if (value.empty()) unsetenv(name);
  else setenv(name, value.c_str(), 1);
}
#endif

// Every case gets a configuration folder of its own, set before the editor
// (which reads the file) is made.
class SizeMenuTest : public EditorFixture {
 protected:
  void SetUp() override {
    const char* before = std::getenv(kConfigVariable);
    before_ = before ? before : "";
    folder_ = fs::absolute(fs::path(::testing::TempDir()) /
                           ("brume-config-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())));
    fs::remove_all(folder_);
    SetVariable(kConfigVariable, folder_.string());
    EditorFixture::SetUp();
  }
  void TearDown() override {
    EditorFixture::TearDown();
    fs::remove_all(folder_);
    SetVariable(kConfigVariable, before_);
  }
  fs::path File() { return fs::path(UserSettings::FilePath()); }
  void WriteSettings(const std::string& text) {
    fs::create_directories(File().parent_path());
    std::ofstream(File(), std::ios::binary) << text;
  }
  ISizeMenu* Menu() {
    for (int i = Editor().ControlCount() - 1; i > 0; --i)
      if (auto* menu = dynamic_cast<ISizeMenu*>(Editor().GetControl(i))) return menu;
    return nullptr;
  }
  fs::path folder_;
  std::string before_;
};

TEST_F(SizeMenuTest, TheChoiceAppliesAtOnceIsRememberedAndAutoGoesBackToTheHost) {
  ASSERT_TRUE(Menu());
  EXPECT_EQ(Menu()->Text(), "size auto");
  Editor().SetHostScale(1.25);
  const IBounds at = EditorScale::Physical(Menu()->Bounds(), Editor().Scale());
  const int x = (at.L + at.R) / 2, y = (at.T + at.B) / 2;
  EXPECT_EQ(Editor().ControlAt(x, y), Editor().ControlCount() - 1);
  Editor().ScriptMenuChoice(5);  // Auto, 100 %, 125 %, 150 %, 175 %, 200 %
  Click(x, y);
  ASSERT_EQ(Editor().MenusShown().size(), 1u);
  EXPECT_EQ(Editor().MenusShown()[0].size(), 1u + EditorScale::kStepCount);
  EXPECT_EQ(Editor().MenusShown()[0][0], "Auto");
  EXPECT_EQ(Editor().MenusShown()[0].back(), "300%");
  EXPECT_EQ(Editor().Scale(), 200);
  EXPECT_EQ(Editor().Width(), 1630);
  EXPECT_EQ(UserSettings::LoadScale(), 200);
  Editor().RedrawAll();
  EXPECT_EQ(Menu()->Text(), "size 200%");

  // Another instance (another project, another host) opens at the choice.
  Kestrel other(nullptr, HeadlessEditor::Create);
  EXPECT_EQ(static_cast<HeadlessEditor*>(other.Editor())->Scale(), 200);

  Editor().ScriptMenuChoice(0);
  Click(EditorScale::Physical((Menu()->Bounds().L + Menu()->Bounds().R) / 2, 200),
        EditorScale::Physical((Menu()->Bounds().T + Menu()->Bounds().B) / 2, 200));
  EXPECT_EQ(Editor().Scale(), 125);
  EXPECT_EQ(UserSettings::LoadScale(), 0);
}

TEST_F(SizeMenuTest, MissingOrGarbledSettingsAreAuto) {
  EXPECT_EQ(UserSettings::LoadScale(), 0);  // no file
  WriteSettings("scale=175\n");
  EXPECT_EQ(UserSettings::LoadScale(), 175);
  for (const char* garbled : {"scale=170\n", "scale=1.75\n", "scale=\n", "\x01\x02\xff", "scale=999999999999\n"}) {
    WriteSettings(garbled);
    EXPECT_EQ(UserSettings::LoadScale(), 0) << garbled;
  }
  // A folder where the file should be: unreadable, still Auto.
  ASSERT_EQ(File().parent_path().parent_path().string().rfind(folder_.string(), 0), 0u) << File();
  fs::remove(File());
  fs::create_directories(File());
  EXPECT_EQ(UserSettings::LoadScale(), 0);
  EXPECT_FALSE(UserSettings::SaveScale(150));
}

// Editors of two instances save their choices at once while a third
// opens: it reads one of the choices, never a part of a file (Auto).
TEST_F(SizeMenuTest, SavesAtOnceNeverPublishHalfAFile) {
  ASSERT_TRUE(UserSettings::SaveScale(150));
  std::atomic<int> failedSaves{0};
  auto saver = [&](int percent) {
    for (int i = 0; i < 300; ++i) failedSaves += UserSettings::SaveScale(percent) ? 0 : 1;
  };
  std::thread a(saver, 150), b(saver, 200);
  std::thread reader([&] {
    int bad = 0;
    for (int i = 0; i < 600 && bad == 0; ++i) {
      const int read = UserSettings::LoadScale();
      if (read != 150 && read != 200) bad = read + 1;
    }
    EXPECT_EQ(bad, 0) << "read " << bad - 1;
  });
  a.join();
  b.join();
  reader.join();
#ifndef _WIN32
  EXPECT_EQ(failedSaves.load(), 0);  // on Windows a rename may find the file in use by a reader
#endif
  const int last = UserSettings::LoadScale();
  EXPECT_TRUE(last == 150 || last == 200) << last;
  int leftovers = 0;
  for (const auto& entry : fs::directory_iterator(File().parent_path())) leftovers += entry.path() != File();
  EXPECT_EQ(leftovers, 0) << "temporary files left behind";
}

}  // namespace
