#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/unicode.h"
#include "platform/user_language.h"

namespace {

#ifdef _WIN32
TEST(UserLanguage, TheSystemNamesTheInterfaceLanguageAsATag) {
  std::u16string tag = SystemUserLanguageTag();
  ASSERT_GE(tag.size(), 2u);
  EXPECT_TRUE(tag[0] >= u'a' && tag[0] <= u'z') << Utf16ToUtf8(tag);
}
#else
// Sets the three variables for the test's life, then puts back what the process had.
class LocaleVariables {
 public:
  LocaleVariables() {
    for (int i = 0; i < 3; ++i)
      if (const char* value = std::getenv(kNames[i])) saved_[i] = value;
  }
  ~LocaleVariables() {
    for (int i = 0; i < 3; ++i) Set(kNames[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  static void Set(const char* name, const char* value) {
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  static constexpr const char* kNames[3] = {"LC_ALL", "LC_MESSAGES", "LANG"};

 private:
  std::optional<std::string> saved_[3];
};

TEST(UserLanguage, TheFirstLocaleVariableSetAndNotEmptyNamesIt) {
  LocaleVariables keep;
  struct Case {
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    const char16_t* expected;
  } cases[] = {
      {"de_DE.UTF-8", "fr_FR.UTF-8", "en_US.UTF-8", u"de_DE.UTF-8"},
      {nullptr, "pt_BR.UTF-8", "en_US.UTF-8", u"pt_BR.UTF-8"},
      {"", "", "ru_RU.UTF-8", u"ru_RU.UTF-8"},
      {nullptr, nullptr, "C", u"C"},
      {nullptr, nullptr, nullptr, u""},
  };
  for (const Case& c : cases) {
    LocaleVariables::Set("LC_ALL", c.lcAll);
    LocaleVariables::Set("LC_MESSAGES", c.lcMessages);
    LocaleVariables::Set("LANG", c.lang);
    EXPECT_EQ(SystemUserLanguageTag(), c.expected) << Utf16ToUtf8(c.expected);
  }
}
#endif

}  // namespace
