// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/calculation_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/expression_tree.h"
#include "engine/spelling.h"
#include "platform/numbers.h"
#include "platform/unicode.h"

double memories[kMemoryCount] = {};

namespace {

// The exact value stored with each memory, and the double it was stored with: a memory set
// otherwise (from the settings file) no longer matches it.
struct ExactMemory {
  double value = 0;
  std::u16string text;
};
ExactMemory exactMemories[kMemoryCount];

}  // namespace

void ResetMemories() {
  std::fill(std::begin(memories), std::end(memories), 0.0);
  std::fill(std::begin(exactMemories), std::end(exactMemories), ExactMemory{});
}

void StoreMemory(int32_t place, double value, std::u16string exactValue) {
  if (place < 0 || place >= kMemoryCount) return;
  memories[place] = value;
  exactMemories[place] = {value, std::move(exactValue)};
}

int32_t FindStoreTarget(std::u16string_view displayText, std::u16string_view arrow,
                        std::u16string_view* calculation) {
  const size_t at = arrow.empty() ? std::u16string_view::npos : displayText.find(arrow);
  if (at == std::u16string_view::npos) return 0;
  std::u16string_view target = displayText.substr(at + arrow.size());
  while (!target.empty() && target.front() == u' ') target.remove_prefix(1);
  while (!target.empty() && target.back() == u' ') target.remove_suffix(1);
  const std::u16string_view before = displayText.substr(0, at);
  if (target.size() != 1 || before.find_first_not_of(u' ') == std::u16string_view::npos) return -1;
  const int32_t place = LowerCaseUnit(target.front()) - u'a' + 1;
  if (!IsMemoryPlace(place)) return -1;
  *calculation = before;
  return place;
}

namespace {

constexpr char16_t kPi = u'\u03C0';

// What one spelling entry looks for, how, and what goes in its place.
struct Substitution {
  std::u16string spelling;
  bool ignoreCase = false;
  std::u16string needle;  // what is searched for: the spelling, lower-cased when case is ignored
  std::u16string replacement;
  std::u16string replacementLowered;
  bool isTemplate = false;  // the replacement holds argument slots "$1", "$2"...
  bool isValue = false;     // the replacement is a number or a constant
  bool opensValue = false;  // a value or a function call starts with the replacement
  bool isPostfix = false;   // the replacement ends what comes before it: "!", "%", "^2"...
};

// A fixed power ("^2", "^-1"), a factorial or a percentage: an operator after its operand.
bool IsPostfixCanonical(std::u16string_view canonical) {
  return canonical == u"!" || canonical == u"%" ||
         (canonical.size() > 1 && canonical.front() == u'^');
}

// A canonical text of letters and digits only ("pi", "e") names a constant.
bool NamesConstant(std::u16string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) {
    return CharClass(c) == 1 || CharClass(c) == 2;
  });
}

// A value as the calculation gets it: a negative one in parentheses, so that a sign before it
// negates it ("−rép" with rép = −5 is 5, where "--5" is no number) and an operator before it
// takes it whole.
std::u16string ValueText(std::u16string_view number) {
  if (number.empty() || number.front() != u'-') return std::u16string(number);
  return u"(" + std::u16string(number) + u")";
}

// A memory's value for the evaluator: the exact one stored with it while it holds that double.
std::u16string MemoryText(int32_t place) {
  const ExactMemory& exact = exactMemories[place];
  if (!exact.text.empty() && std::memcmp(&exact.value, &memories[place], sizeof(double)) == 0)
    return exact.text;
  return PlainDecimalText(memories[place]);
}

Substitution ChooseSubstitution(const SpellingEntry& entry, std::u16string_view answerWord,
                                std::u16string_view previousAnswer) {
  Substitution s;
  if (!entry.canonical.empty()) {
    // A glyph of its own is matched exactly; a name shown as typed, in any letter case.
    s.ignoreCase = entry.shown.empty();
    s.spelling = s.ignoreCase ? entry.typed : entry.shown;
    s.replacement = entry.canonical;
    s.isTemplate = entry.canonical.find(u'$') != std::u16string::npos;
    s.isValue = !s.isTemplate && NamesConstant(entry.canonical);
    // A function name ("sqr(", "sin(") would otherwise join a number before it into another
    // function's code: "1sqr(4)" reads as the function numbered 11.
    s.opensValue = !s.isTemplate && CharClass(entry.canonical.front()) == 2;
    s.isPostfix = IsPostfixCanonical(entry.canonical);
  } else if (!entry.shown.empty()) {  // the answer word stands for the previous answer
    s.ignoreCase = true;
    s.spelling = entry.shown;
    s.isValue = entry.shown == answerWord;
    s.replacement = s.isValue ? ValueText(previousAnswer) : entry.shown;
    s.opensValue = s.isValue;
  } else {  // a memory letter stands for its value
    s.ignoreCase = true;
    s.spelling = entry.typed;
    s.isValue = entry.typed >= u"a" && entry.typed <= u"z";
    s.replacement = s.isValue ? ValueText(MemoryText(entry.typed[0] - 96)) : entry.typed;
    s.opensValue = s.isValue;
  }
  s.needle = s.ignoreCase ? LowerCaseText(s.spelling) : s.spelling;
  s.replacementLowered = LowerCaseText(s.replacement);
  return s;
}

// The first unit an entry's search looks for, before its substitution is worked out (a memory's
// number text costs a formatting): the shown text when there is one, matched exactly only when
// it has a canonical text too; otherwise the typed one. -1 for an entry that looks for nothing.
int32_t FirstSearchedUnit(const SpellingEntry& entry) {
  const std::u16string& spelling = entry.shown.empty() ? entry.typed : entry.shown;
  if (spelling.empty()) return -1;
  const bool ignoreCase = entry.canonical.empty() || entry.shown.empty();
  return ignoreCase ? LowerCaseUnit(spelling.front()) : spelling.front();
}

// Both sides are numbers, or both words: the spelling would be part of a longer one.
bool Continues(int32_t spellingClass, int32_t neighbourClass) {
  return (spellingClass == 1 || spellingClass == 2) && spellingClass == neighbourClass;
}

// An occurrence is taken only where it neither continues the number or word before or after it,
// nor opens a parenthesis right after a number or a word.
bool BoundariesHold(std::u16string_view spelling, int32_t before, int32_t after) {
  const int32_t first = CharClass(spelling.front());
  if (Continues(CharClass(spelling.back()), after) || Continues(first, before)) return false;
  return !(first == 3 && (before == 1 || before == 2));
}

// Where a value or a function call meets these, a "*" keeps the two apart: a number never joins
// digits, and a parenthesis or a name next to a value means a product. A letter still in the text
// belongs to a memory, the answer word or the constant e, all values (or to a word no entry
// knows, which the evaluator refuses either way); one right before a spelling that begins with a
// letter never gets here, the word boundary refuses that occurrence first. A postfix operator
// ends a value too, whether its entry has had its turn yet or not: postfixEnds holds the last
// units of its spellings.
bool EndsValue(char16_t c, std::u16string_view postfixEnds) {
  return CharClass(c) == 1 || CharClass(c) == 2 || c == u')' || c == kPi ||
         postfixEnds.find(c) != std::u16string_view::npos;
}
bool StartsValue(char16_t c) {
  return CharClass(c) == 1 || CharClass(c) == 2 || c == u'(' || c == kPi;
}

// The nearest character before end that is not a space, looking through text[from, end) and then
// through earlier (what precedes from); 0 when there is none.
char16_t NearestBefore(std::u16string_view earlier, std::u16string_view text, size_t from,
                       size_t end) {
  for (size_t i = end; i > from; --i)
    if (text[i - 1] != u' ') return text[i - 1];
  for (size_t i = earlier.size(); i > 0; --i)
    if (earlier[i - 1] != u' ') return earlier[i - 1];
  return 0;
}

char16_t NearestAfter(std::u16string_view text, size_t from) {
  for (size_t i = from; i < text.size(); ++i)
    if (text[i] != u' ') return text[i];
  return 0;
}

// The calculation text between two entries, with its lower-cased copy for the spellings matched
// in any letter case, kept in step with it: lower-casing is unit by unit, so the copy of a
// replacement is the replacement lower-cased, and a long text is never lower-cased again.
struct WorkingText {
  std::u16string text;
  std::u16string lowered;
  size_t limit = 0;            // the longest text the translation may make
  bool tooLong = false;        // a replacement or an expansion would have passed limit: give up
  size_t expansionWork = 0;    // units of arguments read and templates filled, see kExpansionWork
  std::u16string postfixEnds;  // see EndsValue
  // Every unit that text or lowered may hold, so that an entry whose first unit is absent costs
  // nothing, even on a very long text. Units are added, never taken away.
  std::vector<bool> present = std::vector<bool>(0x10000, false);

  void NotePresent(std::u16string_view units) {
    for (char16_t unit : units) present[unit] = true;
  }
};

// How long the evaluator text may grow. Replacements lengthen it a little (a memory letter
// or the answer word becomes its number with every digit, a few hundred units at most), but
// templates copy their fields, rounding three times, so nested calls grow it geometrically: thirty
// nested roundings would make 3^30 copies. The evaluator takes at most 255 tokens, so a text 16
// times longer than the line plus 64 Ki units is far past anything it evaluates, unless the line
// holds numbers thousands of digits long copied dozens of times.
size_t LengthLimit(size_t displayLength) { return 16 * displayLength + 65536; }

// Expansions stay within the length limit and still cost their arguments' length each: calls that
// are never closed ("abs(abs(abs(…") each take the whole rest of the text as argument, so a few
// hundred of them read the limit a few hundred times over. The text is refused once the
// expansions have read and written this many times the limit, which a text the evaluator can
// take never nears.
constexpr size_t kExpansionWork = 4;

// What the translation gives when it gave up: more tokens than the evaluator takes, so that it
// refuses it as it refuses every text that long.
std::u16string RefusedText() {
  std::u16string text = u"1";
  for (int i = 0; i <= NodePool::kMaxTokens / 2; ++i) text += u"+1";
  return text;
}

// Replaces every occurrence that keeps its boundaries, left to right, in one pass that copies the
// text once. A refused occurrence is passed over from its second character on; the search goes on
// after an inserted text, never inside it.
void ReplaceOccurrences(WorkingText& w, const Substitution& s) {
  const std::u16string& text = w.text;
  const std::u16string& haystack = s.ignoreCase ? w.lowered : w.text;
  const std::u16string& needle = s.needle;
  std::u16string out, outLowered;
  size_t copied = 0;  // text before this is in out
  bool replaced = false;
  for (size_t from = 0, found; (found = haystack.find(needle, from)) != std::u16string::npos;) {
    const size_t end = found + needle.size();
    // The character before is the one the text holds now, which an earlier replacement may have
    // put.
    int32_t before = -1;
    if (found > copied)
      before = CharClass(text[found - 1]);
    else if (!out.empty())
      before = CharClass(out.back());
    if (!BoundariesHold(s.spelling, before, CharClassAt(text, static_cast<int64_t>(end)))) {
      from = found + 1;
      continue;
    }
    if (!replaced) {
      out.reserve(text.size() + s.replacement.size() + 2);
      outLowered.reserve(out.capacity());
    }
    replaced = true;
    const bool starBefore =
        s.opensValue && EndsValue(NearestBefore(out, text, copied, found), w.postfixEnds);
    // A number right after a fixed power is a factor of its own: 3²2 is 3²×2, not 3^22.
    const char16_t next = NearestAfter(text, end);
    const bool starAfter =
        (s.isValue && StartsValue(next)) || (s.isPostfix && CharClass(next) == 1);
    out.append(text, copied, found - copied);
    outLowered.append(w.lowered, copied, found - copied);
    if (starBefore) {
      out += u'*';
      outLowered += u'*';
    }
    out += s.replacement;
    outLowered += s.replacementLowered;
    if (starAfter) {
      out += u'*';
      outLowered += u'*';
    }
    copied = from = end;
    if (out.size() + (text.size() - copied) > w.limit) {
      w.tooLong = true;
      return;
    }
  }
  if (!replaced) return;
  out.append(text, copied);
  outLowered.append(w.lowered, copied);
  w.text = std::move(out);
  w.lowered = std::move(outLowered);
  w.NotePresent(s.replacement);
  w.NotePresent(s.replacementLowered);
  w.NotePresent(u"*");
}

// The argument's fields, split at the commas that are not inside its own parentheses.
std::vector<std::u16string_view> SplitFields(std::u16string_view argument) {
  std::vector<std::u16string_view> fields;
  int64_t depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < argument.size(); ++i) {
    if (argument[i] == u'(') ++depth;
    if (argument[i] == u')') --depth;
    if (argument[i] == u',' && depth <= 0) {
      fields.push_back(argument.substr(start, i - start));
      start = i + 1;
    }
  }
  fields.push_back(argument.substr(start));
  return fields;
}

// What fills a slot: the field in parentheses, so that it keeps its own priorities inside the
// template ("$1*Pi/180" with 90+90 is the whole sum in degrees). A field of spaces or nothing is
// left as it is: enclosing it would turn a missing operand into "()".
std::u16string SlotText(std::u16string_view field) {
  if (field.find_first_not_of(u' ') == std::u16string_view::npos) return std::u16string(field);
  std::u16string enclosed;
  enclosed.reserve(field.size() + 2);
  enclosed += u'(';
  enclosed += field;
  enclosed += u')';
  return enclosed;
}

// Fills the slots of a template: each slot n in turn, in the text as the slots before it left it,
// every "$n" at once, so that a field holding "$1" is not filled again. A missing field is empty.
// Returns false, as soon as it knows, when the filled text would be longer than room.
bool FillTemplate(std::u16string_view canonical, const std::vector<std::u16string_view>& fields,
                  size_t room, std::u16string& t) {
  t = canonical;
  for (size_t n = 1;; ++n) {
    const std::u16string slot = u"$" + FormatFixed(static_cast<double>(n), 0);
    size_t found = t.find(slot);
    if (found == std::u16string::npos) return t.size() <= room;
    const std::u16string field =
        SlotText(n <= fields.size() ? fields[n - 1] : std::u16string_view());
    std::u16string filled;
    size_t copied = 0;
    for (; found != std::u16string::npos; found = t.find(slot, copied)) {
      filled.append(t, copied, found - copied);
      filled += field;
      copied = found + slot.size();
      if (filled.size() > room) return false;
    }
    filled.append(t, copied);
    t = std::move(filled);
  }
}

// Expands every occurrence of a spelling with a template: the spelling and its argument, up to the
// ")" that closes it or the end of the text, become "(" and the filled template, and that ")"
// closes the template, so it keeps its own priorities. The last occurrence goes first, so a call
// inside another's argument is expanded before the argument is read.
void ExpandTemplates(WorkingText& w, const Substitution& s) {
  const std::u16string& text = w.text;
  const std::u16string& haystack = s.ignoreCase ? w.lowered : w.text;
  const std::u16string& needle = s.needle;
  std::vector<size_t> starts;
  for (size_t from = 0, found; (found = haystack.find(needle, from)) != std::u16string::npos;) {
    const size_t end = found + needle.size();
    if (BoundariesHold(s.spelling, CharClassAt(text, static_cast<int64_t>(found) - 1),
                       CharClassAt(text, static_cast<int64_t>(end)))) {
      starts.push_back(found);
      from = end;
    } else {
      from = found + 1;
    }
  }
  if (starts.empty()) return;

  // The text from the occurrence being expanded to the end, already expanded, held back to front
  // so that putting an expansion in front of it costs the expansion's length, not the text's;
  // and its lower-cased copy, made the same way.
  std::u16string tail, tailLowered;
  size_t tailStart = text.size();
  for (auto at = starts.rbegin(); at != starts.rend(); ++at) {
    const auto back = static_cast<std::ptrdiff_t>(text.size() - tailStart);
    const auto atBack = static_cast<std::ptrdiff_t>(text.size() - *at);
    tail.append(text.rbegin() + back, text.rbegin() + atBack);
    tailLowered.append(w.lowered.rbegin() + back, w.lowered.rbegin() + atBack);
    tailStart = *at;
    tail.resize(tail.size() - needle.size());
    tailLowered.resize(tail.size());
    size_t argumentEnd =
        tail.size();  // counted from the back: the argument is tail[argumentEnd, size)
    for (int64_t depth = 0; argumentEnd > 0; --argumentEnd) {
      const char16_t c = tail[argumentEnd - 1];
      if (c == u'(') ++depth;
      if (c == u')' && --depth < 0) break;
    }
    const std::u16string argument(
        tail.rbegin(), tail.rbegin() + static_cast<std::ptrdiff_t>(tail.size() - argumentEnd));
    tail.resize(argumentEnd);
    tailLowered.resize(argumentEnd);
    std::u16string expansion =
        EndsValue(NearestBefore({}, text, 0, *at), w.postfixEnds) ? u"*(" : u"(";
    std::u16string filled;
    const size_t kept = tailStart + tail.size() + expansion.size();
    w.expansionWork += argument.size();
    if (w.expansionWork > kExpansionWork * w.limit ||
        !FillTemplate(s.replacement, SplitFields(argument), kept < w.limit ? w.limit - kept : 0,
                      filled)) {
      w.tooLong = true;
      return;
    }
    w.expansionWork += filled.size();
    expansion += filled;
    tail.append(expansion.rbegin(), expansion.rend());
    const std::u16string expansionLowered = LowerCaseText(expansion);
    tailLowered.append(expansionLowered.rbegin(), expansionLowered.rend());
  }
  std::u16string out = text.substr(0, tailStart), outLowered = w.lowered.substr(0, tailStart);
  out.append(tail.rbegin(), tail.rend());
  outLowered.append(tailLowered.rbegin(), tailLowered.rend());
  w.text = std::move(out);
  w.lowered = std::move(outLowered);
  // The fields come from the text; only the template's own units and the "*(" may be new.
  w.NotePresent(s.replacement);
  w.NotePresent(s.replacementLowered);
  w.NotePresent(u"*(");
}

// The last units of the postfix operators' spellings (a fixed power such as "^2", "!", "%"), as
// shown or typed and as given to the evaluator: 3²π is 3² times π whichever entry goes first.
std::u16string PostfixEnds() {
  std::u16string ends;
  for (const SpellingEntry& entry : spellingTable) {
    const std::u16string& canonical = entry.canonical;
    if (!IsPostfixCanonical(canonical)) continue;
    const std::u16string& spelling = entry.shown.empty() ? entry.typed : entry.shown;
    ends += canonical.back();
    if (!spelling.empty()) ends += spelling.back();
  }
  return ends;
}

// Where a number or a parenthesis meets a parenthesis, the user wrote a product: 2(3),
// (1+2)(3+4), (2)3. So it is after a postfix operator: 5!2 is 5!×2 and 10%3 is 10 % of 3, where
// the evaluator would otherwise take the number for the operator's dummy operand. Spaces between
// them do not count.
std::u16string WithImpliedProducts(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + 8);
  char16_t before = 0;  // the nearest unit so far that is not a space
  for (char16_t c : text) {
    const bool endsValue = before == u')' || before == u'!' || before == u'%';
    if ((c == u'(' && (CharClass(before) == 1 || endsValue)) || (CharClass(c) == 1 && endsValue))
      out += u'*';
    out += c;
    if (c != u' ') before = c;
  }
  return out;
}

// The table's entries, the longest of the spellings they search for first, in the table's order
// among equal lengths. The table's order goes by typed length, but what is searched is often the
// glyph: a language whose square root is typed with a longer name than its n-th root would
// otherwise take the "√(" out of every "ⁿ√(".
std::vector<const SpellingEntry*> LongestSearchedFirst() {
  std::vector<const SpellingEntry*> order;
  order.reserve(spellingTable.size());
  for (const SpellingEntry& entry : spellingTable) order.push_back(&entry);
  auto searchedLength = [](const SpellingEntry* e) {
    return (e->shown.empty() ? e->typed : e->shown).size();
  };
  std::stable_sort(order.begin(), order.end(), [&](const SpellingEntry* a, const SpellingEntry* b) {
    return searchedLength(a) > searchedLength(b);
  });
  return order;
}

// A function's name without its "(", lower-cased, and the glyph the line shows for it (empty
// when the name is what the line shows).
struct FunctionName {
  std::u16string lowered;
  std::u16string glyph;
};

std::vector<FunctionName> FunctionNames() {
  std::vector<FunctionName> names;
  auto withoutParenthesis = [](const std::u16string& s) { return s.substr(0, s.size() - 1); };
  for (const SpellingEntry& entry : spellingTable) {
    if (entry.typed.size() > 1 && entry.typed.back() == u'(') {
      const bool hasGlyph = entry.shown.size() > 1 && entry.shown.back() == u'(';
      names.push_back({LowerCaseText(withoutParenthesis(entry.typed)),
                       hasGlyph ? withoutParenthesis(entry.shown) : u""});
    }
    if (entry.shown.size() > 1 && entry.shown.back() == u'(')
      names.push_back({LowerCaseText(withoutParenthesis(entry.shown)), u""});
  }
  return names;
}

// The text as the spellings expect it: an "x" between numbers is the times sign, and the blanks
// between a function's name and its "(" go ("sqrt (4)" is "sqrt(4)", which the line shows as
// "√(4)" once joined), in any language. A blank elsewhere still separates, and the evaluator
// drops it later. Gives the text and, in lowered, the same lower-cased.
std::u16string JoinedAsSpelt(std::u16string_view text, std::u16string* loweredText) {
  std::u16string out, lowered;
  out.reserve(text.size());
  lowered.reserve(text.size());
  std::vector<FunctionName> names;  // made when first needed
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = IsTimesLetter(text, i) ? u'*' : text[i];
    if (unit == u'(' && !out.empty() && out.back() == u' ') {
      if (names.empty()) names = FunctionNames();
      size_t blanks = out.size();
      while (blanks > 0 && out[blanks - 1] == u' ') --blanks;
      const std::u16string_view before = std::u16string_view(lowered).substr(0, blanks);
      for (const FunctionName& name : names) {
        const size_t start = blanks - name.lowered.size();
        // A whole name: not the end of a longer word.
        if (before.ends_with(name.lowered) &&
            !(CharClass(name.lowered.front()) == 2 &&
              CharClassAt(before, static_cast<int64_t>(start) - 1) == 2)) {
          out.resize(blanks);
          lowered.resize(blanks);
          if (!name.glyph.empty()) {
            out.replace(start, std::u16string::npos, name.glyph);
            lowered.replace(start, std::u16string::npos, LowerCaseText(name.glyph));
          }
          break;
        }
      }
    }
    out += unit;
    lowered += LowerCaseUnit(unit);
  }
  *loweredText = std::move(lowered);
  return out;
}

}  // namespace

std::u16string TranslateCalculation(std::u16string_view displayText, std::u16string_view answerWord,
                                    std::u16string_view previousAnswer) {
  UseSortKeyOrder();
  std::u16string lowered;
  std::u16string joined = JoinedAsSpelt(displayText, &lowered);
  WorkingText w{std::move(joined), std::move(lowered), LengthLimit(displayText.size()), false, 0,
                PostfixEnds()};
  w.NotePresent(w.text);
  w.NotePresent(w.lowered);
  for (const SpellingEntry* entryAt : LongestSearchedFirst()) {
    const SpellingEntry& entry = *entryAt;
    const int32_t first = FirstSearchedUnit(entry);
    if (first < 0 || !w.present[static_cast<size_t>(first)]) continue;
    const Substitution s = ChooseSubstitution(entry, answerWord, previousAnswer);
    if (s.isTemplate)
      ExpandTemplates(w, s);
    else
      ReplaceOccurrences(w, s);
    if (w.tooLong) return RefusedText();
  }
  std::u16string text = WithImpliedProducts(w.text);
  return text.size() > w.limit ? RefusedText() : text;
}
