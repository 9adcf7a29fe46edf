// The SDL platform under SDL's dummy video driver: events pushed into SDL go
// through the real translation into the input services, and a presented
// canvas is read back from the renderer.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/platform.h"
#include "shell/services.h"

// Built with AddressSanitizer, and so with its leak checker (g++ and clang
// tell it differently).
#if defined(__SANITIZE_ADDRESS__)
#define PIGMENT_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PIGMENT_LEAK_CHECKED 1
#endif
#endif
#ifndef PIGMENT_LEAK_CHECKED
#define PIGMENT_LEAK_CHECKED 0
#endif

namespace {

constexpr int kTestScale = 2;
constexpr const char* kTitle = "PIGMENTBURGH";

SDL_Window* GameWindow() {
  // The platform keeps its window to itself; find it the way SDL numbers them.
  for (Uint32 id = 1; id < 64; ++id) {
    SDL_Window* w = SDL_GetWindowFromID(id);
    if (w != nullptr && std::string(SDL_GetWindowTitle(w)) == kTitle) return w;
  }
  return nullptr;
}

// The input service pumps at most once per millisecond of the clock; let the
// clock move on so the next query sees what was just pushed.
void LetClockMove() {
  const int64_t start = PlatformMillis();
  while (PlatformMillis() == start) SDL_Delay(1);
}

void Push(const SDL_Event& event) {
  SDL_Event copy = event;
  ASSERT_EQ(SDL_PushEvent(&copy), 1) << SDL_GetError();
}

void PushAndSettle(std::initializer_list<SDL_Event> events) {
  for (const SDL_Event& e : events) Push(e);
  LetClockMove();
}

SDL_Event Key(Uint32 type, SDL_Keycode sym, bool repeat = false) {
  SDL_Event e{};
  e.type = type;
  e.key.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
  return e;
}

SDL_Event Button(Uint32 type, Uint8 button, int x = 0, int y = 0) {
  SDL_Event e{};
  e.type = type;
  e.button.type = type;
  e.button.button = button;
  e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.button.x = x;
  e.button.y = y;
  return e;
}

SDL_Event Motion(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  return e;
}

SDL_Event WindowEvent(Uint8 which) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.type = SDL_WINDOWEVENT;
  e.window.event = which;
  return e;
}

SDL_Event Quit() {
  SDL_Event e{};
  e.type = SDL_QUIT;
  return e;
}

class SdlPlatform : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(OpenGameWindow(kCanvasWidth * kTestScale, kCanvasHeight * kTestScale, kTitle));
  }
  static void TearDownTestSuite() { CloseGameWindow(); }
  void SetUp() override {
    PumpPlatform();  // nothing left over from the window's own start-up events
    ResetInput();
  }
};

struct TkeyCase {
  SDL_Keycode sym;
  int code;
};

TEST_F(SdlPlatform, KeysArriveWithTheGamesCodes) {
  std::vector<TkeyCase> cases = {
      {SDLK_RETURN, kKeyEnter}, {SDLK_KP_ENTER, kKeyEnter},      {SDLK_ESCAPE, kKeyEscape},
      {SDLK_SPACE, kKeySpace},  {SDLK_LEFT, kKeyLeft},           {SDLK_UP, kKeyUp},
      {SDLK_RIGHT, kKeyRight},  {SDLK_DOWN, kKeyDown},           {SDLK_LSHIFT, kKeyLeftShift},
      {SDLK_RSHIFT, kKeyRightShift},
  };
  for (SDL_Keycode sym = SDLK_a; sym <= SDLK_z; ++sym) cases.push_back({sym, 'A' + (sym - SDLK_a)});

  for (const TkeyCase& c : cases) {
    SCOPED_TRACE(SDL_GetKeyName(c.sym));
    PushAndSettle({Key(SDL_KEYDOWN, c.sym)});
    EXPECT_TRUE(KeyHeld(c.code));
    EXPECT_EQ(KeyHits(c.code), 1);
    PushAndSettle({Key(SDL_KEYUP, c.sym)});
    EXPECT_FALSE(KeyHeld(c.code));
    EXPECT_EQ(KeyHits(c.code), 0);
  }
}

TEST_F(SdlPlatform, KeysWithoutABindingLeaveEveryCodeAlone) {
  // Left and right Shift are two codes; no key may also count as the other.
  PushAndSettle({Key(SDL_KEYDOWN, SDLK_F1), Key(SDL_KEYDOWN, SDLK_LCTRL), Key(SDL_KEYDOWN, SDLK_LSHIFT)});
  for (int code = 0; code < kKeyCodeCount; ++code) {
    EXPECT_EQ(KeyHits(code), code == kKeyLeftShift ? 1 : 0) << "code " << code;
    EXPECT_EQ(KeyHeld(code), code == kKeyLeftShift) << "code " << code;
  }
}

TEST_F(SdlPlatform, AutoRepeatIsNotAPress) {
  PushAndSettle({Key(SDL_KEYDOWN, SDLK_w), Key(SDL_KEYDOWN, SDLK_w, true), Key(SDL_KEYDOWN, SDLK_w, true)});
  EXPECT_EQ(KeyHits('W'), 1);
  EXPECT_TRUE(KeyHeld('W'));
  PushAndSettle({Key(SDL_KEYUP, SDLK_w), Key(SDL_KEYDOWN, SDLK_w)});
  EXPECT_EQ(KeyHits('W'), 1);
}

TEST_F(SdlPlatform, ActivationChangesDropEveryPress) {
  for (const Uint8 change : {Uint8{SDL_WINDOWEVENT_FOCUS_LOST}, Uint8{SDL_WINDOWEVENT_FOCUS_GAINED}}) {
    SCOPED_TRACE(change == SDL_WINDOWEVENT_FOCUS_LOST ? "focus lost" : "focus gained");
    ResetInput();
    PushAndSettle({Key(SDL_KEYDOWN, SDLK_LSHIFT), Key(SDL_KEYDOWN, SDLK_SPACE),
                   Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT), WindowEvent(change)});
    EXPECT_FALSE(KeyHeld(kKeyLeftShift));
    EXPECT_EQ(KeyHits(kKeySpace), 0);
    EXPECT_FALSE(ButtonHeld(kButtonRight));
    EXPECT_EQ(ButtonHits(kButtonRight), 0);

    // Still physically held: repeats do not bring the key back...
    PushAndSettle({Key(SDL_KEYDOWN, SDLK_LSHIFT, true)});
    EXPECT_FALSE(KeyHeld(kKeyLeftShift));
    // ...releasing and pressing it again does.
    PushAndSettle({Key(SDL_KEYUP, SDLK_LSHIFT), Key(SDL_KEYDOWN, SDLK_LSHIFT)});
    EXPECT_TRUE(KeyHeld(kKeyLeftShift));
    EXPECT_EQ(KeyHits(kKeyLeftShift), 1);
  }
}

// Queues events with the time stamps given, as SDL stamps what it reports.
void AddStamped(SDL_Event event, Uint32 stamp) {
  event.common.timestamp = stamp;
  ASSERT_EQ(SDL_PeepEvents(&event, 1, SDL_ADDEVENT, 0, 0), 1) << SDL_GetError();
}

TEST_F(SdlPlatform, KeysFoundDownAsTheActivationReturnsStayUp) {
  const Uint32 now = SDL_GetTicks();
  AddStamped(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), now);
  AddStamped(Key(SDL_KEYDOWN, SDLK_LSHIFT), now);  // held while switching back
  AddStamped(Key(SDL_KEYDOWN, SDLK_e), now + 1);   // a real press
  LetClockMove();
  EXPECT_FALSE(KeyHeld(kKeyLeftShift));
  EXPECT_EQ(KeyHits(kKeyLeftShift), 0);
  EXPECT_EQ(KeyHits('E'), 1);
  AddStamped(Key(SDL_KEYUP, SDLK_LSHIFT), now + 2);
  AddStamped(Key(SDL_KEYDOWN, SDLK_LSHIFT), now + 3);
  LetClockMove();
  EXPECT_TRUE(KeyHeld(kKeyLeftShift));
  EXPECT_EQ(KeyHits(kKeyLeftShift), 1);
}

TEST_F(SdlPlatform, CloseRequestsCountOncePerQuery) {
  // A close box arrives as a window close and a quit; a signal as a quit.
  PushAndSettle({WindowEvent(SDL_WINDOWEVENT_CLOSE), Quit(), Quit()});
  EXPECT_TRUE(TakeCloseRequest());
  EXPECT_FALSE(TakeCloseRequest());
  PushAndSettle({Quit()});
  EXPECT_TRUE(TakeCloseRequest());
}

TEST_F(SdlPlatform, SignalsArriveAsACloseRequest) {
  ASSERT_EQ(std::raise(SIGTERM), 0);
  LetClockMove();
  EXPECT_TRUE(TakeCloseRequest());
  ASSERT_EQ(std::raise(SIGINT), 0);
  LetClockMove();
  EXPECT_TRUE(TakeCloseRequest());
  EXPECT_FALSE(TakeCloseRequest());
}

TEST_F(SdlPlatform, ButtonsArriveWithTheGamesNumbers) {
  const struct {
    Uint8 sdl;
    int game;
  } cases[] = {{SDL_BUTTON_LEFT, kButtonLeft}, {SDL_BUTTON_RIGHT, kButtonRight}, {SDL_BUTTON_MIDDLE, kButtonMiddle}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.game);
    PushAndSettle({Button(SDL_MOUSEBUTTONDOWN, c.sdl)});
    EXPECT_TRUE(ButtonHeld(c.game));
    PushAndSettle({Button(SDL_MOUSEBUTTONUP, c.sdl), Button(SDL_MOUSEBUTTONDOWN, c.sdl),
                   Button(SDL_MOUSEBUTTONUP, c.sdl)});
    EXPECT_FALSE(ButtonHeld(c.game));
    EXPECT_EQ(ButtonHits(c.game), 2);  // a quick second click is another press
  }
  PushAndSettle({Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1)});
  for (int b = 0; b < kButtonCount; ++b) EXPECT_EQ(ButtonHits(b), 0) << "button " << b;
}

TEST_F(SdlPlatform, PointerFollowsMotionAndLeavesTheWindowWhileAButtonIsHeld) {
  EXPECT_EQ(PointerX(), 0);
  EXPECT_EQ(PointerY(), 0);
  // A button event elsewhere is not a movement.
  PushAndSettle({Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 300, 200)});
  EXPECT_EQ(PointerX(), 0);
  PushAndSettle({Motion(100, 50)});
  EXPECT_EQ(PointerX(), 100);
  EXPECT_EQ(PointerY(), 50);
  // Dragged past the top-left corner: reported as it is, negative.
  PushAndSettle({Motion(-7, -3)});
  EXPECT_EQ(PointerX(), -7);
  EXPECT_EQ(PointerY(), -3);
  EXPECT_EQ(VirtualMouseX() / 8, 0);  // still column 0: truncation towards zero
  PushAndSettle({Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, -7, -3)});
  EXPECT_EQ(PointerX(), -7);  // only movement changes it
}

TEST_F(SdlPlatform, PresentedCanvasFillsTheWindowInSharpBlocks) {
  SDL_Window* window = GameWindow();
  ASSERT_NE(window, nullptr);
  SDL_Renderer* renderer = SDL_GetRenderer(window);
  ASSERT_NE(renderer, nullptr);
  int w = 0, h = 0;
  ASSERT_EQ(SDL_GetRendererOutputSize(renderer, &w, &h), 0);
  ASSERT_EQ(w, kCanvasWidth * kTestScale);
  ASSERT_EQ(h, kCanvasHeight * kTestScale);

  // Neighbours always differ, so blending, an offset or a swapped channel shows.
  std::vector<Tpixel> canvas(kCanvasWidth * kCanvasHeight);
  for (int y = 0; y < kCanvasHeight; ++y)
    for (int x = 0; x < kCanvasWidth; ++x)
      canvas[static_cast<size_t>(y * kCanvasWidth + x)] =
          PackPixel(static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 3), static_cast<uint8_t>(x * 7 + y * 11));
  PresentCanvas(canvas.data(), true);

  std::vector<Tpixel> window_pixels(static_cast<size_t>(w * h));
  ASSERT_EQ(SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, window_pixels.data(),
                                 w * static_cast<int>(sizeof(Tpixel))),
            0)
      << SDL_GetError();
  int mismatches = 0;
  for (int y = 0; y < h && mismatches < 10; ++y) {
    for (int x = 0; x < w && mismatches < 10; ++x) {
      const Tpixel want = canvas[static_cast<size_t>((y / kTestScale) * kCanvasWidth + x / kTestScale)];
      const Tpixel got = window_pixels[static_cast<size_t>(y * w + x)] | 0xFF000000u;
      if (got != want) {
        ++mismatches;
        ADD_FAILURE() << "window pixel (" << x << ", " << y << "): got " << std::hex << got << ", want " << want;
      }
    }
  }
}

TEST_F(SdlPlatform, TheScreenMaySleep) { EXPECT_TRUE(SDL_IsScreenSaverEnabled()); }

TEST_F(SdlPlatform, AHiddenWindowIsNotVisible) {
  SDL_Window* window = GameWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(WindowVisible());
  SDL_HideWindow(window);
  EXPECT_FALSE(WindowVisible());
  SDL_ShowWindow(window);
  EXPECT_TRUE(WindowVisible());
}

// Without a display SDL may start a driver that shows nothing. The game must
// refuse it unless the player asked for it by name.
TEST(SdlStartUp, RefusesADriverThatShowsNothingUnlessAskedFor) {
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  ASSERT_NE(asked, nullptr) << "the SDL-layer tests run with SDL_VIDEODRIVER=dummy";
  const std::string keep = asked;

  unsetenv("SDL_VIDEODRIVER");
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");  // the driver still starts, but nobody asked for it
  testing::internal::CaptureStderr();
  const bool opened = OpenGameWindow(kCanvasWidth, kCanvasHeight, kTitle);
  const std::string message = testing::internal::GetCapturedStderr();
  CloseGameWindow();
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  setenv("SDL_VIDEODRIVER", keep.c_str(), 1);

  EXPECT_FALSE(opened);
  EXPECT_NE(message.find("dummy"), std::string::npos) << message;
  EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;

  // The offscreen driver probes the system's graphics libraries, which leak
  // on their own; under the leak checker only the dummy driver is asked for.
#if PIGMENT_LEAK_CHECKED
  const std::initializer_list<const char*> requests = {"dummy"};
#else
  const std::initializer_list<const char*> requests = {"dummy", "nosuchdriver,offscreen", "OFFSCREEN"};
#endif
  for (const char* request : requests) {
    SCOPED_TRACE(request);
    setenv("SDL_VIDEODRIVER", request, 1);
    EXPECT_TRUE(OpenGameWindow(kCanvasWidth, kCanvasHeight, kTitle));
    CloseGameWindow();
  }
  setenv("SDL_VIDEODRIVER", keep.c_str(), 1);
}

}  // namespace
