// The help screen: the modal list of controls, shown at start-up and whenever
// Enter is hit during play. Nothing else runs while it is open.
#include "shell/draw.h"
#include "shell/platform.h"
#include "shell/services.h"

namespace {

constexpr int kHiddenWaitMillis = 16;  // about one frame, while nobody can see the screen

struct ThelpLine {
  int y;
  const char* text;
};

// One empty line after the title and one before the last line, 12 pixels apart.
constexpr ThelpLine kHelpLines[] = {
    {0, "WELCOME TO PIGMENTBURGH! HERE ARE THE CONTROLS"},
    {24, "RIGHT MOUSE - extract color from cell"},
    {36, "LEFT MOUSE - purchase/upgrade selected item"},
    {48, "ARROWS or WASD - select generator and its direction"},
    {60, "E - select extractor"},
    {72, "ZXC or RGB - select color"},
    {84, "SPACE - sell highlighted item"},
    {108, "ENTER - toggle this screen"},
};

// The colour is left as it is: white at start-up, and the white the last
// frame of play ended with.
void DrawHelpPage() {
  ClearCanvas();
  for (const ThelpLine& line : kHelpLines) DrawLabel(line.text, 0, line.y);
}

// The queries are made in this order, and a later one only when no earlier
// one has ended the screen: a close request is consumed only by its own query.
bool PlayerLeavesHelp() {
  if (KeyHits(kKeyEnter) > 0) return true;
  if (KeyHeld(kKeyEscape)) return true;
  return TakeCloseRequest();
}

}  // namespace

void ShowHelp() {
  ShowSystemPointer();
  do {
    DrawHelpPage();
    PresentFrame(syncMode);
    // A minimised window may not wait for the display: do not spin meanwhile.
    if (!WindowVisible()) WaitForPlatformEvent(kHiddenWaitMillis);
  } while (!PlayerLeavesHelp());
  // Nothing pressed while the screen was open reaches play, not even the key
  // that closed it.
  HideSystemPointer();
  DiscardKeys();
  DiscardButtons();
}
