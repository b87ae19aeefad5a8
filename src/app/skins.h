// The skins the user chooses from, the folders of Apparence, and the rest of the skin menu:
// the About window and keeping the window above the others. The shipped skin, Defaut, stands
// in for any skin that cannot be opened.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// Opens the main window, hidden and centred, from the skin the settings name (the shipped one
// when they name none). When that skin cannot be opened (no window, or no history panel or
// expression line), opens the shipped one instead, says so in one message and sets the setting
// to it. Returns false, with no main window, when the shipped one cannot be opened either.
bool OpenMainSkin();

// Gives the main window, just opened from a skin, what the skin does not say: the captions,
// the displays' frames and dragging, the angle mode's key, always on top, and the displays'
// images at their items' sizes (drawn by the caller).
void DressMainWindow();

// Draws the calculator again at the scale of the monitor its window moved to: the skin, the
// two displays at their items' new sizes, and, when the pointer is over the window (dragging
// it), the window placed so that the point under the pointer stays under it; else its corner
// stays. Keeps the old scale when the skin cannot be drawn at the new one.
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
