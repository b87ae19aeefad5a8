// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/spelling_replacement.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "engine/spelling.h"
#include "platform/unicode.h"

namespace {

// Where a caret or anchor goes once an entry's occurrences are rewritten: positions are kept in
// the text as it was, and every occurrence to their left shifts them; one inside an occurrence
// (or right at its end) is pinned right after the replacement.
struct Follower {
  int64_t original;
  int64_t shift = 0;
  int64_t pinned = -1;
  void Pass(int64_t start, int64_t end, int64_t replacedEnd, int64_t delta) {
    if (pinned >= 0 || original <= start) return;
    if (original <= end)
      pinned = replacedEnd;
    else
      shift += delta;
  }
  int32_t Result() const { return static_cast<int32_t>(pinned >= 0 ? pinned : original + shift); }
};

// The code units present in the lowered text, so that an entry whose first unit is absent
// costs nothing even on a very long text.
using PresentUnits = std::vector<bool>;

void NotePresent(PresentUnits& present, std::u16string_view units) {
  for (char16_t unit : units) present[unit] = true;
}

// The spellings of the powers that have a superscript form ("^2" shown "²"), typed and shown.
// A power right after another would read as one exponent ("2³²" for 2^3^2): such a power is
// left as typed ("2³^2"), whichever of the two the table rewrites first.
struct Powers {
  std::vector<std::u16string> typedLower, shown;
};

bool IsSuperscriptPower(const SpellingEntry& entry) {
  return entry.canonical.size() > 1 && entry.canonical.front() == u'^' && !entry.shown.empty();
}

Powers CollectPowers() {
  Powers powers;
  for (const SpellingEntry& entry : spellingTable) {
    if (!IsSuperscriptPower(entry)) continue;
    powers.typedLower.push_back(LowerCaseText(entry.typed));
    powers.shown.push_back(entry.shown);
  }
  return powers;
}

bool EndsWithAny(std::u16string_view text, const std::vector<std::u16string>& endings) {
  for (const std::u16string& ending : endings)
    if (!ending.empty() && text.ends_with(ending)) return true;
  return false;
}

// One entry's pass over the text. The text is rebuilt once, not once per occurrence: what
// follows a replacement is still the original text, so the search simply goes on in it, and
// only the character just before an occurrence may come from the replacement before it.
void RewriteEntry(const SpellingEntry& entry, const Powers& powers, std::u16string& text,
                  std::u16string& lower, PresentUnits& present, int32_t& caret, int32_t& anchor,
                  bool finalPass) {
  const size_t length = entry.typed.size();
  if (length == 0) return;
  const std::u16string typedLower = LowerCaseText(entry.typed);
  if (!present[typedLower.front()]) return;
  size_t start = lower.find(typedLower);
  if (start == std::u16string::npos) return;

  const bool moves = !entry.shown.empty();
  const std::u16string& replacement = moves ? entry.shown : entry.typed;
  const std::u16string replacementLower = LowerCaseText(replacement);
  const int32_t firstClass = CharClass(entry.typed.front());
  const int32_t lastClass = CharClass(entry.typed.back());
  const int64_t delta = int64_t(replacement.size()) - int64_t(length);
  const size_t size = text.size();
  const bool caretAtEnd = size_t(caret) >= size;
  const bool isPower = IsSuperscriptPower(entry);

  std::u16string out, outLower;
  size_t copied = 0;  // the original text before this index is in out already
  Follower caretFollower{caret}, anchorFollower{anchor};
  for (; start != std::u16string::npos; start = lower.find(typedLower, start + 1)) {
    const size_t end = start + length;
    if (!finalPass && int64_t(start) < caret && caret < int64_t(end)) continue;
    int32_t before =
        start == 0 ? -1 : CharClass(start == copied && !out.empty() ? out.back() : text[start - 1]);
    int32_t after = end >= size ? -1 : CharClass(text[end]);
    bool endHolds = (after == -1 && (finalPass || !caretAtEnd)) || lastClass == 3 || after == 0 ||
                    lastClass == 0 || (lastClass == 1 && after != 1 && after != -1) ||
                    (lastClass == 2 && after != 2 && after != -1);
    bool startHolds = before == -1 || before == 3 || before == 0 || firstClass == 0 ||
                      (firstClass == 1 && before != 1) || (firstClass == 2 && before != 2);
    if (!endHolds || !startHolds) continue;
    if (isPower) {
      const std::u16string_view shownBefore = start == copied && !out.empty()
                                                  ? std::u16string_view(out)
                                                  : std::u16string_view(text).substr(0, start);
      if (EndsWithAny(shownBefore, powers.shown) ||
          EndsWithAny(std::u16string_view(lower).substr(0, start), powers.typedLower))
        continue;
    }

    if (out.empty()) {
      out.reserve(size + 64);
      outLower.reserve(out.capacity());
    }
    out.append(text, copied, start - copied);
    outLower.append(lower, copied, start - copied);
    out += replacement;
    outLower += replacementLower;
    copied = end;
    if (moves) {
      caretFollower.Pass(int64_t(start), int64_t(end), int64_t(out.size()), delta);
      anchorFollower.Pass(int64_t(start), int64_t(end), int64_t(out.size()), delta);
    }
    start = end - 1;  // the search goes on right after the replacement
  }
  if (copied == 0 && out.empty()) return;
  out.append(text, copied);
  outLower.append(lower, copied);
  text = std::move(out);
  lower = std::move(outLower);
  NotePresent(present, replacementLower);
  caret = caretFollower.Result();
  anchor = anchorFollower.Result();
}

// An "x" between two numbers is the times sign: shown as the sign once the number after it is
// there ("2x3" shows 2×3; "2x" keeps the memory letter).
void ShowTimesLetters(std::u16string& text, int32_t& caret, int32_t& anchor) {
  if (text.find_first_of(u"xX") == std::u16string::npos) return;
  std::u16string_view times;
  for (const SpellingEntry& entry : spellingTable)
    if (entry.canonical == u"*" && !entry.shown.empty()) times = entry.shown;
  if (times.empty()) return;
  std::u16string out;
  const int32_t originalCaret = caret, originalAnchor = anchor;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!IsTimesLetter(text, i)) {
      out += text[i];
      continue;
    }
    const auto grown = static_cast<int32_t>(times.size()) - 1;
    if (originalCaret > static_cast<int32_t>(i)) caret += grown;
    if (originalAnchor > static_cast<int32_t>(i)) anchor += grown;
    out += times;
  }
  text = std::move(out);
}

}  // namespace

void RewriteSpellings(std::u16string& text, int32_t& caret, int32_t& anchor, SpellingPass pass) {
  const bool finalPass = pass == SpellingPass::kFinal;
  UseSortKeyOrder();
  std::u16string lower = LowerCaseText(text);
  PresentUnits present(0x10000, false);
  NotePresent(present, lower);
  const Powers powers = CollectPowers();
  for (const SpellingEntry& entry : spellingTable)
    RewriteEntry(entry, powers, text, lower, present, caret, anchor, finalPass);
  ShowTimesLetters(text, caret, anchor);
}
