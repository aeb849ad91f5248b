// The story told one line per missed swing: each stage's narration and dialogue, then its
// title and its enemy; and the ending after the last duel. The lines live in the text
// tables, one per language.
#include <array>

#include "lib/Checked.h"
#include "record/Texts.h"
#include "stage/UnitStage.h"

namespace vexa {

const std::vector<std::string>& StageScriptLines(Language language, std::int32_t stage) {
  VEXA_ASSERT(stage >= 1 && stage <= 10, "UnitStage");
  static constexpr std::array<std::string_view, 10> keys{text::Stage1, text::Stage2, text::Stage3, text::Stage4,
                                                         text::Stage5, text::Stage6, text::Stage7, text::Stage8,
                                                         text::Stage9, text::Stage10};
  return TextLines(language, keys[static_cast<std::size_t>(stage - 1)]);
}

const std::vector<std::string>& EndingScriptLines(Language language) { return TextLines(language, text::Ending); }

}  // namespace vexa
