#include "session/ReplayFile.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <sstream>

namespace vexa {

namespace {

// A line's fields, as views into the line: nothing is copied or allocated for the thousands of
// lines of a long replay. No line has more than five, so a sixth stands for all the rest: a
// count checked against what a line needs is then wrong, as it should be.
struct LineFields {
  std::array<std::string_view, 6> items{};
  std::size_t count = 0;
  std::size_t size() const { return count; }
  bool empty() const { return count == 0; }
  std::string_view operator[](std::size_t i) const { return items[i]; }
};

LineFields Fields(std::string_view line) {
  LineFields out;
  std::size_t i = 0;
  while (i < line.size() && out.count < out.items.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) out.items[out.count++] = line.substr(start, i - start);
  }
  return out;
}

template <class T>
bool ParseNumber(std::string_view text, T& value) {
  if (text.empty() || text[0] == '+') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// Orders two digit strings by the numbers they spell, however long.
int CompareDigits(std::string_view a, std::string_view b) {
  const std::size_t za = std::min(a.find_first_not_of('0'), a.size());
  const std::size_t zb = std::min(b.find_first_not_of('0'), b.size());
  const std::size_t la = a.size() - za, lb = b.size() - zb;
  if (la != lb) return la < lb ? -1 : 1;
  return a.compare(za, la, b, zb, lb);
}

bool ParseButton(std::string_view text, MouseButton& button) {
  if (text == "left") button = MouseButton::Left;
  else if (text == "right") button = MouseButton::Right;
  else if (text == "middle") button = MouseButton::Middle;
  else return false;
  return true;
}

bool ParseHeld(std::string_view text, ShiftState& held) {
  held = ShiftState{};
  if (text == "none") return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t plus = text.find('+', start);
    const std::string_view name = text.substr(start, plus == std::string_view::npos ? std::string_view::npos : plus - start);
    MouseButton b;
    if (!ParseButton(name, b)) return false;
    bool& flag = b == MouseButton::Left ? held.left : b == MouseButton::Right ? held.right : held.middle;
    if (flag) return false;  // named twice
    flag = true;
    if (plus == std::string_view::npos) return true;
    start = plus + 1;
  }
}

const char* ButtonName(MouseButton b) {
  return b == MouseButton::Left ? "left" : b == MouseButton::Right ? "right" : "middle";
}

// Reads one line of at most MaxReplayLine bytes; a longer one is refused as soon as it is
// seen, so a file without line breaks (/dev/zero) is never read whole. The bytes gather in a
// block and join the line a block at a time: in the browser build a call per byte, made where
// the parse's strings are alive, is a trip out to JavaScript and back.
bool ReadLine(std::istream& in, std::string& line, int number) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  std::array<char, 256> block;
  std::size_t held = 0;
  for (;;) {
    const int c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof() || c == '\n') {
      line.append(block.data(), held);
      if (c == '\n') return true;
      in.setstate(std::ios::eofbit);
      return !line.empty();
    }
    if (line.size() + held == MaxReplayLine)
      throw ReplayError(number, "a line longer than " + std::to_string(MaxReplayLine) + " bytes");
    block[held++] = static_cast<char>(c);
    if (held == block.size()) {
      line.append(block.data(), held);
      held = 0;
    }
  }
}

}  // namespace

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::uint32_t> ReadSeed(std::string_view text) {
  std::uint32_t value = 0;
  if (!IsDigits(text) || !ParseNumber(text, value)) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ReadStepCount(std::string_view text) {
  std::int64_t value = 0;
  if (!IsDigits(text) || !ParseNumber(text, value)) return std::nullopt;
  return value;
}

std::optional<SaveImage> ReadSaveBytes(std::string_view text) {
  if (text == "none") return SaveImage{};
  if (text.size() != 2 * SaveFileSize) return std::nullopt;
  SaveImage bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    std::uint8_t byte;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
    if (ec != std::errc() || end != text.data() + i + 2) return std::nullopt;
    bytes.push_back(byte);
  }
  return bytes;
}

std::string FormatSaveBytes(const SaveImage& bytes) {
  if (bytes.empty()) return "none";
  static const char hex[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t b : bytes) {
    text += hex[b >> 4];
    text += hex[b & 15];
  }
  return text;
}

Replay ParseReplay(std::istream& in) {
  Replay replay;
  std::string line;
  int number = 0;
  bool headerSeen = false;
  std::string lastStep = "0";
  while (ReadLine(in, line, number + 1)) {
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
    if (fields[0] == "seed" || fields[0] == "steps" || fields[0] == "save" || fields[0] == "lang") {
      if (!replay.events.empty()) throw ReplayError(number, "'" + std::string(fields[0]) + "' after the first event");
      if (fields.size() != 2) throw ReplayError(number, "'" + std::string(fields[0]) + "' takes one value");
      if (fields[0] == "seed") {
        if (replay.seed) throw ReplayError(number, "a second 'seed' line");
        replay.seed = ReadSeed(fields[1]);
        if (!replay.seed) throw ReplayError(number, "seed must be 0..4294967295");
      } else if (fields[0] == "steps") {
        if (replay.steps) throw ReplayError(number, "a second 'steps' line");
        replay.steps = ReadStepCount(fields[1]);
        if (!replay.steps) throw ReplayError(number, "steps must be 0..9223372036854775807");
      } else if (fields[0] == "lang") {
        if (replay.language) throw ReplayError(number, "a second 'lang' line");
        replay.language = ReadLanguage(fields[1]);
        if (!replay.language) throw ReplayError(number, "lang must be ja or en");
      } else {
        if (replay.save) throw ReplayError(number, "a second 'save' line");
        replay.save = ReadSaveBytes(fields[1]);
        if (!replay.save) throw ReplayError(number, "save must be none or the 68 hexadecimal digits of a save.dat");
      }
      continue;
    }
    if (fields.size() != 5) throw ReplayError(number, "expected 'STEP EVENT BUTTON X Y'");
    ReplayEvent e;
    if (!IsDigits(fields[0])) throw ReplayError(number, "step must be a number >= 0");
    if (CompareDigits(fields[0], lastStep) < 0) throw ReplayError(number, "steps go backwards");
    // No run gets that far, so a step beyond 64 bits waits past the last step like any other.
    if (!ParseNumber(fields[0], e.step)) e.step = std::numeric_limits<std::int64_t>::max();
    if (fields[1] == "down" || fields[1] == "up") {
      e.kind = fields[1] == "down" ? MouseEventKind::Down : MouseEventKind::Up;
      if (!ParseButton(fields[2], e.button)) throw ReplayError(number, "button must be left, right or middle");
    } else if (fields[1] == "move") {
      e.kind = MouseEventKind::Move;
      if (!ParseHeld(fields[2], e.held)) throw ReplayError(number, "held buttons must be none or left+right+middle");
    } else {
      throw ReplayError(number, "event must be down, up or move");
    }
    if (!ParseNumber(fields[3], e.x) || !ParseNumber(fields[4], e.y))
      throw ReplayError(number, "x and y must be 32-bit integers");
    lastStep = fields[0];
    replay.events.push_back(e);
  }
  if (!headerSeen) throw ReplayError(number == 0 ? 1 : number, "expected the header 'vexa-replay 1'");
  return replay;
}

std::string FormatReplayEvent(const ReplayEvent& e) {
  std::ostringstream out;
  out << e.step << ' ';
  if (e.kind == MouseEventKind::Move) {
    std::string held;
    if (e.held.left) held += "left";
    if (e.held.right) held += held.empty() ? "right" : "+right";
    if (e.held.middle) held += held.empty() ? "middle" : "+middle";
    out << "move " << (held.empty() ? "none" : held);
  } else {
    out << (e.kind == MouseEventKind::Down ? "down " : "up ") << ButtonName(e.button);
  }
  out << ' ' << e.x << ' ' << e.y;
  return out.str();
}

MouseEvent MouseEventOf(const ReplayEvent& e) {
  MouseEvent m{e.kind, e.button, e.held, e.x, e.y};
  // A press holds its own button; a release, none.
  if (e.kind == MouseEventKind::Down)
    m.held = ShiftState{e.button == MouseButton::Left, e.button == MouseButton::Right, e.button == MouseButton::Middle};
  if (e.kind == MouseEventKind::Up) m.held = ShiftState{};
  return m;
}

ReplayEvent ReplayEventOf(std::int64_t step, const MouseEvent& e) {
  // A replay keeps the held buttons of moves only: what a press or release holds follows from it.
  return ReplayEvent{step, e.kind, e.button, e.kind == MouseEventKind::Move ? e.held : ShiftState{}, e.x, e.y};
}

}  // namespace vexa
