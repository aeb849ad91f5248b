// The text tables: each language holds every key once, in the same shape, so a table
// that misses a text fails here rather than in the middle of a game.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "record/Texts.h"
#include "lib/Checked.h"

namespace vexa {
namespace {

std::size_t Placeholders(const std::string& line) {
  std::size_t n = 0;
  for (auto at = line.find("{}"); at != std::string::npos; at = line.find("{}", at + 2)) ++n;
  return n;
}

// Empty when `table` holds every key once, with as many lines and placeholders as
// `reference`; else what is wrong.
std::string TableFault(const TextTable& table, const TextTable& reference) {
  std::map<std::string_view, const TextEntry*> byKey;
  for (const TextEntry& e : table)
    if (!byKey.emplace(e.key, &e).second) return "the key " + std::string(e.key) + " twice";
  for (std::string_view key : TextKeys()) {
    const auto it = byKey.find(key);
    if (it == byKey.end()) return "no text for the key " + std::string(key);
    const TextEntry& mine = *it->second;
    const auto ref = std::find_if(reference.begin(), reference.end(), [&](const TextEntry& e) { return e.key == key; });
    if (ref == reference.end()) return "the reference lacks " + std::string(key);
    if (mine.lines.size() != ref->lines.size()) return std::string(key) + ": another number of lines";
    if (!IsScriptKey(key) && mine.lines.size() != 1) return std::string(key) + ": a message is one line";
    for (std::size_t i = 0; i < mine.lines.size(); ++i) {
      if (mine.lines[i].empty()) return std::string(key) + ": an empty line";
      if (Placeholders(mine.lines[i]) != Placeholders(ref->lines[i])) return std::string(key) + ": other placeholders";
    }
  }
  if (byKey.size() != TextKeys().size()) return "a key no text of the game uses";
  return "";
}

TEST(Texts, EveryTableHoldsEveryKeyOnce) {
  const std::set<std::string_view> keys(TextKeys().begin(), TextKeys().end());
  EXPECT_EQ(keys.size(), TextKeys().size()) << "a key listed twice";
  for (const Language language : {Language::Japanese, Language::English})
    EXPECT_EQ(TableFault(TextsOf(language), JapaneseTexts()), "") << LanguageName(language);
}

// The check itself, on tables that each lack one thing.
TEST(Texts, AMissingOrMisshapenKeyIsCaught) {
  const TextTable& full = EnglishTexts();
  TextTable missing(full.begin() + 1, full.end());
  EXPECT_NE(TableFault(missing, JapaneseTexts()), "");
  TextTable twice = full;
  twice.push_back(full.front());
  EXPECT_NE(TableFault(twice, JapaneseTexts()), "");
  TextTable extra = full;
  extra.push_back({"no-such-text", {"?"}});
  EXPECT_NE(TableFault(extra, JapaneseTexts()), "");
  TextTable shortScript = full;
  for (TextEntry& e : shortScript)
    if (e.key == text::Stage6) e.lines.pop_back();
  EXPECT_NE(TableFault(shortScript, JapaneseTexts()), "");
  TextTable noNumber = full;
  for (TextEntry& e : noNumber)
    if (e.key == text::ExpGained) e.lines = {"Got EXP!"};
  EXPECT_NE(TableFault(noNumber, JapaneseTexts()), "");
}

TEST(Texts, FillsPlaceholdersInOrder) {
  EXPECT_EQ(Text(Language::Japanese, text::Upgraded, {"攻撃", "0"}), "攻撃がアップした！（残りExp：0）");
  EXPECT_EQ(Text(Language::English, text::Upgraded, {"Attack", "12"}), "Attack up! (EXP left: 12)");
  EXPECT_EQ(Text(Language::Japanese, text::Hit), "ヒット！");
}

TEST(Texts, AKeyNoTableHoldsIsAnAssertion) {
  try {
    TextLines(Language::English, "no-such-text");
    ADD_FAILURE() << "a missing key was accepted";
  } catch (const VexaError& e) {
    EXPECT_NE(std::string(e.what()).find("assertion failed (Texts"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace vexa
