#include "record/MessageLog.h"

#include "lib/Checked.h"
#include "lib/Journal.h"

namespace vexa {

void AddMessage(MessageLog& log, std::string_view text) {
  VEXA_ASSERT(log.count < LogCapacity, "UnitPaint");  // a full log stores nothing
  log.lines[CheckIndex("lines", log.count, LogCapacity)] = std::string(text);
  log.count = chk::Add(log.count, 1);
  // The first append after a layout starts a new batch: earlier lines turn grey.
  if (log.laidOut) {
    log.freshCount = 0;
    log.laidOut = false;
  }
  log.freshCount = chk::Add(log.freshCount, 1);
  // The older lines stay put on screen; the new one waits one pitch below the newest.
  log.scroll = chk::Add(log.scroll, LinePitch);
  JournalMessage(text);
}

void ClearMessageLog(MessageLog& log) {
  for (std::int32_t i = 0; i < log.count && i < LogCapacity; ++i) log.lines[static_cast<std::size_t>(i)].clear();
  log.count = 0;
  log.freshCount = 0;
  log.scroll = 0;
  log.laidOut = false;
  for (int i = 0; i < 5; ++i) AddMessage(log, "");
  // 1, so the first layout decays it to 0 and the panel starts at rest.
  log.scroll = 1;
}

}  // namespace vexa
