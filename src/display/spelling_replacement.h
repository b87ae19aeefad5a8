// Rewriting typed spellings into their display forms while the user edits: "*" becomes the
// language's multiplication glyph, "sqrt(" its root sign, "SIN(" the table's "sin(".
#pragma once
#include <cstdint>
#include <string>

// Replaces every complete occurrence of each entry's typed spelling (letter case ignored), in
// the table's sortKey order, by its shown text, or by the table's own typed spelling when
// shown is empty. An occurrence must stand at word boundaries; unless finalPass is set, one that
// holds the caret strictly inside, or that ends the text with the caret at the end while it
// may still grow, is left alone, and so is a power with a superscript form right after another
// power ("2³^2" stays so, never "2³²"). The caret and anchor move with the text: one inside or right
// after a rewritten occurrence lands right after its replacement.
void RewriteSpellings(std::u16string& text, int32_t& caret, int32_t& anchor, bool finalPass);

// RewriteSpellings on the expression line; the caller redraws.
void ApplySpellings(bool finalPass);
