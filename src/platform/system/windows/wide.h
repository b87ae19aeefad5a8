// SPDX-License-Identifier: GPL-3.0-or-later
// The edge between the program's UTF-8 and UTF-16 texts and the wide-character Windows calls,
// shared by the Windows file layer, text and backend.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/unicode.h"

// wchar_t is UTF-16 on Windows, so the program's own texts pass through unchanged.
inline std::wstring WideText(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

inline std::u16string ProgramText(std::wstring_view text) {
  return std::u16string(text.begin(), text.end());
}

// A UTF-8 path as the wide calls take it (already in the system's form: see NativePath).
inline std::wstring WidePath(std::string_view utf8) { return WideText(Utf8ToUtf16(utf8)); }

inline std::string Utf8Path(std::wstring_view wide) { return Utf16ToUtf8(ProgramText(wide)); }
