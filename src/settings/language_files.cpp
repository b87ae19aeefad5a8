// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/language_files.h"

#include <algorithm>
#include <climits>

#include "platform/files.h"
#include "platform/unicode.h"
#include "settings/text_table.h"

namespace {

// Larger language files are taken as missing: no real one comes near this.
constexpr size_t kMaxLanguageFileBytes = 16u << 20;

enum class TextEncoding { Utf8, Utf16LittleEndian, Windows1252 };

// What Windows-1252 gives bytes 80 to 9F; its five undefined bytes stay the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::u16string Decode(std::string_view bytes, TextEncoding encoding) {
  std::u16string text;
  switch (encoding) {
    case TextEncoding::Utf8: return Utf8ToUtf16(bytes);
    case TextEncoding::Utf16LittleEndian:
      text.reserve(bytes.size() / 2);
      for (size_t i = 0; i + 1 < bytes.size(); i += 2)  // a last odd byte is no character
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
      return text;
    case TextEncoding::Windows1252:
      text.reserve(bytes.size());
      for (char byte : bytes) {
        auto c = static_cast<unsigned char>(byte);
        text += c >= 0x80 && c < 0xA0 ? kWindows1252High[c - 0x80] : char16_t(c);
      }
      return text;
  }
  return text;
}

// Takes the first line off the text, with its end (CR LF, LF, CR or NUL). Lines are taken one
// at a time, so that a file of millions of empty lines costs no list of them.
std::u16string_view TakeLine(std::u16string_view* text) {
  size_t end = text->find_first_of(std::u16string_view(u"\r\n\0", 3));
  std::u16string_view line = text->substr(0, end);
  if (end == std::u16string_view::npos)
    *text = {};
  else
    text->remove_prefix(end + (text->substr(end).starts_with(u"\r\n") ? 2 : 1));
  return line;
}

// The file of a language in a folder, its extension matched in any case; "" when there is none.
// Asking for the shipped spelling ".Txt" finds the usual file without listing the folder.
std::string LanguageFile(std::u16string_view folder, std::u16string_view name) {
  return FindFileIgnoringExtensionCase(
      Utf16ToUtf8(std::u16string(folder) + u"\\" + std::u16string(name) + u".Txt"));
}

bool InTable(int32_t index) { return index >= 0 && static_cast<size_t>(index) < textTable.size(); }

// Reads the entry lines into the table. The base file stores every entry; a translation only
// those whose text is not empty.
void ReadEntries(std::u16string_view lines, bool base) {
  while (!lines.empty()) {
    std::u16string_view line = TakeLine(&lines);
    size_t equals = line.find(u'=');
    if (line.empty() || line[0] == u'[' || equals == std::u16string_view::npos) continue;
    int32_t index = ReadTextNumber(line.substr(0, equals));
    std::u16string text(line.substr(equals + 1));
    if (text.starts_with(u'#')) {
      int32_t reference = ReadTextNumber(std::u16string_view(text).substr(1));
      text = InTable(reference) ? textTable[static_cast<size_t>(reference)] : std::u16string();
    }
    if (text.size() > kMaxLanguageTextLength) {
      size_t kept = kMaxLanguageTextLength;
      if (text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) --kept;  // half a character
      text.resize(kept);
    }
    if (InTable(index) && (base || !text.empty())) textTable[static_cast<size_t>(index)] = text;
  }
}

// Reads the French file into the table. Returns false, with the table unchanged, when the file
// cannot be read or its count is absurd. Sets the encoding it is written in whenever it could be
// read, so that a translation in the same encoding still decodes when only the count is wrong.
bool ReadBaseLanguage(std::u16string_view folder, TextEncoding* encoding) {
  std::string bytes;
  if (!ReadFileBytes(LanguageFile(folder, kBaseLanguage), kMaxLanguageFileBytes, &bytes))
    return false;
  size_t mark = 0;
  *encoding = TextEncoding::Windows1252;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    *encoding = TextEncoding::Utf8;
    mark = 3;
  } else if (bytes.starts_with("\xFF\xFE")) {
    *encoding = TextEncoding::Utf16LittleEndian;
    mark = 2;
  }
  std::u16string text = Decode(std::string_view(bytes).substr(mark), *encoding);
  std::u16string_view lines = text;
  int32_t count = ReadTextNumber(TakeLine(&lines));
  if (count < 0 || count > kMaxLanguageTexts) return false;
  textTable.resize(static_cast<size_t>(count) + 1);
  ReadEntries(lines, true);
  return true;
}

// Reads the chosen language over the French texts, in the French file's encoding. Its own byte
// order mark is not skipped: it becomes part of its first line.
void ReadTranslation(std::u16string_view folder, std::u16string_view name, TextEncoding encoding) {
  std::string bytes;
  if (!ReadFileBytes(LanguageFile(folder, name), kMaxLanguageFileBytes, &bytes)) return;
  std::u16string text = Decode(bytes, encoding);
  ReadEntries(text, false);
}

}  // namespace

bool HasLanguageFile(std::u16string_view folder, std::u16string_view name) {
  return !LanguageFile(folder, name).empty();
}

int32_t ReadTextNumber(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int base = 10;
  if (i < text.size() && (text[i] == u'$' || text[i] == u'%')) base = text[i++] == u'$' ? 16 : 2;
  int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    char16_t c = text[i];
    int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                : c >= u'a' && c <= u'f' ? c - u'a' + 10
                : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                         : base;
    if (digit >= base) break;
    magnitude = std::min<int64_t>(magnitude * base + digit, int64_t(INT32_MAX) + 1);
  }
  return static_cast<int32_t>(std::min<int64_t>(negative ? -magnitude : magnitude, INT32_MAX));
}

bool ReadLanguageTexts(std::u16string_view folder, std::u16string_view name) {
  TextEncoding encoding = TextEncoding::Windows1252;  // when there are no French texts
  const bool base = ReadBaseLanguage(folder, &encoding);
  if (name != kBaseLanguage) ReadTranslation(folder, name, encoding);
  for (std::u16string& text : textTable) std::erase(text, u'$');
  return base;
}

std::vector<std::u16string> PeekLanguageTexts(std::u16string_view folder, std::u16string_view name,
                                              const std::vector<int32_t>& numbers) {
  TextTable kept = std::move(textTable);
  ResetTextTable();
  ReadLanguageTexts(folder, name);
  std::vector<std::u16string> texts;
  for (int32_t number : numbers) texts.push_back(TextOf(number));
  textTable = std::move(kept);
  return texts;
}
