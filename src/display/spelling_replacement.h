// SPDX-License-Identifier: GPL-3.0-or-later
// Rewriting typed spellings into their display forms while the user edits: "*" becomes the
// language's multiplication glyph, "sqrt(" its root sign, "SIN(" the table's "sin(".
#pragma once
#include <cstdint>
#include <string>

// How a rewrite treats the name being typed. While typing, a name that holds the caret, or that
// ends the text with the caret at the end, may still grow and is left alone; the final pass,
// before a calculation or after a key that completes a name, rewrites every complete one.
enum class SpellingPass : uint8_t { kWhileTyping, kFinal };

// Replaces every complete occurrence of each entry's typed spelling (letter case ignored), in
// the table's sortKey order, by its shown text, or by the table's own typed spelling when
// shown is empty. An occurrence must stand at word boundaries; while typing (see SpellingPass),
// one that holds the caret strictly inside, or that ends the text with the caret at the end
// while it may still grow, is left alone, and so is a power with a superscript form right after
// another power ("2³^2" stays so, never "2³²"). The caret and anchor move with the text: one inside
// or right after a rewritten occurrence lands right after its replacement.
void RewriteSpellings(std::u16string& text, int32_t& caret, int32_t& anchor, SpellingPass pass);
