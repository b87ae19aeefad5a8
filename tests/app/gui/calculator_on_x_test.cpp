// SPDX-License-Identifier: GPL-3.0-or-later
// The calculator as a user starts it, on a private X server: keys clicked where the skin's item
// map puts them, text typed, Page Up and the wheel, the native popup menus chosen with the
// keyboard, the clipboard shared with other programs, and what the settings file holds after
// the quit key. What the program shows is read from the clipboard (Ctrl+C copies the whole
// line), from screenshots and from the settings file; every wait polls for its condition.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "skin/item_map.h"
#include "skin/png_decoder.h"
#include "x_session.h"
#include "skin/item_colours.h"

namespace {

namespace fs = std::filesystem;

// Items of the shipped skin, by their colour in its item map.

// The ASan build starts in a few seconds alone, but ./test runs it beside every other test.
constexpr int32_t kStartMs = 30000, kReactMs = 10000;

enum class Do {
  kClick,       // a left click on the item
  kRightClick,  // a right click on the item
  kType,        // xdotool type of the text
  kKeys,        // xdotool key of the key names
  kWheel,       // a wheel button (4 away from the user, 5 towards) over the history panel
  kOffer,       // another program puts the text on the clipboard
  kPasted,      // the calculator has read the text offered last (before the clipboard changes)
  kMark,        // another program puts a marker on the clipboard, for kCopied to wait past
  kCopied,      // the clipboard, once it holds something else than the marker, is the text
  kLine,        // the expression line is the text (kMark, Ctrl+C, kCopied)
  kPopups,      // exactly `count` popup menu windows are shown
  kMenuText,    // the newest popup shows `count` lines of text, `hints` of them with a hint
                // column, every column left-aligned; its screenshot is kept under the text's name
  kLook,        // the item looks selected (count 1) or not (count 0) on the screen
  kSaved,       // the settings file holds the text (the save after a calculation came)
  kSecondStart, // another window over the calculator's and with the keyboard, the program is
                // started again in the folder: it ends at once, the calculator comes up
  kEmptyLine,   // the line is empty: Ctrl+C copies the latest answer, the text
  kPressRelease,  // a press on the item and a release on the item `count`; with `hints` 1
                  // the press drags the window, which moves by the pointer's way
  kDrag,        // a press on the item, a move by (count, hints) and a release; the window follows
  kBaseline,    // a screenshot of the history panel, to find its rows of text against later
  kHistoryRow,  // a click on the history panel's row of text `count`, 0 the lowest
  kSkin,        // a new main window, in the old one's place and with the keyboard, shows the
                // skin `text` (of Apparence); its screenshot is kept under the skin's name
  kDialog,      // a dialog titled `text` is shown; its screenshot is kept, and Return closes it
  kOfferPrimary,  // another program holds the primary selection with the text
  kPrimary,     // the primary selection is the text
  kMiddleClick, // a middle click on the item
};

struct Step {
  Do what;
  int32_t item = 0;
  std::string text;
  int32_t count = 0;
  int32_t hints = 0;
};

Step Click(int32_t item) { return {Do::kClick, item, ""}; }
Step RightClick(int32_t item) { return {Do::kRightClick, item, ""}; }
Step Type(std::string text) { return {Do::kType, 0, std::move(text)}; }
Step Keys(std::string keys) { return {Do::kKeys, 0, std::move(keys)}; }
Step Wheel(int32_t button) { return {Do::kWheel, kHistoryItem, "", button}; }
Step Offer(std::string text) { return {Do::kOffer, 0, std::move(text)}; }
Step Pasted() { return {Do::kPasted, 0, ""}; }
Step Mark() { return {Do::kMark, 0, ""}; }
Step Copied(std::string text) { return {Do::kCopied, 0, std::move(text)}; }
Step Line(std::string text) { return {Do::kLine, 0, std::move(text)}; }
Step Popups(int32_t count) { return {Do::kPopups, 0, "", count}; }
Step MenuText(std::string shot, int32_t lines, int32_t hints) {
  return {Do::kMenuText, 0, std::move(shot), lines, hints};
}
Step Look(int32_t item, bool selected) { return {Do::kLook, item, "", selected ? 1 : 0}; }
Step SavedText(std::string text) { return {Do::kSaved, 0, std::move(text)}; }
Step SecondStart() { return {Do::kSecondStart, 0, ""}; }
Step EmptyLine(std::string latestAnswer) { return {Do::kEmptyLine, 0, std::move(latestAnswer)}; }
Step PressRelease(int32_t pressed, int32_t released, bool dragsWindow = false) {
  return {Do::kPressRelease, pressed, "", released, dragsWindow ? 1 : 0};
}
Step Drag(int32_t item, int32_t dx, int32_t dy) { return {Do::kDrag, item, "", dx, dy}; }
Step Baseline() { return {Do::kBaseline, 0, ""}; }
Step HistoryRow(int32_t row) { return {Do::kHistoryRow, kHistoryItem, "", row}; }
Step Skin(std::string name) { return {Do::kSkin, 0, std::move(name)}; }
Step Dialog(std::string title) { return {Do::kDialog, 0, std::move(title)}; }
Step OfferPrimary(std::string text) { return {Do::kOfferPrimary, 0, std::move(text)}; }
Step Primary(std::string text) { return {Do::kPrimary, 0, std::move(text)}; }
Step MiddleClick(int32_t item) { return {Do::kMiddleClick, item, ""}; }

// A value the settings file must hold after the exit: a text, a number, or no such key.
struct Saved {
  std::string group, key;
  std::optional<std::string> text;
  std::optional<double> number;
};
Saved Is(std::string group, std::string key, std::string text) {
  return {std::move(group), std::move(key), std::move(text), std::nullopt};
}
Saved Value(std::string group, std::string key, double number) {
  return {std::move(group), std::move(key), std::nullopt, number};
}
Saved Missing(std::string group, std::string key) {
  return {std::move(group), std::move(key), std::nullopt, std::nullopt};
}

struct Scenario {
  std::string name;
  bool composited;
  std::vector<Step> steps;  // the quit key follows them
  std::vector<Saved> saved;
  std::string settings = "";  // the settings file a run before left, if any
  std::optional<std::pair<int32_t, int32_t>> opensAt = std::nullopt;  // else centred
  std::string layout = "";  // setxkbmap's arguments for the keyboard, if not the US one
  int endSignal = 0;  // the signal that ends the run after the steps; 0: the quit key
  // No language chosen yet: the dialog's OK takes French, and the steps go to the
  // copy that choice starts, which the quit key ends.
  bool firstRun = false;
};

// A first run: keys, typing, the angle keys, then browsing the history with Page Up, Page Down
// and the wheel (a first run has no empty entry at its end, so the oldest entry stays out of
// reach), without a compositor.
Scenario KeypadKeyboardAndHistory() {
  return {
      "keypad_keyboard_and_history",
      false,
      {
          Look(kRadiansKey, true), Look(kDegreesKey, false),
          Click(kDigitKeys[7]), Click(kPlusKey), Click(kDigitKeys[7]), Line("7+7"), Click(kResultKey), EmptyLine("14"),
          // The same key twice in a row, quicker than a double click.
          Click(kDigitKeys[4]), Click(kDigitKeys[4]), Click(kDivideKey), Click(kDigitKeys[4]), Line("44÷4"),
          Keys("Return"), EmptyLine("11"),
          Click(kDegreesKey), Look(kDegreesKey, true), Look(kRadiansKey, false),
          Type("racine(16)*2"), Line("√(16)×2"), Keys("Return"),
          // The line the calculation emptied holds only what is typed next (its last digits
          // in degrees are the engine's, not this test's).
          Type("sin(30)"), Keys("Return"),
          Type("2+3"), Line("2+3"),
          // The first calculation gave the list its sentinel: the oldest entry is reached too.
          Keys("Prior"), Line("sin(30)"), Keys("Prior"), Line("√(16)×2"),
          Wheel(4), Line("44÷4"), Wheel(4), Line("7+7"), Wheel(4), Line("7+7"),
          Wheel(5), Line("44÷4"), Keys("Next"), Line("√(16)×2"), Keys("Next"), Line("sin(30)"),
          Keys("Next"), Line("2+3"), Keys("Next"), Line("2+3"),
      },
      {
          Is("Calcul", "Reponse0Operation", "sin(30)"), Value("Calcul", "Reponse0Valeur", 0.5),
          Is("Calcul", "Reponse0Erreur", "0"),
          Is("Calcul", "Reponse1Operation", "√(16)×2"), Value("Calcul", "Reponse1Valeur", 8),
          Is("Calcul", "Reponse2Operation", "44÷4"), Value("Calcul", "Reponse2Valeur", 11),
          Is("Calcul", "Reponse3Operation", "7+7"), Value("Calcul", "Reponse3Valeur", 14),
          Is("Calcul", "Reponse4Operation", ""), Missing("Calcul", "Reponse5Operation"),
          Is("Calcul", "Operation", "2+3"), Is("Calcul", "Mode", "2"),
      },
  };
}

// The function menu chosen with the keyboard, the edit menu's copy and paste, and Ctrl+V of a
// text another program offers, under a compositor.
Scenario MenusAndClipboard() {
  const std::string offered = "π×2⁻¹+∛(27)", offeredLater = "ⁿ√(8,3)×π";
  return {
      "menus_and_clipboard",
      true,
      {
          Look(kRadiansKey, true),
          // Combinatorics: every entry with its hint, in one column.
          Click(kFunctionMenuKey), Popups(1), Keys("Down Down Down Down Right"), Popups(2),
          // Escape closes one level at a time.
          MenuText("combinatorics-menu", 3, 3), Keys("Escape"), Popups(1), Keys("Escape"), Popups(0),
          Click(kDigitKeys[2]), Click(kTimesKey),
          // Powers, roots and logarithms; into its submenu, which shows 11 entries, 9 with a
          // hint; down to the square root.
          Click(kFunctionMenuKey), Popups(1), Keys("Down Down Right"), Popups(2),
          MenuText("function-menu", 11, 9),
          Keys("Down Down Down Down Return"), Popups(0),
          Type("16)"),
          // The same submenu, down to the inverse.
          Click(kFunctionMenuKey), Popups(1), Keys("Down Down Right Down Down Down Return"), Popups(0),
          Line("2×√(16)⁻¹"),
          // Copy from the edit menu, with nothing selected: the whole line.
          Mark(), RightClick(kExpressionItem), Popups(1), MenuText("edit-menu", 4, 0),
          Keys("Down Return"), Popups(0), Copied("2×√(16)⁻¹"),
          Keys("Return"), EmptyLine("0.5"),
          Offer(offered), Type("1+"), Keys("ctrl+v"), Pasted(), Line("1+" + offered), Keys("Return"),
          // Paste from the edit menu.
          Offer(offeredLater), RightClick(kExpressionItem), Popups(1), Keys("Down Down Down Return"),
          Popups(0), Pasted(), Line(offeredLater),
      },
      {
          Is("Calcul", "Reponse0Operation", "1+" + offered),
          Value("Calcul", "Reponse0Valeur", 4 + std::acos(-1.0) / 2),
          Is("Calcul", "Reponse1Operation", "2×√(16)⁻¹"), Value("Calcul", "Reponse1Valeur", 0.5),
          Is("Calcul", "Reponse2Operation", ""), Missing("Calcul", "Reponse3Operation"),
          Is("Calcul", "Operation", offeredLater), Is("Calcul", "Mode", "1"),
      },
  };
}

// What the user meant: a press on one key and a release on another types nothing, and a drag
// from the title moves the window; Ctrl+C on an empty line copies the latest answer with every
// digit; Escape, Ctrl+Z and a trailing "="; clicks on the history's expressions and answers;
// then 40 calculations, of which the newest 30 are saved with the sentinel after them.
Scenario WhatTheUserMeant() {
  std::vector<Step> steps = {
      Baseline(),
      Click(kDigitKeys[2]), Line("2"), PressRelease(kDigitKeys[7], kDigitKeys[8]), Line("2"),
      PressRelease(kTitleItem, kDegreesKey, true), Look(kRadiansKey, true), Drag(kTitleItem, 60, 40),
      Type("^0.5"), Keys("Return"), EmptyLine("1.4142135623730951"),
      Type("1+2"), Keys("Escape"), EmptyLine("1.4142135623730951"), Keys("ctrl+z"), Line("1+2"),
      Keys("ctrl+shift+z"), EmptyLine("1.4142135623730951"), Keys("ctrl+z"), Line("1+2"),
      Keys("ctrl+a"), Type("3*3="), Keys("Return"), EmptyLine("9"),
      // Rows from the bottom: 9, 3×3, the square root's answer, its expression.
      HistoryRow(3), Line("2^0.5"), Keys("Escape"),
      Type("1+"), HistoryRow(2), Line("1+1.4142135623730951"), Keys("ctrl+z"), Line("1+"),
      Keys("ctrl+y"), Line("1+1.4142135623730951"), Keys("Return"), EmptyLine("2.414213562373095"),
  };
  for (int32_t n = 1; n <= 40; ++n) {
    steps.push_back(Type(std::to_string(n) + "+1"));
    steps.push_back(Keys("Return"));
  }
  steps.push_back(EmptyLine("41"));
  std::vector<Saved> saved = {Is("Calcul", "Reponse0Operation", "40+1"),
                              Is("Calcul", "Reponse29Operation", "11+1"),
                              Value("Calcul", "Reponse29Valeur", 12),
                              Is("Calcul", "Reponse30Operation", ""),
                              Missing("Calcul", "Reponse31Operation"),
                              Is("Calcul", "Operation", ""), Is("Calcul", "Mode", "1")};
  return {"what_the_user_meant", false, steps, saved};
}

// A German keyboard: a step repeated on the answer, a number pasted with its line break, the
// keypad's decimal key (a comma on this layout), Escape while browsing, the Insert keys and the
// primary selection.
Scenario EverydayHabits() {
  return {
      "everyday_habits",
      false,
      {
          Type("2"), Keys("Return"), Type("*2"), Keys("Return"), Type("*2"), Keys("Return"),
          Type("*2"), Keys("Return"), EmptyLine("16"),
          Offer("42\r\n"), Keys("ctrl+v"), Pasted(), Line("42"), Keys("Escape"),
          Type("1"), Keys("KP_Separator"), Type("5"), Keys("KP_Add"), Type("1"), Line("1.5+1"),
          Keys("Return"), EmptyLine("2.5"),
          Keys("Prior"), Line("1.5+1"), Keys("Escape"), EmptyLine("2.5"), Type("7+"),
          Keys("Prior"), Line("1.5+1"), Keys("Next"), Line("7+"), Keys("Escape"),
          Offer("8\n"), Keys("shift+Insert"), Pasted(), Line("8"),
          Mark(), Keys("ctrl+Insert"), Copied("8"),
          Keys("shift+Left"), Primary("8"), Keys("End"),
          OfferPrimary("\t5"), MiddleClick(kExpressionItem), Line("85"),
      },
      {
          Is("Calcul", "Reponse0Operation", "1.5+1"), Value("Calcul", "Reponse0Valeur", 2.5),
          Value("Calcul", "Reponse1Valeur", 16), Value("Calcul", "Reponse2Valeur", 8),
          Value("Calcul", "Reponse3Valeur", 4), Value("Calcul", "Reponse4Valeur", 2),
          Is("Calcul", "Reponse5Operation", ""), Is("Calcul", "Operation", "85"),
      },
      "",
      std::nullopt,
      "-layout de",
  };
}

// Names the scenario in test output.
void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

// A later run: the window where the last run left it, degrees, the line and the history as they
// were saved, and the history's empty last entry, which lets Page Up reach the oldest entry.
Scenario RestartFromSavedSettings() {
  return {
      "restart_from_saved_settings",
      false,
      {
          Look(kDegreesKey, true), Look(kRadiansKey, false),
          Line("1+2"),
          Keys("Prior"), Line("√(16)×2"), Keys("Prior"), Line("7+7"), Keys("Prior"), Line("7+7"),
          Keys("Return"), EmptyLine("14"), Type("sin(90)"), Keys("Return"), EmptyLine("1"),
      },
      {
          Is("Calcul", "Reponse0Operation", "sin(90)"), Value("Calcul", "Reponse0Valeur", 1),
          Is("Calcul", "Reponse1Operation", "7+7"), Value("Calcul", "Reponse1Valeur", 14),
          Is("Calcul", "Reponse2Operation", "√(16)×2"), Value("Calcul", "Reponse2Valeur", 8),
          Is("Calcul", "Reponse3Operation", "7+7"), Value("Calcul", "Reponse3Valeur", 14),
          Is("Calcul", "Reponse4Operation", ""), Missing("Calcul", "Reponse5Operation"),
          Is("Calcul", "Operation", ""), Is("Calcul", "Mode", "2"),
      },
      "\xEF\xBB\xBF\r\n[Apparence]\r\nApparence = Defaut\r\nFenetre_SauverPosition = 1\r\n"
      "Fenetre x = 40\r\nFenetre y = 30\r\nFenetre_ToujoursVisible = 0\r\n[Calcul]\r\n"
      "Operation = 1+2\r\nReponse0Operation = √(16)×2\r\nReponse0Valeur = 8\r\n"
      "Reponse0Texte = \r\nReponse0Erreur = 0\r\nReponse1Operation = 7+7\r\n"
      "Reponse1Valeur = 14\r\nReponse1Texte = \r\nReponse1Erreur = 0\r\nMode = 2\r\n"
      "Format = 0\r\n",
      std::pair{40, 30},
  };
}

// The memory letters a run before stored come back, are used, and a new one typed with "->"
// is kept for the next run.
Scenario MemoriesAcrossRuns() {
  return {
      "memories_across_runs",
      false,
      {
          Type("b+1"), Keys("Return"), EmptyLine("8"),
          Type("6*7->c"), Line("6×7→c"), Keys("Return"), EmptyLine("42"),
      },
      {
          Is("Calcul", "Reponse0Operation", "6×7→c"), Value("Calcul", "Reponse0Valeur", 42),
          Is("Calcul", "Reponse1Operation", "b+1"), Value("Calcul", "Reponse1Valeur", 8),
          Value("Memoires", "b", 7), Value("Memoires", "c", 42), Missing("Memoires", "a"),
      },
      "\xEF\xBB\xBF\r\n[Calcul]\r\nMode = 1\r\n[Memoires]\r\nb = 7\r\n",
  };
}

// The French keyboard's "^" is a dead key: before a character it cannot go on, it gives both.
Scenario DeadKeys() {
  return {
      "dead_keys",
      false,
      {
          // A name becomes its glyph once something follows it, or at the calculation.
          Keys("2 dead_circumflex p i"), Line("2^pi"), Keys("Return"),
          Keys("4 dead_circumflex period 5"), Line("4^.5"), Keys("Return"),
          // Composed into one character.
          Keys("3 dead_circumflex space 2"), Line("3^2"), Keys("Return"),
      },
      {
          // The calculation shows the square's glyph.
          Is("Calcul", "Reponse0Operation", "3²"), Value("Calcul", "Reponse0Valeur", 9),
          Is("Calcul", "Reponse1Operation", "4^.5"), Value("Calcul", "Reponse1Valeur", 2),
          Is("Calcul", "Reponse2Operation", "2^π"),
          Value("Calcul", "Reponse2Valeur", std::pow(2, std::acos(-1.0))),
      },
      "",
      std::nullopt,
      "-layout fr",
  };
}

// A calculation, and a line half typed when the signal comes: the program ends as the quit key
// ends it, with everything saved.
Scenario EndedBy(std::string name, int signal) {
  Scenario scenario{
      std::move(name),
      false,
      {Type("1+2"), Keys("Return"), EmptyLine("3"), Type("4*5"), Line("4×5")},
      {Is("Calcul", "Reponse0Operation", "1+2"), Value("Calcul", "Reponse0Valeur", 3),
       Is("Calcul", "Reponse1Operation", ""), Missing("Calcul", "Reponse2Operation"),
       Is("Calcul", "Operation", "4×5")},
  };
  scenario.endSignal = signal;
  return scenario;
}

// Killed outright once the calculation is saved: the calculation survives, the line typed after
// it does not.
Scenario KilledAfterACalculation() {
  Scenario scenario{
      "killed_after_a_calculation",
      false,
      {Type("1+2"), Keys("Return"), SavedText("Reponse0Operation = 1+2"), Type("4*5"), Line("4×5")},
      {Is("Calcul", "Reponse0Operation", "1+2"), Value("Calcul", "Reponse0Valeur", 3),
       Is("Calcul", "Operation", "")},
  };
  scenario.endSignal = SIGKILL;
  return scenario;
}

// Started again while it runs, then a first run through the language dialog, whose new copy
// must not be turned away by the copy that starts it.
Scenario StartedAgain() {
  return {
      "started_again",
      false,
      {Type("2*3"), Keys("Return"), SecondStart(), Type("7"), Line("7")},
      {Is("Calcul", "Reponse0Operation", "2×3"), Is("Calcul", "Operation", "7")},
  };
}
Scenario FirstRunRestarts() {
  Scenario scenario{
      "first_run_restarts",
      false,
      {Type("5+5"), Keys("Return"), EmptyLine("10")},
      {Is("Calcul", "Reponse0Operation", "5+5"), Value("Calcul", "Reponse0Valeur", 10)},
  };
  scenario.firstRun = true;
  return scenario;
}

// Every shipped skin chosen from the skin menu with the keyboard, which keeps the line with its
// caret, the history and the angle mode, in the window's place; then the About window.
Scenario SkinsFromTheMenu() {
  // The skin menu's first entry is the submenu of skins, listed by name: Clair, Contraste,
  // Defaut.
  auto choose = [](const char* downs) { return Keys(std::string("Down Right ") + downs + "Return"); };
  return {
      "skins_from_the_menu",
      false,
      {
          Type("6*7"), Keys("Return"), Click(kDegreesKey), Type("1+2"), Keys("Left"),
          RightClick(kHistoryItem), Popups(1), choose(""), Popups(0), Skin("Clair"),
          Type("0"), Line("1+02"), Look(kDegreesKey, true),
          RightClick(kHistoryItem), Popups(1), choose("Down "), Popups(0), Skin("Contraste"),
          Type("0"), Line("1+002"), Look(kDegreesKey, true), Look(kRadiansKey, false),
          Keys("Prior"), Line("6×7"), Keys("Next"), Line("1+002"),
          // The "?" submenu's first entry.
          RightClick(kHistoryItem), Popups(1), Keys("Down Down Right Return"), Popups(0),
          Dialog("À propos de Tornavelle"),
          RightClick(kHistoryItem), Popups(1), choose("Down Down "), Popups(0), Skin("Defaut"),
          RightClick(kHistoryItem), Popups(1), choose(""), Popups(0), Skin("Clair"),
          RightClick(kHistoryItem), Popups(1), choose("Down "), Popups(0), Skin("Contraste"),
      },
      {
          Is("Apparence", "Apparence", "Contraste"), Is("Calcul", "Operation", "1+002"),
          Is("Calcul", "Reponse0Operation", "6×7"), Is("Calcul", "Mode", "2"),
      },
  };
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// The "key = value" lines of a settings file, by group and key.
std::map<std::pair<std::string, std::string>, std::string> SettingsOf(std::string text) {
  if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::string group;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;
    if (line[0] == '[') {
      group = line.substr(1, line.find(']') - 1);
    } else if (size_t equals = line.find('='); equals != std::string::npos) {
      values.try_emplace({group, Trim(line.substr(0, equals))}, Trim(line.substr(equals + 1)));
    }
  }
  return values;
}

std::optional<Image> ReadPng(const fs::path& path) {
  std::string bytes = FileText(path);
  return DecodePngBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

int ChannelDistance(Pixel a, Pixel b) {
  return std::max({std::abs(int(PixelRed(a)) - int(PixelRed(b))),
                   std::abs(int(PixelGreen(a)) - int(PixelGreen(b))),
                   std::abs(int(PixelBlue(a)) - int(PixelBlue(b)))});
}

// One line of text in a popup: its runs of ink from left to right, split where the gap is wider
// than a word space.
struct TextLine {
  std::vector<std::pair<int32_t, int32_t>> columns;  // first and last x of each run
};

// The lines of text inside a popup on the screenshot. Each screen row is compared with its own
// most common colour, so that the selected entry (light text on a dark bar) reads like the
// others; the popup's edges are left out.
std::vector<TextLine> PopupText(const Image& shot, const Rect& popup) {
  constexpr int32_t kEdge = 6, kInk = 80, kColumnGap = 16, kLowestLine = 5;
  const int32_t left = popup.x + kEdge, right = popup.x + popup.width - kEdge;
  std::vector<std::vector<bool>> ink;
  for (int32_t y = popup.y + kEdge; y < popup.y + popup.height - kEdge; ++y) {
    std::unordered_map<Pixel, int32_t> counts;
    Pixel paper = 0;
    for (int32_t x = left; x < right; ++x)
      if (++counts[ImagePixel(shot, x, y)] > counts[paper]) paper = ImagePixel(shot, x, y);
    std::vector<bool> row(size_t(right - left));
    for (int32_t x = left; x < right; ++x)
      row[size_t(x - left)] = ChannelDistance(ImagePixel(shot, x, y), paper) > kInk;
    ink.push_back(std::move(row));
  }
  std::vector<TextLine> lines;
  for (size_t y = 0; y < ink.size();) {
    auto inked = [&](size_t row) {
      return std::find(ink[row].begin(), ink[row].end(), true) != ink[row].end();
    };
    if (!inked(y)) {
      ++y;
      continue;
    }
    size_t top = y;
    std::vector<bool> any(ink[y].size());
    for (; y < ink.size() && inked(y); ++y)
      for (size_t x = 0; x < any.size(); ++x) any[x] = any[x] || ink[y][x];
    if (y - top < kLowestLine) continue;
    TextLine line;
    int32_t gap = kColumnGap;
    for (int32_t x = 0; x < int32_t(any.size()); ++x) {
      if (!any[size_t(x)]) {
        ++gap;
        continue;
      }
      if (gap >= kColumnGap) line.columns.push_back({left + x, left + x});
      line.columns.back().second = left + x;
      gap = 0;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

class CalculatorOnX : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x.Connected()) << "no X server at DISPLAY=" << (getenv("DISPLAY") ? getenv("DISPLAY") : "");
    std::string pattern = (fs::temp_directory_path() / "tornavelle-x-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    folder = pattern;
    const fs::path data = TORNAVELLE_DATA_DIR;
    fs::copy(data / "Lng-Tornavelle", folder / "Lng-Tornavelle");
    fs::copy(data / "Apparence", folder / "Apparence", fs::copy_options::recursive);
    if (!GetParam().firstRun)
      std::ofstream(folder / "Langue.lng", std::ios::binary) << "Defaut = Francais\r\n";
    if (!GetParam().settings.empty())
      std::ofstream(folder / "Tornavelle.tvnp", std::ios::binary) << GetParam().settings;
    fs::create_directories(SCREENSHOT_DIR);

    const fs::path skin = folder / "Apparence" / "Defaut";
    std::optional<Image> map = ReadPng(skin / "Item.png");
    std::optional<Image> normalLook = ReadPng(skin / "Normal.png");
    std::optional<Image> selectedLook = ReadPng(skin / "Selected.png");
    ASSERT_TRUE(map && normalLook && selectedLook);
    itemMap = std::move(*map);
    normal = std::move(*normalLook);
    selected = std::move(*selectedLook);
    std::optional<std::vector<ItemRegion>> regions = FindItemRegions(itemMap);
    ASSERT_TRUE(regions);
    for (const ItemRegion& region : *regions) items[ItemColourOf(region.colour)] = region;
  }

  void TearDown() override {
    calculator.Stop();
    compositor.Stop();
    offers.clear();
    if (!GetParam().layout.empty()) {
      EXPECT_EQ(RunShell("setxkbmap -layout us"), 0);
    }
    if (HasFailure()) std::cerr << "--- the calculator's output:\n" << FileText(folder / "program.log");
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  // The pixel of the item nearest to the centre of its box, in the window.
  std::pair<int32_t, int32_t> ItemPoint(int32_t colour) {
    const ItemRegion& r = items.at(colour);
    const int32_t cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    std::pair<int32_t, int32_t> best{r.seedX, r.seedY};
    int64_t bestDistance = INT64_MAX;
    for (int32_t y = r.top; y <= r.bottom; ++y)
      for (int32_t x = r.left; x <= r.right; ++x) {
        int64_t d = int64_t(x - cx) * (x - cx) + int64_t(y - cy) * (y - cy);
        if (ImagePixel(itemMap, x, y) == r.colour && d < bestDistance) {
          bestDistance = d;
          best = {x, y};
        }
      }
    return best;
  }

  std::string ScreenPoint(int32_t colour) {
    auto [x, y] = ItemPoint(colour);
    return std::to_string(window.x + x) + " " + std::to_string(window.y + y);
  }

  std::string Clipboard() {
    return ShellOutput("timeout 5 xclip -o -selection clipboard 2>/dev/null");
  }
  std::string PrimarySelection() {
    return ShellOutput("timeout 5 xclip -o -selection primary 2>/dev/null");
  }

  // Another program owns the clipboard with the text, and answers for it until a program takes
  // the clipboard from it.
  void OfferText(const std::string& text) {
    const fs::path file = folder / ("offer-" + std::to_string(offers.size()));
    std::ofstream(file, std::ios::binary) << text;
    offers.push_back(std::make_unique<Child>());
    offerLog = file.string() + ".log";
    ASSERT_TRUE(offers.back()->Start(
        {"xclip", "-quiet", "-verbose", "-selection", "clipboard", "-i", file.string()},
        folder.string(), offerLog));
    ASSERT_TRUE(WaitFor([&] { return Clipboard() == text; }, kReactMs));
    offerReads = OfferReads();
  }

  // How many requests for its text the newest offer has answered, from what xclip says.
  int32_t OfferReads() {
    const std::string log = FileText(offerLog), line = "Waiting for selection request";
    int32_t count = 0;
    for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++count;
    return count;
  }

  // Whether the item, on the screen, is nearer to its selected look than to its normal one.
  bool LooksSelected(const Image& shot, int32_t colour) {
    const ItemRegion& r = items.at(colour);
    int64_t toSelected = 0, toNormal = 0;
    for (int32_t y = r.top; y <= r.bottom; ++y)
      for (int32_t x = r.left; x <= r.right; ++x) {
        if (ImagePixel(itemMap, x, y) != r.colour) continue;
        Pixel seen = ImagePixel(shot, window.x + x, window.y + y);
        toSelected += ChannelDistance(seen, ImagePixel(selected, x, y));
        toNormal += ChannelDistance(seen, ImagePixel(normal, x, y));
      }
    return toSelected < toNormal;
  }

  void Perform(const Step& step) {
    const std::string shots = SCREENSHOT_DIR;
    switch (step.what) {
      case Do::kClick:
      case Do::kRightClick:
        ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(step.item) + " click " +
                            (step.what == Do::kClick ? "1" : "3")));
        break;
      case Do::kType: ASSERT_TRUE(Xdotool("type --delay 20 " + Quoted(step.text))); break;
      case Do::kKeys: ASSERT_TRUE(Xdotool("key --delay 40 " + step.text)); break;
      case Do::kWheel:
        ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(step.item) + " click " +
                            std::to_string(step.count)));
        break;
      case Do::kOffer: OfferText(step.text); break;
      case Do::kOfferPrimary: {
        const fs::path file = folder / "primary";
        std::ofstream(file, std::ios::binary) << step.text;
        offers.push_back(std::make_unique<Child>());
        ASSERT_TRUE(offers.back()->Start({"xclip", "-quiet", "-selection", "primary", "-i", file.string()},
                                         folder.string(), (folder / "primary.log").string()));
        ASSERT_TRUE(WaitFor([&] { return PrimarySelection() == step.text; }, kReactMs));
        break;
      }
      case Do::kPrimary: {
        std::string seen;
        EXPECT_TRUE(WaitFor([&] { return (seen = PrimarySelection()) == step.text; }, kReactMs))
            << "the primary selection is " << seen;
        break;
      }
      case Do::kMiddleClick:
        ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(step.item) + " click 2"));
        break;
      case Do::kPasted:
        EXPECT_TRUE(WaitFor([&] { return OfferReads() > offerReads; }, kReactMs))
            << "the calculator did not ask for the clipboard";
        break;
      case Do::kMark:
        marker = "marker " + std::to_string(++markers);
        OfferText(marker);
        break;
      case Do::kCopied: {
        std::string copied;
        EXPECT_TRUE(WaitFor([&] { return (copied = Clipboard()) != marker; }, kReactMs))
            << "the calculator put nothing on the clipboard";
        EXPECT_EQ(copied, step.text);
        break;
      }
      case Do::kLine:
      case Do::kEmptyLine:
        Perform(Mark());
        ASSERT_TRUE(Xdotool("key ctrl+c"));
        Perform(Copied(step.text));
        break;
      case Do::kPressRelease:
        if (step.hints == 0) {
          ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(step.item) + " mousedown 1 mousemove " +
                              ScreenPoint(step.count) + " mouseup 1"));
        } else {
          const auto [fromX, fromY] = ItemPoint(step.item);
          const auto [toX, toY] = ItemPoint(step.count);
          Perform(Drag(step.item, toX - fromX, toY - fromY));
        }
        break;
      case Do::kDrag: {
        // A hand's drag: the pointer moves while the button is held, and the window follows it
        // before the button comes up (a release already done when the program reads the moves
        // ends the drag where it began).
        auto [pressX, pressY] = ItemPoint(step.item);
        pressX += window.x;
        pressY += window.y;
        const Rect start = window;
        auto at = [&](int32_t part) {
          return std::to_string(pressX + step.count * part / 2) + " " +
                 std::to_string(pressY + step.hints * part / 2);
        };
        ASSERT_TRUE(Xdotool("mousemove " + at(0) + " mousedown 1"));
        for (int32_t part : {1, 2}) {
          ASSERT_TRUE(Xdotool("mousemove " + at(part)));
          Rect moved;
          EXPECT_TRUE(WaitFor(
              [&] {
                moved = x.Frame(mainWindow);
                return moved.x == start.x + step.count * part / 2 &&
                       moved.y == start.y + step.hints * part / 2;
              },
              kReactMs))
              << "the window is at " << moved.x << "," << moved.y;
          window = moved;
        }
        ASSERT_TRUE(Xdotool("mouseup 1"));
        break;
      }
      case Do::kBaseline:
        ASSERT_TRUE(Xdotool("mousemove 0 0"));
        baseline = TakeScreenshot(shots + "/" + GetParam().name + "-baseline.png");
        baselineWindow = window;
        ASSERT_TRUE(IsImageValid(baseline));
        break;
      case Do::kHistoryRow: {
        // The rows of text are where the panel differs from how it looked empty.
        ASSERT_TRUE(Xdotool("mousemove 0 0"));
        std::vector<std::pair<int32_t, int32_t>> rows;
        WaitFor(
            [&] {
              rows = HistoryRows(TakeScreenshot(shots + "/" + GetParam().name + "-history.png"));
              return int32_t(rows.size()) > step.count;
            },
            kReactMs);
        ASSERT_GT(int32_t(rows.size()), step.count) << "rows of text in the history panel";
        const ItemRegion& r = items.at(kHistoryItem);
        const int32_t y = (rows[size_t(step.count)].first + rows[size_t(step.count)].second) / 2;
        int32_t x = (r.left + r.right) / 2;
        while (x < r.right && ImagePixel(itemMap, x, y) != r.colour) ++x;
        ASSERT_TRUE(Xdotool("mousemove " + std::to_string(window.x + x) + " " +
                            std::to_string(window.y + y) + " click 1"));
        break;
      }
      case Do::kPopups: {
        std::vector<Rect> shown;
        EXPECT_TRUE(WaitFor([&] { return int32_t((shown = x.Popups()).size()) == step.count; },
                            kReactMs))
            << shown.size() << " popup windows shown";
        for (const Rect& popup : shown) {
          bool known = false;
          for (const Rect& old : popups)
            known = known || (old.x == popup.x && old.y == popup.y);
          if (!known) newest = popup;
        }
        popups = shown;
        break;
      }
      case Do::kMenuText: {
        // The menu draws itself after its window appears; its text settles within a moment.
        std::vector<TextLine> lines;
        Image shot;
        WaitFor(
            [&] {
              shot = TakeScreenshot(shots + "/" + step.text + ".png");
              lines = PopupText(shot, newest);
              return int32_t(lines.size()) == step.count;
            },
            kReactMs);
        ASSERT_EQ(int32_t(lines.size()), step.count) << "lines of text in " << step.text;
        int32_t hinted = 0, hintColumn = 0;
        for (const TextLine& line : lines) {
          EXPECT_NEAR(line.columns.front().first, lines.front().columns.front().first, 1)
              << "entry column of " << step.text;
          if (line.columns.size() < 2) continue;
          EXPECT_EQ(line.columns.size(), 2u) << "a line of " << step.text;
          if (hinted++ == 0) hintColumn = line.columns[1].first;
          EXPECT_NEAR(line.columns[1].first, hintColumn, 1) << "hint column of " << step.text;
        }
        EXPECT_EQ(hinted, step.hints) << "lines with a hint in " << step.text;
        break;
      }
      case Do::kSaved:
        EXPECT_TRUE(WaitFor([&] { return FileText(folder / "Tornavelle.tvnp").find(step.text) != std::string::npos; },
                            kReactMs))
            << "the settings file never held " << step.text;
        break;
      case Do::kSecondStart: {
        Child cover, second;
        const std::string geometry = std::to_string(window.width) + "x" + std::to_string(window.height) +
                                     "+" + std::to_string(window.x) + "+" + std::to_string(window.y);
        ASSERT_TRUE(cover.Start({"xlogo", "-geometry", geometry}, folder.string(), (folder / "xlogo.log").string()));
        std::vector<unsigned long> logos;
        ASSERT_TRUE(WaitFor([&] { return (logos = x.MainWindows("xlogo")).size() == 1; }, kStartMs));
        ASSERT_TRUE(x.IsAbove(logos[0], mainWindow));
        ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(logos[0])));
        ASSERT_TRUE(second.Start({TORNAVELLE_PROGRAM}, folder.string(), (folder / "second.log").string()));
        ASSERT_TRUE(second.WaitExit(kStartMs)) << "the second start did not end";
        EXPECT_EQ(second.ExitStatus(), 0);
        EXPECT_TRUE(WaitFor([&] { return x.IsAbove(mainWindow, logos[0]); }, kReactMs))
            << "the calculator did not come up over the other window";
        TakeScreenshot(shots + "/" + GetParam().name + ".png");
        EXPECT_EQ(x.MainWindows("Tornavelle").size(), 1u);
        break;  // the keys typed next reach the calculator only if it took the keyboard
      }
      case Do::kSkin: {
        const unsigned long old = mainWindow;
        std::vector<unsigned long> mains;
        ASSERT_TRUE(WaitFor([&] { return (mains = x.MainWindows("Tornavelle")).size() == 1 && mains[0] != old; },
                            kReactMs))
            << "no new window for the skin " << step.text;
        mainWindow = mains[0];
        const Rect moved = x.Frame(mainWindow);
        EXPECT_EQ(std::pair(moved.x, moved.y), std::pair(window.x, window.y)) << "the window moved";
        window = moved;
        // The skin's own looks, for the steps that follow; every shipped skin has the same items.
        const fs::path skin = folder / "Apparence" / step.text;
        std::optional<Image> normalLook = ReadPng(skin / "Normal.png"), selectedLook = ReadPng(skin / "Selected.png");
        ASSERT_TRUE(normalLook && selectedLook);
        normal = std::move(*normalLook);
        selected = std::move(*selectedLook);
        // The window shows this skin rather than another: its opaque background, where no item
        // is, is nearest to this skin's active look.
        ASSERT_TRUE(Xdotool("mousemove 0 0"));
        std::string nearest;
        WaitFor(
            [&] {
              Image shot = TakeScreenshot(shots + "/skin-" + step.text + ".png");
              if (!IsImageValid(shot)) return false;
              int64_t best = INT64_MAX;
              for (const auto& entry : fs::directory_iterator(folder / "Apparence")) {
                std::optional<Image> look = ReadPng(entry.path() / "Hot.png");
                if (!look || look->width != itemMap.width || look->height != itemMap.height) continue;
                int64_t distance = 0;
                for (int32_t y = 0; y < itemMap.height; ++y)
                  for (int32_t x = 0; x < itemMap.width; ++x)
                    if (PixelAlpha(ImagePixel(itemMap, x, y)) == 0 && PixelAlpha(ImagePixel(*look, x, y)) == 255)
                      distance += ChannelDistance(ImagePixel(shot, window.x + x, window.y + y), ImagePixel(*look, x, y));
                if (distance < best) best = distance, nearest = entry.path().filename().string();
              }
              return nearest == step.text;
            },
            kReactMs);
        EXPECT_EQ(nearest, step.text) << "the window does not show the skin";
        break;  // the keys typed next reach the calculator only if the new window took the keyboard
      }
      case Do::kDialog: {
        std::vector<unsigned long> dialogs;
        ASSERT_TRUE(WaitFor([&] { return (dialogs = x.Dialogs(step.text)).size() == 1; }, kReactMs))
            << "no window titled " << step.text;
        // It draws itself after it appears (until then, what was below shows through): the
        // toolkit's light background with dark text on it.
        const Rect frame = x.Frame(dialogs[0]);
        EXPECT_TRUE(WaitFor(
            [&] {
              Image shot = TakeScreenshot(shots + "/" + GetParam().name + "-dialog.png");
              if (!IsImageValid(shot)) return false;
              int32_t light = 0, ink = 0;
              for (int32_t y = frame.y; y < frame.y + frame.height; ++y)
                for (int32_t x = frame.x; x < frame.x + frame.width; ++x) {
                  const Pixel p = ImagePixel(shot, x, y);
                  const int32_t least = std::min({PixelRed(p), PixelGreen(p), PixelBlue(p)});
                  light += least > 220;
                  ink += std::max({PixelRed(p), PixelGreen(p), PixelBlue(p)}) < 100;
                }
              return light > frame.width * frame.height / 2 && ink > 300;
            },
            kReactMs))
            << "the dialog shows no text";
        ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(dialogs[0]) + " key Return"));
        EXPECT_TRUE(WaitFor([&] { return x.Dialogs(step.text).empty(); }, kReactMs)) << "the dialog stays";
        ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(mainWindow)));
        break;
      }
      case Do::kLook: {
        // Away from every item, so that none looks hot.
        ASSERT_TRUE(Xdotool("mousemove 0 0"));
        bool seen = false;
        WaitFor(
            [&] {
              Image shot = TakeScreenshot(shots + "/" + GetParam().name + "-look.png");
              seen = IsImageValid(shot) && LooksSelected(shot, step.item) == (step.count == 1);
              return seen;
            },
            kReactMs);
        EXPECT_TRUE(seen) << std::hex << "item " << step.item
                          << (step.count ? " does not look selected" : " looks selected");
        break;
      }
    }
  }

  // The rows of text in the history panel on the screenshot, from the bottom up: runs of window
  // rows where some pixel differs clearly from the baseline (the faint separators do not).
  std::vector<std::pair<int32_t, int32_t>> HistoryRows(const Image& shot) {
    constexpr int32_t kInk = 60;
    std::vector<std::pair<int32_t, int32_t>> rows;
    if (!IsImageValid(shot) || !IsImageValid(baseline)) return rows;
    const ItemRegion& r = items.at(kHistoryItem);
    bool inRow = false;
    for (int32_t y = r.bottom; y >= r.top; --y) {
      bool ink = false;
      for (int32_t x = r.left; x <= r.right && !ink; ++x)
        ink = ChannelDistance(ImagePixel(shot, window.x + x, window.y + y),
                              ImagePixel(baseline, baselineWindow.x + x, baselineWindow.y + y)) > kInk;
      if (ink && !inRow) rows.push_back({y, y});
      if (ink) rows.back().first = y;
      inRow = ink;
    }
    return rows;
  }

  XServer x;
  fs::path folder;
  Image itemMap, normal, selected;
  std::map<int32_t, ItemRegion> items;
  Child calculator, compositor;
  std::vector<std::unique_ptr<Child>> offers;  // the clipboard's other owners, newest last
  Rect window;
  unsigned long mainWindow = 0;
  Image baseline;  // the screen before any calculation, for finding the history's rows
  Rect baselineWindow;  // where the window was on it
  std::vector<Rect> popups;
  Rect newest;
  std::string marker;
  std::string offerLog;    // what the newest offer says
  int32_t offerReads = 0;  // its requests answered before the calculator's turn
  int32_t markers = 0;
};

TEST_P(CalculatorOnX, DoesWhatTheUserAsksAndKeepsItAfterTheQuitKey) {
  const Scenario& scenario = GetParam();
  if (scenario.composited) {
    ASSERT_TRUE(compositor.Start({"picom", "--backend", "xrender", "--config", "/dev/null"},
                                 folder.string(), (folder / "picom.log").string()));
    ASSERT_TRUE(WaitFor([&] { return x.Composited(); }, kStartMs)) << "picom did not start";
  } else {
    ASSERT_FALSE(x.Composited());
  }
  if (!scenario.layout.empty()) {
    ASSERT_EQ(RunShell("setxkbmap " + scenario.layout), 0);
  }
  ASSERT_TRUE(calculator.Start({TORNAVELLE_PROGRAM}, folder.string(),
                               (folder / "program.log").string()));
  if (scenario.firstRun) {
    std::vector<unsigned long> dialogs;
    ASSERT_TRUE(WaitFor([&] { return (dialogs = x.MainWindows("Langue / Language")).size() == 1; }, kStartMs))
        << "no language dialog";
    // Its OK button, the last row, below the line and the list.
    const Rect dialog = x.Frame(dialogs[0]);
    ASSERT_TRUE(Xdotool("mousemove " + std::to_string(dialog.x + dialog.width / 2) + " " +
                        std::to_string(dialog.y + dialog.height - 20) + " click 1"));
    ASSERT_TRUE(calculator.WaitExit(kStartMs)) << "the choice did not end the first copy";
    EXPECT_EQ(calculator.ExitStatus(), 0);
  }
  std::vector<unsigned long> mains;
  ASSERT_TRUE(WaitFor([&] { return (mains = x.MainWindows("Tornavelle")).size() == 1; }, kStartMs))
      << mains.size() << " main windows";
  mainWindow = mains[0];
  window = x.Frame(mains[0]);
  ASSERT_EQ(window.width, itemMap.width);
  if (scenario.opensAt) {
    EXPECT_EQ(std::pair(window.x, window.y), *scenario.opensAt);
  } else {
    const Rect screen = x.Frame(x.Root());
    EXPECT_EQ(window.x, (screen.width - window.width) / 2) << "not centred";
  }
  // No window manager gives the keyboard to a new window.
  ASSERT_TRUE(Xdotool("windowfocus --sync " + std::to_string(mains[0])));

  for (size_t i = 0; i < scenario.steps.size(); ++i) {
    const Step& step = scenario.steps[i];
    SCOPED_TRACE("step " + std::to_string(i) + " (" + std::to_string(int(step.what)) + " " +
                 step.text + ")");
    Perform(step);
    if (HasFatalFailure()) return;
  }

  if (scenario.endSignal != 0) {
    calculator.Signal(scenario.endSignal);
    ASSERT_TRUE(calculator.WaitExit(kStartMs)) << "signal " << scenario.endSignal << " did not end the program";
    if (scenario.endSignal == SIGKILL) {
      EXPECT_EQ(calculator.EndSignal(), SIGKILL);
    } else {
      EXPECT_EQ(calculator.ExitStatus(), 0);
    }
  } else {
    ASSERT_TRUE(Xdotool("mousemove " + ScreenPoint(kQuitKey) + " click 1"));
    if (scenario.firstRun) {
      // The copy the choice started is no child of the test's: it is gone when its window is.
      ASSERT_TRUE(WaitFor([&] { return x.MainWindows("Tornavelle").empty(); }, kStartMs))
          << "the quit key did not end the new copy";
      ASSERT_TRUE(WaitFor([&] { return !fs::exists(folder / ".Tornavelle.lock") ||
                                       RunShell("flock -n " + Quoted((folder / ".Tornavelle.lock").string()) + " true") == 0; },
                          kStartMs)) << "the new copy did not end";
    } else {
      ASSERT_TRUE(calculator.WaitExit(kStartMs)) << "the quit key did not end the program";
      EXPECT_EQ(calculator.ExitStatus(), 0);
    }
  }

  auto settings = SettingsOf(FileText(folder / "Tornavelle.tvnp"));
  std::vector<Saved> saved = scenario.saved;
  saved.push_back(Is("Apparence", "Fenetre x", std::to_string(window.x)));
  saved.push_back(Is("Apparence", "Fenetre y", std::to_string(window.y)));
  for (const Saved& expected : saved) {
    SCOPED_TRACE("[" + expected.group + "] " + expected.key);
    auto found = settings.find({expected.group, expected.key});
    if (!expected.text && !expected.number) {
      EXPECT_EQ(found, settings.end());
    } else if (found == settings.end()) {
      ADD_FAILURE() << "not saved";
    } else if (expected.text) {
      EXPECT_EQ(found->second, *expected.text);
    } else {
      EXPECT_NEAR(std::strtod(found->second.c_str(), nullptr), *expected.number,
                  1e-12 * std::max(1.0, std::fabs(*expected.number)));
    }
  }
  // The language chosen before stays chosen.
  EXPECT_EQ(SettingsOf(FileText(folder / "Langue.lng")).at({"", "Defaut"}), "Francais");
}

INSTANTIATE_TEST_SUITE_P(Scenarios, CalculatorOnX,
                         ::testing::Values(KeypadKeyboardAndHistory(), MenusAndClipboard(),
                                           RestartFromSavedSettings(), DeadKeys(), MemoriesAcrossRuns(),
                                           WhatTheUserMeant(), SkinsFromTheMenu(), EverydayHabits()),
                         [](const auto& info) { return info.param.name; });
// Each way the program ends besides the quit key, and the copies in one folder; a CTest test of
// their own (calculator_on_x_endings).
INSTANTIATE_TEST_SUITE_P(Endings, CalculatorOnX,
                         ::testing::Values(EndedBy("sigterm", SIGTERM), EndedBy("sighup", SIGHUP),
                                           EndedBy("sigint", SIGINT), KilledAfterACalculation(),
                                           StartedAgain(), FirstRunRestarts()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
