// SPDX-License-Identifier: GPL-3.0-or-later
// Saves that survive a crash: a process that loads, changes and saves the settings over and over
// is killed at a thousand random moments. The settings file must always be exactly what one save
// or the other wrote, and what the killed saves left beside it must go at the next save.
#include <gtest/gtest.h>
// Killing a process at a random moment needs fork and signals: a POSIX test.
#ifndef _WIN32
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "../support/temp_folder.h"
#include "platform/unicode.h"
#include "settings/settings.h"

namespace {

// Two settings that differ in every part: a full history (31 entries) of long calculations with
// their answers and exact forms, the line being typed, the angle mode and the window's place.
struct State {
  AppSettings settings;
  HistoryList history;
};
State MakeState(int which) {
  State state;
  AppSettings& s = state.settings;
  s.skinName = u"Defaut";
  s.savePosition = 1;
  s.windowX = which ? 640 : 12;
  s.windowY = which ? 480 : 34;
  s.expressionText = which ? u"2×π" : u"√(2)+";
  s.angleMode = which ? 2 : 1;
  for (int n = 1; n <= 31; ++n) {
    std::string number = std::to_string(n), sum;
    for (int term = 1; term <= 12; ++term) sum += "+" + std::to_string(term * n);
    state.history.entries.push_back(
        which ? HistoryEntry{Utf8ToUtf16(number + "÷7" + sum), n / 7.0, Utf8ToUtf16(number + "⁄7"), 0}
              : HistoryEntry{Utf8ToUtf16("√(" + number + ")" + sum), std::sqrt(double(n)), u"", n % 3});
  }
  return state;
}
const State kStates[] = {MakeState(0), MakeState(1)};

void Become(int which) {
  appSettings = kStates[which].settings;
  historyList = kStates[which].history;
  settingsFileKept = 0;
}

// What the child does over and over: load the file, and save the other state.
void SwitchState() {
  historyList = HistoryList();
  LoadSettings();
  Become(appSettings.angleMode == 2 ? 0 : 1);
  SaveSettings();
}

// The temporary file a save by the process left, if any.
bool LeftATemporaryFile(pid_t process) {
  std::string mark = ".Tornavelle.tvnp.tmp-" + std::to_string(process) + "-";
  for (const auto& entry : std::filesystem::directory_iterator("."))
    if (entry.path().filename().string().starts_with(mark)) return true;
  return false;
}

TEST(SaveUnderKill, TheFileIsAlwaysOneWholeSaveAndNothingIsLeftBehind) {
  // In memory when it can be: what a killed process wrote is in the system's cache either way,
  // and there the flushes cost nothing, so the thousand kills take seconds, not minutes.
  TempWorkingFolder folder(std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                                                                     : std::filesystem::temp_directory_path());
  Become(0);
  SaveSettings();
  const std::string a = FileContent(kSettingsFileName);
  Become(1);
  SaveSettings();
  const std::string b = FileContent(kSettingsFileName);
  ASSERT_NE(a, b);
  ASSERT_GT(a.size(), 3000u);

  // The kills fall anywhere in about one and a half rounds of loading and saving, so in every
  // part of one: reading, building the text, writing, flushing, renaming.
  auto start = std::chrono::steady_clock::now();
  for (int n = 0; n < 10; ++n) SwitchState();
  auto round = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start) / 10;
  std::mt19937 random(16);
  std::uniform_int_distribution<int64_t> moment(0, round.count() * 3 / 2);

  int duringSave = 0;  // kills that left a save unfinished
  const pid_t parent = getpid();
  for (int kill = 1; kill <= 1000; ++kill) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Should the test itself be stopped, its child must not go on saving for ever.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(1);
      for (;;) SwitchState();
    }
    std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    // The child never stops by itself: any other end is a crash of its own.
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "kill " << kill << ", status " << status;
    std::string now = FileContent(kSettingsFileName);
    ASSERT_TRUE(now == a || now == b) << "kill " << kill << ": the file holds " << now.size() << " bytes";
    duringSave += LeftATemporaryFile(child);
    if (kill % 100 == 0) {
      // A save after the kills reads what they saved and removes every temporary file they left.
      SwitchState();
      EXPECT_EQ(FileContent(kSettingsFileName), now == a ? b : a) << "kill " << kill;
      ASSERT_EQ(FolderNames(), "Tornavelle.tvnp") << "kill " << kill;
    }
  }
  // Otherwise the kills would have missed what they are for. A save reads the file before it
  // writes (to keep what the program does not know), and the temporary file lives only while
  // the new content is written, flushed and renamed: a few percent of a round.
  EXPECT_GE(duringSave, 10);
  std::cout << duringSave << " of the 1000 kills fell during a save\n";
}

}  // namespace

#endif  // _WIN32
