// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstddef>

#include <bit>
#include <cmath>
#include <filesystem>
#include <limits>

#include "../support/failing_reads.h"
#include "../support/peak_heap.h"
#include "../support/temp_folder.h"
#include "platform/unicode.h"
#include "settings/preference_store.h"

namespace {

constexpr char kMark[] = "\xEF\xBB\xBF\r\n";  // what every written file starts with

// Each test has a folder of its own and a store on the file "p.tvnp" there.
class Preference : public ::testing::Test {
 protected:
  bool Open(const std::string& bytes) {
    PutFile("p.tvnp", bytes);
    return store.Open(u"p.tvnp");
  }
  // Reads one key of a file made of the given bytes.
  std::u16string ReadFrom(const std::string& bytes, std::u16string_view group, std::u16string_view key) {
    Open(bytes);
    store.SelectGroup(group);
    return store.ReadString(key, u"<default>");
  }
  // Opens a file of the given bytes, runs the writes, closes and returns what was saved.
  std::string AfterWrites(const std::string& bytes, void (*writes)(PreferenceStore&)) {
    Open(bytes);
    writes(store);
    store.Close();
    return FileContent("p.tvnp");
  }
  TempWorkingFolder folder;
  PreferenceStore store;
};

bool SameDouble(double a, double b) {
  return std::isnan(a) ? std::isnan(b) : std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

std::u16string Key(char prefix, size_t n) { return Utf8ToUtf16(prefix + std::to_string(n)); }
std::u16string Name(const char* prefix, int n) { return Utf8ToUtf16(prefix + std::to_string(n)); }

TEST_F(Preference, ReadingSyntax) {
  struct Case { const char* name; std::string bytes; std::u16string_view group, key, value; } cases[] = {
      {"utf-8 after its mark", "\xEF\xBB\xBF[G]\nk=\xCF\x80\xE2\x88\x9A", u"G", u"k", u"π√"},
      {"iso 8859-1 without a mark", "[G]\nk=\xE9\xFF", u"G", u"k", u"éÿ"},
      {"utf-8 bytes without a mark are two characters", "[G]\nk=\xC3\xA9", u"G", u"k", u"Ã©"},
      {"a mark on a group line", "\xEF\xBB\xBF[G]\r\nk=1", u"G", u"k", u"1"},
      {"CR alone ends a line", "[G]\rk=1\rj=2", u"G", u"j", u"2"},
      {"runs of CR and LF are one line end", "[G]\r\n\r\n\n\rk=1\n\r\r\nj=2", u"G", u"j", u"2"},
      {"no line end at the end of the file", "[G]\nk=last", u"G", u"k", u"last"},
      {"leading blanks before a key", "[G]\n \t k=1", u"G", u"k", u"1"},
      {"blanks around the key and after =", "[G]\nkey \t=\t  v", u"G", u"key", u"v"},
      {"blanks at the value's end are dropped", "[G]\nk = a b \t ", u"G", u"k", u"a b"},
      {"blanks inside a key stay", "[G]\nFenetre x = 5", u"G", u"Fenetre x", u"5"},
      {"a further = belongs to the value", "[G]\nk = a=b", u"G", u"k", u"a=b"},
      {"a line without = is a key with an empty value", "[G]\nk", u"G", u"k", u""},
      {"an empty value is not the default", "[G]\nk =", u"G", u"k", u""},
      {"a comment is not a key", "[G]\n; k=1\n;k=2", u"G", u"k", u"<default>"},
      {"an indented comment", "[G]\n  ;k=2", u"G", u"k", u"<default>"},
      {"a group without ] runs to the line end", "[Calcul\nMode=2", u"Calcul", u"Mode", u"2"},
      {"text after ] is ignored", "[Calcul] extra ]\nMode=2", u"Calcul", u"Mode", u"2"},
      {"an indented group", "  [G]\nk=1", u"G", u"k", u"1"},
      {"keys before the first group belong to none", "k=0\n[G]\nk=1", u"", u"k", u"0"},
      {"they are not in the group", "k=0\n[G]", u"G", u"k", u"<default>"},
      {"a NUL is an ordinary character", std::string("[G]\nk=a\0b", 9), u"G", u"k",
       std::u16string_view(u"a\0b", 3)},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadFrom(c.bytes, c.group, c.key), c.value) << c.name;
}

TEST_F(Preference, FirstGroupAndFirstKeyWin) {
  ASSERT_TRUE(Open("top=0\n[Calcul]\nMode=1\nMode=3\n;c\nOther=4\n[Graphique]\nMode=5\n[CALCUL]\nLate=6\n"));
  struct Case { std::u16string_view group; bool selected; std::u16string_view key; int32_t value; } cases[] = {
      {u"Calcul", true, u"Mode", 1},      // the first of two equal keys
      {u"calcul", true, u"MODE", 1},      // ASCII case ignored in group and key
      {u"Calcul", true, u"Other", 4},     // comments are skipped
      {u"Calcul", true, u"Late", -1},     // only the first group of a name is searched
      {u"Calcul", true, u"top", -1},      // nor does it see keys of no group
      {u"Graphique", true, u"Mode", 5},   // the search stops at the next group
      {u"", true, u"top", 0},
      {u"", true, u"Mode", -1},
      {u"Missing", false, u"Mode", -1},   // a pending group finds nothing
      {u"Missing", false, u"top", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(store.SelectGroup(c.group), c.selected) << Utf16ToUtf8(c.group);
    EXPECT_EQ(store.ReadInt(c.key, -1), c.value) << Utf16ToUtf8(c.group) << "/" << Utf16ToUtf8(c.key);
  }
}

TEST_F(Preference, StoreWithoutAFileIsUsableAndAWriteCreatesIt) {
  PreferenceStore never;
  EXPECT_FALSE(never.SelectGroup(u""));  // no file name is kept
  EXPECT_EQ(never.ReadString(u"k", u"d"), u"d");

  EXPECT_FALSE(store.Open(u"missing.tvnp"));
  EXPECT_TRUE(store.SelectGroup(u""));  // the name is kept, so the store is usable
  EXPECT_FALSE(store.SelectGroup(u"G"));
  EXPECT_EQ(store.ReadInt(u"k", 7), 7);
  store.Close();
  EXPECT_FALSE(std::filesystem::exists("missing.tvnp"));  // nothing written, nothing created

  EXPECT_FALSE(store.Open(u"missing.tvnp"));
  store.WriteString(u"Defaut", u"English");
  store.Close();
  EXPECT_EQ(FileContent("missing.tvnp"), std::string(kMark) + "Defaut = English\r\n");
}

TEST_F(Preference, WhatIsSaved) {
  struct Case { const char* name; std::string before; void (*writes)(PreferenceStore&); std::string after; } cases[] = {
      {"a new key goes at the end of its group", "[A]\na = 1\n[B]\nb = 1\n",
       [](PreferenceStore& s) { s.SelectGroup(u"A"); s.WriteInt(u"a2", 2); },
       "[A]\r\na = 1\r\na2 = 2\r\n[B]\r\nb = 1\r\n"},
      {"an existing key takes the new spelling and value", "[A]\nkey = 1\nkey = 9\n",
       [](PreferenceStore& s) { s.SelectGroup(u"a"); s.WriteString(u"KEY", u"x"); },
       "[A]\r\nKEY = x\r\nkey = 9\r\n"},
      {"a key of no group goes before the first group", "; c\nk0 = 1\n[A]\n",
       [](PreferenceStore& s) { s.WriteInt(u"k1", 1); },
       "; c\r\nk0 = 1\r\nk1 = 1\r\n[A]\r\n"},
      {"at the very start when the file starts with a group", "[A]\na = 1\n",
       [](PreferenceStore& s) { s.SelectGroup(u""); s.WriteInt(u"k", 1); },
       "k = 1\r\n[A]\r\na = 1\r\n"},
      {"at the end when there is no group", "x = 1\n",
       [](PreferenceStore& s) { s.WriteInt(u"k", 1); }, "x = 1\r\nk = 1\r\n"},
      {"a pending group is created at the end by the first write", "[A]\n",
       [](PreferenceStore& s) {
         EXPECT_FALSE(s.SelectGroup(u"New"));
         s.WriteInt(u"n", 1);
         s.WriteInt(u"m", 2);
         EXPECT_TRUE(s.SelectGroup(u"NEW"));
       },
       "[A]\r\n[New]\r\nn = 1\r\nm = 2\r\n"},
      {"an earlier group still takes keys after a new one", "[A]\n",
       [](PreferenceStore& s) {
         s.SelectGroup(u"B"); s.WriteInt(u"b", 1);
         s.SelectGroup(u"A"); s.WriteInt(u"a", 1);
       },
       "[A]\r\na = 1\r\n[B]\r\nb = 1\r\n"},
      {"a later duplicate group is left alone", "[A]\n[A]\nx = 0\n",
       [](PreferenceStore& s) { s.SelectGroup(u"A"); s.WriteInt(u"x", 1); },
       "[A]\r\nx = 1\r\n[A]\r\nx = 0\r\n"},
      {"comments keep their text after one space", ";one\n;  two\n; three \nk=1\n",
       [](PreferenceStore& s) { s.WriteInt(u"k", 2); }, "; one\r\n;  two\r\n; three \r\nk = 2\r\n"},
      {"iso 8859-1 files are saved as utf-8", "[G]\nk=\xE9t\xE9\n",
       [](PreferenceStore& s) { s.WriteInt(u"n", 1); }, "n = 1\r\n[G]\r\nk = \xC3\xA9t\xC3\xA9\r\n"},
      {"line breaks in values become spaces", "[Calcul]\n",
       [](PreferenceStore& s) {
         s.SelectGroup(u"Calcul");
         s.WriteString(u"Operation", u"1+2\r\n[Graphique]\rGraphe_Grille = 0\n\n");
       },
       "[Calcul]\r\nOperation = 1+2 [Graphique] Graphe_Grille = 0  \r\n"},
      {"a key written twice keeps one line, with the last value", "[A]\nk = 1\nj = 2\n",
       [](PreferenceStore& s) {
         s.SelectGroup(u"A");
         s.WriteInt(u"k", 2); s.WriteInt(u"n", 1); s.WriteInt(u"K", 3); s.WriteInt(u"n", 2);
       },
       "[A]\r\nK = 3\r\nj = 2\r\nn = 2\r\n"},
      {"a value longer than the pieces the file is written in", "k = 1\nj = 2\n",
       [](PreferenceStore& s) { s.WriteString(u"k", std::u16string(200000, u'v')); },
       "k = " + std::string(200000, 'v') + "\r\nj = 2\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(AfterWrites(c.before, c.writes), kMark + c.after) << c.name;
}

// Enough groups and keys for the lookup tables to grow many times over, with later keys and a
// later group of names already seen, in other cases: every read finds the first key of its name
// in the first group of its name, and a save keeps every line in its place, rewritten keys with
// their new spelling, new keys at the ends of their groups and new groups at the end.
TEST_F(Preference, ThousandsOfGroupsAndKeys) {
  constexpr int kGroups = 400, kKeys = 25;
  auto value = [](int g, int k) { return g * 1000 + k; };
  auto rewritten = [](int g, int k) { return (g + k) % 7 == 0; };
  std::string file = "top = 1\n", saved = std::string(kMark) + "top = 1\r\n", made;
  for (int g = 0; g < kGroups; ++g) {
    std::string group = "[Group" + std::to_string(g) + "]";
    file += group + "\n";
    saved += group + "\r\n";
    for (int k = 0; k < kKeys; ++k) {
      file += "Key" + std::to_string(k) + "=" + std::to_string(value(g, k)) + "\n";
      saved += (rewritten(g, k) ? "KEY" : "Key") + std::to_string(k) + " = " +
               (rewritten(g, k) ? "-1" : std::to_string(value(g, k))) + "\r\n";
    }
    file += "key0 = later\n";
    saved += "key0 = later\r\n";
    if (g % 3 == 0) saved += "New = " + std::to_string(g) + "\r\n";
    if (g % 100 == 0) made += "[Made" + std::to_string(g) + "]\r\nm = 1\r\n";
  }
  file += "[GROUP5]\nKey1 = late\n";
  saved += "[GROUP5]\r\nKey1 = late\r\n" + made;

  ASSERT_TRUE(Open(file));
  for (int g = 0; g < kGroups; ++g) {
    ASSERT_TRUE(store.SelectGroup(Name("group", g))) << g;
    for (int k = 0; k < kKeys; ++k) EXPECT_EQ(store.ReadInt(Name("KEY", k), -2), value(g, k)) << g << "/" << k;
  }
  EXPECT_TRUE(store.SelectGroup(u""));
  EXPECT_EQ(store.ReadInt(u"top", -2), 1);
  EXPECT_EQ(store.ReadInt(u"Key0", -2), -2);
  for (int g = 0; g < kGroups; ++g) {
    store.SelectGroup(Name("Group", g));
    for (int k = 0; k < kKeys; ++k)
      if (rewritten(g, k)) store.WriteInt(Name("KEY", k), -1);
    if (g % 3 == 0) store.WriteInt(u"New", g);
    if (g % 100 == 0) {
      EXPECT_FALSE(store.SelectGroup(Name("Made", g)));
      store.WriteInt(u"m", 1);
    }
  }
  EXPECT_TRUE(store.SelectGroup(u"GROUP7"));
  EXPECT_EQ(store.ReadInt(u"key0", -2), -1);
  EXPECT_EQ(store.ReadInt(u"key1", -2), 7001);
  EXPECT_EQ(store.ReadInt(u"new", -2), -2);
  EXPECT_TRUE(store.SelectGroup(u"Made200"));
  EXPECT_EQ(store.ReadInt(u"M", -2), 1);
  store.Close();
  EXPECT_EQ(FileContent("p.tvnp"), saved);
}

// A file of hundreds of thousands of tiny lines, opened, read, written and saved: what the store
// holds at any moment stays a small multiple of the file's size, whatever the lines are.
TEST_F(Preference, MemoryStaysASmallMultipleOfTheFile) {
#ifndef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the heap is seen through AddressSanitizer's hooks";
#endif
  // Three characters out of 64 that differ even with ASCII case ignored: every number below 2^18
  // has a name of its own.
  auto name = [](size_t n) {
    const char* digits = "0123456789abcdefghijklmnopqrstuvwxyz!#$%&()*+,-./:<>?@^_{|}~'`\"\\";
    return std::string{digits[n & 63], digits[(n >> 6) & 63], digits[(n >> 12) & 63]};
  };
  struct Case { const char* name; std::string (*line)(size_t n, std::string three); } cases[] = {
      {"one key over and over", [](size_t, std::string) -> std::string { return "a\n"; }},
      {"all different keys", [](size_t, std::string three) { return three + "\n"; }},
      {"empty groups", [](size_t, std::string) -> std::string { return "[\n"; }},
      {"all different groups", [](size_t, std::string three) { return "[" + three + "\n"; }},
      {"a group and a key", [](size_t, std::string three) { return "[" + three + "\nk\n"; }},
      {"iso 8859-1 keys", [](size_t, std::string three) { return "\xE9" + three + "\n"; }},
      {"comments", [](size_t, std::string) -> std::string { return ";\n"; }},
      {"line breaks", [](size_t, std::string) -> std::string { return "\r"; }},
      {"one long key", [](size_t n, std::string) -> std::string { return n ? "v" : "k="; }},
  };
  constexpr size_t kSize = 256u << 10;
  for (const Case& c : cases) {
    std::string bytes;
    for (size_t n = 0; bytes.size() < kSize; ++n) bytes += c.line(n, name(n));
    PutFile("p.tvnp", bytes);
    size_t peak = PeakHeapDuring([this] {
      store.Open(u"p.tvnp");
      store.SelectGroup(u"Calcul");
      store.ReadString(u"Operation", u"");
      store.WriteInt(u"Mode", 2);
      store.Close();
    });
    EXPECT_LE(peak, 6 * bytes.size()) << c.name << ": " << double(peak) / double(bytes.size()) << " times";
  }
}

TEST_F(Preference, AStoreThatWasNotWrittenLeavesTheFileAlone) {
  std::string odd = "[G]\rk=\xE9\r\r;x";  // a form the writer would never give
  EXPECT_EQ(AfterWrites(odd, [](PreferenceStore& s) {
              s.SelectGroup(u"G");
              s.ReadString(u"k", u"");
              s.SelectGroup(u"Other");
            }),
            odd);
}

TEST_F(Preference, CreateStartsAfreshAndReplacesTheFileAtClose) {
  PutFile("p.tvnp", "[Old]\nk=1\n");
  ASSERT_TRUE(store.Create(u"p.tvnp"));
  EXPECT_FALSE(store.SelectGroup(u"Old"));  // the old content is gone from the store
  store.WriteInt(u"k", 2);
  EXPECT_EQ(FileContent("p.tvnp"), "[Old]\nk=1\n");  // and from the disk only at Close
  store.Close();
  EXPECT_EQ(FileContent("p.tvnp"), std::string(kMark) + "[Old]\r\nk = 2\r\n");

  ASSERT_TRUE(store.Create(u"p.tvnp"));
  store.Close();
  EXPECT_EQ(FileContent("p.tvnp"), "");  // created and never written: empty
  EXPECT_EQ(FolderNames(), "p.tvnp");

  std::filesystem::create_directory("dir");
  EXPECT_FALSE(store.Create(u"dir"));
  store.WriteInt(u"k", 1);
  store.Close();
  EXPECT_TRUE(std::filesystem::is_directory("dir"));
}

// Opens a file the process may only read, writes to the store and closes it. Returns whether the
// file was opened and its key read. Root may write any file, so as root this runs in a child
// process that has given up root for the unprivileged user "nobody".
bool WriteToAReadOnlyFile() {
  auto attempt = [] {
    PreferenceStore store;
    bool opened = store.Open(u"p.tvnp");
    store.SelectGroup(u"G");
    bool read = store.ReadInt(u"k", 0) == 1;
    store.WriteInt(u"k", 2);
    store.Close();
    return opened && read;
  };
#ifdef _WIN32
  return attempt();  // the file's read-only attribute holds for every user
#else
  if (geteuid() != 0) return attempt();
  std::filesystem::permissions(".", std::filesystem::perms::all);  // nobody could save here
  pid_t child = fork();
  if (child == 0) _exit(setgid(65534) == 0 && setuid(65534) == 0 && attempt() ? 0 : 1);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

TEST_F(Preference, AFileOpenedOnlyForReadingIsLeftAlone) {
  PutFile("p.tvnp", "[G]\nk=1\n");
  using std::filesystem::perms;
  std::filesystem::permissions("p.tvnp", perms::owner_read | perms::group_read | perms::others_read);
  EXPECT_TRUE(WriteToAReadOnlyFile());
  EXPECT_EQ(FileContent("p.tvnp"), "[G]\nk=1\n");
  EXPECT_EQ(FolderNames(), "p.tvnp");
}

TEST_F(Preference, AFileThatFailsToReadIsLeftAlone) {
  PutFile("p.tvnp", "[G]\nk=1\nother=3\n");
  int outcome = RunWithFailingReads([] {
    PreferenceStore store;
    bool opened = store.Open(u"p.tvnp");
    store.SelectGroup(u"G");
    store.WriteInt(u"k", 2);
    store.Close();
    return !opened;
  });
  if (outcome == 2) GTEST_SKIP() << "this system lets no process filter its own system calls";
  EXPECT_EQ(outcome, 0);
  EXPECT_EQ(FileContent("p.tvnp"), "[G]\nk=1\nother=3\n");  // not replaced by "k = 2" alone
  EXPECT_EQ(FolderNames(), "p.tvnp");
}

TEST_F(Preference, NumbersReadAsAtoiAndAtof) {
  struct IntCase { const char* text; int32_t value; } ints[] = {
      {"2", 2},         {"2abc", 2},      {"abc", 0},      {"", 0},           {"-7", -7},
      {"+5", 5},        {"3.9", 3},       {"0x10", 0},     {"- 1", 0},        {"007", 7},
      {"2147483647", INT32_MAX},          {"2147483648", INT32_MAX},
      {"99999999999999999999999", INT32_MAX},
      {"-2147483648", INT32_MIN},         {"-2147483649", INT32_MIN},
      {"-99999999999999999999999", INT32_MIN},
  };
  struct DoubleCase { const char* text; double value; } doubles[] = {
      {"1.5", 1.5},     {"-2.5e3", -2500}, {"2,5", 2},    {".5", 0.5},     {"abc", 0},
      {"", 0},          {"1e400", HUGE_VAL},               {"-1e400", -HUGE_VAL},
      {"inf", HUGE_VAL}, {"-inf", -HUGE_VAL}, {"infinity", HUGE_VAL}, {"0x1p3", 8},
      {"1e-400", 0},    {"3abc", 3},      {"nan", NAN},    {"-nan", NAN},
  };
  std::string file;
  for (size_t n = 0; n < std::size(ints); ++n) file += "i" + std::to_string(n) + "=" + ints[n].text + "\n";
  for (size_t n = 0; n < std::size(doubles); ++n) file += "d" + std::to_string(n) + "=" + doubles[n].text + "\n";
  ASSERT_TRUE(Open(file));
  for (size_t n = 0; n < std::size(ints); ++n)
    EXPECT_EQ(store.ReadInt(Key('i', n), 12345), ints[n].value) << ints[n].text;
  for (size_t n = 0; n < std::size(doubles); ++n) {
    double read = store.ReadDouble(Key('d', n), 777);
    EXPECT_TRUE(SameDouble(read, doubles[n].value)) << doubles[n].text << " read as " << read;
  }
}

TEST_F(Preference, NumbersAreWrittenShortestAndReadBackExactly) {
  using limits = std::numeric_limits<double>;
  struct Case { double value; const char* text = nullptr; } doubles[] = {
      {0.1, "0.1"},  {1e16, "1e+16"},     {-0.0, "-0"},  {0.0, "0"},        {2.5, "2.5"},
      {HUGE_VAL, "inf"}, {-HUGE_VAL, "-inf"}, {NAN, "nan"}, {-NAN, "nan"},
      {5e-324, "5e-324"}, {1.7976931348623157e308, "1.7976931348623157e+308"},
      // Those without a text only need to come back as they were.
      {-0.1}, {1.0 / 3}, {3.141592653589793}, {1e23}, {123456789012345678.0}, {-limits::denorm_min()},
      {2.2250738585072009e-308}, {1e-310}, {limits::min()}, {-limits::min()}, {limits::lowest()},
      {limits::epsilon()},
  };
  struct IntCase { int32_t value; const char* text; } ints[] = {
      {0, "0"}, {-10000, "-10000"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
  {
    PreferenceStore writer;
    ASSERT_TRUE(writer.Create(u"p.tvnp"));
    for (size_t n = 0; n < std::size(doubles); ++n) writer.WriteDouble(Key('d', n), doubles[n].value);
    for (size_t n = 0; n < std::size(ints); ++n) writer.WriteInt(Key('i', n), ints[n].value);
  }  // closing at the end of the scope saves

  std::string saved = FileContent("p.tvnp");
  for (size_t n = 0; n < std::size(doubles); ++n)
    if (doubles[n].text) {
      std::string line = "\nd" + std::to_string(n) + " = " + doubles[n].text + "\r\n";
      EXPECT_NE(saved.find(line), std::string::npos) << line;
    }
  for (size_t n = 0; n < std::size(ints); ++n) {
    std::string line = "\ni" + std::to_string(n) + " = " + ints[n].text + "\r\n";
    EXPECT_NE(saved.find(line), std::string::npos) << line;
  }
  ASSERT_TRUE(store.Open(u"p.tvnp"));
  for (size_t n = 0; n < std::size(doubles); ++n) {
    double back = store.ReadDouble(Key('d', n), 42);
    EXPECT_TRUE(SameDouble(back, doubles[n].value)) << doubles[n].value << " came back as " << back;
  }
}

TEST_F(Preference, AnOversizedFileReadsAsMissing) {
  EXPECT_FALSE(Open("[G]\nk=1\n" + std::string(kMaxPreferenceFileBytes, ';')));
  EXPECT_FALSE(store.SelectGroup(u"G"));
  EXPECT_EQ(store.ReadInt(u"k", 5), 5);
}

// A content Open could not read back (it takes files up to kMaxPreferenceFileBytes) is never
// saved: the file keeps what it held, and no temporary file stays behind.
TEST_F(Preference, AContentTooLargeToReadBackIsNotSaved) {
  constexpr size_t kMost = kMaxPreferenceFileBytes;
  // A file in the written form of the given size, one key long; writing "j = 1" adds 7 bytes.
  auto fileOf = [](size_t bytes) { return std::string(kMark) + "k = " + std::string(bytes - 11, 'v') + "\r\n"; };
  struct Case { const char* name; std::string before; size_t createdValue; bool saved; } cases[] = {
      {"read and written, as large as can be read", fileOf(kMost - 7), 0, true},
      {"read and written, a byte more", fileOf(kMost - 6), 0, false},
      {"created, a byte more", "[Old]\n", kMost - 10, false},  // the mark and "k = ", CR LF: 11
  };
  for (const Case& c : cases) {
    PutFile("p.tvnp", c.before);
    if (c.createdValue) {
      ASSERT_TRUE(store.Create(u"p.tvnp")) << c.name;
      store.WriteString(u"k", std::u16string(c.createdValue, u'v'));
    } else {
      ASSERT_TRUE(store.Open(u"p.tvnp")) << c.name;
      store.WriteInt(u"j", 1);
    }
    store.Close();
    EXPECT_EQ(std::filesystem::file_size("p.tvnp"), c.saved ? kMost : c.before.size()) << c.name;
    EXPECT_EQ(FolderNames(), "p.tvnp") << c.name;
  }
}

TEST_F(Preference, BinaryContentParses) {
  std::string bytes;
  uint32_t state = 12345;
  for (int i = 0; i < 100000; ++i) {
    state = state * 1103515245 + 12345;
    bytes += static_cast<char>(state >> 24);
  }
  for (const std::string& prefix : {std::string(), std::string("\xEF\xBB\xBF")}) {
    EXPECT_TRUE(Open(prefix + bytes));
    store.SelectGroup(u"Calcul");
    store.ReadString(u"Operation", u"");
    store.WriteInt(u"Mode", 2);
    store.Close();
    store.Open(u"p.tvnp");
    store.SelectGroup(u"Calcul");
    EXPECT_EQ(store.ReadInt(u"Mode", 0), 2);
  }
}

}  // namespace
