// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "../support/temp_folder.h"
#include "platform/offscreen/offscreen.h"
#include "platform/unicode.h"
#include "settings/language.h"
#include "settings/language_dialog.h"
#include "settings/text_table.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::u16string>;
using Answer = OffscreenDialogAnswer;

const std::string kMark = "\xEF\xBB\xBF";
// A UTF-8 French file of four texts, and the start of a UTF-8 translation.
const std::string kFrench = kMark + "4\r\n1=un\r\n2=deux\r\n3=trois\r\n";
const std::string kEnglish = kMark + "[English]\r\n";

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

// The file name is UTF-8, which a path made from a plain string would not take on Windows.
void PutLanguage(const std::string& fileName, const std::string& bytes) {
  PutFile(fs::path("Lng-Tornavelle") / std::u8string(fileName.begin(), fileName.end()), bytes);
}

std::string Choice(const std::string& name) { return kMark + "\r\nDefaut = " + name + "\r\n"; }

// Loads from a French file of these bytes and, unless it is empty, the chosen English one.
Texts Load(const std::string& french, const std::string& english = "") {
  ResetTextTable();
  PutLanguage("Francais.Txt", french);
  if (!english.empty()) PutLanguage("English.Txt", english);
  PutFile("Langue.lng", Choice(english.empty() ? "Francais" : "English"));
  EXPECT_TRUE(LoadLanguage());
  return textTable;
}

// The texts joined by "|", so that a table's texts fit on a line.
std::string Joined(const Texts& texts) {
  std::string joined;
  for (size_t n = 0; n < texts.size(); ++n) joined += (n ? "|" : "") + Utf16ToUtf8(texts[n]);
  return joined;
}

std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

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

TEST_F(LanguageTest, TheFrenchFileSetsTheEncoding) {
  struct Case { const char* name; std::string bytes; std::u16string text1; } cases[] = {
      {"utf-8 after its mark", kMark + "1\r\n1=\xCF\x80\xE2\x88\x9A", u"π√"},
      {"utf-16 little-endian after its mark", "\xFF\xFE" + Utf16Le(u"1\r\n1=π√"), u"π√"},
      {"windows-1252 without a mark", "1\r\n1=\xE9\x80\x85\x9F\x92", u"é€…Ÿ’"},
      {"its undefined bytes keep their value", "1\n1=\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},
      {"utf-8 without its mark is windows-1252", "1\n1=\xC3\xA9", u"Ã©"},
      {"utf-16 with an odd last byte", "\xFF\xFE" + Utf16Le(u"1\n1=ab") + "c", u"ab"},
  };
  for (const auto& c : cases) EXPECT_EQ(Load(c.bytes), (Texts{u"", c.text1})) << c.name;
}

TEST_F(LanguageTest, TheCountLineSizesTheTable) {
  struct Case { const char* count; size_t size; std::u16string_view text1; } cases[] = {
      {"3", 4, u"un"},    {"$3", 4, u"un"},  {" +2", 3, u"un"},  {"100000", 100001, u"un"},
      {"0", 1, u""},      {"", 1, u""},      // only entry 0, so entry 1 is out of range
      {"-1", 2, u""},     {"100001", 2, u""}, {"2147483648", 2, u""},  // unreadable
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Load(std::string(c.count) + "\n1=un\n").size(), c.size) << c.count;
    EXPECT_EQ(TextOf(1), c.text1) << c.count;
  }
  EXPECT_EQ(Load("1\n1=un\n" + std::string((16u << 20) + 1, '\n')), (Texts{u"", u""})) << "oversized";
}

TEST_F(LanguageTest, EntryLines) {
  struct Case { const char* name; std::string lines; const char* texts; } cases[] = {
      {"section lines, empty lines and lines without = are ignored",
       "[Section=1]\r\n\r\nno equals\r\n2=deux", "|un|deux|trois|"},
      {"blanks before = still find the index", "2  =x", "|un|x|trois|"},
      {"blanks after = belong to the text", "2= x ", "|un| x |trois|"},
      {"further = belong to the text", "2=a=b", "|un|a=b|trois|"},
      {"a later line replaces an earlier one", "4=a\n4=b", "|un|deux|trois|b"},
      {"an empty French text is stored", "1=", "||deux|trois|"},
      {"indices outside the table change nothing", "5=x\n-1=y\n$FFFFFFFF=z", "|un|deux|trois|"},
      {"a hexadecimal index", "$4=hex", "|un|deux|trois|hex"},
      {"a NUL ends a line", std::string("4=a\0" "3=b", 7), "|un|deux|b|a"},
      {"CR alone ends a line", "4=a\r3=b", "|un|deux|b|a"},
      {"a reference takes the current text", "4=#2\n2=new", "|un|new|trois|deux"},
      {"a reference skips blanks", "4=# 3", "|un|deux|trois|trois"},
      {"a reference to a non-number takes entry 0", "0=zero\n4=#x", "zero|un|deux|trois|zero"},
      {"a reference outside the table is empty", "4=x\n4=#9", "|un|deux|trois|"},
      {"every $ is removed", "4=a$b$", "|un|deux|trois|ab"},
      {"after references are resolved", "4=$x\n2=#4", "|un|x|trois|x"},
  };
  for (const auto& c : cases) EXPECT_EQ(Joined(Load(kFrench + c.lines)), c.texts) << c.name;
}

TEST_F(LanguageTest, LongTextsAreCut) {
  constexpr size_t kMost = kMaxLanguageTextLength;
  const std::u16string longest(kMost, u'a');
  struct Case { const char* name; std::string lines; std::u16string text4; } cases[] = {
      {"the longest text stays whole", "4=" + std::string(kMost, 'a'), longest},
      {"a longer one is cut", "4=" + std::string(10'000'000, 'a'), longest},
      {"never between the halves of a character", "4=" + std::string(kMost - 1, 'a') + "\xF0\x9F\x98\x80",
       std::u16string(kMost - 1, u'a')},
      {"a character that ends at the limit stays", "4=" + std::string(kMost - 2, 'a') + "\xF0\x9F\x98\x80" "b",
       std::u16string(kMost - 2, u'a') + u"\U0001F600"},
      // Each reference is a copy, so that a file of megabytes could otherwise ask for gigabytes.
      {"references copy the cut text", "3=" + std::string(100'000, 'a') + "\n" + [] {
         std::string lines;
         for (int n = 0; n < 100; ++n) lines += "4=#3\n";
         return lines;
       }(), longest},
  };
  for (const auto& c : cases) EXPECT_EQ(Load(kFrench + c.lines).at(4), c.text4) << c.name;
  EXPECT_EQ(Load(kMark + "4\n1=un\n", kEnglish + "1=" + std::string(kMost + 1, 'e')).at(1), std::u16string(kMost, u'e'))
      << "in a translation";
}

TEST_F(LanguageTest, TranslationOverrides) {
  // Lines after the four French texts, lines of the English file after its section line.
  struct Case { const char* name; std::string french, english; const char* texts; } cases[] = {
      {"an entry replaces the French text", "", "2=two", "|un|two|trois|"},
      {"an empty entry keeps the French text", "", "2=", "|un|deux|trois|"},
      {"a single $ makes the entry empty", "", "2=$", "|un||trois|"},
      {"a reference takes the French text", "", "4=#1", "|un|deux|trois|un"},
      {"or a translation read earlier", "", "1=one\n4=#1", "|one|deux|trois|one"},
      {"an empty reference keeps the French text", "4=four", "4=#9", "|un|deux|trois|four"},
      {"entries outside the French table change nothing", "", "7=x\n-2=y", "|un|deux|trois|"},
      {"$ is removed from French texts left in place", "4=a$", "1=b$", "|b|deux|trois|a"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Joined(Load(kFrench + c.french, kEnglish + c.english)), c.texts) << c.name;
  // The translation's mark is part of its first line, so an entry there is entry 0.
  EXPECT_EQ(Joined(Load(kFrench, kMark + "1=one\r\n3=three\r\n")), "one|un|deux|three|");
  // A translation is read in the French file's encoding.
  EXPECT_EQ(Joined(Load("\xFF\xFE" + Utf16Le(u"2\r\n1=un\r\n2=deux\r\n"),
                        "\xFF\xFE" + Utf16Le(u"[English]\r\n2=π\r\n"))),
            "|un|π");
}

TEST_F(LanguageTest, ExtensionsMatchInAnyCase) {
  PutLanguage("Francais.TXT", kMark + "2\n1=un\n2=deux\n");
  PutLanguage("English.txt", kEnglish + "2=two\n");
  PutFile("Langue.lng", Choice("English"));
  ASSERT_TRUE(LoadLanguage());
  EXPECT_TRUE(OffscreenShownDialogs().empty());
  EXPECT_EQ(textTable, (Texts{u"", u"un", u"two"}));
}

TEST_F(LanguageTest, WithoutFrenchTextsATranslationFillsOnlyTheTwoStartUpEntries) {
  PutLanguage("English.Txt", "0=zero\n1=\xE9\n2=two\n");  // read as windows-1252
  PutFile("Langue.lng", Choice("English"));
  ASSERT_TRUE(LoadLanguage());
  EXPECT_EQ(textTable, (Texts{u"zero", u"é"}));
}

TEST_F(LanguageTest, TheNameFrancaisIsMatchedWithItsCase) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows folder cannot hold two names that differ only in case";
#endif
  PutLanguage("francais.txt", "2=lower");  // another language for a case-sensitive name
  PutFile("Langue.lng", Choice("francais"));
  PutLanguage("Francais.Txt", kFrench);
  ASSERT_TRUE(LoadLanguage());
  EXPECT_EQ(TextOf(2), u"lower");
}

TEST_F(LanguageTest, SavingTheChoiceWritesOneKeyOutsideAnyGroup) {
  PutFile("Langue.lng", "; old\n[G]\nDefaut=Deutsch\n");
  languageName = u"English";
  SaveLanguageChoice();
  EXPECT_EQ(FileContent("Langue.lng"), Choice("English"));
  EXPECT_EQ(FolderNames(), "Langue.lng");
}

// ---- The dialog ----

void PutLanguageFolder() {
  PutLanguage("Francais.Txt", kFrench);
  for (const char* file : {"Italiano.TXT", "English.txt", "Deutsch.Txt", "Odd.txt.Txt", "readme.md"})
    PutLanguage(file, kMark + "[x]\n2=" + file + "\n");
  fs::create_directories("Lng-Tornavelle/Folder.txt");
}
void PutFrenchAndLowerCaseEnglish() {
  PutLanguage("Francais.Txt", kFrench);
  PutLanguage("english.txt", "");
}
void PutOnlyGerman() { PutLanguage("Deutsch.txt", ""); }
void PutNothing() {}

constexpr int kNoDialog = -2;

TEST_F(LanguageTest, StartUpWithoutAUsableChoice) {
  // A chosen language is saved and a new copy started, unless that fails; the program ends
  // exactly when the call returns false.
  struct Case {
    const char* what;
    void (*files)();
    std::string choice;       // Langue.lng; empty: none
    const char16_t* current;  // a name known already: ChooseLanguage runs instead of LoadLanguage
    const char16_t* answer;   // OK after choosing this ("": the preselection); nullptr: close
    bool newCopyFails;
    bool goesOn;
    int preselected;          // kNoDialog when none is shown
    bool saves;
    std::u16string name, text2;
  } cases[] = {
      {"a first run preselects French; a new choice restarts", PutLanguageFolder, "", nullptr, u"", false,
       false, 2, true, u"Francais", u""},
      {"another language restarts", PutLanguageFolder, Choice("Klingon"), nullptr, u"Deutsch", false,
       false, -1, true, u"Deutsch", u""},
      {"without a new copy this one goes on with the choice", PutLanguageFolder, "", nullptr, u"Italiano", true,
       true, 2, true, u"Italiano", u"Italiano.TXT"},
      {"choosing the current language goes on", PutLanguageFolder, "", u"English", u"", false,
       true, 1, false, u"English", u""},
      {"closing with a known name goes on in French", PutLanguageFolder, Choice("Klingon"), nullptr, nullptr, false,
       true, -1, false, u"Klingon", u"deux"},
      {"closing without a name ends without saving", PutLanguageFolder, "", nullptr, nullptr, false,
       false, 2, false, u"", u""},
      {"the choice is read outside any group", PutLanguageFolder, "[Langue]\nDefaut=Francais\n", nullptr, nullptr,
       false, false, 2, false, u"", u""},
      {"the name keeps its case: English.txt is missing", PutFrenchAndLowerCaseEnglish, Choice("English"), nullptr,
       nullptr, false, true, -1, false, u"English", u"deux"},
      {"OK with nothing selected and no name ends", PutOnlyGerman, "", nullptr, u"", false,
       false, -1, false, u"", u""},
      {"no folder and no name: no dialog, the program ends", PutNothing, "", nullptr, u"", false,
       false, kNoDialog, false, u"", u""},
      {"no folder but a name: no dialog, no texts", PutNothing, Choice("English"), nullptr, u"", false,
       true, kNoDialog, false, u"English", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetOffscreen();
    ResetTextTable();
    languageName = c.current ? c.current : u"";
    fs::remove_all("Lng-Tornavelle");
    fs::remove("Langue.lng");
    c.files();
    if (!c.choice.empty()) PutFile("Langue.lng", c.choice);
    std::optional<std::u16string> choose;
    if (c.answer && *c.answer) choose = c.answer;
    ScriptLanguageDialog({c.answer ? Answer::Action::kPressOk : Answer::Action::kClose, choose});
    SetOffscreenNewCopyFails(c.newCopyFails);

    EXPECT_EQ(c.current ? ChooseLanguage() : LoadLanguage(), c.goesOn);
    auto shown = OffscreenShownDialogs();
    ASSERT_EQ(shown.size(), c.preselected == kNoDialog ? 0u : 1u);
    if (!shown.empty()) {
      EXPECT_EQ(shown[0].title, u"Langue / Language");
      EXPECT_EQ(shown[0].preselected, c.preselected);
      if (c.files == PutLanguageFolder) {
        EXPECT_EQ(shown[0].items, (Texts{u"Deutsch", u"English", u"Francais", u"Italiano", u"Odd"}));
      }
    }
    EXPECT_EQ(languageName, c.name);
    EXPECT_EQ(fs::exists("Langue.lng") ? FileContent("Langue.lng") : "",
              c.saves ? Choice(Utf16ToUtf8(c.name)) : c.choice);  // or left as it was
    EXPECT_EQ(OffscreenNewCopies(), c.saves && !c.newCopyFails ? 1 : 0);
    EXPECT_EQ(OffscreenExitCodes(), c.goesOn ? std::vector<int32_t>{} : std::vector<int32_t>{0});
    EXPECT_EQ(TextOf(2), c.text2);
  }
}

TEST(LanguageNames, SortAsReadersLookForThem) {
  Texts names = {u"简体中文", u"Русский", u"English", u"Türkçe", u"Ελληνικά", u"Espanol",
                 u"Español", u"deutsch", u"Polski", u"Português", u"日本語", u"Francais",
                 u"Øst", u"Nederlands"};
  SortLanguageNames(&names);
  EXPECT_EQ(names, (Texts{u"deutsch", u"English", u"Espanol", u"Español", u"Francais",
                          u"Nederlands", u"Øst", u"Polski", u"Português", u"Türkçe", u"Ελληνικά",
                          u"Русский", u"日本語", u"简体中文"}));
}

TEST(LanguageNames, TheLocaleChoosesTheFileThatSpeaksIt) {
  const Texts languages = {u"Deutsch", u"English", u"Francais", u"Português", u"简体中文"};
  struct Case {
    const char16_t* tag;
    int expected;
  } cases[] = {
      {u"de_DE.UTF-8", 0},  {u"de_AT", 0},      {u"de", 0},          {u"de-CH", 0},
      {u"en_GB.UTF-8@euro", 1}, {u"EN_us", 1},  {u"fr_CA.UTF-8", 2}, {u"pt_BR.UTF-8", 3},
      {u"pt-PT", 3},        {u"zh_CN.UTF-8", 4}, {u"zh-SG", 4},      {u"zh_TW.UTF-8", -1},
      {u"zh-Hant-HK", -1},  {u"ru_RU.UTF-8", -1}, {u"C", -1},        {u"C.UTF-8", -1},
      {u"POSIX", -1},       {u"", -1},          {u"dee_XX", -1},     {u"d", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LanguageForLocale(c.tag, languages), c.expected) << Utf16ToUtf8(c.tag);
}

TEST_F(LanguageTest, AFirstRunOffersTheUsersOwnLanguageAndNamesOfAnyScript) {
  PutLanguageFolder();
  PutLanguage("Русский.Txt", kMark + "[Русский]\r\n2=два\r\n");
  struct Case {
    const char16_t* userLanguage;
    const char* choice;  // Langue.lng; nullptr: none
    int preselected;
  } cases[] = {
      {u"de_DE.UTF-8", nullptr, 0},  // the German desktop is offered Deutsch
      {u"ru_RU.UTF-8", nullptr, 5},  // after the Latin names
      {u"ja_JP.UTF-8", nullptr, 2},  // no Japanese file: French
      {u"", nullptr, 2},
      {u"de_DE.UTF-8", "Klingon", -1},  // a choice was made: the locale is not asked
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.userLanguage));
    ResetOffscreen();
    languageName.clear();
    fs::remove("Langue.lng");
    if (c.choice) PutFile("Langue.lng", Choice(c.choice));
    SetOffscreenUserLanguage(c.userLanguage);
    ScriptLanguageDialog({Answer::Action::kClose, std::nullopt});
    LoadLanguage();
    auto shown = OffscreenShownDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].items,
              (Texts{u"Deutsch", u"English", u"Francais", u"Italiano", u"Odd", u"Русский"}));
    EXPECT_EQ(shown[0].preselected, c.preselected);
  }

  // Choosing the Russian file saves its name in UTF-8, and the next start reads it.
  ResetOffscreen();
  languageName.clear();
  fs::remove("Langue.lng");
  ScriptLanguageDialog({Answer::Action::kPressOk, u"Русский"});
  EXPECT_FALSE(LoadLanguage());
  EXPECT_EQ(FileContent("Langue.lng"), Choice("Русский"));
  ResetTextTable();
  languageName.clear();
  EXPECT_TRUE(LoadLanguage());
  EXPECT_EQ(languageName, u"Русский");
  EXPECT_EQ(TextOf(2), u"два");
}

TEST_F(LanguageTest, TheNewCopyFindsTheChoiceAndShowsNoDialog) {
  PutLanguageFolder();
  PutFile("Langue.lng", Choice("Deutsch"));
  EXPECT_TRUE(LoadLanguage());
  EXPECT_TRUE(OffscreenShownDialogs().empty());
  EXPECT_EQ(TextOf(2), u"Deutsch.Txt");
}

}  // namespace

namespace {

// The dialog names each language as its own file does, and speaks the selected one's language;
// the choice is still remembered by the file's name.
TEST_F(LanguageTest, TheDialogNamesEachLanguageInItsOwnWords) {
  PutLanguage("Francais.Txt", kMark + "241\r\n240=Choisissez la langue :\r\n241=Français\r\n");
  PutLanguage("Espanol.Txt", kMark + "[Español]\r\n240=Elija el idioma:\r\n241=Español\r\n");
  PutLanguage("Klingon.Txt", kMark + "[tlhIngan]\r\n");  // names no language: its file's name
  PutLanguage("Copia.Txt", kMark + "[Español]\r\n241=Español\r\n");  // the same name again
  struct Case {
    const char16_t* choose;  // nullptr: the preselection
    const char16_t* prompt;  // the line when OK is pressed
    const char16_t* saved;
  } cases[] = {
      {nullptr, u"Choisissez la langue :", u"Francais"},
      {u"Español", u"Elija el idioma:", u"Espanol"},
      {u"Español (Copia)", u"Choisissez la langue :", u"Copia"},
      {u"Klingon", u"Choisissez la langue :", u"Klingon"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.saved ? Utf16ToUtf8(c.saved) : "");
    ResetOffscreen();
    ResetTextTable();
    languageName.clear();
    fs::remove("Langue.lng");
    std::optional<std::u16string> choose;
    if (c.choose) choose = c.choose;
    ScriptLanguageDialog({Answer::Action::kPressOk, choose});
    EXPECT_FALSE(LoadLanguage());  // a new copy starts in the language chosen
    auto shown = OffscreenShownDialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].items, (Texts{u"Español (Copia)", u"Español", u"Français", u"Klingon"}));
    EXPECT_EQ(shown[0].prompts[1], u"Elija el idioma:");
    EXPECT_EQ(shown[0].promptShown, c.prompt);
    EXPECT_EQ(FileContent("Langue.lng"), Choice(Utf16ToUtf8(c.saved)));
    // Reading every file's name leaves the table as it was.
    EXPECT_EQ(textTable.size(), 2u);
  }
}

}  // namespace
