// SPDX-License-Identifier: GPL-3.0-or-later
// Draws a shipped skin from its description: a rounded calculator body with a soft shadow and a
// translucent rim, two glass displays and a 4 × 5 keypad, in the nine images the skin library
// reads, once at each scale desktops commonly use: at 1 in the folder itself, at the others in
// subfolders named by the scale in percent ("125", "150", "200", "300"), as the skin library
// looks for them. Every skin has this layout and these items; its description gives its
// colours and the sizes of its captions (skin_descriptions.cpp). Every scale is drawn from the
// same description, so the items are the same, their boxes scaled.
//
//   skin-maker <skin> <output folder>      skin: Defaut, Clair or Contraste
//
// skin-preview, beside it, shows the result composed by the skin library.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "drawing.h"
#include "png_writer.h"
#include "skin_description.h"
#include "skin/item_colours.h"

namespace {

constexpr int kWidth = 392;
constexpr int kHeight = 654;

// The scales drawn, and the subfolder each goes to ("" for the folder itself).
struct Scale {
  double factor;
  const char* folder;
};
constexpr Scale kScales[] = {{1, ""}, {1.25, "125"}, {1.5, "150"}, {2, "200"}, {3, "300"}};

// One drawing of the skin at a scale: images of the scaled size, drawn in the description's
// units.
struct Target {
  double scale;
  int width, height;
};
Target TargetAt(double scale) {
  return {scale, int(std::lround(kWidth * scale)), int(std::lround(kHeight * scale))};
}

// The calculator body inside the shadow margin.
constexpr double kBodyX = 18, kBodyY = 12, kBodyW = 356, kBodyH = 618, kBodyRadius = 28;
constexpr double kRim = 3;  // the translucent band around the body

const char* const kStateFiles[kStateCount] = {"Normal.png", "Hot.png", "Selected.png",
                                              "SelectedHot.png", "Disable.png"};

enum class Look {
  kDigit,
  kOperator,
  kFunction,
  kResult,
  kSegment,
  kMenu,
  kQuit,
  kLabel,
  kHistoryFrame,
  kLineFrame,
  kDisplayText
};

// One item: its identity colour as the calculator names it (red + 256 green + 65536 blue),
// the visible shape, the caption font size in points and the caption colours (0xRRGGBB), and
// for a raised key, its style.
struct Key {
  uint32_t colour;
  Look look;
  double x, y, w, h, radius;
  int points;
  uint32_t text, hotText;
  const char* role;  // what the key is for; its caption comes from the calculator
  const KeyStyle* style = nullptr;
};

// ---------------------------------------------------------------- layout

constexpr double kPad = 36;  // left edge of the content
constexpr double kContentW = 320;
constexpr double kColumnW = 74, kColumnGap = 8, kRowH = 46, kRowGap = 8, kKeypadY = 350;

double Column(int i) { return kPad + i * (kColumnW + kColumnGap); }
double Row(int i) { return kKeypadY + i * (kRowH + kRowGap); }

// The mode row: a caption over the first column, the angle switch over the next two, the
// function menu over the operators.
constexpr double kModeY = 306, kModeH = 30, kTrackX = 118, kTrackW = 156, kSegmentW = 74;

// The glass panels of the two displays, and the text areas inside them.
constexpr double kHistoryY = 62, kHistoryH = 174, kLineY = 244, kLineH = 48;
constexpr double kTextInsetX = 14;

std::vector<Key> Keys(const SkinDescription& d) {
  auto styled = [](uint32_t colour, Look look, double x, double y, double w, double h,
                   double radius, const KeyStyle& style, const char* role, int points = 0) {
    return Key{.colour = colour,
               .look = look,
               .x = x,
               .y = y,
               .w = w,
               .h = h,
               .radius = radius,
               .points = points ? points : style.points,
               .text = style.text,
               .hotText = style.hotText,
               .role = role,
               .style = &style};
  };
  auto digit = [&](uint32_t colour, int column, int row, const char* role) {
    return styled(colour, Look::kDigit, Column(column), Row(row), kColumnW, kRowH, 11, d.digit,
                  role);
  };
  auto op = [&](uint32_t colour, int row, const char* role) {
    return styled(colour, Look::kOperator, Column(3), Row(row), kColumnW, kRowH, 11, d.op, role);
  };
  auto function = [&](uint32_t colour, int column, int row, int points, const char* role) {
    return styled(colour, Look::kFunction, Column(column), Row(row), kColumnW, kRowH, 11,
                  d.function, role, points);
  };
  const GlassStyle& g = d.glass;
  return {
      // Title bar: the window's title centred, quit on the right.
      {kTitleItem, Look::kLabel, 100, 26, 192, 26, 0, d.titlePoints, d.titleText, d.titleText,
       "Tornavelle"},
      {kQuitKey, Look::kQuit, kPad + kContentW - 26, 26, 26, 26, 13, d.quit.points, d.quit.text,
       d.quit.hotText, "×"},
      // The displays: each glass frame is linked to the text area it surrounds.
      {kHistoryFrame, Look::kHistoryFrame, kPad, kHistoryY, kContentW, kHistoryH, 16, 0, 0, 0, ""},
      {kHistoryItem, Look::kDisplayText, kPad + kTextInsetX, kHistoryY + 10,
       kContentW - 2 * kTextInsetX, kHistoryH - 20, 0, g.historyPoints, g.historyText,
       g.historyText, ""},
      {kExpressionFrame, Look::kLineFrame, kPad, kLineY, kContentW, kLineH, 14, 0, 0, 0, ""},
      {kExpressionItem, Look::kDisplayText, kPad + kTextInsetX, kLineY + 7,
       kContentW - 2 * kTextInsetX, kLineH - 14, 0, g.linePoints, g.lineText, g.lineText, ""},
      // Mode row.
      {kAngleLabelItem, Look::kLabel, Column(0), kModeY, kColumnW, kModeH, 0, d.labelPoints,
       d.labelText, d.labelText, "Angle"},
      styled(kRadiansKey, Look::kSegment, kTrackX + 3, kModeY + 3, kSegmentW, kModeH - 6, 8,
             d.segment, "Rad"),
      styled(kDegreesKey, Look::kSegment, kTrackX + 5 + kSegmentW, kModeY + 3, kSegmentW,
             kModeH - 6, 8, d.segment, "Deg"),
      styled(kFunctionMenuKey, Look::kMenu, Column(3), kModeY, kColumnW, kModeH, 10, d.menu,
             "f(x)"),
      // Keypad.
      function(kFirstFunctionKey, 0, 0, d.function.points, "sin"),
      function(kSecondFunctionKey, 1, 0, d.function.points, "cos"),
      function(kThirdFunctionKey, 2, 0, d.function.points, "tan"),
      op(kDivideKey, 0, "÷"),
      digit(kDigitKeys[7], 0, 1, "7"),
      digit(kDigitKeys[8], 1, 1, "8"),
      digit(kDigitKeys[9], 2, 1, "9"),
      op(kTimesKey, 1, "×"),
      digit(kDigitKeys[4], 0, 2, "4"),
      digit(kDigitKeys[5], 1, 2, "5"),
      digit(kDigitKeys[6], 2, 2, "6"),
      op(kMinusKey, 2, "−"),
      digit(kDigitKeys[1], 0, 3, "1"),
      digit(kDigitKeys[2], 1, 3, "2"),
      digit(kDigitKeys[3], 2, 3, "3"),
      op(kPlusKey, 3, "+"),
      function(kPiKey, 0, 4, d.piPoints, "π"),
      digit(kDigitKeys[0], 1, 4, "0"),
      digit(kPointKey, 2, 4, "."),
      styled(kResultKey, Look::kResult, Column(3), Row(4), kColumnW, kRowH, 11, d.result, "="),
  };
}

// How far an item's pixels reach beyond its visible shape: room for its own drop shadow,
// focus glow and soft edge, so keys stay anti-aliased although the item map is not.
double ItemMargin(Look look) {
  switch (look) {
    case Look::kLabel:
    case Look::kDisplayText: return 0;
    case Look::kSegment: return 1;
    case Look::kHistoryFrame:
    case Look::kLineFrame: return 3;
    default: return 2;
  }
}

// The calculator's colour (red + 256 green + 65536 blue) as an opaque 0xAARRGGBB pixel.
uint32_t ItemPixel(uint32_t colour) {
  return 0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

// ---------------------------------------------------------------- background

// A blurred copy of the body's outline: three box blurs approximate a Gaussian. Computed in the
// target's own pixels, the blur's radius scaled with them.
void DrawShadow(cairo_t* cr, const Target& target) {
  const int width = target.width, height = target.height;
  const int radius = int(std::lround(5 * target.scale));
  std::vector<double> mask(size_t(width) * height, 0.0);
  cairo_surface_t* shape = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
  cairo_t* s = cairo_create(shape);
  cairo_scale(s, target.scale, target.scale);
  RoundedRect(s, kBodyX + 3, kBodyY + 8, kBodyW - 6, kBodyH, kBodyRadius);
  cairo_fill(s);
  cairo_destroy(s);
  cairo_surface_flush(shape);
  const unsigned char* data = cairo_image_surface_get_data(shape);
  int stride = cairo_image_surface_get_stride(shape);
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) mask[y * width + x] = data[y * stride + x] / 255.0;
  }
  cairo_surface_destroy(shape);
  auto blur = [&](int radius, bool horizontal) {
    std::vector<double> out(mask.size(), 0.0);
    int n = horizontal ? width : height, lines = horizontal ? height : width;
    for (int line = 0; line < lines; line++) {
      auto at = [&](int i) -> double& {
        return horizontal ? mask[line * width + i] : mask[i * width + line];
      };
      for (int i = 0; i < n; i++) {
        double sum = 0;
        for (int k = -radius; k <= radius; k++) {
          int j = i + k;
          if (j >= 0 && j < n) sum += at(j);
        }
        (horizontal ? out[line * width + i] : out[i * width + line]) = sum / (2 * radius + 1);
      }
    }
    mask.swap(out);
  };
  for (int pass = 0; pass < 3; pass++) {
    blur(radius, true);
    blur(radius, false);
  }
  cairo_surface_t* shadow = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  uint32_t* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(shadow));
  int shadowStride = cairo_image_surface_get_stride(shadow) / 4;
  for (int y = 0; y < height; y++) {
    for (int x = 0; x < width; x++) {
      auto a = static_cast<uint32_t>(std::lround(mask[y * width + x] * 0.7 * 255));
      pixels[y * shadowStride + x] = a << 24;  // black, premultiplied
    }
  }
  cairo_surface_mark_dirty(shadow);
  // The context draws in the description's units; the shadow is already in pixels.
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_source_surface(cr, shadow, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(shadow);
}

// The window without its items. Only the rim and the mark change with the active state, so
// every state image has the same body under the items' margins.
void DrawBackground(cairo_t* cr, const Target& target, bool active, const SkinDescription& d) {
  DrawShadow(cr, target);
  DrawBody(cr, {kBodyX, kBodyY, kBodyW, kBodyH, kBodyRadius, kRim}, active, d.body);

  // The calculator's mark at the left of the title bar; the title itself is an item's caption.
  DrawLogo(cr, kPad + 2, 30, active, d.logoRing);

  // The track behind the radians / degrees switch.
  RoundedRect(cr, kTrackX, kModeY, kTrackW, kModeH, 11);
  FillVertical(cr, kModeY, kModeY + kModeH, Hex(d.trackTop), Hex(d.trackBottom));
  cairo_set_line_width(cr, 1);
  SetColour(cr, d.trackEdge);
  cairo_stroke(cr);
}

// ---------------------------------------------------------------- items

void DrawGlass(cairo_t* cr, const Key& key, State state, bool line, const GlassStyle& g) {
  bool hot = state == kHot || state == kSelectedHot;
  bool selected = state == kSelected || state == kSelectedHot;
  if (line && selected && g.glowAlpha[hot] > 0) {  // focus glow around the expression line
    for (int i = 3; i >= 1; i--) {
      RoundedRect(cr, key.x - i, key.y - i, key.w + 2 * i, key.h + 2 * i, key.radius + i);
      SetColour(cr, Hex(g.glow, g.glowAlpha[hot] * (4 - i) / 3.0));
      cairo_set_line_width(cr, 1);
      cairo_stroke(cr);
    }
  }
  const uint32_t* fill =
      line ? (hot ? g.lineHotFill : g.lineFill) : (hot ? g.panelHotFill : g.panelFill);
  RoundedRect(cr, key.x, key.y, key.w, key.h, key.radius);
  FillVertical(cr, key.y, key.y + key.h, Hex(fill[0]), Hex(fill[1]));
  cairo_new_path(cr);
  // An inner shadow along the top makes the glass sit below the body.
  cairo_save(cr);
  RoundedRect(cr, key.x, key.y, key.w, key.h, key.radius);
  cairo_clip(cr);
  cairo_pattern_t* inner = cairo_pattern_create_linear(0, key.y, 0, key.y + 10);
  cairo_pattern_add_color_stop_rgba(inner, 0, 0, 0, 0, g.innerShadow);
  cairo_pattern_add_color_stop_rgba(inner, 1, 0, 0, 0, 0);
  cairo_set_source(cr, inner);
  cairo_paint(cr);
  cairo_pattern_destroy(inner);
  cairo_restore(cr);
  // The focus mark of the line is wider than a border: it grows outwards, into the frame's
  // margin, so the glass inside keeps its size.
  const double width = line && selected ? g.focusWidth : 1;
  const double inset = 1 - width / 2;
  RoundedRect(cr, key.x + inset, key.y + inset, key.w - 2 * inset, key.h - 2 * inset,
              key.radius - inset);
  cairo_set_line_width(cr, width);
  if (selected) {
    SetColour(cr, line ? g.lineFocusBorder[hot] : g.panelSelectedBorder[hot]);
  } else {
    SetColour(cr, g.border[hot]);
  }
  cairo_stroke(cr);
  // A light lower edge: the glass catches the light where the body turns up to meet it.
  cairo_move_to(cr, key.x + key.radius, key.y + key.h + 0.5);
  cairo_line_to(cr, key.x + key.w - key.radius, key.y + key.h + 0.5);
  SetColour(cr, g.lowerEdge);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
}

void DrawItem(cairo_t* cr, const Key& key, State state, const SkinDescription& d) {
  bool hot = state == kHot || state == kSelectedHot;
  bool selected = state == kSelected || state == kSelectedHot;
  bool disabled = state == kDisabled;
  switch (key.look) {
    case Look::kLabel:
    case Look::kDisplayText: return;  // the body (or the glass) shows through
    case Look::kHistoryFrame: DrawGlass(cr, key, state, false, d.glass); return;
    case Look::kLineFrame: DrawGlass(cr, key, state, true, d.glass); return;
    case Look::kQuit:
      RoundedRect(cr, key.x, key.y, key.w, key.h, key.radius);
      if (disabled) {
        SetColour(cr, d.quit.disabled);
      } else if (hot) {
        FillVertical(cr, key.y, key.y + key.h, Hex(d.quit.hotTop), Hex(d.quit.hotBottom));
      } else {
        SetColour(cr, selected ? d.quit.selected : d.quit.normal);
      }
      cairo_fill(cr);
      return;
    case Look::kSegment:
      if (!hot && !selected) return;  // an unlit segment is just the track
      [[fallthrough]];
    default: {
      if (disabled) {
        RoundedRect(cr, key.x, key.y, key.w, key.h, key.radius);
        SetColour(cr, Hex(d.disabledKey));
        cairo_fill(cr);
        return;
      }
      bool pressed = selected && key.look != Look::kResult && key.look != Look::kSegment;
      DrawRaisedKey(cr, key.x, key.y, key.w, key.h, key.radius, key.style->paint[state], pressed);
      const Rgba& border = key.style->border[state];
      if (border.a > 0) {
        const double half = key.style->borderWidth / 2;
        RoundedRect(cr, key.x + half, key.y + half, key.w - 2 * half, key.h - 2 * half,
                    key.radius - half);
        SetColour(cr, border);
        cairo_set_line_width(cr, key.style->borderWidth);
        cairo_stroke(cr);
      }
    }
  }
}

// ---------------------------------------------------------------- images

struct Canvas {
  cairo_surface_t* surface;
  cairo_t* cr;
};

// A transparent canvas of the target's size on which everything is drawn in the description's
// units.
Canvas NewCanvas(const Target& target) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, target.width, target.height);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, target.scale, target.scale);
  return {surface, cr};
}

// The skin files hold straight alpha.
std::vector<uint32_t> StraightPixels(Canvas canvas) { return StraightPixels(canvas.surface); }

void FreeCanvas(Canvas canvas) {
  cairo_destroy(canvas.cr);
  cairo_surface_destroy(canvas.surface);
}

// The item's pixels in the item map: its shape grown by its margin, drawn without
// anti-aliasing so every pixel is exactly one item's colour or untouched.
void ItemShape(cairo_t* cr, const Key& key) {
  double m = ItemMargin(key.look);
  RoundedRect(cr, key.x - m, key.y - m, key.w + 2 * m, key.h + 2 * m,
              key.radius > 0 ? key.radius + m : 0);
}

// Paints every item's pixels with a colour chosen per item, in list order, so the text areas
// (listed after their frames) cut themselves out of the frames.
template <typename ColourOf>
std::vector<uint32_t> PaintItems(const Target& target, const std::vector<Key>& keys,
                                 ColourOf colourOf) {
  Canvas canvas = NewCanvas(target);
  cairo_set_antialias(canvas.cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(canvas.cr, CAIRO_OPERATOR_SOURCE);
  for (const Key& key : keys) {
    uint32_t pixel = colourOf(key);
    cairo_set_source_rgba(canvas.cr, ((pixel >> 16) & 255) / 255.0, ((pixel >> 8) & 255) / 255.0,
                          (pixel & 255) / 255.0, 1);
    ItemShape(canvas.cr, key);
    cairo_fill(canvas.cr);
  }
  std::vector<uint32_t> pixels = StraightPixels(canvas);
  FreeCanvas(canvas);
  return pixels;
}

std::vector<uint32_t> StateImage(const Target& target, const std::vector<Key>& keys, State state,
                                 const SkinDescription& d) {
  Canvas canvas = NewCanvas(target);
  DrawBackground(canvas.cr, target, state == kHot || state == kSelectedHot, d);
  for (const Key& key : keys) DrawItem(canvas.cr, key, state, d);
  std::vector<uint32_t> pixels = StraightPixels(canvas);
  FreeCanvas(canvas);
  return pixels;
}

bool Write(const std::string& folder, const Target& target, const char* name,
           const std::vector<uint32_t>& pixels) {
  std::string path = folder + "/" + name;
  if (WritePng(path, target.width, target.height, pixels)) return true;
  std::fprintf(stderr, "skin-maker: cannot write %s\n", path.c_str());
  return false;
}

// Draws the description's nine images at the scale into the folder, which must exist.
bool DrawSkin(const std::vector<Key>& keys, const SkinDescription& d, double scale,
              const std::string& folder) {
  const Target target = TargetAt(scale);
  for (int state = 0; state < kStateCount; state++) {
    if (!Write(folder, target, kStateFiles[state], StateImage(target, keys, State(state), d)))
      return false;
  }
  auto itemMap = PaintItems(target, keys, [](const Key& k) { return ItemPixel(k.colour); });
  // Font sizes are read from the red channel, in tenths of a point; grey keeps the file legible.
  auto fontSize =
      PaintItems(target, keys, [](const Key& k) { return 0x010101u * uint32_t(k.points * 10); });
  auto fontColour = PaintItems(target, keys, [](const Key& k) { return k.text; });
  auto fontHotColour = PaintItems(target, keys, [](const Key& k) { return k.hotText; });
  return Write(folder, target, "Item.png", itemMap) &&
         Write(folder, target, "FontSize.png", fontSize) &&
         Write(folder, target, "FontColor.png", fontColour) &&
         Write(folder, target, "FontHotColor.png", fontHotColour);
}

}  // namespace

int main(int argc, char** argv) {
  const SkinDescription* skin = argc == 3 ? FindSkinDescription(argv[1]) : nullptr;
  if (skin == nullptr) {
    std::fprintf(stderr, "usage: skin-maker <skin> <output folder>\n  skin: %s\n",
                 SkinDescriptionNames());
    return 2;
  }
  const std::string folder = argv[2];
  const std::vector<Key> keys = Keys(*skin);
  for (const Scale& scale : kScales) {
    std::string into = folder;
    if (*scale.folder != '\0') {
      into += std::string("/") + scale.folder;
      std::error_code ignored;
      std::filesystem::create_directories(into, ignored);
    }
    if (!DrawSkin(keys, *skin, scale.factor, into)) return 1;
  }
  return 0;
}
