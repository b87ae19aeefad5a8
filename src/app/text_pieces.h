// SPDX-License-Identifier: GPL-3.0-or-later
// Texts made of pieces, each an interface text or a fixed text, as the shell's tables of
// spellings and menu entries write them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/text_table.h"

struct TextPiece {
  int32_t text = 0;  // interface text n, when fixed is nullptr
  const char16_t* fixed = nullptr;
};
constexpr TextPiece T(int32_t n) { return {n, nullptr}; }
constexpr TextPiece F(const char16_t* fixed) { return {0, fixed}; }

// The pieces joined without a separator; empty pieces add nothing.
template <size_t n>
std::u16string JoinPieces(const TextPiece (&pieces)[n]) {
  std::u16string text;
  for (const TextPiece& piece : pieces)
    text +=
        piece.fixed ? std::u16string_view(piece.fixed) : std::u16string_view(TextOf(piece.text));
  return text;
}
