#pragma once
// The command menu between battles: save, the three upgrades, training, advancing.
#include <cstdint>
#include <string_view>

#include "record/UnitData.h"

namespace vexa {

void CycleCommand(GameState& g);
void RunCommand(GameState& g);
void SaveProgress(GameState& g);
void UpgradeStat(GameState& g, std::int32_t& stat, std::string_view label, std::int32_t step,
                 std::int32_t limit);

}  // namespace vexa
