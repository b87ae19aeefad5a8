// SPDX-License-Identifier: GPL-3.0-or-later
// The skins the user chooses from, the folders of Apparence, and the rest of the skin menu:
// the About window and keeping the window above the others. The shipped skin, Defaut, stands
// in for any skin that cannot be opened.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/monitors.h"

inline constexpr char16_t kShippedSkin[] = u"Defaut";
// The most skins the menu lists, and the longest name it takes for one: a folder holding
// thousands of folders, or names of megabytes, must not make a menu no one can use.
inline constexpr size_t kMaxListedSkins = 100;
inline constexpr size_t kLongestSkinName = 100;

// Whether the name can be a skin's: one folder name of Apparence, not empty, at most
// kLongestSkinName units, no path separator, drive colon or control character, and not hidden
// (a leading "."), so that a name from the settings file never reaches outside Apparence; no
// blank at either end, which the settings file would not keep.
bool IsSkinName(std::u16string_view name);

// The skins to offer: the folders of Apparence whose names can be skins' and are kept exactly by
// the settings file (UTF-8 names), sorted by name, at most kMaxListedSkins; empty when Apparence
// cannot be listed.
std::vector<std::u16string> ListSkins();

// The skin folder of the name, relative to the working directory ("Apparence\Defaut").
std::string SkinFolder(std::u16string_view name);

// Starts decoding, at the scale, the skin the settings file names (the shipped one when it names
// none that can be), so that OpenMainSkin finds it ready.
void PrefetchSavedSkin(double scale);

// Opens the main window, hidden and centred, from the skin the settings name (the shipped one
// when they name none). When that skin cannot be opened (no window, or no history panel or
// expression line), opens the shipped one instead, sets the setting to it and keeps the
// message saying so for ShowKeptSkinMessage, once the calculator is on the screen. Returns
// false, with no main window, when the shipped one cannot be opened either: SkinFailureMessage
// then says why.
bool OpenMainSkin();

// Shows the message OpenMainSkin kept, above the main window; nothing when there is none.
void ShowKeptSkinMessage();

// The message that no skin could show the calculator: the setting's skin, what is wrong with
// each skin tried, and where the shipped one should be.
std::u16string SkinFailureMessage();

// What is wrong with the last skin that could not be opened (skinProblem), for a message: the
// file, as the system writes paths, and the fault; empty when nothing is known.
std::u16string SkinProblemLine();

// Gives the main window, just opened from a skin, what the skin does not say: the captions,
// the displays' frames and dragging, the angle mode's key, always on top, and the displays'
// images at their items' sizes (drawn by the caller).
void DressMainWindow();

// The work area (ListWorkAreas) that holds the most of the box, or nullopt when none holds any
// of it.
std::optional<Monitor> WorkAreaOf(int32_t x, int32_t y, int32_t width, int32_t height);

// The largest scale, in steps of kScaleStep from kMinScale up to wanted, at which a window now
// width × height pixels at the skin's scale fits the area; kMinScale when none does.
double FittingScale(double wanted, int32_t width, int32_t height, const Monitor& area);

// The start of a window of the length moved in as little as it takes to lie within the area
// (along one axis); at the area's start when it is longer than the area.
int32_t ClampIntoArea(int32_t start, int32_t length, int32_t areaStart, int32_t areaLength);

// Draws the main window, opened and hidden, at the largest scale at which it fits the work area
// it is to open on (the saved place's, when the settings keep one, else the primary monitor's),
// centred there when it had to shrink (a skin at the desktop's scale may be taller than a small
// screen), and moved in to lie within it.
void FitMainWindowToScreen();

// Draws the calculator again at the scale of the monitor its window moved to: the skin, the
// two displays at their items' new sizes, and, when the pointer is over the window (dragging
// it), the window placed so that the point under the pointer stays under it; else its corner
// stays. Keeps the old scale when the skin cannot be drawn at the new one; takes a smaller one
// when the window would not fit the monitor's work area (FittingScale).
void ChangeDisplayScale(double scale);

// The skin's name as messages quote it: a name of megabytes took a message box a minute and a
// gigabyte to lay out, so a long one is cut, with an ellipsis to show it was.
std::u16string QuotedSkinName(std::u16string_view name);

// Shows the main window in the skin, in the place it stands, with the line, the history, the
// angle mode and the caret as they were, and keeps the choice in the settings. A skin that
// cannot be opened costs nothing: the message says so, and the shipped skin takes its place
// (the current one stays when even that fails). The skin shown already does nothing.
void ChooseSkin(const std::u16string& name);

// The About window: the version, the licence, and how answers are computed.
void ShowAbout();

// Keeps the main window above the others, or no longer, and the setting with it.
void ToggleAlwaysOnTop();
