// The built-in font: where every glyph may put ink, how heavy its strokes are,
// and how DrawLabel and LabelWidth lay the glyphs out on the canvas.
#include "shell/font.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "shell/services.h"
#include "tests/support/golden.h"
#include "tests/support/script.h"

namespace {

// The rows of a glyph that carry ink, or -1, -1 for none.
struct TinkRows {
  int top = -1;
  int bottom = -1;
};

TinkRows InkRows(int code) {
  TinkRows rows;
  for (int row = 0; row < kGlyphHeight; ++row)
    for (int col = 0; col < kGlyphWidth; ++col)
      if (GlyphInk(code, col, row)) {
        if (rows.top < 0) rows.top = row;
        rows.bottom = row;
      }
  return rows;
}

std::string Name(int code) {
  return "code " + std::to_string(code) + " '" + std::string(1, static_cast<char>(code)) + "'";
}

TEST(Glyphs, InkOnlyInColumnsOneToSevenAndRowsOneToTwelve) {
  for (int code = kFirstGlyphCode; code <= kLastGlyphCode; ++code) {
    int ink = 0;
    for (int row = 0; row < kGlyphHeight; ++row)
      for (int col = 0; col < kGlyphWidth; ++col) {
        if (!GlyphInk(code, col, row)) continue;
        ++ink;
        EXPECT_TRUE(col >= 1 && row >= 1 && row <= 12) << Name(code) << " at " << col << "," << row;
      }
    if (code == ' ') {
      EXPECT_EQ(ink, 0) << "space";
    } else {
      EXPECT_GT(ink, 0) << Name(code) << " has no ink";
    }
  }
}

TEST(Glyphs, NoInkOutsideTheFontOrTheCell) {
  struct Tcase {
    int code, column, row;
  };
  const Tcase cases[] = {{31, 3, 6},   {128, 3, 6},  {-1, 3, 6},  {0, 3, 6},    {'H', -1, 6},   {'H', 8, 6},
                         {'H', 3, -1}, {'H', 3, 16}, {127, 8, 6}, {127, 3, 16}, {1 << 30, 0, 0}};
  for (const Tcase& c : cases)
    EXPECT_FALSE(GlyphInk(c.code, c.column, c.row)) << c.code << " " << c.column << "," << c.row;
  // The same cells inside the font do have ink, so the cases above test the bounds.
  EXPECT_TRUE(GlyphInk('H', 1, 6));
  EXPECT_TRUE(GlyphInk(127, 7, 12));
}

TEST(Glyphs, EachKindSpansItsRows) {
  struct Tcase {
    const char* glyphs;
    int top, bottom;
  };
  const Tcase cases[] = {
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 2, 10},  // capitals and digits
      {"acemnorsuvwxz", 5, 10},                         // x-height
      {"bdfhkli", 2, 10},                               // ascenders, and the dot of i
      {"gpqy", 5, 12},                                  // descenders
      {"j", 2, 12},
      {"()[]{}|", 1, 12},
  };
  for (const Tcase& c : cases)
    for (const char* g = c.glyphs; *g != '\0'; ++g) {
      const TinkRows rows = InkRows(*g);
      EXPECT_EQ(rows.top, c.top) << Name(*g);
      EXPECT_EQ(rows.bottom, c.bottom) << Name(*g);
    }
}

TEST(Glyphs, DeleteIsASolidBar) {
  for (int row = 1; row <= 12; ++row)
    for (int col = 1; col < kGlyphWidth; ++col) EXPECT_TRUE(GlyphInk(127, col, row)) << col << "," << row;
}

// Bold two-pixel strokes: every row a letter or digit inks holds a run of at
// least two pixels, and no glyph has a lone pixel with no ink beside, above or
// below it (a speck where a stroke was meant).
TEST(Glyphs, StrokesAreTwoPixelsBold) {
  for (int code = kFirstGlyphCode; code <= kLastGlyphCode; ++code) {
    const bool letterOrDigit = std::isalnum(code) != 0;
    for (int row = 0; row < kGlyphHeight; ++row) {
      int run = 0, longest = 0;
      bool inked = false;
      for (int col = 0; col < kGlyphWidth; ++col) {
        const bool ink = GlyphInk(code, col, row);
        run = ink ? run + 1 : 0;
        longest = std::max(longest, run);
        inked |= ink;
        if (ink) {
          const bool neighbour = GlyphInk(code, col - 1, row) || GlyphInk(code, col + 1, row) ||
                                 GlyphInk(code, col, row - 1) || GlyphInk(code, col, row + 1);
          EXPECT_TRUE(neighbour) << Name(code) << " lone pixel at " << col << "," << row;
        }
      }
      if (letterOrDigit && inked) {
        EXPECT_GE(longest, 2) << Name(code) << " row " << row;
      }
    }
  }
}

// Look-alikes such as O and 0, or l, 1, I and |, must still be told apart:
// no two glyphs share the same bitmap.
TEST(Glyphs, NoTwoGlyphsAreTheSame) {
  std::set<std::vector<bool>> seen;
  for (int code = kFirstGlyphCode; code <= kLastGlyphCode; ++code) {
    std::vector<bool> bits;
    for (int row = 0; row < kGlyphHeight; ++row)
      for (int col = 0; col < kGlyphWidth; ++col) bits.push_back(GlyphInk(code, col, row));
    EXPECT_TRUE(seen.insert(bits).second) << Name(code) << " repeats an earlier glyph";
  }
}

TEST(LabelWidth, EightPerCharacterInTheFontAndNothingForOthers) {
  std::string all;
  for (int code = kFirstGlyphCode; code <= kLastGlyphCode; ++code) all += static_cast<char>(code);
  struct Tcase {
    std::string_view text;
    int width;
  };
  const Tcase cases[] = {{"", 0},          {"A", 8},     {" ", 8},        {"\x7F", 8},
                         {"Cost: 15", 64}, {"\t", 0},    {"\xC3\xA9", 0}, {"\x1F", 0},
                         {"\x80\xFF", 0},  {"A\tB", 16}, {all, 8 * 96},   {std::string_view("A\0B", 3), 16}};
  for (const Tcase& c : cases) EXPECT_EQ(LabelWidth(c.text), c.width) << '"' << c.text << '"';
}

// What DrawLabel should leave on a canvas filled with `background`: the glyph
// ink of the characters 32..127 of `text` in `ink`, 8 pixels apart.
std::vector<Tpixel> ExpectedCanvas(std::string_view text, int x, int y, Tpixel background, Tpixel ink) {
  std::vector<Tpixel> canvas(static_cast<size_t>(kCanvasWidth * kCanvasHeight), background);
  int pen = x;
  for (const char c : text) {
    const int code = static_cast<unsigned char>(c);
    if (code < kFirstGlyphCode || code > kLastGlyphCode) continue;
    for (int row = 0; row < kGlyphHeight; ++row)
      for (int col = 0; col < kGlyphWidth; ++col) {
        const int px = pen + col, py = y + row;
        if (GlyphInk(code, col, row) && px >= 0 && px < kCanvasWidth && py >= 0 && py < kCanvasHeight)
          canvas[static_cast<size_t>(py * kCanvasWidth + px)] = ink;
      }
    pen += kGlyphWidth;
  }
  return canvas;
}

bool CanvasEquals(const std::vector<Tpixel>& expected) {
  return std::memcmp(CanvasPixels(), expected.data(), expected.size() * sizeof(Tpixel)) == 0;
}

// Ink is drawn in exactly the current colour, every other pixel of the cells
// keeps what was there, and the canvas edges clip the text.
TEST(DrawLabel, InkInTheCurrentColourAndNothingElse) {
  struct Tcase {
    std::string_view text;
    int x, y;
  };
  const Tcase cases[] = {{"Hg(1.3/sec)", 10, 20},
                         {"Contains:", -5, -3},
                         {"Lv.7", kCanvasWidth - 20, kCanvasHeight - 9},
                         {"A\tB\xC3\xA9"
                          "C",
                          100, 100},
                         {"\x7F_|", 0, 0}};
  const Tpixel background = PackPixel(20, 40, 60);
  for (const Tcase& c : cases) {
    script::Reset();
    SetDrawColor(20, 40, 60);
    FillRect(0, 0, kCanvasWidth, kCanvasHeight);
    SetDrawColor(250, 128, 3);
    DrawLabel(c.text, c.x, c.y);
    EXPECT_TRUE(CanvasEquals(ExpectedCanvas(c.text, c.x, c.y, background, PackPixel(250, 128, 3))))
        << '"' << c.text << "\" at " << c.x << "," << c.y;
  }
}

TEST(DrawLabel, SkipsCharactersOutsideTheFontWithoutMovingThePen) {
  struct Tcase {
    std::string_view withOthers, plain;
  };
  const Tcase cases[] = {{"A\tB", "AB"}, {"\xC3\xA9t\xC3\xA9", "t"}, {"\x1F\x80 x\n", " x"}, {"\t\x01", ""}};
  for (const Tcase& c : cases) {
    script::Reset();
    ClearCanvas();
    DrawLabel(c.plain, 30, 40);
    const std::vector<Tpixel> plain(CanvasPixels(), CanvasPixels() + kCanvasWidth * kCanvasHeight);
    ClearCanvas();
    DrawLabel(c.withOthers, 30, 40);
    EXPECT_TRUE(CanvasEquals(plain)) << '"' << c.withOthers << '"';
  }
}

// The texts the game shows, in lines 12 pixels apart, and every glyph.
void DrawSample() {
  script::Reset();
  ClearCanvas();
  const char* lines[] = {
      "WELCOME TO PIGMENTBURGH! HERE ARE THE CONTROLS",      "RIGHT MOUSE - extract color from cell",
      "ARROWS or WASD - select generator and its direction", "Cost: 15   Lv.7 Upgrade Cost: 70 (1.3/sec)",
      "Contains: 0123456789  O0 Il1| S5 B8 Z2 g9q",          "The quick brown fox jumps over the lazy dog.",
      "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG?"};
  int y = 2;
  for (const char* line : lines) {
    DrawLabel(line, 4, y);
    y += 12;
  }
  SetDrawColor(255, 200, 40);
  std::string all;
  for (int code = kFirstGlyphCode; code <= kLastGlyphCode; ++code) all += static_cast<char>(code);
  constexpr size_t kPerLine = 48;
  for (size_t line = 0; line * kPerLine < all.size(); ++line)
    DrawLabel(std::string_view(all).substr(line * kPerLine, kPerLine), 4, y + 12 * static_cast<int>(line));
}

TEST(DrawLabel, SampleMatchesTheReference) {
  DrawSample();
  EXPECT_TRUE(MatchesGolden("font_sample", CanvasPixels()));
  // Anchors that say the reference is the right picture: the left stem of the
  // first W, the blank column before it, and the solid bar closing the glyphs.
  const Tpixel white = PackPixel(255, 255, 255), yellow = PackPixel(255, 200, 40), black = PackPixel(0, 0, 0);
  EXPECT_EQ(CanvasPixel(5, 4), white);
  EXPECT_EQ(CanvasPixel(4, 4), black);
  const int barX = 4 + 47 * kGlyphWidth, barY = 2 + 8 * 12;
  EXPECT_EQ(CanvasPixel(barX + 1, barY + 1), yellow);
  EXPECT_EQ(CanvasPixel(barX + 7, barY + 12), yellow);
  EXPECT_EQ(CanvasPixel(barX + 7, barY + 13), black);
  EXPECT_EQ(CanvasPixel(barX, barY + 6), black);
}

// Writes docs/font.png, every glyph at three times size, when asked to with
// PIGMENT_WRITE_DOCS=1.
TEST(FontSheet, WritesTheDocsPicture) {
  const char* write = std::getenv("PIGMENT_WRITE_DOCS");
  if (write == nullptr || std::strcmp(write, "1") != 0)
    GTEST_SKIP() << "set PIGMENT_WRITE_DOCS=1 to write docs/font.png";
  constexpr int kScale = 3, kPerRow = 16, kMargin = 4;
  constexpr int kRows = (kLastGlyphCode - kFirstGlyphCode + 1) / kPerRow;
  constexpr int kWidth = (kPerRow * kGlyphWidth + 2 * kMargin) * kScale;
  constexpr int kHeight = (kRows * kGlyphHeight + 2 * kMargin) * kScale;
  std::vector<Tpixel> sheet(static_cast<size_t>(kWidth * kHeight), PackPixel(0, 0, 0));
  for (int code = kFirstGlyphCode; code <= kLastGlyphCode; ++code) {
    const int left = kMargin + ((code - kFirstGlyphCode) % kPerRow) * kGlyphWidth;
    const int top = kMargin + ((code - kFirstGlyphCode) / kPerRow) * kGlyphHeight;
    for (int y = 0; y < kGlyphHeight * kScale; ++y)
      for (int x = 0; x < kGlyphWidth * kScale; ++x)
        if (GlyphInk(code, x / kScale, y / kScale))
          sheet[static_cast<size_t>((top * kScale + y) * kWidth + left * kScale + x)] =
              PackPixel(255, 255, 255);
  }
  const std::filesystem::path docs = std::filesystem::path(PIGMENT_SOURCE_DIR) / "docs";
  std::filesystem::create_directories(docs);
  ASSERT_TRUE(WritePng((docs / "font.png").string(), sheet.data(), kWidth, kHeight));
}

}  // namespace
