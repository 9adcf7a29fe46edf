// The scripted platform: implements shell/platform.h on a fake clock and a
// timeline of events, and keeps the frames the game presents.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>

#include "game/world.h"
#include "shell/draw.h"
#include "shell/platform.h"
#include "tests/support/script.h"

namespace script {
namespace {

struct Tstate {
  int64_t now = 0;
  int64_t frameMillis = 16;
  int64_t millisPerRead = 0;
  int desktopWidth = 1920;
  bool failWindowOpen = false;
  bool pointerVisible = true;
  bool keepFrames = false;
  int framesPresented = 0;
  int frameLimit = 1000000;
  int pumps = 0;
  int waits = 0;
  std::map<int64_t, bool> visibility;  // from each time on
  std::multimap<int64_t, Tevent> timeline;
  std::function<void(int)> onPresent;
  Tframe lastFrame;
  std::vector<Tframe> frames;
};

Tstate state;

void Deliver(const Tevent& e) {
  switch (e.kind) {
    case Tevent::kKeyDown: FeedKeyDown(e.a, false); break;
    case Tevent::kKeyRepeat: FeedKeyDown(e.a, true); break;
    case Tevent::kKeyUp: FeedKeyUp(e.a); break;
    case Tevent::kButtonDown: FeedButtonDown(e.a); break;
    case Tevent::kButtonUp: FeedButtonUp(e.a); break;
    case Tevent::kMove: FeedPointer(e.a, e.b); break;
    case Tevent::kClose: FeedCloseRequest(); break;
    case Tevent::kActivation: FeedActivationChange(); break;
  }
}

// Past the frame limit the game is walked out: the help screen is left with
// Enter and play with a close request.
void StopRunawayGame() {
  FeedKeyUp(kKeyEnter);
  FeedKeyDown(kKeyEnter, false);
  FeedCloseRequest();
  quitRequested = 1;
}

}  // namespace

void Reset() {
  state = Tstate{};
  ResetInput();
  ResetCanvas();
  ResetWorld();
  ResetFPS();
  scale = 3;
}

void At(int64_t millis, Tevent event) { state.timeline.emplace(millis, event); }
void KeyDown(int64_t millis, int code) { At(millis, {Tevent::kKeyDown, code}); }
void KeyUp(int64_t millis, int code) { At(millis, {Tevent::kKeyUp, code}); }
void KeyPress(int64_t millis, int code) {
  KeyDown(millis, code);
  KeyUp(millis + 1, code);
}
void ButtonDown(int64_t millis, int button) { At(millis, {Tevent::kButtonDown, button}); }
void ButtonUp(int64_t millis, int button) { At(millis, {Tevent::kButtonUp, button}); }
void Click(int64_t millis, int button) {
  ButtonDown(millis, button);
  ButtonUp(millis + 1, button);
}
void Move(int64_t millis, int x, int y) { At(millis, {Tevent::kMove, x, y}); }
void Close(int64_t millis) { At(millis, {Tevent::kClose}); }

int64_t Now() { return state.now; }
void SetNow(int64_t millis) { state.now = millis; }
void Advance(int64_t millis) { state.now += millis; }
void SetFrameMillis(int64_t millis) { state.frameMillis = millis; }
void SetMillisPerClockRead(int64_t millis) { state.millisPerRead = millis; }
void SetDesktopWidth(int width) { state.desktopWidth = width; }
void FailWindowOpen(bool fail) { state.failWindowOpen = fail; }
void OnPresent(std::function<void(int)> callback) { state.onPresent = std::move(callback); }
void SetFrameLimit(int limit) { state.frameLimit = limit; }
int FramesPresented() { return state.framesPresented; }
const Tframe& LastFrame() { return state.lastFrame; }
void KeepFrames(bool keep) { state.keepFrames = keep; }
const std::vector<Tframe>& Frames() { return state.frames; }
bool PointerVisible() { return state.pointerVisible; }
int PumpCount() { return state.pumps; }
void SetWindowVisible(int64_t millis, bool visible) { state.visibility[millis] = visible; }
int WaitCount() { return state.waits; }

}  // namespace script

using script::state;

bool OpenGameWindow(int, int, const char*) {
  if (state.failWindowOpen) {
    std::fprintf(stderr, "PIGMENTBURGH: cannot open the window: no display\n");
    return false;
  }
  return true;
}

void CloseGameWindow() {}

void PumpPlatform() {
  ++state.pumps;
  while (!state.timeline.empty() && state.timeline.begin()->first <= state.now) {
    const script::Tevent e = state.timeline.begin()->second;
    state.timeline.erase(state.timeline.begin());
    script::Deliver(e);
  }
  if (state.framesPresented >= state.frameLimit) script::StopRunawayGame();
}

void PresentCanvas(const Tpixel* pixels, bool) {
  state.lastFrame.assign(pixels, pixels + kCanvasWidth * kCanvasHeight);
  if (state.keepFrames) state.frames.push_back(state.lastFrame);
  const int index = state.framesPresented++;
  if (state.framesPresented == state.frameLimit)
    ADD_FAILURE() << "the game was still running after " << state.frameLimit << " frames";
  state.now += state.frameMillis;
  if (state.onPresent) state.onPresent(index);
}

int64_t PlatformMillis() {
  const int64_t now = state.now;
  state.now += state.millisPerRead;
  return now;
}

int DesktopWidth() { return state.desktopWidth; }
void SetSystemPointerVisible(bool visible) { state.pointerVisible = visible; }
bool WindowVisible() {
  const auto after = state.visibility.upper_bound(state.now);
  return after == state.visibility.begin() || std::prev(after)->second;
}

void WaitForPlatformEvent(int timeoutMillis) {
  state.now += std::max(timeoutMillis, 0);
  if (++state.waits == state.frameLimit) {
    ADD_FAILURE() << "the game was still waiting after " << state.frameLimit << " sleeps";
    script::StopRunawayGame();
  }
}
void ChangeToExecutableDir() {}
