#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "../support/temp_folder.h"
#include "engine/evaluator.h"
#include "platform/unicode.h"
#include "settings/preference_store.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

// Each test starts from the start-up state in a folder of its own.
class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() {
    appSettings = AppSettings();
    historyList = HistoryList();
    ResetEngine();
  }
  TempWorkingFolder folder;
};

std::vector<std::u16string> Expressions() {
  std::vector<std::u16string> expressions;
  for (const HistoryEntry& entry : historyList.entries) expressions.push_back(entry.expression);
  return expressions;
}

// Saves, forgets and loads again.
void SaveAndReload() {
  SaveSettings();
  appSettings = AppSettings();
  historyList = HistoryList();
  LoadSettings();
}

// ---- Defaults and the file's keys ----

TEST_F(SettingsTest, AMissingFileGivesEveryDefault) {
  LoadSettings();
  EXPECT_EQ(appSettings.skinName, u"Defaut");
  EXPECT_EQ(appSettings.savePosition, 1);
  EXPECT_EQ(appSettings.windowX, -10000);
  EXPECT_EQ(appSettings.windowY, -10000);
  EXPECT_EQ(appSettings.alwaysOnTop, 0);
  EXPECT_EQ(appSettings.expressionText, u"");
  EXPECT_EQ(appSettings.angleMode, 1);
  EXPECT_EQ(appSettings.formatValue, 0);
  EXPECT_EQ(appSettings.graphLeft, -10);
  EXPECT_EQ(appSettings.graphRight, 10);
  EXPECT_EQ(appSettings.graphTop, -10);
  EXPECT_EQ(appSettings.graphBottom, 10);
  EXPECT_EQ(appSettings.graphGrid, 1);
  EXPECT_TRUE(historyList.entries.empty());
  EXPECT_EQ(anglesInRadians, 1);
  EXPECT_FALSE(fs::exists(kSettingsFileName));  // loading never writes
}

TEST_F(SettingsTest, EveryKeyIsReadFromItsGroup) {
  PutFile("Tornavelle.tvnp",
          "[Apparence]\nApparence=Bleu\nFenetre_SauverPosition=0\nFenetre x=12\nFenetre y=-3\n"
          "Fenetre_ToujoursVisible=1\n[Calcul]\nOperation=2+3\nMode=2\nFormat=4\n"
          "[Graphique]\nGraphe_Zone left=-1\nGraphe_Zone right=2\nGraphe_Zone top=-3\n"
          "Graphe_Zone bottom=4\nGraphe_Grille=0\n");
  LoadSettings();
  EXPECT_EQ(appSettings.skinName, u"Bleu");
  EXPECT_EQ(appSettings.savePosition, 0);
  EXPECT_EQ(appSettings.windowX, 12);
  EXPECT_EQ(appSettings.windowY, -3);
  EXPECT_EQ(appSettings.alwaysOnTop, 1);
  EXPECT_EQ(appSettings.expressionText, u"2+3");
  EXPECT_EQ(appSettings.angleMode, 2);
  EXPECT_EQ(appSettings.formatValue, 4);
  EXPECT_EQ(appSettings.graphLeft, -1);
  EXPECT_EQ(appSettings.graphRight, 2);
  EXPECT_EQ(appSettings.graphTop, -3);
  EXPECT_EQ(appSettings.graphBottom, 4);
  EXPECT_EQ(appSettings.graphGrid, 0);
}

TEST_F(SettingsTest, TheAngleModeSetsTheEnginesFlag) {
  struct Case { const char* file; int32_t mode; int32_t radiansBefore, radiansAfter; } cases[] = {
      {"[Calcul]\nMode=1\n", 1, 0, 1},
      {"[Calcul]\nMode=2\n", 2, 1, 0},
      {"[Calcul\n  mode=2\n", 2, 1, 0},       // no "]", blanks, lower case, no blanks at "="
      {"[Calcul]\nMode=2abc\n", 2, 1, 0},     // digits then letters
      {"[Calcul]\nMode=abc\n", 0, 1, 1},      // letters only read as 0: the flag stays
      {"[Calcul]\nMode=7\n", 7, 0, 0},
      {"[Calcul]\nMode=\n", 0, 1, 1},         // present but empty: 0, not the default
      {"[Calcul]\n[Calcul]\nMode=2\n", 1, 0, 1},  // only the first "Calcul" is searched
  };
  for (const auto& c : cases) {
    PutFile("Tornavelle.tvnp", c.file);
    SetAngleMode(c.radiansBefore ? 1 : 2);
    LoadSettings();
    EXPECT_EQ(appSettings.angleMode, c.mode) << c.file;
    EXPECT_EQ(anglesInRadians, c.radiansAfter) << c.file;
  }
}

// ---- History round trip ----

TEST_F(SettingsTest, HistoryRoundTrip) {
  historyList.entries = {{u"3×π", 9.42477796076938, u"3π", 0},
                         {u"1÷0", HUGE_VAL, u"", 2},
                         {u"1÷3", 1.0 / 3, u"1⁄3", 0},
                         {u"", 0, u"", 0}};
  SaveAndReload();
  ASSERT_EQ(historyList.entries.size(), 4u);  // the sentinel is not doubled
  EXPECT_EQ(Expressions(), (std::vector<std::u16string>{u"3×π", u"1÷0", u"1÷3", u""}));
  EXPECT_EQ(historyList.entries[0].answer, 9.42477796076938);
  EXPECT_EQ(historyList.entries[0].exactForm, u"3π");
  EXPECT_EQ(historyList.entries[1].answer, HUGE_VAL);
  EXPECT_EQ(historyList.entries[1].errorKind, 2);
  EXPECT_EQ(historyList.entries[2].answer, 1.0 / 3);
  EXPECT_EQ(historyList.entries[2].exactForm, u"1⁄3");
}

TEST_F(SettingsTest, LoadingAddsTheSentinelOnce) {
  historyList.entries = {{u"2+2", 4, u"", 0}, {u"1+1", 2, u"", 0}};  // a run that started empty
  SaveAndReload();
  EXPECT_EQ(Expressions(), (std::vector<std::u16string>{u"2+2", u"1+1", u""}));
  SaveAndReload();
  EXPECT_EQ(Expressions(), (std::vector<std::u16string>{u"2+2", u"1+1", u""}));
}

TEST_F(SettingsTest, AnEmptyHistoryStaysEmpty) {
  SaveAndReload();
  EXPECT_TRUE(historyList.entries.empty());
  EXPECT_EQ(FileContent("Tornavelle.tvnp").find("Reponse"), std::string::npos);
}

TEST_F(SettingsTest, MissingHistoryFieldsTakeTheirDefaults) {
  PutFile("Tornavelle.tvnp", "[Calcul]\nReponse0Operation=7*6\nReponse1Operation = 1/0\n"
                             "Reponse1Erreur=2\nReponse1Valeur=inf\n");
  LoadSettings();
  ASSERT_EQ(historyList.entries.size(), 3u);
  EXPECT_EQ(historyList.entries[0].answer, 0.0);
  EXPECT_EQ(historyList.entries[0].exactForm, u"");
  EXPECT_EQ(historyList.entries[0].errorKind, 0);
  EXPECT_EQ(historyList.entries[1].answer, HUGE_VAL);
  EXPECT_EQ(historyList.entries[1].errorKind, 2);
}

TEST_F(SettingsTest, TheEndMarkerInAFileEndsTheList) {
  PutFile("Tornavelle.tvnp", "[Calcul]\nReponse0Operation=a\nReponse1Operation=$\n"
                             "Reponse2Operation=c\nReponse4Operation=e\n");
  LoadSettings();
  EXPECT_EQ(Expressions(), (std::vector<std::u16string>{u"a", u""}));
  historyList = HistoryList();
  PutFile("Tornavelle.tvnp", "[Calcul]\nReponse0Operation=a\nReponse2Operation=c\n");  // a gap
  LoadSettings();
  EXPECT_EQ(Expressions(), (std::vector<std::u16string>{u"a", u""}));
}

TEST_F(SettingsTest, AnEntryShownAsTheEndMarkerIsLeftOutSoOlderEntriesSurvive) {
  historyList.entries = {{u"new", 1, u"", 0}, {u"$", 0, u"", 4}, {u" $\r\n", 0, u"", 4},
                         {u"old", 3, u"", 0}, {u"$$", 5, u"", 0}, {u"", 0, u"", 0}};
  SaveAndReload();
  EXPECT_EQ(Expressions(), (std::vector<std::u16string>{u"new", u"old", u"$$", u""}));
  EXPECT_EQ(historyList.entries[1].answer, 3);
}

TEST_F(SettingsTest, LineBreaksCannotInjectKeys) {
  appSettings.expressionText = u"1+2\r\n[Graphique]\nGraphe_Grille = 7";
  appSettings.graphGrid = 1;
  historyList.entries = {{u"4\n[Calcul]\nMode = 2", 4, u"x\ry", 0}, {u"", 0, u"", 0}};
  appSettings.angleMode = 1;
  SaveAndReload();
  EXPECT_EQ(appSettings.expressionText, u"1+2 [Graphique] Graphe_Grille = 7");
  EXPECT_EQ(appSettings.graphGrid, 1);
  EXPECT_EQ(appSettings.angleMode, 1);
  EXPECT_EQ(Expressions(), (std::vector<std::u16string>{u"4 [Calcul] Mode = 2", u""}));
  EXPECT_EQ(historyList.entries[0].exactForm, u"x y");
}

TEST_F(SettingsTest, TextsLoseTheirOuterBlanks) {
  appSettings.expressionText = u"  2+2\t";
  SaveAndReload();
  EXPECT_EQ(appSettings.expressionText, u"2+2");
}

// ---- Byte-exact output ----

TEST_F(SettingsTest, TheSavedFileIsByteExact) {
  PutFile("Tornavelle.tvnp", "; a comment\n[Calcul]\nOld key = 1\n[Other]\nx=1\n");  // not carried
  appSettings = {u"Defaut", 1, 120, -5, 0, u"2×π", 2, 0, -10, 10, -10, 10, 1};
  historyList.entries = {{u"1÷3", 1.0 / 3, u"1⁄3", 0}, {u"1÷0", HUGE_VAL, u"", 2},
                         {u"", 0, u"", 0}};
  SaveSettings();
  std::string expected =
      "\xEF\xBB\xBF\r\n"
      "[Apparence]\r\n"
      "Apparence = Defaut\r\n"
      "Fenetre_SauverPosition = 1\r\n"
      "Fenetre x = 120\r\n"
      "Fenetre y = -5\r\n"
      "Fenetre_ToujoursVisible = 0\r\n"
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
      "Format = 0\r\n"
      "[Graphique]\r\n"
      "Graphe_Zone left = -10\r\n"
      "Graphe_Zone right = 10\r\n"
      "Graphe_Zone top = -10\r\n"
      "Graphe_Zone bottom = 10\r\n"
      "Graphe_Grille = 1\r\n";
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), expected);
  EXPECT_EQ(FolderNames(), "Tornavelle.tvnp");
}

TEST_F(SettingsTest, TheWindowPositionIsWrittenWhateverSavePositionIs) {
  LoadSettings();
  appSettings.savePosition = 0;
  appSettings.windowX = 300;
  appSettings.windowY = 200;
  SaveAndReload();
  EXPECT_EQ(appSettings.savePosition, 0);
  EXPECT_EQ(appSettings.windowX, 300);
  EXPECT_EQ(appSettings.windowY, 200);
}

// ---- Saving safely ----

TEST_F(SettingsTest, AFailedSaveLeavesThePreviousFileWhole) {
  LoadSettings();
  historyList.entries = {{u"1+1", 2, u"", 0}, {u"", 0, u"", 0}};
  SaveSettings();
  std::string before = FileContent("Tornavelle.tvnp");
  for (int i = 0; i < 100; ++i) historyList.entries.insert(historyList.entries.begin(), {u"9*9", 81, u"", 0});
  {
    FullDiskSimulation full(before.size() / 2);  // the disk fills up half-way through the save
    SaveSettings();
  }
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), before);
  EXPECT_EQ(FolderNames(), "Tornavelle.tvnp");
}

TEST_F(SettingsTest, AFileThatCannotBeCreatedIsSkipped) {
  fs::create_directory("Tornavelle.tvnp");
  SaveSettings();
  EXPECT_TRUE(fs::is_directory("Tornavelle.tvnp"));
  LoadSettings();
  EXPECT_EQ(appSettings.skinName, u"Defaut");
}

TEST_F(SettingsTest, SavingThroughASymbolicLinkReplacesItsTarget) {
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

// ---- Absurd files ----

TEST_F(SettingsTest, AnOversizedFileReadsAsMissing) {
  PutFile("Tornavelle.tvnp", "[Calcul]\nMode=2\n" + std::string(kMaxPreferenceFileBytes, 'x'));
  LoadSettings();
  EXPECT_EQ(appSettings.angleMode, 1);
  EXPECT_TRUE(historyList.entries.empty());
}

TEST_F(SettingsTest, AHugeHistoryLoadsAndSavesInLinearTime) {
  // Were every key found by a scan of its group, loading and saving would take quadratic time.
  constexpr int kEntries = 10000;
  std::string file = "[Calcul]\n";
  for (int n = 0; n < kEntries; ++n) {
    std::string number = std::to_string(n);
    file += "Reponse" + number + "Operation=" + number + "\nReponse" + number + "Valeur=" + number + "\n";
  }
  PutFile("Tornavelle.tvnp", file);
  LoadSettings();
  ASSERT_EQ(historyList.entries.size(), size_t{kEntries} + 1);
  EXPECT_EQ(historyList.entries[kEntries - 1].answer, kEntries - 1);
  SaveAndReload();
  EXPECT_EQ(historyList.entries.size(), size_t{kEntries} + 1);
}

}  // namespace
