#include "session/GameStart.h"

#include "lib/BrixSaveLoad.h"
#include "lib/FontFace.h"

namespace vexa {

namespace {

// The first step would load the font (its configuration, then the face, or the page's glyph
// file); done right after start-up it fills the wait before that step, which the scheduler
// counts from the form's creation, instead of delaying the first frame.
void LoadFontEarly(const GameState& g) {
  if (!g.backbuffer) return;
  TextLayout layout;
  try {
    LayOutText(g.backbuffer->FontName(), g.backbuffer->FontSize(), g.backbuffer->FontStyle(), " ", layout);
  } catch (const std::exception&) {
    // Without a font the first step that draws text stops the game and says why.
  }
}

}  // namespace

StartedSession StartSession(const SessionOptions& options) {
  StartedSession started;
  started.session = std::make_unique<Session>(options);
  if (started.session->Game().damagedSave)
    started.notice = "save.dat could not be loaded (" +
                     TBrixSaveLoad::WhyNotLoaded(static_cast<std::int32_t>(SaveFileSize - 10)) +
                     "), so a new game begins; the first save keeps the old file as save.dat.damaged";
  LoadFontEarly(started.session->Game());
  return started;
}

std::string StopMessage(const std::exception& e) {
  return StopPrefix + std::string(e.what());
}

}  // namespace vexa
