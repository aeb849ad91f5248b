#pragma once
// Lines for the message panel: the rules add them here; paint/ draws them.
#include <string_view>

#include "record/GameRecord.h"

namespace vexa {

// Where a new line waits, one pitch below the newest, before it rises into view.
inline constexpr std::int32_t LinePitch = 28;

void AddMessage(MessageLog& log, std::string_view text);
void ClearMessageLog(MessageLog& log);

}  // namespace vexa
