// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator program on a scaled desktop, on a private X server: with GDK_SCALE=2, then with
// the text scale of Xft.dpi 144, its window is that many times its size at 1, and what it shows
// is sharper than its picture at 1 enlarged. The screenshots stay in SCREENSHOT_DIR.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/image.h"
#include "x_session.h"

// Last: Xlib's macros would change the names of what follows.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace fs = std::filesystem;

namespace {

constexpr int32_t kStartMs = 30000, kReactMs = 10000;
constexpr int32_t kWidthAtOne = 392, kHeightAtOne = 654;
// The calculations typed: four, so that the history panel shows as many at every scale.
constexpr const char* kCalculations[] = {"1/3", "2^10", "pi/4", "sqrt(2)/2"};

struct Desktop {
  const char* name;
  const char* gdkScale;  // GDK_SCALE, or nullptr
  const char* xftDpi;    // the Xft.dpi resource, or nullptr
  double scale;
};
constexpr Desktop kUnscaled{"scale-1", nullptr, nullptr, 1};
constexpr Desktop kScaled[] = {{"gdk-scale-2", "2", nullptr, 2}, {"xft-dpi-144", nullptr, "144", 1.5}};

double Luminance(Pixel p) { return 0.2126 * PixelRed(p) + 0.7152 * PixelGreen(p) + 0.0722 * PixelBlue(p); }

// How sharp a picture is: the mean square of the luminance steps between neighbouring pixels.
// Enlarging a picture spreads each edge over more pixels in smaller steps, which lowers it: an
// edge spread over two pixels counts half.
double Sharpness(const Image& image) {
  double sum = 0;
  for (int32_t y = 0; y + 1 < image.height; y++) {
    for (int32_t x = 0; x + 1 < image.width; x++) {
      const double here = Luminance(ImagePixel(image, x, y));
      const double across = Luminance(ImagePixel(image, x + 1, y)) - here;
      const double down = Luminance(ImagePixel(image, x, y + 1)) - here;
      sum += across * across + down * down;
    }
  }
  return sum / (double(image.width) * image.height);
}

// Sets the screen's X resources as xrdb does, or removes them all (nullptr).
bool SetXResources(const char* resources) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  const Window root = DefaultRootWindow(display);
  if (resources) {
    XChangeProperty(display, root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(resources), int(std::strlen(resources)));
  } else {
    XDeleteProperty(display, root, XA_RESOURCE_MANAGER);
  }
  XCloseDisplay(display);  // which sends the change
  return true;
}

class ScaledDesktop : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.Connected());
    fs::create_directories(SCREENSHOT_DIR);
  }

  // Starts the calculator in a fresh folder on the desktop, types the calculations, and returns
  // the window as the screen shows it, its size checked against the scale.
  std::optional<Image> RunOn(const Desktop& desktop) {
    std::string pattern = (fs::temp_directory_path() / "tornavelle-scale-XXXXXX").string();
    EXPECT_TRUE(mkdtemp(pattern.data()));
    const fs::path folder = pattern;
    const fs::path data = TORNAVELLE_DATA_DIR;
    fs::copy(data / "Lng-Tornavelle", folder / "Lng-Tornavelle");
    fs::copy(data / "Apparence", folder / "Apparence", fs::copy_options::recursive);
    std::ofstream(folder / "Langue.lng", std::ios::binary) << "Defaut = English\r\n";
    if (desktop.gdkScale) setenv("GDK_SCALE", desktop.gdkScale, 1);
    if (desktop.xftDpi) {
      EXPECT_TRUE(SetXResources((std::string("Xft.dpi:\t") + desktop.xftDpi + "\n").c_str()));
    }
    Child calculator;
    std::optional<Image> shown;
    [&] {
      ASSERT_TRUE(calculator.Start({TORNAVELLE_PROGRAM}, folder.string(), (folder / "program.log").string()));
      std::vector<unsigned long> mains;
      ASSERT_TRUE(WaitFor([&] { return (mains = x.MainWindows("Tornavelle")).size() == 1; }, kStartMs));
      const Rect window = x.Frame(mains[0]);
      EXPECT_EQ(window.width, std::lround(kWidthAtOne * desktop.scale));
      EXPECT_EQ(window.height, std::lround(kHeightAtOne * desktop.scale));
      ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(mains[0])));
      for (const char* calculation : kCalculations) {
        ASSERT_TRUE(Xdotool("type --delay 20 " + Quoted(calculation)));
        ASSERT_TRUE(Xdotool("key Return"));
      }
      // Each calculation is saved once done: the last one saved is the last one drawn.
      ASSERT_TRUE(WaitFor(
          [&] {
            std::ifstream in(folder / "Tornavelle.tvnp", std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), {});
            return text.find("sqrt") != std::string::npos || text.find("√(2)") != std::string::npos;
          },
          kReactMs));
      ASSERT_TRUE(Xdotool("mousemove 0 0"));
      Image screen = TakeScreenshot(std::string(SCREENSHOT_DIR "/") + desktop.name + "-screen.png");
      ASSERT_TRUE(IsImageValid(screen));
      shown = CropImage(screen, window.x, window.y, window.width, window.height);
    }();
    calculator.Stop();
    if (desktop.gdkScale) unsetenv("GDK_SCALE");
    if (desktop.xftDpi) {
      EXPECT_TRUE(SetXResources(nullptr));
    }
    if (HasFailure()) {
      std::ifstream log(folder / "program.log");
      std::cerr << "--- the calculator's output:\n" << log.rdbuf();
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return shown;
  }

  XServer x;
};

TEST_F(ScaledDesktop, DrawsTheWholeWindowAtTheScaleSharperThanEnlarged) {
  const std::optional<Image> atOne = RunOn(kUnscaled);
  ASSERT_TRUE(atOne);
  for (const Desktop& desktop : kScaled) {
    SCOPED_TRACE(desktop.name);
    const std::optional<Image> scaled = RunOn(desktop);
    ASSERT_TRUE(scaled);
    const Image enlarged = ResizeImageSmooth(*atOne, scaled->width, scaled->height);
    const double own = Sharpness(*scaled), stretched = Sharpness(enlarged);
    std::cout << desktop.name << ": sharpness " << own << ", the picture at 1 enlarged " << stretched << "\n";
    EXPECT_GT(own, stretched * 1.3);
  }
}

// The first run on a scaled desktop: the language dialog is laid out at the scale, and the copy
// the choice starts opens at it too, not at the 1 the first copy asked of the toolkit. Then a
// desktop whose scale would make the window taller than the screen: it takes the largest scale
// that fits (2.25 of 3 on the 1536 rows).
TEST_F(ScaledDesktop, TheFirstRunKeepsTheScaleAndATooLargeWindowShrinksToFit) {
  struct Case {
    const char* gdkScale;
    bool firstRun;
    int32_t width, height;
  } cases[] = {{"2", true, 784, 1308}, {"3", false, 882, 1472}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gdkScale);
    std::string pattern = (fs::temp_directory_path() / "tornavelle-first-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    const fs::path folder = pattern;
    const fs::path data = TORNAVELLE_DATA_DIR;
    fs::copy(data / "Lng-Tornavelle", folder / "Lng-Tornavelle");
    fs::copy(data / "Apparence", folder / "Apparence", fs::copy_options::recursive);
    if (!c.firstRun) std::ofstream(folder / "Langue.lng", std::ios::binary) << "Defaut = English\r\n";
    setenv("GDK_SCALE", c.gdkScale, 1);
    Child calculator;
    std::vector<unsigned long> mains;
    [&] {
      ASSERT_TRUE(calculator.Start({TORNAVELLE_PROGRAM}, folder.string(), (folder / "program.log").string()));
      if (c.firstRun) {
        std::vector<unsigned long> dialogs;
        ASSERT_TRUE(WaitFor([&] { return (dialogs = x.MainWindows("Langue / Language")).size() == 1; }, kStartMs));
        const Rect dialog = x.Frame(dialogs[0]);
        // Twice its size at 1: 280 wide, three rows of 24 at least.
        EXPECT_GE(dialog.width, 2 * 280);
        EXPECT_GE(dialog.height, 2 * 3 * 24);
        TakeScreenshot(SCREENSHOT_DIR "/language-dialog-2x.png");
        // Enter presses OK: French, preselected, starts a new copy.
        ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(dialogs[0])));
        ASSERT_TRUE(Xdotool("key Return"));
        ASSERT_TRUE(calculator.WaitExit(kStartMs));
      }
      ASSERT_TRUE(WaitFor([&] { return (mains = x.MainWindows("Tornavelle")).size() == 1; }, kStartMs));
      const Rect window = x.Frame(mains[0]);
      EXPECT_EQ(window.width, c.width);
      EXPECT_EQ(window.height, c.height);
      EXPECT_GE(window.y, 0);
    }();
    unsetenv("GDK_SCALE");
    // The copy the choice started is no child of the test's.
    if (!mains.empty()) RunShell("kill $(xdotool getwindowpid " + std::to_string(mains[0]) + ") 2>/dev/null");
    calculator.Stop();
    WaitFor([&] { return x.MainWindows("Tornavelle").empty(); }, kStartMs);
    if (HasFailure()) {
      std::ifstream log(folder / "program.log");
      std::cerr << "--- the calculator's output:\n" << log.rdbuf();
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
}

}  // namespace
