// The scripted platform the tests run the game on: a fake millisecond clock, a
// timeline of input events, and every presented frame kept for inspection.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "shell/services.h"

namespace script {

struct Tevent {
  enum Kind { kKeyDown, kKeyRepeat, kKeyUp, kButtonDown, kButtonUp, kMove, kClose, kActivation };
  Kind kind;
  int a = 0;  // key code, button, or x
  int b = 0;  // y
};

using Tframe = std::vector<Tpixel>;

// Puts the platform, the input state, the canvas colour and the world back to
// start-up: clock 0, no events, no frames, 16 ms per frame, desktop 1920 wide.
void Reset();

// Schedules an event; it is delivered by the first pump at or after `millis`.
void At(int64_t millis, Tevent event);
// Conveniences for the common events.
void KeyDown(int64_t millis, int code);
void KeyUp(int64_t millis, int code);
void KeyPress(int64_t millis, int code);  // down, then up 1 ms later
void ButtonDown(int64_t millis, int button);
void ButtonUp(int64_t millis, int button);
void Click(int64_t millis, int button);  // down, then up 1 ms later
void Move(int64_t millis, int x, int y);
void Close(int64_t millis);

int64_t Now();
void SetNow(int64_t millis);
void Advance(int64_t millis);
// How far the clock moves at every presented frame (the vsync interval).
void SetFrameMillis(int64_t millis);
// How far the clock moves at every read of it (0 by default).
void SetMillisPerClockRead(int64_t millis);
void SetDesktopWidth(int width);
// Makes the next OpenGameWindow fail, as on a machine with no display.
void FailWindowOpen(bool fail);

// Called after every presented frame with its index (0 for the first). The
// game is stopped with a test failure after `limit` frames, so a scenario
// that never quits cannot hang the suite.
void OnPresent(std::function<void(int frameIndex)> callback);
void SetFrameLimit(int limit);

int FramesPresented();
// The last presented frame and, when kept, every one (KeepFrames(true)).
const Tframe& LastFrame();
void KeepFrames(bool keep);
const std::vector<Tframe>& Frames();

bool PointerVisible();
int PumpCount();

// From `millis` on the window is minimised (false) or shown again (true).
// While hidden the game sleeps instead of presenting; the game is stopped
// with a test failure after as many sleeps as the frame limit.
void SetWindowVisible(int64_t millis, bool visible);
int WaitCount();

}  // namespace script
