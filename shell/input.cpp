// The input state machine: per key and button a held flag and a hit counter,
// the pointer and the close request. The platform feeds it; the game queries it.
#include <algorithm>
#include <climits>

#include "shell/platform.h"
#include "shell/services.h"

uint8_t scale = 1;

namespace {

struct Tswitch {
  bool held = false;
  int hits = 0;
};

Tswitch keys[kKeyCodeCount];
Tswitch buttons[kButtonCount];
int pointerX = 0;
int pointerY = 0;
bool closeRequested = false;
int64_t lastPumpMillis = INT64_MIN;

// Every query sees all input that arrived before it. Pumping is done at most
// once per millisecond: a burst of catch-up steps then costs almost nothing,
// and nothing can arrive faster than the clock can tell apart anyway.
void Pump() {
  const int64_t now = PlatformMillis();
  if (now == lastPumpMillis) return;
  lastPumpMillis = now;
  PumpPlatform();
}

Tswitch* KeySwitch(int code) {
  return code >= 0 && code < kKeyCodeCount ? &keys[code] : nullptr;
}

Tswitch* ButtonSwitch(int button) {
  return button >= 1 && button < kButtonCount ? &buttons[button] : nullptr;
}

void Press(Tswitch* s) {
  if (s == nullptr || s->held) return;  // only a press from up counts
  s->held = true;
  if (s->hits < INT_MAX) ++s->hits;
}

void Release(Tswitch* s) {
  if (s != nullptr) s->held = false;
}

int TakeHits(Tswitch* s) {
  if (s == nullptr) return 0;
  const int hits = s->hits;
  s->hits = 0;
  return hits;
}

}  // namespace

int KeyHits(int code) {
  Pump();
  return TakeHits(KeySwitch(code));
}

bool KeyHeld(int code) {
  Pump();
  const Tswitch* s = KeySwitch(code);
  return s != nullptr && s->held;
}

int ButtonHits(int button) {
  Pump();
  return TakeHits(ButtonSwitch(button));
}

bool ButtonHeld(int button) {
  Pump();
  const Tswitch* s = ButtonSwitch(button);
  return s != nullptr && s->held;
}

int PointerX() {
  Pump();
  return pointerX;
}

int PointerY() {
  Pump();
  return pointerY;
}

int VirtualMouseX() { return PointerX() / std::max<int>(scale, 1); }
int VirtualMouseY() { return PointerY() / std::max<int>(scale, 1); }

bool TakeCloseRequest() {
  Pump();
  const bool requested = closeRequested;
  closeRequested = false;
  return requested;
}

bool InputPending(std::span<const int> hitKeys, std::span<const int> hitButtons,
                  std::span<const int> heldButtons) {
  Pump();
  if (closeRequested) return true;
  for (const int code : hitKeys) {
    const Tswitch* s = KeySwitch(code);
    if (s != nullptr && s->hits > 0) return true;
  }
  for (const int button : hitButtons) {
    const Tswitch* s = ButtonSwitch(button);
    if (s != nullptr && s->hits > 0) return true;
  }
  for (const int button : heldButtons) {
    const Tswitch* s = ButtonSwitch(button);
    if (s != nullptr && s->held) return true;
  }
  return false;
}

void DiscardKeys() {
  std::fill(std::begin(keys), std::end(keys), Tswitch{});
}

void DiscardButtons() {
  std::fill(std::begin(buttons), std::end(buttons), Tswitch{});
}

void ShowSystemPointer() { SetSystemPointerVisible(true); }
void HideSystemPointer() { SetSystemPointerVisible(false); }

void FeedKeyDown(int code, bool autoRepeat) {
  // An auto-repeat is never a press; after a discard it must not make a
  // still-held key read as held either.
  if (!autoRepeat) Press(KeySwitch(code));
}

void FeedKeyUp(int code) { Release(KeySwitch(code)); }
void FeedButtonDown(int button) { Press(ButtonSwitch(button)); }
void FeedButtonUp(int button) { Release(ButtonSwitch(button)); }

void FeedPointer(int x, int y) {
  pointerX = x;
  pointerY = y;
}

void FeedCloseRequest() { closeRequested = true; }

void FeedActivationChange() {
  DiscardKeys();
  DiscardButtons();
}

void ResetInput() {
  DiscardKeys();
  DiscardButtons();
  pointerX = 0;
  pointerY = 0;
  closeRequested = false;
  lastPumpMillis = INT64_MIN;
}
