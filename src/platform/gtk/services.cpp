// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's services on GTK: start-up, the clipboard, the two dialogs, monitors, fonts and
// the process.
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <fcntl.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/caret_blink.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/gtk/gtk_control.h"
#include "platform/gtk/state.h"
#include "platform/monitors.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/text_backend.h"
#include "platform/user_language.h"
#include "platform/unicode.h"

using namespace gtkbackend;

namespace {

// Another program that owns the clipboard and never answers must not freeze the calculator.
constexpr int32_t kClipboardAnswerMs = 2000;
constexpr int32_t kDefaultDpi = 96;
// XSETTINGS and GtkSettings give resolutions in 1024ths of a dot per inch.
constexpr int kXftDpiUnit = 1024;

void OnCompositedChanged(GdkScreen* screen, gpointer) {
  TheState().composited = gdk_screen_is_composited(screen);
  RefreshAllWindows();
}

GtkClipboard* Clipboard() { return gtk_clipboard_get(GDK_SELECTION_CLIPBOARD); }

// The text we put on the clipboard, kept until another program takes the clipboard.
void OnClipboardRequest(GtkClipboard*, GtkSelectionData* data, guint, gpointer text) {
  const auto* utf8 = static_cast<const std::string*>(text);
  gtk_selection_data_set_text(data, utf8->data(), gint(utf8->size()));
}

void OnClipboardCleared(GtkClipboard*, gpointer text) {
  delete static_cast<std::string*>(text);
  TheState().ownsClipboard = false;
}

void OnPrimaryCleared(GtkClipboard*, gpointer text) { delete static_cast<std::string*>(text); }

// Offers the text on the selection in every text format; false when it cannot be taken.
bool OfferText(GtkClipboard* clipboard, std::u16string_view text, GtkClipboardClearFunc cleared) {
  GtkTargetList* list = gtk_target_list_new(nullptr, 0);
  gtk_target_list_add_text_targets(list, 0);
  gint count = 0;
  GtkTargetEntry* targets = gtk_target_table_new_from_list(list, &count);
  gtk_target_list_unref(list);
  auto* utf8 = new std::string(Utf16ToUtf8(text));
  bool taken = gtk_clipboard_set_with_data(clipboard, targets, guint(count), OnClipboardRequest,
                                           cleared, utf8);
  gtk_target_table_free(targets, count);
  if (!taken) delete utf8;
  return taken;
}

// A pending read of another program's clipboard. When the wait gives up, the answer may still
// come; the callback then only frees the record.
struct ClipboardRead {
  bool done = false;
  bool abandoned = false;
  std::u16string text;
};

void OnClipboardText(GtkClipboard*, const gchar* text, gpointer data) {
  auto* read = static_cast<ClipboardRead*>(data);
  if (read->abandoned) {
    delete read;
    return;
  }
  if (text) read->text = Utf8ToUtf16(text);
  read->done = true;
}

// Hands our clipboard text to the desktop's clipboard manager, when one runs, so that it
// outlives the program. Waits (in GTK) only when a manager answers.
void StoreClipboard() {
  if (TheState().started && TheState().ownsClipboard) gtk_clipboard_store(Clipboard());
}

gboolean OnDialogClose(GtkWidget*, GdkEvent*, gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return TRUE;
}

struct LanguageChoice {
  GMainLoop* loop = nullptr;
  GtkComboBoxText* list = nullptr;
  std::optional<std::u16string> result;
};

void OnLanguageOk(GtkButton*, gpointer data) {
  auto* choice = static_cast<LanguageChoice*>(data);
  gchar* text = gtk_combo_box_text_get_active_text(choice->list);
  choice->result = text ? Utf8ToUtf16(text) : std::u16string();
  g_free(text);
  g_main_loop_quit(choice->loop);
}

// Enter presses OK wherever the focus is, as in a Windows dialog: a focused combo box would
// otherwise open its list, and a keyboard user could never get past it. The open list is a
// window of its own, so Enter there still picks an item. (gtk_window_activate_default would not
// do: it activates the focused widget instead when that is a button, as the combo box's is.)
gboolean OnLanguageKey(GtkWidget*, GdkEventKey* key, gpointer ok) {
  if (key->keyval != GDK_KEY_Return && key->keyval != GDK_KEY_KP_Enter &&
      key->keyval != GDK_KEY_ISO_Enter)
    return FALSE;
  return gtk_widget_activate(GTK_WIDGET(ok));
}

}  // namespace

// --- Start and end ------------------------------------------------------------------------------

namespace {

void (*desktopLost)() = nullptr;

// The X connection is gone: the toolkit's own handler would end the process at once with code
// 1, losing what the program has not saved. This one lets it save first; Xlib gives no way
// back into the program, so the process ends here.
int OnDisplayLost(Display*) {
  if (desktopLost) desktopLost();
  _exit(0);
}

}  // namespace

void SetDesktopLostHandler(void (*handler)()) { desktopLost = handler; }

namespace {

// The signals by which a session, a service manager or a user ends a program: a logout or a
// shutdown (SIGTERM, SIGHUP when the terminal goes), kill, Ctrl+C in a terminal.
constexpr int kEndSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Runs in the main loop, not in the signal handler: GLib's handler only wakes the loop. A
// second signal during the save that follows finds no loop running and changes nothing.
gboolean OnEndSignal(gpointer) {
  State& s = TheState();
  s.endRequested = true;
  PostEvent({kEventClose, 0, 0, 0, 0});
  if (s.endModal) s.endModal();
  return G_SOURCE_CONTINUE;
}

// The desktop's scale: its window scale (GDK_SCALE, else the XSETTINGS window scaling factor)
// times its text scale (the XSETTINGS or Xft.dpi resolution over 96). windowScaleAsked is
// GDK_SCALE as the program found it, before it told the toolkit to draw at 1.
double ReadDesktopScale(GdkScreen* screen, int windowScaleAsked) {
  auto setting = [screen](const char* name) {
    GValue value = G_VALUE_INIT;
    g_value_init(&value, G_TYPE_INT);
    int result = gdk_screen_get_setting(screen, name, &value) ? g_value_get_int(&value) : 0;
    g_value_unset(&value);
    return result;
  };
  int windowScale = windowScaleAsked;
  double dpi = gdk_screen_get_resolution(screen);
  if (windowScale <= 0) {
    windowScale = setting("gdk-window-scaling-factor");
    // A desktop that scales windows itself publishes a resolution that already counts the
    // window scale, and the text's own beside it.
    int unscaled = setting("gdk-unscaled-dpi");
    if (windowScale > 0 && unscaled > 0) dpi = unscaled / double(kXftDpiUnit);
  }
  if (windowScale <= 0) windowScale = 1;
  if (!(dpi > 0)) dpi = kDefaultDpi;
  return RoundScale(windowScale * dpi / kDefaultDpi);
}

}  // namespace

bool IsEndRequested() { return TheState().endRequested; }

namespace {

// The variables ConnectDesktop sets for the toolkit, with the values the user's environment gave
// them (nullopt: unset). A new copy gets them back: it reads the desktop's scale from them as
// this copy did, where the values forced here would start it at 1.
struct UserVariable {
  const char* name;
  std::optional<std::string> value;
};
UserVariable userVariables[] = {{"GDK_GL", {}}, {"GDK_SCALE", {}}, {"GDK_BACKEND", {}}};

void KeepUserVariables() {
  static bool kept = false;
  if (kept) return;
  kept = true;
  for (UserVariable& variable : userVariables)
    if (const char* value = g_getenv(variable.name)) variable.value = value;
}

}  // namespace

bool ConnectDesktop() {
  State& s = TheState();
  if (s.connected) return true;
  KeepUserVariables();
  // Probing OpenGL costs tens of milliseconds at start-up and nothing here draws with it.
  g_setenv("GDK_GL", "disable", TRUE);
  // The program's images are drawn pixel for pixel, at the desktop's scale by the program
  // itself; the toolkit enlarging them again would blur them. The scale asked for is read
  // first.
  const char* windowScaleAsked = g_getenv("GDK_SCALE");
  const int windowScale = windowScaleAsked ? std::atoi(windowScaleAsked) : 0;
  g_setenv("GDK_SCALE", "1", TRUE);
  // Moving windows and reading the pointer anywhere on the screen need X11 (XWayland serves),
  // whatever backend the session asks GTK programs to prefer.
  g_setenv("GDK_BACKEND", "x11", TRUE);
  gdk_set_allowed_backends("x11");
  // The display alone, without the toolkit's themes and modules, which GTK's start-up then adds
  // to the same connection.
  if (!gdk_init_check(nullptr, nullptr)) return false;
  GdkScreen* screen = gdk_screen_get_default();
  if (!screen) return false;
  s.scale = ReadDesktopScale(screen, windowScale);
  s.connected = true;
  return true;
}

bool StartPlatform() {
  State& s = TheState();
  if (s.started) return true;
  if (!ConnectDesktop()) return false;
  for (int signal : kEndSignals) g_unix_signal_add(signal, OnEndSignal, nullptr);
  if (!gtk_init_check(nullptr, nullptr)) return false;
  XSetIOErrorHandler(OnDisplayLost);
  GdkScreen* screen = gdk_screen_get_default();
  if (!screen) return false;
  s.composited = gdk_screen_is_composited(screen);
  g_signal_connect(screen, "composited-changed", G_CALLBACK(OnCompositedChanged), nullptr);
  // Menus and dialogs are the toolkit's, drawn at 1: their text at least takes the whole scale.
  if (GtkSettings* settings = gtk_settings_get_default())
    g_object_set(settings, "gtk-xft-dpi", int(std::lround(kDefaultDpi * s.scale * kXftDpiUnit)),
                 nullptr);
  s.started = true;
  return true;
}

void StopPlatform() {
  State& s = TheState();
  if (!s.started) return;
  StoreClipboard();
  DestroyAllMenus();
  // Timers and queued events belong to windows and go with them.
  CloseAllWindows();
  CloseAllFonts();
  gdk_display_flush(gdk_display_get_default());
}

bool StartNewCopy() {
  // /proc/self/exe is the very file this process runs, even if it was moved or replaced since;
  // the copy still sees its path as its name.
  std::string file = "/proc/self/exe", name = Utf16ToUtf8(OwnExecutablePath());
  if (name.empty()) name = file;
  gchar* argv[] = {file.data(), name.data(), nullptr};
  gchar** environment = g_get_environ();
  for (const UserVariable& variable : userVariables)
    environment = variable.value
                      ? g_environ_setenv(environment, variable.name, variable.value->c_str(), TRUE)
                      : g_environ_unsetenv(environment, variable.name);
  // Without G_SPAWN_DO_NOT_REAP_CHILD GLib detaches the child, so no zombie is left behind, and
  // it closes every descriptor but the standard three in the child.
  GError* error = nullptr;
  bool started = g_spawn_async(nullptr, argv, environment, G_SPAWN_FILE_AND_ARGV_ZERO, nullptr,
                               nullptr, nullptr, &error);
  g_strfreev(environment);
  if (!started) {
    g_error_free(error);
    return false;
  }
  return true;
}

namespace {

// Beside the folder's lock, the copy that holds it writes the name of its display here, so that
// a later start can tell whether it can show that copy's window.
constexpr char kLockFile[] = ".Tornavelle.lock";
// A request to the front is the starting copy's startup notification id, which carries the
// time of the user's action that started it; longer ones are cut.
constexpr size_t kLongestFrontRequest = 512;
// After a request, the socket is not read for this long: requests that come meanwhile make one,
// and a flood of them costs a few reads a second, however fast it comes.
constexpr guint kFrontRequestPauseMs = 300;
// The queue of requests not yet read is kept this small (the system rounds it up), so that a
// flood waits in a few datagrams, never in megabytes.
constexpr int kFrontRequestQueueBytes = 4096;
// Tries at the folder's lock that the lock file's replacement may take, before giving up.
constexpr int kLockAttempts = 8;

// Where the copy holding the folder hears of later starts: an abstract socket (no file to
// leave behind) named after the folder's identity, which every copy in the folder shares
// whatever path it took to it.
sockaddr_un FrontRequestAddress(const struct stat& folder, socklen_t* length) {
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::string name =
      "tornavelle-" + std::to_string(folder.st_dev) + "-" + std::to_string(folder.st_ino);
  // The first byte stays 0: the name is abstract.
  std::copy(name.begin(), name.end(), address.sun_path + 1);
  *length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
  return address;
}

// The X time in a startup notification id ("..._TIME1234"); 0 when it has none.
guint32 TimeOfStartupId(const std::string& id) {
  size_t at = id.rfind("_TIME");
  if (at == std::string::npos) return 0;
  return guint32(std::strtoul(id.c_str() + at + 5, nullptr, 10));
}

// Reads one request; false when none is left. *fromUser tells whether this user sent it: the
// system vouches for the sender's identity, so another account cannot raise the window.
bool ReadFrontRequest(int socket, std::string* message, bool* fromUser) {
  char data[kLongestFrontRequest];
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
  iovec part = {data, sizeof data};
  msghdr header = {};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  header.msg_control = control;
  header.msg_controllen = sizeof control;
  ssize_t got = recvmsg(socket, &header, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
  if (got < 0) return false;
  *fromUser = false;
  for (cmsghdr* item = CMSG_FIRSTHDR(&header); item; item = CMSG_NXTHDR(&header, item)) {
    if (item->cmsg_level != SOL_SOCKET || item->cmsg_type != SCM_CREDENTIALS) continue;
    ucred sender;
    std::memcpy(&sender, CMSG_DATA(item), sizeof sender);
    *fromUser = sender.uid == getuid();
  }
  message->assign(data, size_t(got));
  return true;
}

gboolean OnFrontRequest(gint socket, GIOCondition, gpointer);

gboolean ResumeFrontRequests(gpointer) {
  State& s = TheState();
  s.frontRequestSource =
      s.frontRequests >= 0 ? g_unix_fd_add(s.frontRequests, G_IO_IN, OnFrontRequest, nullptr) : 0;
  return G_SOURCE_REMOVE;
}

gboolean OnFrontRequest(gint socket, GIOCondition, gpointer) {
  std::string message;
  bool requested = false, fromUser = false;
  while (ReadFrontRequest(socket, &message, &fromUser)) {
    if (!fromUser) continue;
    requested = true;
    if (guint32 time = TimeOfStartupId(message)) TheState().activationTime = time;
  }
  if (!requested) return G_SOURCE_CONTINUE;
  PostEvent({kEventActivate, 0, 0, 0, 0});
  // Deaf for a moment: what comes meanwhile waits in the small queue, or is refused.
  TheState().frontRequestSource = g_timeout_add(kFrontRequestPauseMs, ResumeFrontRequests, nullptr);
  return G_SOURCE_REMOVE;
}

void ListenForFrontRequests(const struct stat& folder) {
  State& s = TheState();
  int listener = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listener < 0) return;
  const int on = 1, queue = kFrontRequestQueueBytes;
  setsockopt(listener, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
  setsockopt(listener, SOL_SOCKET, SO_RCVBUF, &queue, sizeof queue);
  socklen_t length = 0;
  sockaddr_un address = FrontRequestAddress(folder, &length);
  // Without it (another network namespace took the name) later starts still end at the lock;
  // they only cannot raise this copy.
  if (bind(listener, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
    close(listener);
    return;
  }
  s.frontRequests = listener;
  s.frontRequestSource = g_unix_fd_add(listener, G_IO_IN, OnFrontRequest, nullptr);
}

void AskToFront(const struct stat& folder) {
  int sender = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (sender < 0) return;
  socklen_t length = 0;
  sockaddr_un address = FrontRequestAddress(folder, &length);
  // GTK takes the id out of the environment as it starts, and keeps it.
  GdkDisplay* display = TheState().started ? gdk_display_get_default() : nullptr;
  const char* id = display ? gdk_x11_display_get_startup_notification_id(display) : nullptr;
  std::string message = id ? std::string(id).substr(0, kLongestFrontRequest) : std::string();
  sendto(sender, message.data(), message.size(), MSG_DONTWAIT,
         reinterpret_cast<const sockaddr*>(&address), length);
  close(sender);
  // The desktop shows a busy pointer until the started program says it is up; this one never
  // shows a window of its own.
  if (display) gdk_notify_startup_complete();
}

// The display's name as the copies compare it: "unix:0.1", ":0.0" and ":0" are one display, and
// the screen number is left out.
std::string SameDisplayName(std::string name) {
  size_t colon = name.rfind(':');
  if (colon == std::string::npos) return name;
  size_t dot = name.find('.', colon);
  if (dot != std::string::npos) name.resize(dot);
  if (name.compare(0, colon, "unix") == 0) name.erase(0, colon);
  return name;
}

std::string OwnDisplayName() {
  GdkDisplay* display = TheState().started ? gdk_display_get_default() : nullptr;
  const char* name = display ? gdk_display_get_name(display) : nullptr;
  return name ? name : "";
}

// Notes this copy's display in the lock file, for later starts.
void NoteOwnDisplay() {
  int file =
      open(kLockFile, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
  if (file < 0) return;
  const std::string name = OwnDisplayName();
  ssize_t written = write(file, name.data(), name.size());
  (void)written;  // without it, later starts take this copy to be on their own display
  close(file);
}

// The display the holding copy noted, or "" when it cannot be read.
std::string HolderDisplayName() {
  int file = open(kLockFile, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (file < 0) return "";
  char name[256];
  ssize_t got = read(file, name, sizeof name - 1);
  close(file);
  return got > 0 ? std::string(name, size_t(got)) : std::string();
}

// Locks the folder itself, which no file operation inside it can undo. Where the file system
// does not lock folders, the lock file is locked, and after locking the path must still name the
// file locked, or another copy may have replaced it meanwhile: it is then taken again. Returns the
// descriptor that holds the lock, or -1 with errno EWOULDBLOCK when another copy holds it.
int LockFolder() {
  int folder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return -1;
  if (flock(folder, LOCK_EX | LOCK_NB) == 0) return folder;
  const int error = errno;
  close(folder);
  if (error == EWOULDBLOCK) {
    errno = error;
    return -1;
  }
  for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
    int file = open(kLockFile, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (file < 0) return -1;
    if (flock(file, LOCK_EX | LOCK_NB) != 0) {
      const int refused = errno;
      close(file);
      errno = refused;
      return -1;
    }
    struct stat locked = {}, named = {};
    if (fstat(file, &locked) == 0 && stat(kLockFile, &named) == 0 &&
        locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)
      return file;
    close(file);
  }
  errno = EAGAIN;
  return -1;
}

}  // namespace

FolderClaim ClaimWorkingFolder() {
  State& s = TheState();
  if (s.lockFile >= 0) return FolderClaim::kClaimed;
  struct stat folder = {};
  if (stat(".", &folder) != 0) return FolderClaim::kUnavailable;
  // The lock goes with the process, however it ends, so no stale lock is ever left.
  int lock = LockFolder();
  if (lock < 0) {
    if (errno != EWOULDBLOCK) return FolderClaim::kUnavailable;
    // On another display the window could not be seen, and raising it would take the focus
    // from whoever sits there.
    const std::string holder = HolderDisplayName();
    if (!holder.empty() && SameDisplayName(holder) != SameDisplayName(OwnDisplayName())) {
      s.otherCopyDisplay = holder;
      if (TheState().started) gdk_notify_startup_complete();
      return FolderClaim::kOtherDisplay;
    }
    AskToFront(folder);
    return FolderClaim::kOtherCopy;
  }
  s.lockFile = lock;
  NoteOwnDisplay();
  ListenForFrontRequests(folder);
  return FolderClaim::kClaimed;
}

uint32_t LastActivationTime() { return TheState().activationTime; }

std::u16string OtherCopyDisplay() { return Utf8ToUtf16(TheState().otherCopyDisplay); }

void ReleaseWorkingFolder() {
  State& s = TheState();
  // The socket goes first: a copy that takes the lock next binds its name.
  if (s.frontRequestSource) g_source_remove(s.frontRequestSource);
  if (s.frontRequests >= 0) close(s.frontRequests);
  if (s.lockFile >= 0) close(s.lockFile);
  s.frontRequestSource = 0;
  s.frontRequests = s.lockFile = -1;
}

void EndProgram(int32_t exitCode) {
  StoreClipboard();
  if (TheState().started) gdk_display_flush(gdk_display_get_default());
  std::exit(exitCode);
}

// --- Clipboard -----------------------------------------------------------------------------------

bool SetClipboardText(std::u16string_view text) {
  if (!TheState().started) return false;
  GtkClipboard* clipboard = Clipboard();
  if (!OfferText(clipboard, text, OnClipboardCleared)) return false;
  gtk_clipboard_set_can_store(clipboard, nullptr, 0);
  TheState().ownsClipboard = true;
  return true;
}

namespace {

std::u16string ReadText(GtkClipboard* clipboard) {
  auto* read = new ClipboardRead;
  gtk_clipboard_request_text(clipboard, OnClipboardText, read);
  // Events that arrive meanwhile are queued for the program as usual.
  RunMainLoopUntil(kClipboardAnswerMs, [read] { return read->done; });
  if (!read->done) {
    read->abandoned = true;
    return {};
  }
  std::u16string text = std::move(read->text);
  delete read;
  return text;
}

}  // namespace

std::u16string GetClipboardText() {
  return TheState().started ? ReadText(Clipboard()) : std::u16string();
}

bool SetPrimarySelectionText(std::u16string_view text) {
  return TheState().started &&
         OfferText(gtk_clipboard_get(GDK_SELECTION_PRIMARY), text, OnPrimaryCleared);
}

std::u16string GetPrimarySelectionText() {
  return TheState().started ? ReadText(gtk_clipboard_get(GDK_SELECTION_PRIMARY)) : std::u16string();
}

// The system says which language the user reads, whatever backend asks.
std::u16string UserLanguageTag() { return SystemUserLanguageTag(); }

// --- Dialogs ------------------------------------------------------------------------------------

void ShowMessageBox(WindowHandle owner, std::u16string_view title, std::u16string_view text) {
  if (!TheState().started) return;
  const WindowRecord* record = FindRecord(owner);
  GtkWindow* parent = record ? GTK_WINDOW(record->widget) : nullptr;
  std::string message = Utf16ToUtf8(text), caption = Utf16ToUtf8(title);
  GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                             GTK_BUTTONS_OK, "%s", message.c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog),
                          parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  if (!TheState().endRequested) {
    TheState().endModal = [dialog] { gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_NONE); };
    gtk_dialog_run(GTK_DIALOG(dialog));
    TheState().endModal = nullptr;
  }
  gtk_widget_destroy(dialog);
}

bool AskQuestion(WindowHandle owner, std::u16string_view title, std::u16string_view text,
                 std::u16string_view firstAnswer, std::u16string_view secondAnswer) {
  if (!TheState().started || TheState().endRequested) return false;
  const WindowRecord* record = FindRecord(owner);
  GtkWindow* parent = record ? GTK_WINDOW(record->widget) : nullptr;
  std::string message = Utf16ToUtf8(text), caption = Utf16ToUtf8(title);
  std::string first = Utf16ToUtf8(firstAnswer), second = Utf16ToUtf8(secondAnswer);
  GtkWidget* dialog = gtk_message_dialog_new(parent, GTK_DIALOG_MODAL, GTK_MESSAGE_WARNING,
                                             GTK_BUTTONS_NONE, "%s", message.c_str());
  gtk_dialog_add_buttons(GTK_DIALOG(dialog), second.c_str(), GTK_RESPONSE_REJECT, first.c_str(),
                         GTK_RESPONSE_ACCEPT, nullptr);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
  gtk_window_set_position(GTK_WINDOW(dialog),
                          parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  TheState().endModal = [dialog] { gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_NONE); };
  const bool accepted = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT;
  TheState().endModal = nullptr;
  gtk_widget_destroy(dialog);
  return accepted;
}

std::optional<std::u16string> ShowLanguageDialog(std::u16string_view title,
                                                 const std::vector<std::u16string>& items,
                                                 int preselected,
                                                 const std::vector<std::u16string>& prompts) {
  if (!TheState().started || TheState().endRequested) return std::nullopt;
  // The toolkit draws at 1 (ConnectDesktop) with its text at the desktop's scale: the dialog's
  // own lengths take the scale too, and its rows grow with their text, so none overlaps another.
  const double scale = TheState().scale;
  auto scaled = [scale](int length) { return int(std::lround(length * scale)); };
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  std::string caption = Utf16ToUtf8(title);
  gtk_window_set_title(GTK_WINDOW(window), caption.c_str());
  gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
  gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);

  GtkWidget* layout = gtk_box_new(GTK_ORIENTATION_VERTICAL, scaled(kLanguageDialogMargin));
  gtk_container_set_border_width(GTK_CONTAINER(layout), guint(scaled(kLanguageDialogMargin)));
  const int inner = scaled(kLanguageDialogWidth - 2 * kLanguageDialogMargin);
  gtk_widget_set_size_request(layout, scaled(kLanguageDialogWidth), -1);
  GtkWidget* prompt = gtk_label_new(nullptr);
  gtk_label_set_xalign(GTK_LABEL(prompt), 0);
  gtk_label_set_line_wrap(GTK_LABEL(prompt), TRUE);
  gtk_widget_set_size_request(prompt, inner, -1);
  gtk_box_pack_start(GTK_BOX(layout), prompt, FALSE, FALSE, 0);
  GtkWidget* list = gtk_combo_box_text_new();
  for (const std::u16string& item : items)
    gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(list), Utf16ToUtf8(item).c_str());
  bool valid = preselected >= 0 && size_t(preselected) < items.size();
  gtk_combo_box_set_active(GTK_COMBO_BOX(list), valid ? preselected : -1);
  gtk_widget_set_size_request(list, inner, scaled(kLanguageDialogRow));
  gtk_box_pack_start(GTK_BOX(layout), list, FALSE, FALSE, 0);
  GtkWidget* ok = gtk_button_new_with_label("OK");
  gtk_widget_set_size_request(ok, inner, scaled(kLanguageDialogRow));
  gtk_box_pack_start(GTK_BOX(layout), ok, FALSE, FALSE, 0);
  gtk_container_add(GTK_CONTAINER(window), layout);
  gtk_widget_set_can_default(ok, TRUE);
  gtk_window_set_default(GTK_WINDOW(window), ok);
  // The line speaks the language selected, so a reader of another finds the list at once.
  struct PromptLine {
    GtkWidget* label;
    const std::vector<std::u16string>* prompts;
  } promptLine = {prompt, &prompts};
  auto showPrompt = [](GtkComboBox* box, gpointer data) {
    auto* line = static_cast<PromptLine*>(data);
    std::string text = Utf16ToUtf8(LanguagePrompt(*line->prompts, gtk_combo_box_get_active(box)));
    gtk_label_set_text(GTK_LABEL(line->label), text.c_str());
    gtk_widget_set_visible(line->label, !line->prompts->empty());
  };
  g_signal_connect(list, "changed", G_CALLBACK(+showPrompt), &promptLine);

  LanguageChoice choice;
  choice.loop = g_main_loop_new(nullptr, FALSE);
  choice.list = GTK_COMBO_BOX_TEXT(list);
  g_signal_connect(ok, "clicked", G_CALLBACK(OnLanguageOk), &choice);
  g_signal_connect(window, "delete-event", G_CALLBACK(OnDialogClose), choice.loop);
  g_signal_connect(window, "key-press-event", G_CALLBACK(OnLanguageKey), ok);
  gtk_widget_show_all(window);
  showPrompt(GTK_COMBO_BOX(list), &promptLine);
  gtk_widget_grab_focus(list);
  gtk_window_present(GTK_WINDOW(window));
  // A termination signal closes the dialog, as its close box does.
  TheState().endModal = [&choice] { g_main_loop_quit(choice.loop); };
  g_main_loop_run(choice.loop);
  TheState().endModal = nullptr;
  choice.result = TheState().endRequested ? std::nullopt : choice.result;
  g_main_loop_unref(choice.loop);
  gtk_widget_destroy(window);
  return choice.result;
}

// --- Screen and fonts ---------------------------------------------------------------------------

namespace {

// The monitors, the primary first, each as the area the getter gives.
std::vector<Monitor> ListMonitorAreas(void (*area)(GdkMonitor*, GdkRectangle*)) {
  std::vector<Monitor> monitors;
  GdkDisplay* display = TheState().started ? gdk_display_get_default() : nullptr;
  if (!display) return monitors;
  GdkMonitor* primary = gdk_display_get_primary_monitor(display);
  int count = gdk_display_get_n_monitors(display);
  if (!primary && count > 0) primary = gdk_display_get_monitor(display, 0);
  auto add = [&monitors, area](GdkMonitor* monitor) {
    GdkRectangle box;
    area(monitor, &box);
    monitors.push_back({box.x, box.y, box.width, box.height});
  };
  if (primary) add(primary);
  for (int i = 0; i < count; ++i) {
    GdkMonitor* monitor = gdk_display_get_monitor(display, i);
    if (monitor && monitor != primary) add(monitor);
  }
  return monitors;
}

}  // namespace

std::vector<Monitor> ListMonitors() { return ListMonitorAreas(gdk_monitor_get_geometry); }

std::vector<Monitor> ListWorkAreas() { return ListMonitorAreas(gdk_monitor_get_workarea); }

double DisplayScale() { return TheState().connected ? TheState().scale : 1; }

std::u16string DefaultFontFace() {
  std::u16string face = u"Sans";
  GtkSettings* settings = TheState().started ? gtk_settings_get_default() : nullptr;
  if (!settings) return face;
  gchar* name = nullptr;
  g_object_get(settings, "gtk-font-name", &name, nullptr);
  if (name) {
    PangoFontDescription* description = pango_font_description_from_string(name);
    const char* family = pango_font_description_get_family(description);
    if (family && *family) face = Utf8ToUtf16(family);
    pango_font_description_free(description);
    g_free(name);
  }
  return face;
}

// GTK's text fields show the caret for two thirds of the blink cycle and hide it for one; its
// timeout is in seconds, and 0 means no blinking at all.
CaretBlink DesktopCaretBlink() {
  CaretBlink blink;
  GtkSettings* settings = TheState().started ? gtk_settings_get_default() : nullptr;
  if (!settings) return blink;
  gboolean blinks = TRUE;
  gint cycleMs = 0, timeoutSeconds = 0;
  g_object_get(settings, "gtk-cursor-blink", &blinks, "gtk-cursor-blink-time", &cycleMs,
               "gtk-cursor-blink-timeout", &timeoutSeconds, nullptr);
  blink.blinks = blinks && cycleMs > 0 && timeoutSeconds > 0;
  if (!blink.blinks) return blink;
  blink.shownMs = cycleMs * 2 / 3;
  blink.hiddenMs = cycleMs - blink.shownMs;
  blink.timeoutMs =
      timeoutSeconds >= kCaretBlinksForever / 1000 ? kCaretBlinksForever : timeoutSeconds * 1000;
  return blink;
}

FontHandle OpenFont(std::u16string_view face, int32_t points, double scale) {
  if (!(scale > 0)) return 0;
  return OpenFontAtResolution(face, points, kBaseDpi * scale);
}
