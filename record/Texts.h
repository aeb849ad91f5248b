#pragma once
// Every text the game shows, one table per language, looked up by a key that says what
// the text is for. A third language is one more table; the tests hold each table to the
// same keys.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "lib/Language.h"

namespace vexa {

// One entry: a message is one line, a script many. "{}" in a line is filled in order.
struct TextEntry {
  std::string_view key;
  std::vector<std::string> lines;
};
using TextTable = std::vector<TextEntry>;

const TextTable& JapaneseTexts();  // the game as written
const TextTable& EnglishTexts();
const TextTable& TextsOf(Language language);

// The keys every table holds, each once.
namespace text {
inline constexpr std::string_view Hit = "hit";
inline constexpr std::string_view Defeated = "defeated";
inline constexpr std::string_view Victory = "victory";
inline constexpr std::string_view ExpGained = "exp-gained";
inline constexpr std::string_view RetryCountdown = "retry-countdown";
inline constexpr std::string_view ResumedAt = "resumed-at-stage";
inline constexpr std::string_view Saved = "saved";
inline constexpr std::string_view SaveFailed = "save-failed";
inline constexpr std::string_view AtLimit = "upgrade-at-limit";
inline constexpr std::string_view NoExp = "upgrade-without-exp";
inline constexpr std::string_view Upgraded = "upgraded";
inline constexpr std::string_view LabelHp = "label-hp";
inline constexpr std::string_view LabelAttack = "label-attack";
inline constexpr std::string_view LabelAp = "label-ap";
inline constexpr std::string_view BarHp = "bar-hp";
inline constexpr std::string_view BarAttack = "bar-attack";
inline constexpr std::string_view BarAp = "bar-ap";
inline constexpr std::string_view PromptSave = "prompt-save";
inline constexpr std::string_view PromptHp = "prompt-hp";
inline constexpr std::string_view PromptAttack = "prompt-attack";
inline constexpr std::string_view PromptAp = "prompt-ap";
inline constexpr std::string_view PromptTrain = "prompt-train";
inline constexpr std::string_view PromptAdvance = "prompt-advance";
inline constexpr std::string_view Stage1 = "stage1";
inline constexpr std::string_view Stage2 = "stage2";
inline constexpr std::string_view Stage3 = "stage3";
inline constexpr std::string_view Stage4 = "stage4";
inline constexpr std::string_view Stage5 = "stage5";
inline constexpr std::string_view Stage6 = "stage6";
inline constexpr std::string_view Stage7 = "stage7";
inline constexpr std::string_view Stage8 = "stage8";
inline constexpr std::string_view Stage9 = "stage9";
inline constexpr std::string_view Stage10 = "stage10";
inline constexpr std::string_view Ending = "ending";
}  // namespace text

const std::vector<std::string_view>& TextKeys();
// The keys of script entries (many lines); every other key is one line.
bool IsScriptKey(std::string_view key);

// The lines of `key` in `language`; a key the table lacks is an internal error.
const std::vector<std::string>& TextLines(Language language, std::string_view key);
// A one-line text with each "{}" replaced by the next of `values`.
std::string Text(Language language, std::string_view key, std::initializer_list<std::string_view> values = {});

}  // namespace vexa
