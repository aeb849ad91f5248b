#include "core/Replay.h"

#include <charconv>
#include <sstream>

namespace vexa {

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

template <class T>
bool ParseNumber(const std::string& text, T& value) {
  if (text.empty() || text[0] == '+') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseButton(const std::string& text, MouseButton& button) {
  if (text == "left") button = MouseButton::Left;
  else if (text == "right") button = MouseButton::Right;
  else if (text == "middle") button = MouseButton::Middle;
  else return false;
  return true;
}

bool ParseHeld(const std::string& text, ShiftState& held) {
  held = ShiftState{};
  if (text == "none") return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t plus = text.find('+', start);
    const std::string name = text.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    MouseButton b;
    if (!ParseButton(name, b)) return false;
    bool& flag = b == MouseButton::Left ? held.left : b == MouseButton::Right ? held.right : held.middle;
    if (flag) return false;  // named twice
    flag = true;
    if (plus == std::string::npos) return true;
    start = plus + 1;
  }
}

const char* ButtonName(MouseButton b) {
  return b == MouseButton::Left ? "left" : b == MouseButton::Right ? "right" : "middle";
}

}  // namespace

Replay ParseReplay(std::istream& in) {
  Replay replay;
  std::string line;
  int number = 0;
  bool headerSeen = false;
  std::int64_t lastStep = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto fields = Fields(line);
    if (fields.empty() || fields[0][0] == '#') continue;
    if (!headerSeen) {
      if (fields.size() != 2 || fields[0] != "vexa-replay" || fields[1] != "1")
        throw ReplayError(number, "expected the header 'vexa-replay 1'");
      headerSeen = true;
      continue;
    }
    if (fields[0] == "seed" || fields[0] == "steps") {
      if (!replay.events.empty()) throw ReplayError(number, "'" + fields[0] + "' after the first event");
      if (fields.size() != 2) throw ReplayError(number, "'" + fields[0] + "' takes one number");
      if (fields[0] == "seed") {
        std::uint32_t seed;
        if (replay.seed) throw ReplayError(number, "a second 'seed' line");
        if (!ParseNumber(fields[1], seed)) throw ReplayError(number, "seed must be 0..4294967295");
        replay.seed = seed;
      } else {
        std::int64_t steps;
        if (replay.steps) throw ReplayError(number, "a second 'steps' line");
        if (!ParseNumber(fields[1], steps) || steps < 0) throw ReplayError(number, "steps must be a number >= 0");
        replay.steps = steps;
      }
      continue;
    }
    if (fields.size() != 5) throw ReplayError(number, "expected 'STEP EVENT BUTTON X Y'");
    ReplayEvent e;
    if (!ParseNumber(fields[0], e.step) || e.step < 0) throw ReplayError(number, "step must be a number >= 0");
    if (e.step < lastStep) throw ReplayError(number, "steps go backwards");
    if (fields[1] == "down" || fields[1] == "up") {
      e.kind = fields[1] == "down" ? ReplayEventKind::Down : ReplayEventKind::Up;
      if (!ParseButton(fields[2], e.button)) throw ReplayError(number, "button must be left, right or middle");
    } else if (fields[1] == "move") {
      e.kind = ReplayEventKind::Move;
      if (!ParseHeld(fields[2], e.held)) throw ReplayError(number, "held buttons must be none or left+right+middle");
    } else {
      throw ReplayError(number, "event must be down, up or move");
    }
    if (!ParseNumber(fields[3], e.x) || !ParseNumber(fields[4], e.y))
      throw ReplayError(number, "x and y must be 32-bit integers");
    lastStep = e.step;
    replay.events.push_back(e);
  }
  if (!headerSeen) throw ReplayError(number == 0 ? 1 : number, "expected the header 'vexa-replay 1'");
  return replay;
}

std::string FormatReplayEvent(const ReplayEvent& e) {
  std::ostringstream out;
  out << e.step << ' ';
  if (e.kind == ReplayEventKind::Move) {
    std::string held;
    if (e.held.left) held += "left";
    if (e.held.right) held += held.empty() ? "right" : "+right";
    if (e.held.middle) held += held.empty() ? "middle" : "+middle";
    out << "move " << (held.empty() ? "none" : held);
  } else {
    out << (e.kind == ReplayEventKind::Down ? "down " : "up ") << ButtonName(e.button);
  }
  out << ' ' << e.x << ' ' << e.y;
  return out.str();
}

void DeliverReplayEvent(MouseTarget& target, const ReplayEvent& e) {
  switch (e.kind) {
    case ReplayEventKind::Down: {
      ShiftState held;
      (e.button == MouseButton::Left ? held.left : e.button == MouseButton::Right ? held.right : held.middle) = true;
      target.PaintBoxMainMouseDown(e.button, held, e.x, e.y);
      break;
    }
    case ReplayEventKind::Up: target.PaintBoxMainMouseUp(e.button, ShiftState{}, e.x, e.y); break;
    case ReplayEventKind::Move: target.PaintBoxMainMouseMove(e.held, e.x, e.y); break;
  }
}

}  // namespace vexa
