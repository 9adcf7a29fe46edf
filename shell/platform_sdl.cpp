// The platform on SDL2: the window, the streaming texture the canvas is
// uploaded into, event translation into the input state, the clock.
// This is the only file that includes SDL.
#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/platform.h"
#include "shell/services.h"

namespace {

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;

bool EnsureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  // A calm game left open for hours should let the screen sleep.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// Drivers that show nothing; a player gets them only by asking for them.
bool IsInvisibleDriver(const char* name) {
  return name != nullptr && (std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0);
}

bool DriverWasRequested(const char* name) {
  const char* requested = std::getenv("SDL_VIDEODRIVER");
  return requested != nullptr && name != nullptr && SDL_strcasecmp(requested, name) == 0;
}

bool Fail(const char* what) {
  std::fprintf(stderr, "PIGMENTBURGH: %s: %s\n", what, SDL_GetError());
  return false;
}

// The game's key codes; 0 for keys the game has no code for.
int TranslateKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);  // by the active layout
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return kKeyEnter;
    case SDLK_ESCAPE: return kKeyEscape;
    case SDLK_SPACE: return kKeySpace;
    case SDLK_LEFT: return kKeyLeft;
    case SDLK_UP: return kKeyUp;
    case SDLK_RIGHT: return kKeyRight;
    case SDLK_DOWN: return kKeyDown;
    case SDLK_LSHIFT: return kKeyLeftShift;
    case SDLK_RSHIFT: return kKeyRightShift;
    default: return 0;
  }
}

int TranslateButton(uint8_t button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return kButtonLeft;
    case SDL_BUTTON_RIGHT: return kButtonRight;
    case SDL_BUTTON_MIDDLE: return kButtonMiddle;
    default: return 0;
  }
}

void HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      if (const int code = TranslateKey(event.key.keysym.sym)) FeedKeyDown(code, event.key.repeat != 0);
      break;
    case SDL_KEYUP:
      if (const int code = TranslateKey(event.key.keysym.sym)) FeedKeyUp(code);
      break;
    case SDL_MOUSEBUTTONDOWN:
      if (const int button = TranslateButton(event.button.button)) FeedButtonDown(button);
      FeedPointer(event.button.x, event.button.y);
      break;
    case SDL_MOUSEBUTTONUP:
      if (const int button = TranslateButton(event.button.button)) FeedButtonUp(button);
      break;
    case SDL_MOUSEMOTION:
      FeedPointer(event.motion.x, event.motion.y);
      break;
    case SDL_QUIT:  // the close box, the window menu, the close shortcut, SIGINT, SIGTERM
      FeedCloseRequest();
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) FeedCloseRequest();
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
          event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
        FeedActivationChange();
      break;
    default: break;
  }
}

}  // namespace

bool OpenGameWindow(int width, int height, const char* title) {
  if (!EnsureVideo()) return Fail("cannot start the video system");
  const char* driver = SDL_GetCurrentVideoDriver();
  if (IsInvisibleDriver(driver) && !DriverWasRequested(driver)) {
    std::fprintf(stderr, "PIGMENTBURGH: no display to open a window on (SDL fell back to its %s driver): %s\n",
                 driver, SDL_GetError());
    return false;
  }
  SDL_Rect display{0, 0, width, height};
  SDL_GetDisplayBounds(0, &display);
  // The client area is centred on the whole display; the taskbar is not considered.
  const int x = display.x + display.w / 2 - width / 2;
  const int y = display.y + display.h / 2 - height / 2;
  window = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_SHOWN);
  if (window == nullptr) return Fail("cannot open the window");
  renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, 0);
  if (renderer == nullptr) return Fail("cannot create the window's drawing surface");
  texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                              kCanvasWidth, kCanvasHeight);
  if (texture == nullptr) return Fail("cannot create the canvas texture");
  // Every virtual pixel must stay a sharp block.
  SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
  return true;
}

void CloseGameWindow() {
  if (texture != nullptr) SDL_DestroyTexture(texture);
  if (renderer != nullptr) SDL_DestroyRenderer(renderer);
  if (window != nullptr) SDL_DestroyWindow(window);
  texture = nullptr;
  renderer = nullptr;
  window = nullptr;
  SDL_Quit();
}

void PumpPlatform() {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) HandleEvent(event);
}

void PresentCanvas(const Tpixel* pixels, bool vsync) {
  if (renderer == nullptr) return;
  SDL_RenderSetVSync(renderer, vsync ? 1 : 0);
  SDL_UpdateTexture(texture, nullptr, pixels, kCanvasWidth * static_cast<int>(sizeof(Tpixel)));
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
  SDL_RenderPresent(renderer);
}

int64_t PlatformMillis() { return static_cast<int64_t>(SDL_GetTicks64()); }

int DesktopWidth() {
  SDL_DisplayMode mode;
  if (!EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return mode.w;
}

void SetSystemPointerVisible(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

bool WindowVisible() {
  if (window == nullptr) return false;
  return (SDL_GetWindowFlags(window) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) == 0;
}

void WaitForPlatformEvent(int timeoutMillis) { SDL_WaitEventTimeout(nullptr, timeoutMillis); }

void ChangeToExecutableDir() {
  char* base = SDL_GetBasePath();
  if (base == nullptr) return;
  if (chdir(base) != 0) std::fprintf(stderr, "PIGMENTBURGH: cannot change to %s\n", base);
  SDL_free(base);
}

