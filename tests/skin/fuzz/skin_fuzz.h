// SPDX-License-Identifier: GPL-3.0-or-later
// How a skin fuzz input holds the nine files of a skin folder: their bytes one after the other,
// in the folder's file order, with kSkinPartSeparator between two files. An empty part, or
// one past the last, is a missing file.
#pragma once
#include <array>
#include <string_view>

inline constexpr std::string_view kSkinPartSeparator = "--TVSKIN--";

inline constexpr std::array<const char*, 9> kSkinPartFiles = {
    "Normal.png", "Hot.png",      "Selected.png",  "SelectedHot.png", "Disable.png",
    "Item.png",   "FontSize.png", "FontColor.png", "FontHotColor.png"};
