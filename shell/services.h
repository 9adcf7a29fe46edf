// The services the game runs on: the 480x270 canvas, polled input, the clock,
// random numbers and standard output. File streams are in shell/streams.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string_view>

// ---- Canvas -----------------------------------------------------------------

constexpr int kCanvasWidth = 480;
constexpr int kCanvasHeight = 270;

// One pixel of the canvas, 0xAARRGGBB with alpha always 0xFF.
using Tpixel = uint32_t;

constexpr Tpixel PackPixel(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFF000000u | (uint32_t{r} << 16) | (uint32_t{g} << 8) | uint32_t{b};
}

void ClearCanvas();
void SetDrawColor(uint8_t r, uint8_t g, uint8_t b);
void FillRect(int x, int y, int w, int h);
void DrawFrame(int frame, int x, int y);
void DrawLabel(std::string_view text, int x, int y);
int LabelWidth(std::string_view text);
void PresentFrame(uint8_t sync);

// The finished pixels, row by row, kCanvasWidth per row.
const Tpixel* CanvasPixels();
Tpixel CanvasPixel(int x, int y);
// Puts the drawing colour back to its start-up white.
void ResetCanvas();

// ---- Input ------------------------------------------------------------------

// Key codes the game binds.
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;
constexpr int kKeyLeftShift = 160;
constexpr int kKeyRightShift = 161;
constexpr int kKeyCodeCount = 256;

constexpr int kButtonLeft = 1;
constexpr int kButtonRight = 2;
constexpr int kButtonMiddle = 3;
constexpr int kButtonCount = 4;  // buttons are numbered from 1

int KeyHits(int code);
bool KeyHeld(int code);
int ButtonHits(int button);
bool ButtonHeld(int button);
int PointerX();
int PointerY();
bool TakeCloseRequest();
void DiscardKeys();
void DiscardButtons();
void ShowSystemPointer();
void HideSystemPointer();

// Whether input is waiting that a step's commands could act on: an unread hit
// of one of `hitKeys` or `hitButtons`, one of `heldButtons` down, or a close
// request. Pumps first, like every query, and consumes nothing. Codes outside
// the known range are never pending.
bool InputPending(std::span<const int> hitKeys, std::span<const int> hitButtons,
                  std::span<const int> heldButtons);

// What the platform reports, fed into the input state by PumpPlatform.
void FeedKeyDown(int code, bool autoRepeat);
void FeedKeyUp(int code);
void FeedButtonDown(int button);
void FeedButtonUp(int button);
void FeedPointer(int x, int y);
void FeedCloseRequest();
void FeedActivationChange();

// Forgets all input, as at start-up.
void ResetInput();

// ---- System -----------------------------------------------------------------

int64_t ClockMillis();
int DesktopPixelWidth();
void SeedRandom(uint32_t seed);
int RandomBetween(int low, int high);
void WriteStdoutLine(std::string_view text);
// Makes the process safe to run as a game: a vanished reader of standard
// output or error no longer ends it. Called once at start-up.
void PrepareProcess();

// The window magnification: every virtual pixel is scale by scale window pixels.
extern uint8_t scale;
// The pointer in virtual pixels, truncated towards zero.
int VirtualMouseX();
int VirtualMouseY();
