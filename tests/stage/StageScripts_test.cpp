// The rules every script line must keep, checked on the game's own texts.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lib/ShiftJis.h"
#include "stage/UnitStage.h"

namespace vexa {
namespace {

// How a language writes the script's forms: the Japanese as written, the English
// equivalents (`Name: "words`, closed by `"`, continued speech indented four spaces).
struct Form {
  Language language;
  std::string_view space, indent, open, close;
  std::vector<std::string_view> notInSpeaker;  // marks that show a line is narration
  std::string titlePrefix;                      // before the stage number
  std::string titleSeparator, finalTitle, enemyPrefix, nameOpen, nameClose, bannerMark;
  std::string Title(std::int32_t stage) const {
    return stage == 10 ? finalTitle : titlePrefix + std::to_string(stage) + titleSeparator;
  }
};
const Form Japanese{Language::Japanese, "　", "　　　　", "「", "」", {"、", "。", "！", "？", "…", " ", "　"},
                    "Stage", "／", "StageFinal／", "Enemy／", "「", "」", "★"};
const Form English{Language::English, " ", "    ", ": \"", "\"", {",", ".", "!", "?", "\"", ":"},
                   "Stage ", " / ", "Final Stage / ", "Enemy / ", "\"", "\"", "★"};
const Form Forms[] = {Japanese, English};

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
std::string StoryFault(const Form& f, const std::vector<std::string>& lines) {
  bool inSpeech = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = lines[i];
    const std::string at = "line " + std::to_string(i + 1) + " \"" + std::string(line) + "\": ";
    if (line.empty()) return at + "empty";
    std::string_view speech = line;
    if (inSpeech) {
      if (!line.starts_with(f.indent) || line.substr(f.indent.size()).starts_with(f.space))
        return at + "a continued speech is indented by four spaces of its language";
      speech = line.substr(f.indent.size());
      if (speech.find(f.open) != std::string_view::npos) return at + "a second opening inside a speech";
    } else {
      if (line.starts_with(f.space)) return at + "indented outside a speech";
      const auto open = line.find(f.open);
      if (open == std::string_view::npos) {
        if (line.find(f.close) != std::string_view::npos) return at + "a closing mark in narration";
        continue;
      }
      const std::string_view speaker = line.substr(0, open);
      if (speaker.empty()) return at + "a speech without a speaker";
      for (std::string_view mark : f.notInSpeaker)
        if (speaker.find(mark) != std::string_view::npos) return at + "narration with a quotation, or no speaker";
      speech = line.substr(open + f.open.size());
      if (speech.find(f.open) != std::string_view::npos) return at + "a second opening";
      inSpeech = true;
    }
    const std::size_t closes = Count(speech, f.close);
    if (closes > 1 || (closes == 1 && !speech.ends_with(f.close))) return at + "a speech closes only at the line end";
    if (closes == 1) inSpeech = false;
  }
  return inSpeech ? "the last speech is not closed" : "";
}

std::string Name(const Form& f, std::int32_t stage) {
  return std::string(LanguageName(f.language)) + " stage " + std::to_string(stage);
}

TEST(StageScripts, EachStageHasItsLineCountsTitleAndEnemy) {
  for (const Form& f : Forms) {
    std::set<std::string> titles, enemies;
    for (const Shape& shape : Shapes) {
      const auto& lines = StageScriptLines(f.language, shape.stage);
      ASSERT_EQ(lines.size(), shape.total) << Name(f, shape.stage);

      const std::string_view title = lines[shape.story];
      const std::string prefix = f.Title(shape.stage);
      EXPECT_TRUE(title.starts_with(prefix)) << Name(f, shape.stage) << ": " << title;
      EXPECT_GT(title.size(), prefix.size()) << Name(f, shape.stage) << ": no subtitle";
      titles.insert(std::string(title.substr(prefix.size())));

      const std::string_view enemy = lines[shape.story + 1];
      ASSERT_TRUE(enemy.starts_with(f.enemyPrefix)) << Name(f, shape.stage) << ": " << enemy;
      std::string_view name = enemy.substr(f.enemyPrefix.size());
      if (shape.stage <= 8) {
        EXPECT_TRUE(name.size() > 2 && name.starts_with(f.nameOpen) && name.ends_with(f.nameClose))
            << Name(f, shape.stage) << ": " << enemy;
        name = name.substr(f.nameOpen.size(), name.size() - f.nameOpen.size() - f.nameClose.size());
      }
      EXPECT_FALSE(name.empty()) << Name(f, shape.stage);
      EXPECT_EQ(name.find(f.nameOpen), std::string_view::npos) << Name(f, shape.stage) << ": " << enemy;
      EXPECT_EQ(name.find(f.nameClose), std::string_view::npos) << Name(f, shape.stage) << ": " << enemy;
      enemies.insert(std::string(name));

      // Only the last two lines are headings.
      for (std::size_t i = 0; i < shape.story; ++i) {
        const std::string_view line = lines[i];
        EXPECT_FALSE(line.starts_with(f.titlePrefix) || line.starts_with(f.finalTitle) ||
                     line.starts_with(f.enemyPrefix))
            << Name(f, shape.stage) << ": " << line;
      }
    }
    EXPECT_EQ(titles.size(), 10u) << LanguageName(f.language) << ": every stage has its own subtitle";
    EXPECT_EQ(enemies.size(), 10u) << LanguageName(f.language) << ": every stage has its own enemy";
  }
}

TEST(StageScripts, NarrationAndDialogueFollowThePanelRules) {
  for (const Form& f : Forms) {
    for (const Shape& shape : Shapes) {
      const auto& lines = StageScriptLines(f.language, shape.stage);
      EXPECT_EQ(StoryFault(f, {lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(shape.story)}), "")
          << Name(f, shape.stage);
    }
    EXPECT_EQ(StoryFault(f, EndingScriptLines(f.language)), "") << LanguageName(f.language) << " ending";
  }
}

// The checker itself, on lines that each break one rule of the English form.
TEST(StageScripts, TheEnglishFormCatchesBrokenLines) {
  const std::vector<std::vector<std::string>> broken{
      {"Vexa: \"Never closed."},
      {"Vexa: \"Closed\" too early."},
      {"Vexa: \"Go on,", "  two spaces are not four.\""},
      {"Vexa: \"Go on,", "    Haku: \"a second speaker.\""},
      {"    An indented narration."},
      {"Narration with a stray \" mark."},
      {"He said, quietly: \"no speaker.\""},
  };
  for (const auto& lines : broken) EXPECT_NE(StoryFault(English, lines), "") << lines.front();
  EXPECT_EQ(StoryFault(English, {"White Shadow: \"Go home,", "    Vexa.\"", "Silence."}), "");
}

TEST(StageScripts, TheFirstStageRepeatsItsSecondLineAsItsEighth) {
  for (const Form& f : Forms) {
    const auto& lines = StageScriptLines(f.language, 1);
    EXPECT_EQ(lines[7], lines[1]) << LanguageName(f.language);
    // Only there: no other line of the stage is a repeat.
    std::set<std::string> distinct(lines.begin(), lines.end());
    EXPECT_EQ(distinct.size(), lines.size() - 1) << LanguageName(f.language);
  }
}

// Vexa answers the gatekeeper and, at the end, her master with the same words.
TEST(StageScripts, TheTeachingOfTheFirstStageComesBackInTheEnding) {
  for (const Form& f : Forms) EXPECT_EQ(StageScriptLines(f.language, 1)[5], EndingScriptLines(f.language)[6]);
}

TEST(StageScripts, EveryLineFitsThePanelInShiftJis) {
  for (const Form& f : Forms) {
    std::vector<std::vector<std::string>> scripts;
    for (std::int32_t stage = 1; stage <= 10; ++stage) scripts.push_back(StageScriptLines(f.language, stage));
    scripts.push_back(EndingScriptLines(f.language));
    for (const auto& script : scripts) {
      for (const std::string& line : script) {
        const auto sjis = ToShiftJis(line);
        ASSERT_TRUE(sjis.has_value()) << "not in CP932: " << line;
        EXPECT_LE(sjis->size(), 46u) << line;  // the panel shows 47 bytes; one is kept free
        EXPECT_EQ(FromShiftJis(*sjis), std::optional<std::string>(line)) << "changes in CP932: " << line;
      }
    }
  }
}

TEST(StageScripts, TheEndingHasTwelveLinesClosedByABanner) {
  for (const Form& f : Forms) {
    const auto& lines = EndingScriptLines(f.language);
    ASSERT_EQ(lines.size(), 12u);
    for (const std::string_view text : lines)
      EXPECT_FALSE(text.starts_with(f.titlePrefix) || text.starts_with(f.enemyPrefix)) << text;
    const std::string_view banner = lines.back();
    EXPECT_TRUE(banner.starts_with(f.bannerMark)) << banner;
    EXPECT_TRUE(banner.ends_with(f.bannerMark)) << banner;
    EXPECT_GT(banner.size(), 2 * f.bannerMark.size()) << "an empty banner";
    EXPECT_LE(ToShiftJis(banner).value_or(std::string(99, ' ')).size(), 25u) << "the banner is short";
  }
}

}  // namespace
}  // namespace vexa
