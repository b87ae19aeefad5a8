// SPDX-License-Identifier: GPL-3.0-or-later
// A Windows file's version resource against the project's version and publisher, as the
// Explorer shows them in the file's properties: the numeric file and product versions, and the
// texts ProductName, ProductVersion, FileVersion, CompanyName and LegalCopyright (the licence).
//   test_version_info <file> <version, as 1.0.0> <publisher>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

int failures = 0;
void Check(bool condition, const std::string& what) {
  if (!condition) {
    std::printf("FAIL %s\n", what.c_str());
    ++failures;
  }
}

std::string Utf8Of(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(size_t(size > 0 ? size - 1 : 0), '\0');
  if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fputs("usage: test_version_info <file> <version> <publisher>\n", stderr);
    return 2;
  }
  const std::string file = Utf8Of(argv[1]), version = Utf8Of(argv[2]), publisher = Utf8Of(argv[3]);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
  std::vector<BYTE> info(size);
  if (size == 0 || !GetFileVersionInfoW(argv[1], 0, size, info.data())) {
    std::printf("FAIL %s has no version resource\n", file.c_str());
    return 1;
  }
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
    auto dotted = [](DWORD high, DWORD low) {
      return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." + std::to_string(HIWORD(low));
    };
    const std::string fileVersion = dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS),
                      productVersion = dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    Check(fileVersion == version, file + ": file version " + fileVersion);
    Check(productVersion == version, file + ": product version " + productVersion);
  } else {
    Check(false, file + ": no fixed version");
  }
  // The texts of the first language the resource lists.
  struct Translation {
    WORD language, codePage;
  }* translations = nullptr;
  if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation)) {
    std::printf("FAIL %s: no translation listed\n", file.c_str());
    return 1;
  }
  wchar_t block[64];
  std::swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\", translations->language, translations->codePage);
  const struct {
    const wchar_t* name;
    std::string expected;
  } texts[] = {{L"ProductName", "Tornavelle"},
               {L"ProductVersion", version},
               {L"FileVersion", version},
               {L"CompanyName", publisher},
               {L"LegalCopyright", "Copyright 2026 " + publisher + ". License: GPL-3.0-or-later"}};
  for (const auto& text : texts) {
    wchar_t* value = nullptr;
    const std::wstring path = std::wstring(block) + text.name;
    const bool found = VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) && value;
    const std::string got = found ? Utf8Of(value) : "(none)";
    Check(got == text.expected, file + ": " + Utf8Of(text.name) + " is \"" + got + "\", not \"" + text.expected + "\"");
  }
  std::printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
  return failures ? 1 : 0;
}
