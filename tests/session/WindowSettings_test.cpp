#include "session/WindowSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Files.h"
#include "support/TempFolder.h"

namespace vexa {
namespace {

TEST(WindowSettings, WhatIsWrittenIsReadBack) {
  test::TempFolder folder;
  const std::string path = (folder.Path() / "deep/vexa/window.conf").string();
  ASSERT_TRUE(WriteWindowSettings(path, WindowSettings{3, true, Language::English}));
  const WindowSettings read = ReadWindowSettings(path, WindowSettings{});
  EXPECT_EQ(read.scale, 3);
  EXPECT_TRUE(read.fullscreen);
  EXPECT_EQ(read.language, Language::English);
  ASSERT_TRUE(WriteWindowSettings(path, WindowSettings{1, false, Language::Japanese}));
  EXPECT_EQ(ReadWindowSettings(path, WindowSettings{}).language, Language::Japanese);
}

// A hand-edited or damaged file never gives the window a scale it cannot have.
TEST(WindowSettings, WhatCannotBeUsedLeavesTheDefaults) {
  test::TempFolder folder;
  const struct {
    const char* text;
    std::int32_t scale;
    bool fullscreen;
    std::optional<Language> language;
  } cases[] = {
      {"", 2, false, {}},
      {"scale=9\nfullscreen=2\n", 2, false, {}},
      {"scale=0\nfullscreen=-1\n", 2, false, {}},
      {"scale=+3\nfullscreen=yes\n", 2, false, {}},
      {"scale 4\n", 2, false, {}},
      {"colour=red\nscale=5\n", 5, false, {}},
      {"fullscreen=1\n", 2, true, {}},
      {"lang=en\n", 2, false, Language::English},
      {"lang=ja\n", 2, false, Language::Japanese},
      {"lang=fr\nlang=EN\nlang=\n", 2, false, {}},
  };
  for (const auto& c : cases) {
    test::WriteFile("window.conf", c.text);
    const WindowSettings read = ReadWindowSettings("window.conf", WindowSettings{2, false, {}});
    EXPECT_EQ(read.scale, c.scale) << c.text;
    EXPECT_EQ(read.fullscreen, c.fullscreen) << c.text;
    EXPECT_EQ(read.language, c.language) << c.text;
  }
  EXPECT_EQ(ReadWindowSettings("missing.conf", WindowSettings{4, true, {}}).scale, 4);
}

TEST(WindowSettings, LiveInTheConfigFolder) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string before = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
  EXPECT_EQ(WindowSettingsPath(), "/tmp/cfg/vexa/window.conf");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as the base directory rules say
  const char* home = std::getenv("HOME");
  if (home) {
    EXPECT_EQ(WindowSettingsPath(), std::string(home) + "/.config/vexa/window.conf");
  }
  if (saved) setenv("XDG_CONFIG_HOME", before.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace vexa
