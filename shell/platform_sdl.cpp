// The platform on SDL2: the window, the streaming texture the canvas is
// uploaded into, event translation into the input state, the clock.
// This is the only file that includes SDL.
#include <SDL.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "shell/platform.h"
#include "shell/services.h"

namespace {

// How long start-up waits for a window manager to frame the window.
constexpr uint64_t kFrameWaitMillis = 250;
constexpr uint32_t kFramePollMillis = 5;

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
int presentedVsync = -1;  // the swap interval last asked of the renderer; -1 before the first frame

void SetGameHints() {
  // A calm game left open for hours should let the screen sleep.
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  // The game's behaviour must not depend on the environment: SIGINT and
  // SIGTERM always arrive as a close request (so the world is saved), and a
  // drag that leaves the window keeps reporting the pointer.
  SDL_SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "0", SDL_HINT_OVERRIDE);
  SDL_SetHintWithPriority(SDL_HINT_MOUSE_AUTO_CAPTURE, "1", SDL_HINT_OVERRIDE);
}

// A game started with standard input, output or error closed would hand
// those numbers to the display connection or a file, and "generator
// spawned" would be written into it. Closed ones are opened on /dev/null.
void KeepStandardStreamsOpen() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

bool EnsureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  KeepStandardStreamsOpen();
  SetGameHints();
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// Drivers that show nothing; a player gets them only by asking for them.
bool IsInvisibleDriver(const char* name) {
  return name != nullptr && (SDL_strcasecmp(name, "offscreen") == 0 || SDL_strcasecmp(name, "dummy") == 0);
}

// True when SDL_VIDEODRIVER names the driver, alone or in a comma-separated list.
bool DriverWasRequested(const char* name) {
  const char* requested = std::getenv("SDL_VIDEODRIVER");
  if (requested == nullptr || name == nullptr) return false;
  std::string_view rest(requested);
  const std::string_view wanted(name);
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    if (item.size() == wanted.size() && SDL_strncasecmp(item.data(), name, item.size()) == 0) return true;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return false;
}

bool Fail(const char* what) {
  std::fprintf(stderr, "PIGMENTBURGH: %s: %s\n", what, SDL_GetError());
  return false;
}

// The game's key codes; 0 for keys the game has no code for.
int TranslateKey(SDL_Keycode key) {
  // Letter keysyms follow the active keyboard layout, so the letter printed
  // on the key is the one the game sees.
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
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

// When the window gets the activation back, SDL reports the modifier keys
// that are down at that instant as fresh presses, stamped with the same
// millisecond. They were pressed elsewhere: like every key held across a
// discard they read as up until released and pressed again.
bool activationRegained = false;
Uint32 activationStamp = 0;

bool PressedElsewhere(const SDL_KeyboardEvent& key) {
  return activationRegained && key.timestamp == activationStamp;
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE: FeedCloseRequest(); break;
    // Losing the activation to another program, or getting it back, drops
    // every press: keys pressed elsewhere must not act here.
    case SDL_WINDOWEVENT_FOCUS_LOST:
      activationRegained = false;
      FeedActivationChange();
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      activationRegained = true;
      activationStamp = event.timestamp;
      FeedActivationChange();
      break;
    default: break;
  }
}

void HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
      if (PressedElsewhere(event.key)) break;
      if (const int code = TranslateKey(event.key.keysym.sym)) FeedKeyDown(code, event.key.repeat != 0);
      break;
    case SDL_KEYUP:
      if (const int code = TranslateKey(event.key.keysym.sym)) FeedKeyUp(code);
      break;
    // The pointer position changes only with movement; SDL reports a motion
    // before any button event at a new place.
    case SDL_MOUSEBUTTONDOWN:
      if (const int button = TranslateButton(event.button.button)) FeedButtonDown(button);
      break;
    case SDL_MOUSEBUTTONUP:
      if (const int button = TranslateButton(event.button.button)) FeedButtonUp(button);
      break;
    case SDL_MOUSEMOTION: FeedPointer(event.motion.x, event.motion.y); break;
    // The close box, the window menu and the close shortcut arrive as both a
    // window close and a quit; SIGINT and SIGTERM as a quit. Either is one
    // request until it is taken.
    case SDL_QUIT: FeedCloseRequest(); break;
    case SDL_WINDOWEVENT: HandleWindowEvent(event.window); break;
    default: break;
  }
}

// The client area's top-left corner for a window centred on the whole primary
// display, the taskbar not taken into account.
SDL_Point CentredOrigin(int width, int height) {
  SDL_Rect display{0, 0, width, height};
  SDL_GetDisplayBounds(0, &display);
  return {display.x + display.w / 2 - width / 2, display.y + display.h / 2 - height / 2};
}

// A window manager puts its frame, not the client area, at the requested
// corner. Once the frame's size is known (it may take the manager a moment),
// moving the window again puts the client area there. Without a manager no
// frame appears and the wait ends after a short bound.
void PlaceClientArea(SDL_Point origin) {
  const uint64_t deadline = SDL_GetTicks64() + kFrameWaitMillis;
  int top = 0, left = 0;
  while (SDL_GetWindowBordersSize(window, &top, &left, nullptr, nullptr) == 0 && top == 0 && left == 0) {
    if (SDL_GetTicks64() >= deadline) return;
    SDL_Delay(kFramePollMillis);
    SDL_PumpEvents();  // events stay queued for the game
  }
  if (top != 0 || left != 0) SDL_SetWindowPosition(window, origin.x, origin.y);
}

bool CreateRenderer() {
  renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
  if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, 0);
  if (renderer == nullptr) return Fail("cannot create the window's drawing surface");
  texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, kCanvasWidth,
                              kCanvasHeight);
  if (texture == nullptr) return Fail("cannot create the canvas texture");
  // Every virtual pixel must stay a sharp block.
  SDL_SetTextureScaleMode(texture, SDL_ScaleModeNearest);
  presentedVsync = -1;
  return true;
}

}  // namespace

bool OpenGameWindow(int width, int height, const char* title) {
  if (!EnsureVideo()) return Fail("cannot start the video system");
  // SDL quietly falls back to a driver that shows nothing when the display
  // cannot be reached; the game would then run unseen, unquittable, and never
  // save. Only a player who asked for such a driver gets it.
  const char* driver = SDL_GetCurrentVideoDriver();
  if (IsInvisibleDriver(driver) && !DriverWasRequested(driver)) {
    std::fprintf(stderr,
                 "PIGMENTBURGH: no display to open a window on (SDL found only its %s video driver, which "
                 "shows nothing); check DISPLAY or WAYLAND_DISPLAY\n",
                 driver);
    return false;
  }
  const SDL_Point origin = CentredOrigin(width, height);
  window = SDL_CreateWindow(title, origin.x, origin.y, width, height, SDL_WINDOW_SHOWN);
  if (window == nullptr) return Fail("cannot open the window");
  if (!CreateRenderer()) return false;
  // Last: a renderer may have had to create the window anew.
  PlaceClientArea(origin);
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
  if (!WindowVisible()) return;  // a frame nobody sees is not drawn
  const int interval = vsync ? 1 : 0;
  if (interval != presentedVsync) {
    SDL_RenderSetVSync(renderer, interval);
    presentedVsync = interval;
  }
  SDL_UpdateTexture(texture, nullptr, pixels, kCanvasWidth * static_cast<int>(sizeof(Tpixel)));
  SDL_RenderCopy(renderer, texture, nullptr, nullptr);
  SDL_RenderPresent(renderer);
}

// A monotonic millisecond count that does not start with the process, so the
// random seed taken from it at start-up differs from run to run.
int64_t PlatformMillis() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1'000'000;
}

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

void WaitForPlatformEvent(int timeoutMillis) {
  // What woke us is fed into the input state at once, so a pending event
  // cannot make the next wait return immediately again.
  if (SDL_WaitEventTimeout(nullptr, timeoutMillis > 0 ? timeoutMillis : 0) != 0) PumpPlatform();
}

void ChangeToExecutableDir() {
  char* base = SDL_GetBasePath();
  if (base == nullptr) return;
  if (chdir(base) != 0) std::fprintf(stderr, "PIGMENTBURGH: cannot change to %s\n", base);
  SDL_free(base);
}
