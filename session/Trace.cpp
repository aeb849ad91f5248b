#include "session/Trace.h"

#include <cerrno>
#include <cstdio>
#include <iostream>

#include "lib/FrameChecksum.h"
#include "lib/SystemFiles.h"
#include "session/RenamedFile.h"

namespace vexa {

namespace {

void JsonString(std::string& out, const std::string& s) {
  out += '"';
  for (const char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"') out += "\\\"";
    else if (c == '\\') out += "\\\\";
    else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out += buf;
    } else out += c;
  }
  out += '"';
}

void JsonStrings(std::string& out, const std::vector<std::string>& list) {
  out += '[';
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i) out += ',';
    JsonString(out, list[i]);
  }
  out += ']';
}

void Field(std::string& out, const char* key, std::int64_t value) {
  out += '"';
  out += key;
  out += "\":";
  out += std::to_string(value);
  out += ',';
}

void Flag(std::string& out, const char* key, bool value) {
  out += '"';
  out += key;
  out += "\":";
  out += value ? "true," : "false,";
}

void FighterObject(std::string& out, const char* key, const Fighter& f) {
  out += '"';
  out += key;
  out += "\":{";
  Field(out, "x", f.x);
  Field(out, "y", f.y);
  Field(out, "targetX", f.targetX);
  Flag(out, "attacking", f.attacking);
  Flag(out, "guarding", f.guarding);
  Field(out, "exp", f.exp);
  Field(out, "maxHp", f.maxHp);
  Field(out, "attack", f.attack);
  Field(out, "maxAp", f.maxAp);
  Field(out, "hp", f.hp);
  Field(out, "ap", f.ap);
  out.back() = '}';
  out += ',';
}

}  // namespace

std::string TraceRecord(std::int64_t step, const GameState& g, const Journal& journal) {
  std::string out = "{";
  Field(out, "step", step);
  Field(out, "random", std::int64_t{g.random.seed});
  Field(out, "stage", g.saveBlock.stage);
  Field(out, "trainingCount", g.saveBlock.trainingCount);
  Flag(out, "battleOn", g.battleOn);
  Flag(out, "ending", g.ending);
  Field(out, "selectedCommand", g.selectedCommand);
  Field(out, "retryClicks", g.retryClicks);
  Field(out, "scriptNext", g.scriptNext);
  Field(out, "scriptCount", g.scriptCount);
  Field(out, "enemyMode", g.enemyMode);
  Field(out, "enemyPhase", g.enemyPhase);
  Flag(out, "clickLatch", g.clickLatch);
  Flag(out, "rightHeld", g.rightHeld);
  out += "\"log\":{";
  Field(out, "count", g.messageLog.count);
  Field(out, "freshCount", g.messageLog.freshCount);
  Field(out, "scroll", g.messageLog.scroll);
  out.back() = '}';
  out += ',';
  FighterObject(out, "player", g.player);
  FighterObject(out, "enemy", g.enemy);
  out += "\"messages\":";
  JsonStrings(out, journal.messages);
  out += ",\"sounds\":";
  JsonStrings(out, journal.sounds);
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08x", g.backbuffer ? FrameCrc(*g.backbuffer) : 0u);
  out += ",\"frame\":\"";
  out += crc;
  out += "\"}";
  return out;
}

bool TraceOutput::Open(const std::string& path, std::ostream& err) {
  path_ = path;
  if (path.empty()) return true;
  if (path == "-") {
    stream_ = &std::cout;
    return true;
  }
  errno = 0;
  file_.open(PathOf(path), std::ios::binary | std::ios::trunc);
  if (!file_) {
    err << "vexa: cannot write the trace " << path << ": " << SystemReason() << '\n';
    return false;
  }
  stream_ = &file_;
  return true;
}

void TraceOutput::Flush() {
  if (stream_) stream_->flush();
}

bool TraceOutput::Finish(std::ostream& err) {
  if (!stream_) return true;
  errno = 0;
  stream_->flush();
  if (*stream_) return true;
  err << "vexa: cannot write the trace " << path_ << ": " << SystemReason() << '\n';
  return false;
}

}  // namespace vexa
