// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>

#include "../support/temp_folder.h"
#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

// Each test runs in a folder of its own.
class Files : public ::testing::Test {
  TempWorkingFolder folder;
};
using FileReplacements = Files;

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// A path written with "/" as this system writes it.
std::string OnThisSystem(std::string path) {
  std::replace(path.begin(), path.end(), '/', kSeparator);
  return path;
}

TEST_F(Files, BackslashIsTheFolderSeparator) {
  EXPECT_EQ(NativePath("Lng-Tornavelle\\Francais.Txt"), OnThisSystem("Lng-Tornavelle/Francais.Txt"));
  EXPECT_EQ(NativePath("Apparence\\Defaut\\"), OnThisSystem("Apparence/Defaut/"));
  EXPECT_EQ(NativePath("a/b\\c"), OnThisSystem("a/b/c"));
  PutFile("Lng-Tornavelle/Francais.Txt", "x");
  EXPECT_TRUE(FileExists("Lng-Tornavelle\\Francais.Txt"));
}

TEST_F(Files, CreateWriteTruncateAndReadWhole) {
  PlatformFile file;
  ASSERT_TRUE(CreatePlatformFile("a.bin", &file));
  EXPECT_TRUE(WritePlatformFile(file, 0, "hello world"));
  EXPECT_TRUE(WritePlatformFile(file, 6, "there"));
  std::string bytes;
  EXPECT_TRUE(ReadWholePlatformFile(file, 100, &bytes));
  EXPECT_EQ(bytes, "hello there");
  EXPECT_TRUE(TruncatePlatformFile(file, 5));
  EXPECT_TRUE(ReadWholePlatformFile(file, 100, &bytes));
  EXPECT_EQ(bytes, "hello");
  ClosePlatformFile(&file);
  EXPECT_EQ(file.native, -1);
  ClosePlatformFile(&file);  // closing twice is harmless

  ASSERT_TRUE(CreatePlatformFile("a.bin", &file));  // creating again empties the file
  ClosePlatformFile(&file);
  EXPECT_EQ(FileContent("a.bin"), "");
}

TEST_F(Files, ReadOnlyOpenCannotWrite) {
  PutFile("r.txt", "abc");
  PlatformFile file;
  ASSERT_TRUE(OpenPlatformFile("r.txt", FileAccess::ReadOnly, &file));
  EXPECT_FALSE(WritePlatformFile(file, 0, "x"));
  ClosePlatformFile(&file);
  EXPECT_EQ(FileContent("r.txt"), "abc");
}

TEST_F(Files, OnlyRegularFilesOpen) {
  fs::create_directory("dir");
#ifdef _WIN32
  const char* device = "NUL";  // a device name opens like a file anywhere
#else
  const char* device = "pipe";
  ASSERT_EQ(mkfifo(device, 0666), 0);
#endif
  PlatformFile file;
  struct Case { const char* path; FileAccess access; } cases[] = {
      {"missing", FileAccess::ReadOnly}, {"dir", FileAccess::ReadOnly},
      {"dir", FileAccess::ReadWrite},    {device, FileAccess::ReadOnly},  // must not block
      {device, FileAccess::ReadWrite},
  };
  for (const auto& c : cases) EXPECT_FALSE(OpenPlatformFile(c.path, c.access, &file)) << c.path;
  EXPECT_FALSE(CreatePlatformFile("dir", &file));
  EXPECT_FALSE(FileExists("dir"));
  EXPECT_FALSE(FileExists(device));
  EXPECT_FALSE(FileExists("missing"));
}

TEST_F(Files, ReadingStopsAtTheSizeLimit) {
  PutFile("big", std::string(101, 'x'));
  PutFile("fits", std::string(100, 'y'));
  std::string bytes = "old";
  EXPECT_FALSE(ReadFileBytes("big", 100, &bytes));
  EXPECT_EQ(bytes, "");
  EXPECT_TRUE(ReadFileBytes("fits", 100, &bytes));
  EXPECT_EQ(bytes, std::string(100, 'y'));
  EXPECT_FALSE(ReadFileBytes("missing", 100, &bytes));

  // A caller must tell a file too large to read from one that failed to read: the first may be
  // replaced, the second must be kept. Offset 0 of the process's own memory is never mapped, so
  // reading it fails with an I/O error.
  struct Case { const char* path; bool read, tooLarge; std::string bytes; } cases[] = {
      {"big", false, true, ""},
      {"fits", true, false, std::string(100, 'y')},
#ifdef __linux__
      {"/proc/self/mem", false, false, ""},
#endif
  };
  for (const auto& c : cases) {
    PlatformFile file;
    ASSERT_TRUE(OpenPlatformFile(c.path, FileAccess::ReadOnly, &file)) << c.path;
    bytes = "old";
    bool tooLarge = !c.tooLarge;
    EXPECT_EQ(ReadWholePlatformFile(file, 100, &bytes, &tooLarge), c.read) << c.path;
    EXPECT_EQ(tooLarge, c.tooLarge) << c.path;
    EXPECT_EQ(bytes, c.bytes) << c.path;
    ClosePlatformFile(&file);
  }
}

TEST_F(Files, ListingMatchesTheExtensionInAnyCaseAndSortsByName) {
  for (const char* name : {"b/Zulu.txt", "b/Alpha.TXT", "b/mid.Txt", "b/readme.md", "b/x.txt.bak",
                           "b/.txt"})
    PutFile(name, "");
  fs::create_directory("b/folder.txt");
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder("b", ".txt", &names));
  EXPECT_EQ(names, (std::vector<std::string>{".txt", "Alpha.TXT", "Zulu.txt", "mid.Txt"}));
  EXPECT_FALSE(ListFolder("missing", ".txt", &names));
  EXPECT_TRUE(names.empty());
}

TEST_F(Files, ExtensionCaseIsIgnoredButNotTheNameCase) {
  PutFile("L/English.Txt", "");
  PutFile("L/both.txt", "");
  PutFile("L/both.TXT", "");
  PutFile("L/plain", "");
  struct Case { const char* path; const char* found; } cases[] = {
      {"L\\English.txt", "L/English.Txt"},
      {"L\\English.Txt", "L/English.Txt"},
      {"L\\English.TXT", "L/English.Txt"},
      {"L\\english.txt", ""},            // the name itself keeps its case
      {"L\\plain", "L/plain"},
      {"L\\Plain", ""},
      {"L\\Missing.txt", ""},
      {"Nowhere\\English.txt", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindFileIgnoringExtensionCase(c.path), OnThisSystem(c.found)) << c.path;
  // A folder that tells names apart by case holds both spellings; a Windows folder holds one.
  if (FolderNames("L").find("both.TXT both.txt") != std::string::npos) {
    EXPECT_EQ(FindFileIgnoringExtensionCase("L\\both.Txt"), OnThisSystem("L/both.TXT"))
        << "several spellings: the first by name";
    EXPECT_EQ(FindFileIgnoringExtensionCase("L\\both.txt"), OnThisSystem("L/both.txt"))
        << "the exact spelling wins";
  }
  PutFile("Top.TXT", "");
  EXPECT_EQ(FindFileIgnoringExtensionCase("Top.txt"), "Top.TXT");
}

TEST_F(Files, RenameReplacesTheDestination) {
  PutFile("a", "new");
  PutFile("b", "old");
  EXPECT_TRUE(RenameFile("a", "b"));
  EXPECT_EQ(FileContent("b"), "new");
  EXPECT_FALSE(FileExists("a"));
  EXPECT_FALSE(RenameFile("a", "c"));
}

TEST_F(FileReplacements, ReplacesTheWholeFileAndKeepsItsPermissions) {
  PutFile("s.tvnp", "old content that is longer");
#ifdef _WIN32
  SetFileAttributesW(L"s.tvnp", FILE_ATTRIBUTE_HIDDEN);
#else
  chmod("s.tvnp", 0640);
#endif
  FileReplacement replacement;
  ASSERT_TRUE(BeginFileReplacement("s.tvnp", &replacement));
  EXPECT_EQ(FileContent("s.tvnp"), "old content that is longer");  // untouched until the commit
  EXPECT_TRUE(CommitFileReplacement(&replacement, "new"));
  EXPECT_EQ(FileContent("s.tvnp"), "new");
#ifdef _WIN32
  EXPECT_NE(GetFileAttributesW(L"s.tvnp") & FILE_ATTRIBUTE_HIDDEN, 0u);
#else
  EXPECT_EQ(fs::status("s.tvnp").permissions(), fs::perms(0640));
#endif
  EXPECT_EQ(FolderNames(), "s.tvnp");
}

TEST_F(FileReplacements, CreatesAMissingFile) {
  FileReplacement replacement;
  EXPECT_FALSE(BeginFileReplacement("sub\\n.tvnp", &replacement));  // no folder yet
  fs::create_directory("sub");
  ASSERT_TRUE(BeginFileReplacement("sub\\n.tvnp", &replacement));
  EXPECT_TRUE(CommitFileReplacement(&replacement, "x"));
  EXPECT_EQ(FileContent("sub/n.tvnp"), "x");
  EXPECT_EQ(FolderNames("sub"), "n.tvnp");
}

TEST_F(FileReplacements, FollowsSymbolicLinksToTheirTarget) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
  PutFile("real/s.tvnp", "old");
  fs::create_directory("links");
  fs::create_symlink("../real/s.tvnp", "links/hop");  // relative to the link's folder
  fs::create_symlink("links/hop", "s.tvnp");
  FileReplacement replacement;
  ASSERT_TRUE(BeginFileReplacement("s.tvnp", &replacement));
  EXPECT_TRUE(CommitFileReplacement(&replacement, "new"));
  EXPECT_TRUE(fs::is_symlink("s.tvnp"));
  EXPECT_TRUE(fs::is_symlink("links/hop"));
  EXPECT_EQ(FileContent("real/s.tvnp"), "new");
  EXPECT_EQ(FolderNames("real"), "s.tvnp");

  fs::create_symlink("loop", "loop");
  EXPECT_FALSE(BeginFileReplacement("loop", &replacement));
}

TEST_F(FileReplacements, AFailedWriteLeavesThePreviousFileWhole) {
  std::string old(4000, 'o');
  PutFile("s.tvnp", old);
  FileReplacement replacement;
  ASSERT_TRUE(BeginFileReplacement("s.tvnp", &replacement));
  if (!FullDiskSimulation::Available()) {
    AbandonFileReplacement(&replacement);
    GTEST_SKIP() << "no full disk can be simulated here";
  }
  {
    FullDiskSimulation full(1000);
    EXPECT_FALSE(CommitFileReplacement(&replacement, std::string(3000, 'n')));
  }
  EXPECT_EQ(FileContent("s.tvnp"), old);
  EXPECT_EQ(FolderNames(), "s.tvnp");  // the temporary file is gone
}

TEST_F(FileReplacements, ContentGivenInPartsFollowsInOrder) {
  PutFile("s.tvnp", "old content");
  FileReplacement replacement;
  ASSERT_TRUE(BeginFileReplacement("s.tvnp", &replacement));
  EXPECT_TRUE(WriteFileReplacement(&replacement, "one "));
  EXPECT_TRUE(WriteFileReplacement(&replacement, ""));
  EXPECT_TRUE(WriteFileReplacement(&replacement, std::string(100000, 't')));
  EXPECT_EQ(FileContent("s.tvnp"), "old content");
  EXPECT_TRUE(CommitFileReplacement(&replacement, " end"));
  EXPECT_EQ(FileContent("s.tvnp"), "one " + std::string(100000, 't') + " end");
  EXPECT_EQ(FolderNames(), "s.tvnp");
}

TEST_F(FileReplacements, AFailedPartFailsTheCommitEvenAfterRoomCameBack) {
  PutFile("s.tvnp", "old");
  FileReplacement replacement;
  ASSERT_TRUE(BeginFileReplacement("s.tvnp", &replacement));
  EXPECT_TRUE(WriteFileReplacement(&replacement, std::string(500, 'a')));
  if (!FullDiskSimulation::Available()) {
    AbandonFileReplacement(&replacement);
    GTEST_SKIP() << "no way to simulate a full disk here";
  }
  {
    FullDiskSimulation full(1000);
    EXPECT_FALSE(WriteFileReplacement(&replacement, std::string(800, 'b')));
  }
  // The later parts would fit, but the content would have a hole where the lost part was.
  EXPECT_FALSE(WriteFileReplacement(&replacement, "c"));
  EXPECT_FALSE(CommitFileReplacement(&replacement, "d"));
  EXPECT_EQ(FileContent("s.tvnp"), "old");
  EXPECT_EQ(FolderNames(), "s.tvnp");
}

// A process killed while it saved leaves its temporary file behind; the next save removes it, but
// neither the temporary files of processes that still run (another instance saving the same
// file) nor files that only look like one.
#ifdef _WIN32
// A process of this program, started suspended so that it runs none of it; ended at once or
// left running until the test ends. An ended one's handle stays open, as another program may hold
// it, which also keeps its number from going to a new process meanwhile.
struct OtherProcess {
  PROCESS_INFORMATION info = {};
  bool running = false;
  explicit OtherProcess(bool ended) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    // Under Wine a start now and then fails while other programs start beside it (seen once in a
    // full run): a few tries, each a new process.
    for (int attempt = 0; attempt < 5 && !running; ++attempt)
      running = CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &info) != 0;
    if (ended) End();
  }
  ~OtherProcess() {
    End();
    if (info.hProcess) {
      CloseHandle(info.hThread);
      CloseHandle(info.hProcess);
    }
  }
  void End() {
    if (!running) return;
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, INFINITE);
    running = false;
  }
  bool Started() const { return info.hProcess != nullptr; }
  std::string Number() const { return std::to_string(info.dwProcessId); }
};
std::string OwnNumber() { return std::to_string(GetCurrentProcessId()); }
#else
struct OtherProcess {
  pid_t process = 0;
  bool running = false;
  explicit OtherProcess(bool ended) {
    process = fork();
    if (process == 0) {
      if (!ended) pause();
      _exit(0);
    }
    running = process > 0;
    if (ended) End();
  }
  ~OtherProcess() { End(); }
  void End() {
    if (!running) return;
    kill(process, SIGKILL);
    waitpid(process, nullptr, 0);
    running = false;
  }
  bool Started() const { return process > 0; }
  std::string Number() const { return std::to_string(process); }
};
std::string OwnNumber() { return std::to_string(getpid()); }
#endif

TEST_F(FileReplacements, ASaveRemovesWhatKilledSavesLeft) {
  // The running one first: process numbers go up, so the ended one's cannot be the same.
  const OtherProcess running(false), ended(true);
  ASSERT_TRUE(running.Started() && ended.Started());
  std::string dead = ended.Number(), live = running.Number(), self = OwnNumber();
  struct Case { std::string name; bool removed; } cases[] = {
      {".s.tvnp.tmp-" + dead + "-0", true},
      {".s.tvnp.tmp-" + dead + "-4294967295", true},
      {".s.tvnp.tmp-" + self + "-7", false},  // this process's, perhaps a save in progress
      {".s.tvnp.tmp-" + live + "-0", false},  // another instance saving the same file
      {".other.tvnp.tmp-" + dead + "-0", false},
      {"s.tvnp.tmp-" + dead + "-0", false},
      {".s.tvnp.tmp-" + dead + "-", false},
      {".s.tvnp.tmp-" + dead, false},
      {".s.tvnp.tmp--" + dead + "-0", false},
      {".s.tvnp.tmp-" + dead + "-0x", false},
      {".s.tvnp.tmp-99999999999-0", false},
  };
  PutFile("s.tvnp", "old");
  for (const Case& c : cases) PutFile(c.name, "partial");
  FileReplacement replacement;
  ASSERT_TRUE(BeginFileReplacement("s.tvnp", &replacement));
  ASSERT_TRUE(CommitFileReplacement(&replacement, "new"));
  EXPECT_EQ(FileContent("s.tvnp"), "new");
  for (const Case& c : cases) EXPECT_EQ(fs::exists(c.name), !c.removed) << c.name;
}

TEST_F(FileReplacements, AbandoningOrAFolderLeavesTheTargetAlone) {
  PutFile("s.tvnp", "old");
  FileReplacement replacement;
  ASSERT_TRUE(BeginFileReplacement("s.tvnp", &replacement));
  AbandonFileReplacement(&replacement);
  EXPECT_EQ(FileContent("s.tvnp"), "old");
  EXPECT_EQ(FolderNames(), "s.tvnp");

  fs::create_directory("d.tvnp");
  EXPECT_FALSE(BeginFileReplacement("d.tvnp", &replacement));
  EXPECT_EQ(FolderNames(), "d.tvnp s.tvnp");
}

}  // namespace
