#include "record/Texts.h"

#include <algorithm>

#include "lib/Checked.h"

namespace vexa {

const std::vector<std::string_view>& TextKeys() {
  static const std::vector<std::string_view> keys{
      text::Hit,        text::Defeated,    text::Victory,      text::ExpGained,    text::RetryCountdown,
      text::ResumedAt,  text::Saved,       text::SaveFailed,   text::AtLimit,      text::NoExp,
      text::Upgraded,   text::LabelHp,     text::LabelAttack,  text::LabelAp,      text::BarHp,
      text::BarAttack,  text::BarAp,       text::PromptSave,   text::PromptHp,     text::PromptAttack,
      text::PromptAp,   text::PromptTrain, text::PromptAdvance, text::Stage1,      text::Stage2,
      text::Stage3,     text::Stage4,      text::Stage5,       text::Stage6,       text::Stage7,
      text::Stage8,     text::Stage9,      text::Stage10,      text::Ending};
  return keys;
}

bool IsScriptKey(std::string_view key) { return key.starts_with("stage") || key == text::Ending; }

const TextTable& TextsOf(Language language) {
  return language == Language::English ? EnglishTexts() : JapaneseTexts();
}

const std::vector<std::string>& TextLines(Language language, std::string_view key) {
  const TextTable& table = TextsOf(language);
  const auto entry = std::find_if(table.begin(), table.end(), [&](const TextEntry& e) { return e.key == key; });
  VEXA_ASSERT(entry != table.end(), "Texts");
  return entry->lines;
}

std::string Text(Language language, std::string_view key, std::initializer_list<std::string_view> values) {
  const std::vector<std::string>& lines = TextLines(language, key);
  VEXA_ASSERT(lines.size() == 1, "Texts");
  const std::string& pattern = lines.front();
  // Each "{}" from the left takes the next value while values last; the text between is
  // copied a run at a time, not a byte at a time.
  std::string out;
  std::size_t from = 0;
  for (const std::string_view value : values) {
    const std::size_t at = pattern.find("{}", from);
    if (at == std::string::npos) break;
    out.append(pattern, from, at - from);
    out += value;
    from = at + 2;
  }
  out.append(pattern, from, std::string::npos);
  return out;
}

}  // namespace vexa
