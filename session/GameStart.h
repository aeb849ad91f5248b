#pragma once
// How every edition begins a game and says why one stopped, in one place: the window
// (platform/sdl/WindowGame.cpp), the page (platform/web/PageMain.cpp) and the headless replay
// (session/ReplayRun.cpp) all start here.
#include <exception>
#include <memory>
#include <string>

#include "session/Session.h"

namespace vexa {

struct StartedSession {
  std::unique_ptr<Session> session;
  std::string notice;  // for the player, once; empty when there is nothing to say
};

// Builds the session in the game's fixed start-up order (throwing what start-up throws, such
// as a missing picture), notes a save that could not be loaded, and loads the font in the
// wait before the first step instead of inside it.
StartedSession StartSession(const SessionOptions& options);

// What the player is told when a step fails, the error's own words after it: the game stops
// there for good.
inline constexpr const char* StopPrefix = "The game stopped because of an internal error: ";
std::string StopMessage(const std::exception& e);

}  // namespace vexa
