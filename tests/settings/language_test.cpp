#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "../support/temp_folder.h"
#include "platform/offscreen/offscreen.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/text_table.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::u16string>;

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

// Each test starts from the start-up state in a folder of its own.
class LanguageTest : public ::testing::Test {
 protected:
  LanguageTest() {
    ResetTextTable();
    languageName.clear();
    ResetOffscreen();
  }
  ~LanguageTest() override { ResetOffscreen(); }
  TempWorkingFolder folder;
};

void PutLanguage(const std::string& fileName, const std::string& bytes) {
  PutFile("Lng-Tornavelle/" + fileName, bytes);
}

void PutChoice(const std::string& name) {
  PutFile("Langue.lng", std::string(kUtf8Mark) + "\r\nDefaut = " + name + "\r\n");
}

// A UTF-8 French file of four texts, then the given lines.
void PutFrench(const std::string& lines = "") {
  PutLanguage("Francais.Txt", std::string(kUtf8Mark) + "4\r\n1=un\r\n2=deux\r\n3=trois\r\n" + lines);
}

// Loads with the given translation lines (UTF-8, after a section line) over PutFrench.
Texts LoadTranslated(const std::string& frenchLines, const std::string& translationLines) {
  PutFrench(frenchLines);
  PutLanguage("English.Txt", std::string(kUtf8Mark) + "[English]\r\n" + translationLines);
  PutChoice("English");
  EXPECT_TRUE(LoadLanguage());
  return textTable;
}

std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// ---- Integers ----

TEST(TextNumbers, ReadLikeTheLanguageFilesWriteThem) {
  struct Case { std::u16string text; int32_t value; } cases[] = {
      {u"12", 12},       {u" \t12", 12},     {u"-5", -5},        {u"+7", 7},
      {u"$1F", 31},      {u"$ff", 255},      {u"%101", 5},       {u"-$10", -16},
      {u"12abc", 12},    {u"1 2", 1},        {u"abc", 0},        {u"", 0},
      {u"$", 0},         {u"%2", 0},         {u"$g", 0},         {u"\n5", 0},
      {u"007", 7},       {u"$-1", 0},        {u"\uFEFF1", 0},    // a byte order mark is no digit
      {u"2147483647", INT32_MAX},            {u"2147483648", INT32_MAX},
      {u"-2147483648", INT32_MIN},           {u"-99999999999999", INT32_MIN},
      {u"$FFFFFFFF", INT32_MAX},             {u"%" + std::u16string(40, u'1'), INT32_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadTextNumber(c.text), c.value) << Utf16ToUtf8(c.text);
}

// ---- Encodings ----

TEST_F(LanguageTest, TheFrenchFileSetsTheEncoding) {
  struct Case { const char* name; std::string bytes; std::u16string text1; } cases[] = {
      {"utf-8 after its mark", std::string(kUtf8Mark) + "1\r\n1=\xCF\x80\xE2\x88\x9A", u"π√"},
      {"utf-16 little-endian after its mark", "\xFF\xFE" + Utf16Le(u"1\r\n1=π√"), u"π√"},
      {"windows-1252 without a mark", "1\r\n1=\xE9\x80\x85\x9F\x92", u"é€…Ÿ’"},
      {"its undefined bytes keep their value", "1\n1=\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
      {"utf-8 without its mark is windows-1252", "1\n1=\xC3\xA9", u"Ã©"},
      {"utf-16 with an odd last byte", "\xFF\xFE" + Utf16Le(u"1\n1=ab") + "c", u"ab"},
  };
  for (const auto& c : cases) {
    ResetTextTable();
    PutLanguage("Francais.Txt", c.bytes);
    PutChoice("Francais");
    ASSERT_TRUE(LoadLanguage());
    EXPECT_EQ(textTable, (Texts{u"", c.text1})) << c.name;
  }
}

TEST_F(LanguageTest, ATranslationIsReadInTheFrenchEncodingWithItsMarkInItsFirstLine) {
  // Its first line holds the mark, so an entry there has the index 0.
  EXPECT_EQ(LoadTranslated("", "2=two"), (Texts{u"", u"un", u"two", u"trois", u""}));
  ResetTextTable();
  PutLanguage("English.Txt", std::string(kUtf8Mark) + "1=one\r\n3=three\r\n");
  LoadLanguage();
  EXPECT_EQ(textTable, (Texts{u"one", u"un", u"deux", u"three", u""}));

  // A UTF-16 French file: the translation must be UTF-16 too.
  ResetTextTable();
  PutLanguage("Francais.Txt", "\xFF\xFE" + Utf16Le(u"2\r\n1=un\r\n2=deux\r\n"));
  PutLanguage("English.Txt", "\xFF\xFE" + Utf16Le(u"[English]\r\n2=π\r\n"));
  LoadLanguage();
  EXPECT_EQ(textTable, (Texts{u"", u"un", u"π"}));
}

TEST_F(LanguageTest, WithoutFrenchTextsATranslationFillsOnlyTheTwoStartUpEntries) {
  fs::create_directories("Lng-Tornavelle");
  PutLanguage("English.Txt", "0=zero\n1=\xE9\n2=two\n");  // read as windows-1252
  PutChoice("English");
  ASSERT_TRUE(LoadLanguage());
  EXPECT_EQ(textTable, (Texts{u"zero", u"é"}));
}

// ---- The count line ----

TEST_F(LanguageTest, TheCountLineSizesTheTable) {
  struct Case { const char* count; size_t size; std::u16string_view text1; } cases[] = {
      {"3", 4, u"un"},    {"$3", 4, u"un"},  {" +2", 3, u"un"},  {"100000", 100001, u"un"},
      {"0", 1, u""},      {"", 1, u""},      // only entry 0, so entry 1 is out of range
      {"-1", 2, u""},     {"100001", 2, u""}, {"2147483648", 2, u""},  // unreadable
  };
  for (const auto& c : cases) {
    ResetTextTable();
    PutLanguage("Francais.Txt", std::string(c.count) + "\n1=un\n");
    PutChoice("Francais");
    ASSERT_TRUE(LoadLanguage());
    EXPECT_EQ(textTable.size(), c.size) << c.count;
    EXPECT_EQ(TextOf(1), c.text1) << c.count;
  }
}

// ---- Entry lines ----

TEST_F(LanguageTest, EntryLines) {
  struct Case { const char* name; std::string lines; Texts texts; } cases[] = {
      {"section lines, empty lines and lines without = are ignored",
       "[Section=1]\r\n\r\nno equals\r\n2=deux", {u"", u"un", u"deux", u"trois", u""}},
      {"blanks before = still find the index", "2  =x", {u"", u"un", u"x", u"trois", u""}},
      {"blanks after = belong to the text", "2= x ", {u"", u"un", u" x ", u"trois", u""}},
      {"further = belong to the text", "2=a=b", {u"", u"un", u"a=b", u"trois", u""}},
      {"a later line replaces an earlier one", "4=a\n4=b", {u"", u"un", u"deux", u"trois", u"b"}},
      {"an empty French text is stored", "1=", {u"", u"", u"deux", u"trois", u""}},
      {"indices outside the table change nothing", "5=x\n-1=y\n$FFFFFFFF=z",
       {u"", u"un", u"deux", u"trois", u""}},
      {"a hexadecimal index", "$4=hex", {u"", u"un", u"deux", u"trois", u"hex"}},
      {"a NUL ends a line", std::string("4=a\0" "3=b", 7), {u"", u"un", u"deux", u"b", u"a"}},
      {"CR alone ends a line", "4=a\r3=b", {u"", u"un", u"deux", u"b", u"a"}},
      {"a reference takes the current text", "4=#2\n2=new", {u"", u"un", u"new", u"trois", u"deux"}},
      {"a reference skips blanks", "4=# 3", {u"", u"un", u"deux", u"trois", u"trois"}},
      {"a reference to a non-number takes entry 0", "0=zero\n4=#x", {u"zero", u"un", u"deux", u"trois", u"zero"}},
      {"a reference outside the table is empty", "4=x\n4=#9", {u"", u"un", u"deux", u"trois", u""}},
      {"every $ is removed", "4=a$b$", {u"", u"un", u"deux", u"trois", u"ab"}},
      {"after references are resolved", "4=$x\n2=#4", {u"", u"un", u"x", u"trois", u"x"}},
  };
  for (const auto& c : cases) {
    ResetTextTable();
    PutFrench(c.lines);
    PutChoice("Francais");
    ASSERT_TRUE(LoadLanguage());
    EXPECT_EQ(textTable, c.texts) << c.name;
  }
}

TEST_F(LanguageTest, TranslationOverrides) {
  struct Case { const char* name; std::string french, translation; Texts texts; } cases[] = {
      {"an entry replaces the French text", "", "2=two", {u"", u"un", u"two", u"trois", u""}},
      {"an empty entry keeps the French text", "", "2=", {u"", u"un", u"deux", u"trois", u""}},
      {"a single $ makes the entry empty", "", "2=$", {u"", u"un", u"", u"trois", u""}},
      {"a reference takes the French text", "", "4=#1", {u"", u"un", u"deux", u"trois", u"un"}},
      {"or a translation read earlier", "", "1=one\n4=#1", {u"", u"one", u"deux", u"trois", u"one"}},
      {"an empty reference keeps the French text", "4=four", "4=#9", {u"", u"un", u"deux", u"trois", u"four"}},
      {"entries outside the French table change nothing", "", "7=x\n-2=y",
       {u"", u"un", u"deux", u"trois", u""}},
      {"$ is removed from French texts left in place", "4=a$", "1=b$", {u"", u"b", u"deux", u"trois", u"a"}},
  };
  for (const auto& c : cases) {
    ResetTextTable();
    EXPECT_EQ(LoadTranslated(c.french, c.translation), c.texts) << c.name;
  }
}

TEST_F(LanguageTest, TheNameFrancaisIsMatchedWithItsCase) {
  PutFrench();
  PutLanguage("francais.txt", "2=lower");  // another language for a case-sensitive name
  PutChoice("francais");
  ASSERT_TRUE(LoadLanguage());
  EXPECT_EQ(TextOf(2), u"lower");
}

TEST_F(LanguageTest, AnOversizedFileIsUnreadable) {
  PutLanguage("Francais.Txt", "1\n1=un\n" + std::string((16u << 20) + 1, '\n'));
  PutChoice("Francais");
  ASSERT_TRUE(LoadLanguage());
  EXPECT_EQ(textTable, (Texts{u"", u""}));
}

// ---- The extension in any case ----

TEST_F(LanguageTest, ExtensionsMatchInAnyCase) {
  PutLanguage("Francais.TXT", std::string(kUtf8Mark) + "2\n1=un\n2=deux\n");
  PutLanguage("English.txt", std::string(kUtf8Mark) + "[English]\n2=two\n");
  PutChoice("English");
  ASSERT_TRUE(LoadLanguage());
  EXPECT_TRUE(OffscreenShownDialogs().empty());
  EXPECT_EQ(textTable, (Texts{u"", u"un", u"two"}));
}

TEST_F(LanguageTest, TheNameItselfKeepsItsCase) {
  PutFrench();
  PutLanguage("english.txt", "");
  PutChoice("English");
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kClose, std::nullopt});
  ASSERT_TRUE(LoadLanguage());  // "English.txt" is missing: the dialog, closed, and French
  EXPECT_EQ(OffscreenShownDialogs().size(), 1u);
  EXPECT_EQ(TextOf(2), u"deux");
}

// ---- The choice file ----

TEST_F(LanguageTest, SavingTheChoiceWritesOneKeyOutsideAnyGroup) {
  PutFile("Langue.lng", "; old\n[G]\nDefaut=Deutsch\n");
  languageName = u"English";
  SaveLanguageChoice();
  EXPECT_EQ(FileContent("Langue.lng"), "\xEF\xBB\xBF\r\nDefaut = English\r\n");
  EXPECT_EQ(FolderNames(), "Langue.lng");
}

TEST_F(LanguageTest, AChoiceFileThatCannotBeCreatedIsSkipped) {
  fs::create_directory("Langue.lng");
  languageName = u"English";
  SaveLanguageChoice();
  EXPECT_TRUE(fs::is_directory("Langue.lng"));
}

TEST_F(LanguageTest, TheChoiceIsReadOutsideAnyGroup) {
  PutFrench();
  PutFile("Langue.lng", "[Langue]\nDefaut=Francais\n");
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kClose, std::nullopt});
  EXPECT_FALSE(LoadLanguage());  // no name: the dialog, closed, ends the program
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
}

// ---- The dialog ----

void PutLanguageFolder() {
  PutFrench();
  for (const char* file : {"Italiano.TXT", "English.txt", "Deutsch.Txt", "Odd.txt.Txt", "readme.md"})
    PutLanguage(file, std::string(kUtf8Mark) + "[x]\n2=" + file + "\n");
  fs::create_directories("Lng-Tornavelle/Folder.txt");
}

const Texts kListed = {u"Deutsch", u"English", u"Francais", u"Italiano", u"Odd"};

TEST_F(LanguageTest, AFirstRunListsTheLanguagesAndPreselectsFrench) {
  PutLanguageFolder();
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kPressOk, std::nullopt});
  EXPECT_FALSE(LoadLanguage());  // a new choice: saved, a new copy started, this one ended
  auto shown = OffscreenShownDialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].title, u"Langue / Language");
  EXPECT_EQ(shown[0].items, kListed);
  EXPECT_EQ(shown[0].preselected, 2);
  EXPECT_EQ(FileContent("Langue.lng"), "\xEF\xBB\xBF\r\nDefaut = Francais\r\n");
  EXPECT_EQ(OffscreenNewCopies(), 1);
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
  EXPECT_EQ(textTable.size(), 2u);  // nothing read: the new copy will
}

TEST_F(LanguageTest, ChoosingAnotherLanguageRestarts) {
  PutLanguageFolder();
  PutChoice("Klingon");  // its file is missing
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kPressOk, u"Deutsch"});
  EXPECT_FALSE(LoadLanguage());
  EXPECT_EQ(OffscreenShownDialogs()[0].preselected, -1);  // no item is the current name
  EXPECT_EQ(languageName, u"Deutsch");
  EXPECT_EQ(FileContent("Langue.lng"), "\xEF\xBB\xBF\r\nDefaut = Deutsch\r\n");
  EXPECT_EQ(OffscreenNewCopies(), 1);
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});

  // The new copy finds the choice and shows no dialog.
  ResetOffscreen();
  ResetTextTable();
  EXPECT_TRUE(LoadLanguage());
  EXPECT_TRUE(OffscreenShownDialogs().empty());
  EXPECT_EQ(TextOf(2), u"Deutsch.Txt");
}

TEST_F(LanguageTest, ChoosingTheCurrentLanguageGoesOn) {
  PutLanguageFolder();
  languageName = u"English";
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kPressOk, std::nullopt});
  EXPECT_TRUE(ChooseLanguage());
  EXPECT_EQ(OffscreenShownDialogs()[0].preselected, 1);
  EXPECT_EQ(languageName, u"English");
  EXPECT_EQ(OffscreenNewCopies(), 0);
  EXPECT_TRUE(OffscreenExitCodes().empty());
  EXPECT_FALSE(fs::exists("Langue.lng"));
}

TEST_F(LanguageTest, ClosingWithAKnownNameGoesOnWithFrench) {
  PutLanguageFolder();
  PutChoice("Klingon");
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kClose, std::nullopt});
  EXPECT_TRUE(LoadLanguage());
  EXPECT_EQ(languageName, u"Klingon");
  EXPECT_EQ(TextOf(2), u"deux");
  EXPECT_TRUE(OffscreenExitCodes().empty());
  EXPECT_EQ(FileContent("Langue.lng"), "\xEF\xBB\xBF\r\nDefaut = Klingon\r\n");  // untouched
}

TEST_F(LanguageTest, ClosingWithoutANameEndsWithoutSaving) {
  PutLanguageFolder();
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kClose, std::nullopt});
  EXPECT_FALSE(LoadLanguage());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
  EXPECT_EQ(OffscreenNewCopies(), 0);
  EXPECT_FALSE(fs::exists("Langue.lng"));
}

TEST_F(LanguageTest, OkWithNothingSelectedAndNoNameEnds) {
  PutLanguage("Deutsch.txt", "");  // no French file to preselect
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kPressOk, std::nullopt});
  EXPECT_FALSE(LoadLanguage());
  EXPECT_EQ(OffscreenShownDialogs()[0].preselected, -1);
  EXPECT_EQ(OffscreenShownDialogs()[0].result, u"");
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
  EXPECT_FALSE(fs::exists("Langue.lng"));
}

TEST_F(LanguageTest, AMissingFolderShowsNoDialog) {
  EXPECT_FALSE(LoadLanguage());  // no name: the program ends
  EXPECT_TRUE(OffscreenShownDialogs().empty());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});

  ResetOffscreen();
  PutChoice("English");
  EXPECT_TRUE(LoadLanguage());  // a name: start-up goes on, with no texts at all
  EXPECT_TRUE(OffscreenShownDialogs().empty());
  EXPECT_EQ(textTable, (Texts{u"", u""}));
}

TEST_F(LanguageTest, WhenNoNewCopyStartsThisOneGoesOnWithTheChoice) {
  PutLanguageFolder();
  SetOffscreenNewCopyFails(true);
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kPressOk, u"Italiano"});
  EXPECT_TRUE(LoadLanguage());
  EXPECT_TRUE(OffscreenExitCodes().empty());
  EXPECT_EQ(languageName, u"Italiano");
  EXPECT_EQ(TextOf(2), u"Italiano.TXT");
  EXPECT_EQ(FileContent("Langue.lng"), "\xEF\xBB\xBF\r\nDefaut = Italiano\r\n");
}

}  // namespace
