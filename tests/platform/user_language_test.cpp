// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/unicode.h"
#include "platform/user_language.h"

namespace {

#ifndef _WIN32
TEST(UserLanguage, TheFirstLocaleVariableSetAndNotEmptyNamesIt) {
  const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
  struct Case {
    const char* values[3];  // nullptr: unset
    const char16_t* expected;
  } cases[] = {
      {{"de_DE.UTF-8", "fr_FR.UTF-8", "en_US.UTF-8"}, u"de_DE.UTF-8"},
      {{nullptr, "pt_BR.UTF-8", "en_US.UTF-8"}, u"pt_BR.UTF-8"},
      {{"", "", "ru_RU.UTF-8"}, u"ru_RU.UTF-8"},
      {{nullptr, nullptr, "C"}, u"C"},
      {{nullptr, nullptr, nullptr}, u""},
  };
  auto set = [&names](const char* const values[3]) {
    for (int i = 0; i < 3; ++i) values[i] ? setenv(names[i], values[i], 1) : unsetenv(names[i]);
  };
  // Put back afterwards: fontconfig reads them too, when it picks fonts for the other tests.
  std::string saved[3];
  const char* restore[3];
  for (int i = 0; i < 3; ++i) {
    const char* value = std::getenv(names[i]);
    saved[i] = value ? value : "";
    restore[i] = value ? saved[i].c_str() : nullptr;
  }
  for (const Case& c : cases) {
    set(c.values);
    EXPECT_EQ(SystemUserLanguageTag(), c.expected) << Utf16ToUtf8(c.expected);
  }
  set(restore);
}
#endif

}  // namespace
