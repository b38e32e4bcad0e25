#include "play_script.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "display/overlays.h"
#include "main/full_screen.h"
#include "main/reading_comforts.h"
#include "scenario/engine_state.h"
#include "scenario/sound.h"
#include "display/history_screen.h"
#include "scenario/engine_state.h"
#include "scenario/history.h"
#include "scenario/rollback.h"

namespace {

struct Named {
  const char* name;
  PlayStep step;
};

const Named kNamedSteps[] = {
    {"enter", {PlayStep::kKey, SDLK_RETURN}},
    {"kpenter", {PlayStep::kKey, SDLK_KP_ENTER}},
    {"up", {PlayStep::kKey, SDLK_UP}},
    {"down", {PlayStep::kKey, SDLK_DOWN}},
    {"kp8", {PlayStep::kKey, SDLK_KP8}},
    {"kp2", {PlayStep::kKey, SDLK_KP2}},
    {"space", {PlayStep::kKey, SDLK_SPACE}},
    {"click", {PlayStep::kMouse, SDL_BUTTON_LEFT}},
    {"wheeldown", {PlayStep::kMouse, SDL_BUTTON_WHEELDOWN}},
    {"wheelup", {PlayStep::kMouse, SDL_BUTTON_WHEELUP}},
    {"quit", {PlayStep::kQuit, 0}},
    {"tab", {PlayStep::kKey, SDLK_TAB}},
    {"a", {PlayStep::kKey, SDLK_a}},
    {"h", {PlayStep::kKey, SDLK_h}},
    {"f", {PlayStep::kKey, SDLK_f}},
    {"f11", {PlayStep::kKey, SDLK_F11}},
    {"s", {PlayStep::kKey, SDLK_s}},
    {"print", {PlayStep::kKey, SDLK_PRINT}},
    {"m", {PlayStep::kKey, SDLK_m}},
    {"minus", {PlayStep::kKey, SDLK_MINUS}},
    {"equals", {PlayStep::kKey, SDLK_EQUALS}},
    {"kpminus", {PlayStep::kKey, SDLK_KP_MINUS}},
    {"kpplus", {PlayStep::kKey, SDLK_KP_PLUS}},
    {"escape", {PlayStep::kKey, SDLK_ESCAPE}},
    {"rightclick", {PlayStep::kMouse, SDL_BUTTON_RIGHT}},
    {"middleclick", {PlayStep::kMouse, SDL_BUTTON_MIDDLE}},
    // History and rollback.
    {"pageup", {PlayStep::kKey, SDLK_PAGEUP}},
    {"pagedown", {PlayStep::kKey, SDLK_PAGEDOWN}},
    {"l", {PlayStep::kKey, SDLK_l}},
};

// Keys that hold:KEY and release:KEY can keep down.
const Named kHoldableKeys[] = {
    {"lctrl", {PlayStep::kHold, SDLK_LCTRL, KMOD_LCTRL}},
    {"rctrl", {PlayStep::kHold, SDLK_RCTRL, KMOD_RCTRL}},
    {"lshift", {PlayStep::kHold, SDLK_LSHIFT, KMOD_LSHIFT}},
};

bool parseHeldKey(const std::string& name, PlayStep::Kind kind, PlayStep& step) {
  for (const Named& n : kHoldableKeys) {
    if (name != n.name) continue;
    step = n.step;
    step.kind = kind;
    return true;
  }
  return false;
}

// A whole decimal number in [0, limit]; false otherwise.
bool parseNumber(const std::string& text, long limit, int& out) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const long v = std::strtol(text.c_str(), nullptr, 10);
  if (v > limit) return false;
  out = static_cast<int>(v);
  return true;
}

bool parseOne(const std::string& item, PlayStep& step) {
  for (const Named& n : kNamedSteps) {
    if (item == n.name) {
      step = n.step;
      return true;
    }
  }
  if (item.rfind("joy:", 0) == 0) {
    step.kind = PlayStep::kJoy;
    return parseNumber(item.substr(4), 31, step.value);
  }
  if (item.rfind("sleep:", 0) == 0) {
    step.kind = PlayStep::kSleep;
    return parseNumber(item.substr(6), 600000, step.value);
  }
  if (item.rfind("hold:", 0) == 0) return parseHeldKey(item.substr(5), PlayStep::kHold, step);
  if (item.rfind("release:", 0) == 0) return parseHeldKey(item.substr(8), PlayStep::kRelease, step);
  return false;
}

std::string hexBytes(const char* text, size_t capacity) {
  std::string out;
  char two[3];
  for (size_t i = 0; i < capacity && text[i] != 0; i++) {
    std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(text[i]));
    out += two;
  }
  return out;
}

template <typename T, size_t N>
std::string joined(const T (&values)[N]) {
  std::string out;
  for (size_t i = 0; i < N; i++) {
    if (i) out += ',';
    out += std::to_string(static_cast<long long>(values[i]));
  }
  return out;
}

template <typename T, size_t N>
std::string nonZeroEntries(const T (&values)[N]) {
  std::string out;
  for (size_t i = 0; i < N; i++) {
    if (values[i] == 0) continue;
    if (!out.empty()) out += ',';
    out += std::to_string(i) + ":" + std::to_string(static_cast<long long>(values[i]));
  }
  return out;
}

}  // namespace

bool parsePlayKeys(const std::string& list, std::vector<PlayStep>& steps, std::string& error) {
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(',', start);
    if (end == std::string::npos) end = list.size();
    const std::string item = list.substr(start, end - start);
    PlayStep step{};
    if (!parseOne(item, step)) {
      error = "unknown key '" + item + "'";
      return false;
    }
    steps.push_back(step);
    start = end + 1;
  }
  return true;
}

bool writeStateDump(const std::string& path) {
  std::string s;
  auto line = [&s](const char* name, const std::string& value) {
    s += name;
    s += '=';
    s += value;
    s += '\n';
  };
  auto num = [](long long v) { return std::to_string(v); };

  line("menumode", num(menumode));
  line("SceneNum", num(SceneNum));
  line("KeyWait", num(KeyWait));
  line("NoWait", num(NoWait));
  line("gSaveFlag", num(gSaveFlag));
  line("SinaFile", std::string(SinaFile, strnlen(SinaFile, sizeof SinaFile)));
  line("siori", hexBytes(siori, sizeof siori));
  line("SystemSizeW", num(SystemSizeW));
  line("SystemSizeH", num(SystemSizeH));
  line("KisyuMode", num(KisyuMode));
  line("SystemMode", num(SystemMode));
  line("HaikeiCG", num(HaikeiCG));
  line("HaikeiCGtype", num(HaikeiCGtype));
  line("KoukeiCG", num(KoukeiCG));
  line("KoukeiCGtype", num(KoukeiCGtype));
  line("ZenkeiCG", num(ZenkeiCG));
  line("ZenkeiCGtype", num(ZenkeiCGtype));
  line("CharaCG", joined(CharaCG));
  line("CharaCGtype", joined(CharaCGtype));
  line("CharaIchi", num(CharaIchi));
  line("CgBright", num(CgBright));
  line("CgBrighttype", num(CgBrighttype));
  line("MsgColor", num(MsgColor));
  line("MsgFont", num(MsgFont));
  const char* msgNames[4] = {"Msg1", "Msg2", "Msg3", "Msg4"};
  for (int i = 0; i < 4; i++) line(msgNames[i], hexBytes(messageLine(i), kLineBytes));
  line("SelectMode", num(SelectMode));
  line("SelectNow", num(SelectNow));
  const char* selectNames[6] = {"SelectMsg1", "SelectMsg2", "SelectMsg3",
                                "SelectMsg4", "SelectMsg5", "SelectMsg6"};
  for (int i = 0; i < 6; i++) line(selectNames[i], hexBytes(selectLine(i), kLineBytes));
  line("SelectGoto", joined(SelectGoto));
  line("gFlag1Now", num(gFlag1Now));
  line("gFlag8Now", num(gFlag8Now));
  line("gFlag16Now", num(gFlag16Now));
  line("gFlag32Now", num(gFlag32Now));
  line("gFlag1", nonZeroEntries(gFlag1));
  line("gFlag8", nonZeroEntries(gFlag8));
  line("gFlag16", nonZeroEntries(gFlag16));
  line("gFlag32", nonZeroEntries(gFlag32));
  // Reading comforts, after every line above.
  line("skip", num(skipState()));
  line("auto", num(gAutoRead));
  line("hidden", num(gWindowsHidden));
  line("fullscreen", num(gFullScreen));
  line("volume", num(gMasterVolume));
  line("muted", num(gSoundMuted));
  // History and rollback.
  line("historyOpen", num(historyShown()));
  line("historyEntries", num(historyCount()));
  line("rollbackSteps", num(rollbackStepsAvailable()));

  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(s.data(), 1, s.size(), f) == s.size();
  return std::fclose(f) == 0 && ok;
}
