// SPDX-License-Identifier: GPL-3.0-or-later
// Menus, dialogs, the clipboard and the process on a real X server.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <sys/un.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "../../support/other_user.h"
#include "../../support/shell.h"
#include "child_modes.h"
#include "platform/caret_blink.h"
#include "desktop.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/gtk/gtk_control.h"
#include "platform/menus.h"
#include "platform/process.h"
#include "platform/timers.h"
#include "platform/unicode.h"

int RunChildMode(const char* mode, int argc, char** argv) {
  std::string m = mode;
  if (m.rfind("report:", 0) == 0) {
    std::ofstream out(m.substr(7));
    char cwd[4096] = "";
    out << Utf16ToUtf8(OwnExecutablePath()) << "\n"
        << (getcwd(cwd, sizeof cwd) ? cwd : "") << "\n"
        << argc << "\n"
        << (argc > 0 ? argv[0] : "") << "\n";
    return 0;
  }
  if (m == "claim") {  // a second start in the working folder: its claim is the exit code
    if (!StartPlatform()) return 9;
    return static_cast<int>(ClaimWorkingFolder());
  }
  if (m.rfind("copy:", 0) == 0) {
    if (!StartPlatform() || !SetClipboardText(Utf8ToUtf16(m.substr(5)))) return 1;
    EndProgram(5);
  }
  return 2;
}

namespace {

class ServicesOnX : public ::testing::Test {
 protected:
  void SetUp() override {
    window = OpenPlainWindow(300, 200, 200, 100, 0xFF808080);
    Focus(window);
    ASSERT_TRUE(NewPopupMenu(3));
    AddMenuEntry(3, 1, u"Un\t     +");
    AddMenuEntry(3, 2, u"Deux_deux\t     ^2");
    BeginSubmenu(3, u"Fonctions");
    AddMenuEntry(3, 11, u"sinus");
    AddMenuEntry(3, 12, u"cosinus");
    EndSubmenu(3);
    AddMenuSeparator(3);
    AddMenuEntry(3, 4, u"Quatre");
  }
  void TearDown() override { StopPlatform(); }

  // Shows menu 3 after a right click, chooses with the keys, and returns the commands that
  // arrived afterwards.
  std::vector<uint32_t> Choose(const std::string& keys, int32_t pauseMs = 0,
                               const std::string& screenshot = "") {
    MoveMouse(350, 230);
    Xdotool("click 3");
    std::vector<Event> clicks = CollectEventsThrough([](const Event& e) { return e.code == kEventRightUp; });
    EXPECT_FALSE(clicks.empty());
    WhenPopupShown([keys, pauseMs, screenshot](GtkWindow* menu) {
      gint x = 0, y = 0;  // it opens at the pointer
      gdk_window_get_origin(gtk_widget_get_window(GTK_WIDGET(menu)), &x, &y);
      EXPECT_NEAR(x, 350, 12);
      EXPECT_NEAR(y, 230, 12);
      if (!screenshot.empty()) TakeScreenshot(screenshot);
      PumpDesktop(pauseMs);  // the menu stays open a while
      Xdotool("key --delay 40 " + keys);
    });
    EXPECT_TRUE(ShowPopupMenu(3, window));
    std::vector<uint32_t> commands;
    for (const Event& e : CollectEvents(300)) {
      if (e.code == kEventMenuCommand) {
        commands.push_back(e.parameter);
        EXPECT_EQ(e.window, window);
      }
    }
    return commands;
  }

  WindowHandle window = 0;
};

TEST_F(ServicesOnX, AMenuChoiceArrivesAsALaterEvent) {
  struct Case {
    const char* keys;
    std::vector<uint32_t> commands;
  };
  const Case cases[] = {
      {"Down Return", {1}},
      {"Down Down Return", {2}},
      {"Down Down Down Right Down Return", {12}},
      {"Up Return", {4}},
      {"Escape", {}},
  };
  bool first = true;
  for (const Case& c : cases) {
    EXPECT_EQ(Choose(c.keys, 0, first ? "menu" : ""), c.commands) << c.keys;
    first = false;
  }
  EXPECT_FALSE(ShowPopupMenu(99, window));
  EXPECT_FALSE(ShowPopupMenu(3, 999));
  EXPECT_FALSE(AddMenuEntry(3, 0, u"nothing"));
}

// While a menu is open the timer goes on ticking into the queue, one tick at most, and the
// choice comes after it.
TEST_F(ServicesOnX, EventsDuringAMenuWaitInTheQueueWithoutPilingUp) {
  MoveMouse(350, 230);
  ASSERT_TRUE(StartTimer(window, 78, 20));
  WhenPopupShown([](GtkWindow*) {
    PumpDesktop(300);
    Xdotool("key --delay 40 Down Down Return");
  });
  EXPECT_TRUE(ShowPopupMenu(3, window));
  StopTimer(window, 78);
  // The menu takes the keyboard and the pointer, and gives them back: those come as events too.
  std::vector<std::pair<int32_t, uint32_t>> queued;
  for (Event e = PollEvent(); e.code != kEventNone; e = PollEvent())
    if (e.code != kEventFocus && e.code != kEventMouseLeave) queued.emplace_back(e.code, e.parameter);
  std::vector<std::pair<int32_t, uint32_t>> expected = {{kEventTimer, 78},
                                                        {kEventMenuCommand, 2}};
  EXPECT_EQ(queued, expected);
}

TEST_F(ServicesOnX, TheLanguageDialogReturnsTheChoiceOrNothing) {
  const std::vector<std::u16string> items = {u"Deutsch", u"English", u"Français", u"Русский",
                                             u"日本語"};
  const std::vector<std::u16string> prompts = {u"Wählen Sie die Sprache:", u"Choose the language:",
                                               u"Choisissez la langue :", u"Выберите язык:",
                                               u"言語を選んでください："};
  struct Case {
    int preselected;
    const char* keys;  // nullptr: the window is closed
    std::optional<std::u16string> result;
  };
  // OK is the default button: Enter on the list takes the selection at once.
  const Case cases[] = {
      {2, "Tab Return", u"Français"},
      {0, "Down Tab Return", u"English"},
      {-1, "Tab Return", u""},
      {1, nullptr, std::nullopt},
      {2, "Return", u"Français"},
      {2, "Down KP_Enter", u"Русский"},
      {4, "Return", u"日本語"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preselected);
    std::string title, prompt;
    int width = 0, height = 0;
    bool rowsApart = true;
    WhenDialogShown([&c, &title, &width, &height, &prompt, &rowsApart](GtkWindow* dialog) {
      title = gtk_window_get_title(dialog);
      GtkWidget* content = gtk_bin_get_child(GTK_BIN(dialog));
      width = gtk_widget_get_allocated_width(content);
      height = gtk_widget_get_allocated_height(content);
      // The line, the list and the button, one under the other: none covers another.
      GList* rows = gtk_container_get_children(GTK_CONTAINER(content));
      int bottom = 0;
      for (GList* row = rows; row; row = row->next) {
        GtkAllocation box;
        gtk_widget_get_allocation(GTK_WIDGET(row->data), &box);
        rowsApart = rowsApart && box.y >= bottom;
        bottom = box.y + box.height;
        if (GTK_IS_LABEL(row->data)) prompt = gtk_label_get_text(GTK_LABEL(row->data));
      }
      g_list_free(rows);
      if (c.preselected == 0) TakeScreenshot("language-dialog");
      GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(dialog));
      if (!c.keys) {
        gtk_window_close(dialog);
        return;
      }
      Xdotool("windowfocus --sync " + std::to_string(GDK_WINDOW_XID(gdkWindow)));
      Xdotool(std::string("key --delay 40 ") + c.keys);
    });
    std::optional<std::u16string> result =
        ShowLanguageDialog(u"Langue / Language", items, c.preselected, prompts);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(title, "Langue / Language");
    // Its rows grow with their text, within the margins.
    EXPECT_GE(width, kLanguageDialogWidth - 2 * kLanguageDialogMargin);
    EXPECT_GE(height, 3 * kLanguageDialogRow);
    EXPECT_TRUE(rowsApart);
    EXPECT_EQ(prompt, Utf16ToUtf8(LanguagePrompt(prompts, c.preselected)));
  }
}

TEST_F(ServicesOnX, TheMessageBoxWaitsForOk) {
  std::string title, text;
  WhenDialogShown([&title, &text](GtkWindow* dialog) {
    title = gtk_window_get_title(dialog);
    gchar* message = nullptr;
    g_object_get(dialog, "text", &message, nullptr);
    text = message ? message : "";
    g_free(message);
    TakeScreenshot("message-box");
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(dialog));
    Xdotool("windowfocus --sync " + std::to_string(GDK_WINDOW_XID(gdkWindow)));
    Xdotool("key Return");
  });
  ASSERT_TRUE(StartTimer(window, 78, 20));
  CollectEvents(50);
  ShowMessageBox(window, u"Tornavelle", u"Le dossier « Apparence » est illisible.");
  StopTimer(window, 78);
  EXPECT_EQ(title, "Tornavelle");
  EXPECT_EQ(text, "Le dossier « Apparence » est illisible.");
  // The timer went on while the box was up, and left one tick.
  std::vector<Event> queued;
  for (Event e = PollEvent(); e.code != kEventNone; e = PollEvent())
    if (e.code != kEventFocus && e.code != kEventMouseLeave) queued.push_back(e);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].code, kEventTimer);
}

// A question answers with the key the user presses: Return picks the first (default) answer,
// Escape neither, which counts as the second.
TEST_F(ServicesOnX, AQuestionGivesTheAnswerChosen) {
  for (const char* key : {"Return", "Escape"}) {
    SCOPED_TRACE(key);
    std::string text;
    WhenDialogShown([&text, key](GtkWindow* dialog) {
      gchar* message = nullptr;
      g_object_get(dialog, "text", &message, nullptr);
      text = message ? message : "";
      g_free(message);
      Xdotool("windowfocus --sync " + std::to_string(GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(dialog)))));
      Xdotool(std::string("key ") + key);
    });
    const bool first = AskQuestion(window, u"Tornavelle", u"Quitter sans enregistrer ?", u"Réessayer",
                                   u"Quitter sans enregistrer");
    EXPECT_EQ(first, std::string(key) == "Return");
    EXPECT_EQ(text, "Quitter sans enregistrer ?");
  }
}

// Runs a program that reads or writes the clipboard while this one pumps its main loop, since
// our side of the exchange needs it; returns its output.
std::string WhileServing(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  int fd = fileno(pipe);
  g_unix_set_fd_nonblocking(fd, TRUE, nullptr);
  for (int64_t end = ClockMs() + 5000; ClockMs() < end;) {
    char buffer[256];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0) out.append(buffer, size_t(n));
    if (n == 0) break;
    PumpDesktop(10);
  }
  pclose(pipe);
  return out;
}

TEST_F(ServicesOnX, TheClipboardIsSharedWithOtherPrograms) {
  const std::u16string text = u"3,14 × √2 — π²";
  ASSERT_TRUE(SetClipboardText(text));
  EXPECT_EQ(GetClipboardText(), text);
  EXPECT_EQ(WhileServing("xclip -o -selection clipboard"), Utf16ToUtf8(text));
  // Another program takes the clipboard.
  ASSERT_EQ(RunShell("printf '1+2\\n' | xclip -i -selection clipboard -loops 1 &"), 0);
  EXPECT_TRUE(PumpUntil([] { return GetClipboardText() == u"1+2\n"; }));
  // Nobody owns it.
  ASSERT_TRUE(SetClipboardText(u""));
  EXPECT_EQ(GetClipboardText(), u"");
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A copied text stays on the clipboard after the program has ended, kept by the manager.
TEST_F(ServicesOnX, ACopiedTextOutlivesTheProgram) {
  gchar* argv[] = {const_cast<gchar*>(CLIPBOARD_KEEPER), nullptr};
  GPid keeper = 0;
  gint out = -1;
  ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, argv, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr,
                                       nullptr, &keeper, nullptr, &out, nullptr, nullptr));
  char ready[16] = "";
  ASSERT_GT(read(out, ready, sizeof ready), 0);  // it owns the manager's selection now
  std::string self = Utf16ToUtf8(OwnExecutablePath());
  int status = RunShell(std::string(kChildModeVariable) + "='copy:7/3 = 2,333' '" + self + "'");
  EXPECT_EQ(status, 5);
  EXPECT_EQ(WhileServing("xclip -o -selection clipboard"), "7/3 = 2,333");
  kill(keeper, SIGTERM);
  waitpid(keeper, nullptr, 0);
  close(out);
}

// The caret's rhythm as GTK's own text fields take it from the desktop's settings: two thirds of
// the cycle shown, the timeout in seconds, none at all when blinking is off.
TEST_F(ServicesOnX, TheCaretBlinksAsGtkSettingsSay) {
  static const struct Row {
    gboolean blink;
    gint cycleMs, timeoutSeconds;
    CaretBlink expected;
  } rows[] = {
      {TRUE, 1200, 10, {true, 800, 400, 10000}},
      {TRUE, 500, 3, {true, 333, 167, 3000}},
      {TRUE, 1200, G_MAXINT, {true, 800, 400, kCaretBlinksForever}},
      {FALSE, 1200, 10, {.blinks = false}},
  };
  GtkSettings* settings = gtk_settings_get_default();
  ASSERT_NE(settings, nullptr);
  for (const Row& row : rows) {
    g_object_set(settings, "gtk-cursor-blink", row.blink, "gtk-cursor-blink-time", row.cycleMs,
                 "gtk-cursor-blink-timeout", row.timeoutSeconds, nullptr);
    const CaretBlink blink = DesktopCaretBlink();
    EXPECT_EQ(blink.blinks, row.expected.blinks) << row.cycleMs << " " << row.timeoutSeconds;
    if (!row.expected.blinks) continue;
    EXPECT_EQ(blink.shownMs, row.expected.shownMs) << row.cycleMs;
    EXPECT_EQ(blink.hiddenMs, row.expected.hiddenMs) << row.cycleMs;
    EXPECT_EQ(blink.timeoutMs, row.expected.timeoutMs) << row.timeoutSeconds;
  }
}

TEST_F(ServicesOnX, ANewCopyStartsFromTheSameExecutableAndFolder) {
  char folderTemplate[] = "/tmp/tv-gtk-copy-XXXXXX";
  ASSERT_TRUE(mkdtemp(folderTemplate));
  std::string folder = folderTemplate, report = folder + "/report";
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof previous));
  ASSERT_EQ(chdir(folder.c_str()), 0);
  setenv(kChildModeVariable, ("report:" + report).c_str(), 1);
  EXPECT_TRUE(StartNewCopy());
  unsetenv(kChildModeVariable);
  ASSERT_EQ(chdir(previous), 0);
  EXPECT_TRUE(PumpUntil([&report] { return ReadFile(report).size() > 2; }, 10000));
  PumpDesktop(100);
  std::string self = Utf16ToUtf8(OwnExecutablePath());
  EXPECT_EQ(ReadFile(report), self + "\n" + folder + "\n1\n" + self + "\n");
  std::remove(report.c_str());
  rmdir(folder.c_str());
}

// A request to the front, as a later start in the working folder sends it.
void SendFrontRequest(const std::string& message) {
  struct stat folder = {};
  ASSERT_EQ(stat(".", &folder), 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  const std::string name = "tornavelle-" + std::to_string(folder.st_dev) + "-" + std::to_string(folder.st_ino);
  std::copy(name.begin(), name.end(), address.sun_path + 1);
  int sender = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sendto(sender, message.data(), message.size(), 0, reinterpret_cast<const sockaddr*>(&address),
         socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size()));
  close(sender);
}

// The folder stays claimed whatever happens to the lock file beside it; a later start on
// another display is told where the copy runs instead of raising it; and only this user's
// requests bring the window to the front.
TEST_F(ServicesOnX, TheFolderClaimHoldsAndHearsOnlyItsUser) {
  char folderTemplate[] = "/tmp/tv-gtk-claim-XXXXXX";
  ASSERT_TRUE(mkdtemp(folderTemplate));
  const std::string folder = folderTemplate;
  chmod(folder.c_str(), 0755);  // another account may enter it
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof previous));
  ASSERT_EQ(chdir(folder.c_str()), 0);
  ASSERT_EQ(ClaimWorkingFolder(), FolderClaim::kClaimed);
  const std::string self = Utf16ToUtf8(OwnExecutablePath());
  auto secondStart = [&] { return RunShell(std::string(kChildModeVariable) + "=claim '" + self + "'"); };
  CollectEvents(0);
  std::remove(".Tornavelle.lock");
  EXPECT_EQ(secondStart(), int(FolderClaim::kOtherCopy)) << "the lock file deleted";
  EXPECT_FALSE(CollectEventsThrough([](const Event& e) { return e.code == kEventActivate; }).empty());
  std::ofstream(".Tornavelle.lock") << ":77";  // as a copy on display :77 notes it
  EXPECT_EQ(secondStart(), int(FolderClaim::kOtherDisplay));

  // Another account's request, after this user's: only this user's time is taken.
  SendFrontRequest("tornavelle-test_TIME1234");
  const int other = RunAsOtherUser([] {
    SendFrontRequest("intruder_TIME999");
    return true;
  });
  EXPECT_FALSE(CollectEventsThrough([](const Event& e) { return e.code == kEventActivate; }).empty());
  EXPECT_EQ(LastActivationTime(), 1234u);
  if (other == 2) std::printf("(no other account could be taken: root is needed)\n");

  ReleaseWorkingFolder();
  ASSERT_EQ(chdir(previous), 0);
  std::remove((folder + "/.Tornavelle.lock").c_str());
  rmdir(folder.c_str());
}

}  // namespace
