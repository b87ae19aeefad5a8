// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "../support/failing_reads.h"
#include "../support/other_user.h"
#include "../support/temp_folder.h"
#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "platform/numbers.h"
#include "platform/unicode.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

// Each test starts from the start-up state in a folder of its own.
class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() {
    Forget();
    ResetEngine();
    ResetMemories();
  }
  ~SettingsTest() override { ResetMemories(); }
  static void Forget() {
    appSettings = AppSettings();
    settingsFileKept = 0;
    historyList = HistoryList();
  }
  static void SaveAndReload() {
    SaveSettings();
    Forget();
    LoadSettings();
  }
  TempWorkingFolder folder;
};

// Every setting on one line, so that a failure shows all the fields side by side.
std::string Describe(const AppSettings& s) {
  std::string text = Utf16ToUtf8(s.skinName) + " [" + Utf16ToUtf8(s.expressionText) + "]";
  for (int32_t n : {s.savePosition, s.windowX, s.windowY, s.alwaysOnTop, s.angleMode, s.formatValue,
                    s.graphLeft, s.graphRight, s.graphTop, s.graphBottom, s.graphGrid})
    text += " " + std::to_string(n);
  return text;
}

// The history, one "expression|answer|exact form|error kind" line per entry.
std::string History() {
  std::string text;
  for (const HistoryEntry& e : historyList.entries)
    text += Utf16ToUtf8(e.expression) + "|" + ShortestDoubleText(e.answer) + "|" +
            Utf16ToUtf8(e.exactForm) + "|" + std::to_string(e.errorKind) + "\n";
  return text;
}

TEST_F(SettingsTest, AMissingFileGivesEveryDefault) {
  LoadSettings();
  EXPECT_EQ(Describe(appSettings),
            Describe({u"Defaut", 1, -10000, -10000, 0, u"", 1, 0, -10, 10, -10, 10, 1}));
  EXPECT_EQ(History(), "");
  EXPECT_EQ(anglesInRadians, 1);
  EXPECT_FALSE(fs::exists(kSettingsFileName));  // loading never writes
}

TEST_F(SettingsTest, TheAngleModeSetsTheEnginesFlag) {
  struct Case { const char* file; int32_t mode; int32_t radiansBefore, radiansAfter; } cases[] = {
      {"[Calcul]\nMode=1\n", 1, 0, 1},
      {"[Calcul]\nMode=2\n", 2, 1, 0},
      {"[Calcul]\nMode=abc\n", 0, 1, 1},      // letters only read as 0: the flag stays
      {"[Calcul]\nMode=7\n", 7, 0, 0},
      {"[Calcul]\nMode=7\n", 7, 1, 1},
  };
  for (const auto& c : cases) {
    PutFile("Tornavelle.tvnp", c.file);
    SetAngleMode(c.radiansBefore ? 1 : 2);
    LoadSettings();
    EXPECT_EQ(appSettings.angleMode, c.mode) << c.file;
    EXPECT_EQ(anglesInRadians, c.radiansAfter) << c.file;
  }
}

TEST_F(SettingsTest, TheHistoryComesBackWithOneSentinel) {
  struct Case { const char* name; std::vector<HistoryEntry> entries; const char* back; } cases[] = {
      {"every field, with the sentinel not doubled",
       {{u"3×π", 9.42477796076938, u"3π", 0}, {u"1÷0", HUGE_VAL, u"", 2}, {u"1÷3", 1.0 / 3, u"1⁄3", 0},
        {u"", 0, u"", 0}},
       "3×π|9.42477796076938|3π|0\n1÷0|inf||2\n1÷3|0.3333333333333333|1⁄3|0\n|0||0\n"},
      {"a run that started empty gains the sentinel", {{u"2+2", 4, u"", 0}, {u"1+1", 2, u"", 0}},
       "2+2|4||0\n1+1|2||0\n|0||0\n"},
      {"an empty history stays empty", {}, ""},
      {"entries shown as the end marker are left out, so older ones survive",
       {{u"new", 1, u"", 0}, {u"$", 0, u"", 4}, {u" $\r\n", 0, u"", 4}, {u"old", 3, u"", 0},
        {u"$$", 5, u"", 0}, {u"", 0, u"", 0}},
       "new|1||0\nold|3||0\n$$|5||0\n|0||0\n"},
      {"line breaks cannot inject keys", {{u"4\n[Calcul]\nMode = 2", 4, u"x\ry", 0}, {u"", 0, u"", 0}},
       "4 [Calcul] Mode = 2|4|x y|0\n|0||0\n"},
  };
  for (const auto& c : cases) {
    Forget();
    historyList.entries = c.entries;
    SaveAndReload();
    EXPECT_EQ(History(), c.back) << c.name;
    EXPECT_EQ(appSettings.angleMode, 0) << c.name;  // the keys after the history are intact
    SaveAndReload();
    EXPECT_EQ(History(), c.back) << c.name << ", saved twice";
  }
}

TEST_F(SettingsTest, AStoredHistoryEndsAtTheMarkerOrAGap) {
  struct Case { const char* file; const char* history; } cases[] = {
      {"[Calcul]\nReponse0Operation=7*6\nReponse1Operation = 1/0\nReponse1Erreur=2\nReponse1Valeur=inf\n",
       "7*6|0||0\n1/0|inf||2\n|0||0\n"},  // missing fields take their defaults
      {"[Calcul]\nReponse0Operation=a\nReponse1Operation=$\nReponse2Operation=c\n", "a|0||0\n|0||0\n"},
      {"[Calcul]\nReponse0Operation=a\nReponse2Operation=c\n", "a|0||0\n|0||0\n"},
  };
  for (const auto& c : cases) {
    Forget();
    PutFile("Tornavelle.tvnp", c.file);
    LoadSettings();
    EXPECT_EQ(History(), c.history) << c.file;
  }
}

TEST_F(SettingsTest, TheExpressionComesBackOnOneLineWithoutOuterBlanks) {
  struct Case { std::u16string text, back; } cases[] = {
      {u"  2+2\t", u"2+2"},
      {u"1+2\r\n[Graphique]\nGraphe_Grille = 7", u"1+2 [Graphique] Graphe_Grille = 7"},
  };
  for (const auto& c : cases) {
    appSettings.expressionText = c.text;
    appSettings.graphGrid = 1;
    SaveAndReload();
    EXPECT_EQ(appSettings.expressionText, c.back);
    EXPECT_EQ(appSettings.graphGrid, 1);
  }
}

TEST_F(SettingsTest, TheSavedFileIsByteExactAndReadsBack) {
  // No value is a default, so each must be read from its key; the position is written even
  // when it is not to be restored.
  appSettings = {u"Bleu", 0, 120, -5, 1, u"2×π", 2, 4, -1, 2, -3, 4, 0};
  historyList.entries = {{u"1÷3", 1.0 / 3, u"1⁄3", 0}, {u"1÷0", HUGE_VAL, u"", 2},
                         {u"", 0, u"", 0}};
  memories[1] = 5, memories[2] = 1.6e-19, memories[26] = -1.0 / 3;  // and every other letter 0
  SaveSettings();
  std::string expected =
      "\xEF\xBB\xBF\r\n"
      "[Apparence]\r\n"
      "Apparence = Bleu\r\n"
      "Fenetre_SauverPosition = 0\r\n"
      "Fenetre x = 120\r\n"
      "Fenetre y = -5\r\n"
      "Fenetre_ToujoursVisible = 1\r\n"
      "[Calcul]\r\n"
      "Operation = 2\xC3\x97\xCF\x80\r\n"
      "Reponse0Operation = 1\xC3\xB7" "3\r\n"
      "Reponse0Valeur = 0.3333333333333333\r\n"
      "Reponse0Texte = 1\xE2\x81\x84" "3\r\n"
      "Reponse0Erreur = 0\r\n"
      "Reponse1Operation = 1\xC3\xB7" "0\r\n"
      "Reponse1Valeur = inf\r\n"
      "Reponse1Texte = \r\n"
      "Reponse1Erreur = 2\r\n"
      "Reponse2Operation = \r\n"
      "Reponse2Valeur = 0\r\n"
      "Reponse2Texte = \r\n"
      "Reponse2Erreur = 0\r\n"
      "Mode = 2\r\n"
      "Format = 4\r\n"
      "[Graphique]\r\n"
      "Graphe_Zone left = -1\r\n"
      "Graphe_Zone right = 2\r\n"
      "Graphe_Zone top = -3\r\n"
      "Graphe_Zone bottom = 4\r\n"
      "Graphe_Grille = 0\r\n"
      "[Memoires]\r\n"
      "a = 5\r\n"
      "b = 1.6e-19\r\n"
      "z = -0.3333333333333333\r\n";
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), expected);
  EXPECT_EQ(FolderNames(), "Tornavelle.tvnp");
  const std::string saved = Describe(appSettings);
  Forget();
  ResetMemories();
  LoadSettings();
  EXPECT_EQ(Describe(appSettings), saved);
  EXPECT_EQ(memories[1], 5);
  EXPECT_EQ(memories[2], 1.6e-19);
  EXPECT_EQ(memories[26], -1.0 / 3);
}

// The memory letters read from their group alone: a file without it gives all zeros, a value
// that is no number reads as 0, and no key but a letter's (nor "e", the constant) counts.
TEST_F(SettingsTest, MemoryLettersReadFromTheirGroupOnly) {
  memories[3] = 9;
  PutFile("Tornavelle.tvnp", "[Calcul]\r\na = 4\r\n");
  LoadSettings();
  EXPECT_EQ(memories[1], 0);
  EXPECT_EQ(memories[3], 0);
  PutFile("Tornavelle.tvnp", "[Memoires]\r\nA = 2\r\nb = x\r\ne = 3\r\nzz = 4\r\nc=inf\r\nd = 1e400\r\n");
  LoadSettings();
  EXPECT_EQ(memories[1], 2);  // keys match in any letter case, as every key of the file
  EXPECT_EQ(memories[2], 0);
  EXPECT_EQ(memories[5], 0);
  EXPECT_EQ(memories[26], 0);
  EXPECT_EQ(memories[3], HUGE_VAL);
  EXPECT_EQ(memories[4], HUGE_VAL);
}

// A save in the background writes what a save in the foreground would have, as things were when
// it was asked for; of many asked for in a row, the newest is what the file keeps.
TEST_F(SettingsTest, ABackgroundSaveWritesWhatTheSettingsWereWhenAskedFor) {
  appSettings = {u"Defaut", 1, 10, 20, 0, u"1+", 1, 0, -10, 10, -10, 10, 1};
  historyList.entries = {{u"2×3", 6, u"", 0}, {u"", 0, u"", 0}};
  SaveSettings();
  const std::string foreground = FileContent("Tornavelle.tvnp");
  fs::remove("Tornavelle.tvnp");
  StartSettingsSave();
  // Changed while the save may still be running: not in the file.
  appSettings.expressionText = u"changed";
  historyList.entries.clear();
  FinishSettingsSaves();
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), foreground);

  for (int n = 1; n <= 200; ++n) {
    historyList.entries.insert(historyList.entries.begin(), {std::u16string(u"1+") + char16_t(u'0' + n % 10), double(n), u"", 0});
    appSettings.windowX = n;
    StartSettingsSave();
  }
  historyList.entries.resize(30);  // the newest a history keeps, all that loading reads
  const std::string newest = Describe(appSettings) + "\n" + History();
  FinishSettingsSaves();
  EXPECT_EQ(FolderNames(), "Tornavelle.tvnp");  // no temporary file left behind
  Forget();
  LoadSettings();
  historyList.entries.pop_back();  // the sentinel loading adds
  EXPECT_EQ(Describe(appSettings) + "\n" + History(), newest);
}

// No text is worth a file the next start would refuse (and so every setting): texts too long to
// keep are left out, and the largest history kept, of the longest texts, reads back whole.
TEST_F(SettingsTest, TextsTooLongToKeepAreLeftOutSoTheFileReadsBack) {
  const std::u16string longest(65536, u'√'), tooLong(65537, u'7');  // √ is 3 bytes in the file
  appSettings.expressionText = longest;
  for (int n = 0; n < 30; ++n) historyList.entries.push_back({longest, double(n), longest, 0});
  historyList.entries.push_back({});
  SaveAndReload();
  EXPECT_EQ(appSettings.expressionText, longest);
  ASSERT_EQ(historyList.entries.size(), 31u);
  EXPECT_EQ(historyList.entries[29].expression, longest);
  EXPECT_EQ(historyList.entries[29].exactForm, longest);
  EXPECT_EQ(historyList.entries[29].answer, 29);

  Forget();
  appSettings.expressionText = tooLong;
  appSettings.skinName = tooLong;
  historyList.entries = {{u"1+1", 2, u"", 0}, {tooLong, 3, u"", 0}, {u"4", 4, tooLong, 0}, {u"2+2", 4, u"", 0}, {}};
  SaveAndReload();
  EXPECT_EQ(appSettings.expressionText, u"");
  EXPECT_EQ(appSettings.skinName, u"Defaut");  // not an empty name, which no skin has
  EXPECT_EQ(History(), "1+1|2||0\n2+2|4||0\n|0||0\n");
}

// A save the system refuses leaves the previous file whole, with no temporary file beside it,
// and says why: a full disk, or a folder that may not be written (the file itself may).
TEST_F(SettingsTest, AFailedSaveLeavesThePreviousFileWholeAndSaysWhy) {
  historyList.entries = {{u"1+1", 2, u"", 0}, {u"", 0, u"", 0}};
  ASSERT_EQ(SaveSettings(), FileError::kNone);
  const std::string before = FileContent("Tornavelle.tvnp");
  historyList.entries.insert(historyList.entries.begin(), 100, {u"9*9", 81, u"", 0});
  if (FullDiskSimulation::Available()) {
    FullDiskSimulation full(before.size() / 2);  // the disk fills up half-way through the save
    EXPECT_EQ(SaveSettings(), FileError::kDiskFull);
  }
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), before);
  EXPECT_EQ(FolderNames(), "Tornavelle.tvnp");

  fs::permissions(folder.path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
  fs::permissions("Tornavelle.tvnp", fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec));
  const int outcome = RunAsOtherUser([] { return SaveSettings() == FileError::kNotWritable; });
  if (outcome != 2) {
    EXPECT_EQ(outcome, 0) << "a folder another user owns";
  }
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), before);
  if (!FullDiskSimulation::Available() && outcome == 2) GTEST_SKIP() << "no failure can be simulated here";
}

// What the program does not know survives its saves, in its place: comments, other groups, and
// other keys in its own groups (another version's, the user's); what it no longer holds goes.
TEST_F(SettingsTest, ASaveKeepsWhatTheProgramDoesNotKnow) {
  PutFile("Tornavelle.tvnp",
          "; written by hand\r\n[Calcul]\r\nOld key = 1\r\nReponse0Operation = 9\r\n"
          "Reponse5Valeur = 3\r\n[Other]\r\n; its own comment\r\nx=1\r\n"
          "[Memoires]\r\nb = 4\r\nzz = 5\r\nc = 7\r\n");
  LoadSettings();
  historyList.entries = {{u"1+1", 2, u"", 0}, {}};
  memories[2] = 0;  // b is back at 0: its key goes
  ASSERT_EQ(SaveSettings(), FileError::kNone);
  const std::string saved = FileContent("Tornavelle.tvnp");
  for (const char* kept : {"\xEF\xBB\xBF\r\n; written by hand\r\n[Calcul]\r\nOld key = 1\r\nReponse0Operation = 1+1\r\n",
                           "[Other]\r\n; its own comment\r\nx = 1\r\n[Memoires]\r\nzz = 5\r\nc = 7\r\n[Apparence]\r\n"})
    EXPECT_NE(saved.find(kept), std::string::npos) << kept << " in\n" << saved;
  for (const char* gone : {"Reponse5", "b = "}) EXPECT_EQ(saved.find(gone), std::string::npos) << gone;
  Forget();
  LoadSettings();
  EXPECT_EQ(History(), "1+1|2||0\n|0||0\n");
  ASSERT_EQ(SaveSettings(), FileError::kNone);
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), saved);  // a second save changes nothing
}

// A settings file the disk fails to read survives the run: the settings fall back to their
// defaults, and the save at exit leaves the file as it was.
TEST_F(SettingsTest, AFileThatFailsToReadSurvivesTheExitSave) {
  const std::string stored = "[Apparence]\nApparence=Mine\n";
  PutFile("Tornavelle.tvnp", stored);
  int outcome = RunWithFailingReads([] {
    LoadSettings();
    const bool defaults = appSettings.skinName == u"Defaut";
    appSettings.skinName = u"Other";
    SaveSettings();
    return defaults && settingsFileKept;
  });
  if (outcome == 2) GTEST_SKIP() << "this system lets no process filter its own system calls";
  EXPECT_EQ(outcome, 0);
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), stored);
  LoadSettings();  // read normally again, the file is saved as usual
  EXPECT_EQ(settingsFileKept, 0);
}

TEST_F(SettingsTest, SavingThroughASymbolicLinkReplacesItsTarget) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
  PutFile("elsewhere/real.tvnp", "[Apparence]\nApparence=Old\n");
  fs::create_symlink("elsewhere/real.tvnp", "Tornavelle.tvnp");
  LoadSettings();
  EXPECT_EQ(appSettings.skinName, u"Old");
  appSettings.skinName = u"New";
  SaveAndReload();
  EXPECT_TRUE(fs::is_symlink("Tornavelle.tvnp"));
  EXPECT_EQ(appSettings.skinName, u"New");
  EXPECT_EQ(FolderNames("elsewhere"), "real.tvnp");
}

// A file of thousands of calculations (another copy's, or one edited by hand) costs no more
// than a full history: loading keeps the newest 30, and the next save drops the rest.
TEST_F(SettingsTest, AHugeHistoryLoadsOnlyWhatAHistoryKeeps) {
  constexpr int kEntries = 20000;
  std::string file = "[Calcul]\n";
  for (int n = 0; n < kEntries; ++n) {
    std::string number = std::to_string(n);
    file += "Reponse" + number + "Operation=" + number + "\nReponse" + number + "Valeur=" + number + "\n";
  }
  PutFile("Tornavelle.tvnp", file);
  LoadSettings();
  ASSERT_EQ(historyList.entries.size(), 31u);
  EXPECT_EQ(historyList.entries[29].answer, 29);
  EXPECT_EQ(historyList.entries[30].expression, u"");
  SaveAndReload();
  EXPECT_EQ(historyList.entries.size(), 31u);
  EXPECT_EQ(FileContent("Tornavelle.tvnp").find("Reponse31"), std::string::npos);
}

}  // namespace
