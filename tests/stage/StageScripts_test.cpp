// The rules every script line must keep, checked on the game's own texts.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <string_view>

#include "lib/ShiftJis.h"
#include "stage/UnitStage.h"

namespace vexa {
namespace {

constexpr std::string_view Space = "　";  // U+3000
constexpr std::string_view Indent = "　　　　";
constexpr std::string_view Open = "「";
constexpr std::string_view Close = "」";

struct Shape {
  std::int32_t stage;
  std::size_t total, story;
};
constexpr Shape Shapes[] = {{1, 15, 13}, {2, 9, 7}, {3, 8, 6},  {4, 12, 10}, {5, 10, 8},
                            {6, 4, 2},   {7, 7, 5}, {8, 9, 7},  {9, 8, 6},   {10, 7, 5}};

std::size_t Count(std::string_view s, std::string_view part) {
  std::size_t n = 0;
  for (auto at = s.find(part); at != std::string_view::npos; at = s.find(part, at + part.size())) ++n;
  return n;
}

// Empty when the lines are narration and dialogue as the message panel expects them;
// otherwise names the first line that breaks a rule.
std::string StoryFault(std::span<const char* const> lines) {
  bool inSpeech = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    const std::string at = "line " + std::to_string(i + 1) + " \"" + std::string(line) + "\": ";
    if (line.empty()) return at + "empty";
    std::string_view speech = line;
    if (inSpeech) {
      if (!line.starts_with(Indent) || line.substr(Indent.size()).starts_with(Space))
        return at + "a continued speech is indented by four ideographic spaces";
      speech = line.substr(Indent.size());
      if (speech.find(Open) != std::string_view::npos) return at + "a second 「 inside a speech";
    } else {
      if (line.starts_with(Space)) return at + "indented outside a speech";
      const auto open = line.find(Open);
      if (open == std::string_view::npos) {
        if (line.find(Close) != std::string_view::npos) return at + "」 in narration";
        continue;
      }
      const std::string_view speaker = line.substr(0, open);
      if (speaker.empty()) return at + "a speech without a speaker";
      for (std::string_view mark : {"、", "。", "！", "？", "…", " ", "　"})
        if (speaker.find(mark) != std::string_view::npos) return at + "narration with a quotation, or no speaker";
      speech = line.substr(open + Open.size());
      if (speech.find(Open) != std::string_view::npos) return at + "a second 「";
      inSpeech = true;
    }
    const std::size_t closes = Count(speech, Close);
    if (closes > 1 || (closes == 1 && !speech.ends_with(Close))) return at + "」 only closes a speech at the line end";
    if (closes == 1) inSpeech = false;
  }
  return inSpeech ? "the last speech is not closed" : "";
}

std::string Name(std::int32_t stage) { return "stage " + std::to_string(stage); }

TEST(StageScripts, EachStageHasItsLineCountsTitleAndEnemy) {
  std::set<std::string> titles, enemies;
  for (const Shape& shape : Shapes) {
    const auto lines = StageScriptLines(shape.stage);
    ASSERT_EQ(lines.size(), shape.total) << Name(shape.stage);

    const std::string_view title = lines[shape.story];
    const std::string prefix = shape.stage == 10 ? "StageFinal／" : "Stage" + std::to_string(shape.stage) + "／";
    EXPECT_TRUE(title.starts_with(prefix)) << Name(shape.stage) << ": " << title;
    EXPECT_GT(title.size(), prefix.size()) << Name(shape.stage) << ": no subtitle";
    titles.insert(std::string(title.substr(prefix.size())));

    const std::string_view enemy = lines[shape.story + 1];
    ASSERT_TRUE(enemy.starts_with("Enemy／")) << Name(shape.stage) << ": " << enemy;
    std::string_view name = enemy.substr(std::string_view("Enemy／").size());
    if (shape.stage <= 8) {
      EXPECT_TRUE(name.starts_with(Open) && name.ends_with(Close)) << Name(shape.stage) << ": " << enemy;
      name = name.substr(Open.size(), name.size() - Open.size() - Close.size());
    }
    EXPECT_FALSE(name.empty()) << Name(shape.stage);
    EXPECT_EQ(name.find(Open), std::string_view::npos) << Name(shape.stage) << ": " << enemy;
    EXPECT_EQ(name.find(Close), std::string_view::npos) << Name(shape.stage) << ": " << enemy;
    enemies.insert(std::string(name));

    // Only the last two lines are headings.
    for (std::size_t i = 0; i < shape.story; ++i) {
      const std::string_view line = lines[i];
      EXPECT_FALSE(line.starts_with("Stage") || line.starts_with("Enemy")) << Name(shape.stage) << ": " << line;
    }
  }
  EXPECT_EQ(titles.size(), 10u) << "every stage has its own subtitle";
  EXPECT_EQ(enemies.size(), 10u) << "every stage has its own enemy";
}

TEST(StageScripts, NarrationAndDialogueFollowThePanelRules) {
  for (const Shape& shape : Shapes) {
    const auto story = StageScriptLines(shape.stage).first(shape.story);
    EXPECT_EQ(StoryFault(story), "") << Name(shape.stage);
  }
  EXPECT_EQ(StoryFault(EndingScriptLines()), "") << "ending";
}

TEST(StageScripts, TheFirstStageRepeatsItsSecondLineAsItsEighth) {
  const auto lines = StageScriptLines(1);
  EXPECT_STREQ(lines[7], lines[1]);
  // Only there: no other line of the stage is a repeat.
  std::set<std::string> distinct(lines.begin(), lines.end());
  EXPECT_EQ(distinct.size(), lines.size() - 1);
}

TEST(StageScripts, EveryLineFitsThePanelInShiftJis) {
  std::vector<std::span<const char* const>> scripts;
  for (std::int32_t stage = 1; stage <= 10; ++stage) scripts.push_back(StageScriptLines(stage));
  scripts.push_back(EndingScriptLines());
  for (const auto& script : scripts) {
    for (const char* line : script) {
      const auto sjis = ToShiftJis(line);
      ASSERT_TRUE(sjis.has_value()) << "not in CP932: " << line;
      EXPECT_LE(sjis->size(), 46u) << line;  // the panel shows 47 bytes; one is kept free
      EXPECT_EQ(FromShiftJis(*sjis), std::optional<std::string>(line)) << "changes in CP932: " << line;
    }
  }
}

TEST(StageScripts, TheEndingHasTwelveLinesClosedByABanner) {
  const auto lines = EndingScriptLines();
  ASSERT_EQ(lines.size(), 12u);
  for (const char* line : lines) {
    const std::string_view text = line;
    EXPECT_FALSE(text.starts_with("Stage") || text.starts_with("Enemy")) << text;
  }
  const std::string_view banner = lines.back();
  EXPECT_TRUE(banner.starts_with("★")) << banner;
  EXPECT_TRUE(banner.ends_with("★")) << banner;
  EXPECT_GT(banner.size(), 2 * std::string_view("★").size()) << "an empty banner";
  EXPECT_LE(ToShiftJis(banner).value_or(std::string(99, ' ')).size(), 25u) << "the banner is short";
}

}  // namespace
}  // namespace vexa
