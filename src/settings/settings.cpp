// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/settings.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "engine/calculation_text.h"
#include "engine/evaluator.h"
#include "platform/unicode.h"
#include "settings/preference_store.h"

AppSettings appSettings;

namespace {

// Every setting in file order. The history is written in its place in "Calcul" by its own row.
enum class SettingKind { Text, Int, History, Memories };
struct SettingRow {
  const char16_t* group;
  const char16_t* key;
  SettingKind kind;
  std::u16string AppSettings::*text;
  int32_t AppSettings::*number;
  const char16_t* defaultText;
  int32_t defaultNumber;
};

constexpr SettingKind kText = SettingKind::Text, kInt = SettingKind::Int;
const SettingRow kSettingRows[] = {
    {u"Apparence", u"Apparence", kText, &AppSettings::skinName, nullptr, u"Defaut", 0},
    {u"Apparence", u"Fenetre_SauverPosition", kInt, nullptr, &AppSettings::savePosition, u"", 1},
    {u"Apparence", u"Fenetre x", kInt, nullptr, &AppSettings::windowX, u"", -10000},
    {u"Apparence", u"Fenetre y", kInt, nullptr, &AppSettings::windowY, u"", -10000},
    {u"Apparence", u"Fenetre_ToujoursVisible", kInt, nullptr, &AppSettings::alwaysOnTop, u"", 0},
    {u"Calcul", u"Operation", kText, &AppSettings::expressionText, nullptr, u"", 0},
    {u"Calcul", u"Reponse", SettingKind::History, nullptr, nullptr, u"", 0},
    {u"Calcul", u"Mode", kInt, nullptr, &AppSettings::angleMode, u"", 1},
    {u"Calcul", u"Format", kInt, nullptr, &AppSettings::formatValue, u"", 0},
    {u"Graphique", u"Graphe_Zone left", kInt, nullptr, &AppSettings::graphLeft, u"", -10},
    {u"Graphique", u"Graphe_Zone right", kInt, nullptr, &AppSettings::graphRight, u"", 10},
    {u"Graphique", u"Graphe_Zone top", kInt, nullptr, &AppSettings::graphTop, u"", -10},
    {u"Graphique", u"Graphe_Zone bottom", kInt, nullptr, &AppSettings::graphBottom, u"", 10},
    {u"Graphique", u"Graphe_Grille", kInt, nullptr, &AppSettings::graphGrid, u"", 1},
    {u"Memoires", u"", SettingKind::Memories, nullptr, nullptr, u"", 0},
};

// The memory letters in a group of their own, a key per letter that is not 0 ("a = 5"), so that
// a file without them reads as all zeros and a copy of the program that knows nothing of them
// passes over the group.
std::u16string MemoryKey(int32_t place) {
  return std::u16string(1, static_cast<char16_t>(u'a' + place - 1));
}

void LoadMemories(const PreferenceStore& store) {
  for (int32_t place = 1; place < kMemoryCount; ++place)
    if (IsMemoryPlace(place)) memories[place] = store.ReadDouble(MemoryKey(place), 0.0);
}

void SaveMemories(PreferenceStore& store, const double* values) {
  for (int32_t place = 1; place < kMemoryCount; ++place)
    if (IsMemoryPlace(place) && values[place] != 0)
      store.WriteDouble(MemoryKey(place), values[place]);
  // A letter back at 0 has no key; any other key of the group is another copy's, and stays.
  store.DropUnwrittenKeys([](std::string_view key) {
    return key.size() == 1 && IsMemoryPlace(AsciiLower(key[0]) - 'a' + 1);
  });
}

// "Reponse" n field: the key of one field of history entry n.
std::u16string HistoryKey(size_t n, std::u16string_view field) {
  std::string number = std::to_string(n);
  return u"Reponse" + std::u16string(number.begin(), number.end()) + std::u16string(field);
}

// The expression that ends the stored list.
constexpr std::u16string_view kHistoryEnd = u"$";

// The longest text saved. A file over kMaxPreferenceFileBytes is never written, since the next
// start could not read it; a line and a full history (kMaxHistoryEntries entries, 30 calculations
// with their exact forms) of texts this long, at 3 UTF-8 bytes a unit, stay well under that. A
// longer text is not worth losing every setting for: a longer setting is saved as its default (the
// line empty, the skin the shipped one) and a longer calculation left out.
constexpr size_t kMaxSavedText = 65536;

std::u16string_view Saved(std::u16string_view text, std::u16string_view otherwise) {
  return text.size() <= kMaxSavedText ? text : otherwise;
}

// Whether the expression, once saved, reads back as the end marker: the reading drops blanks at
// both ends, and the writing turns line breaks into blanks.
bool ReadsBackAsHistoryEnd(std::u16string_view expression) {
  constexpr std::u16string_view kDropped = u" \t\r\n";
  size_t first = expression.find_first_not_of(kDropped);
  return first != std::u16string_view::npos &&
         expression.substr(first, expression.find_last_not_of(kDropped) + 1 - first) == kHistoryEnd;
}

// Whether the key is one of a stored calculation's ("Reponse" n field), ASCII case ignored.
bool IsHistoryKey(std::string_view key) {
  constexpr std::string_view kPrefix = "reponse";
  if (key.size() <= kPrefix.size() ||
      !EqualIgnoringAsciiCase(key.substr(0, kPrefix.size()), kPrefix))
    return false;
  key.remove_prefix(kPrefix.size());
  size_t digits = 0;
  while (digits < key.size() && key[digits] >= '0' && key[digits] <= '9') ++digits;
  if (digits == 0) return false;
  key.remove_prefix(digits);
  for (std::string_view field : {"operation", "valeur", "texte", "erreur"})
    if (EqualIgnoringAsciiCase(key, field)) return true;
  return false;
}

// The newest calculations the history keeps, and no more: a file of thousands costs no more
// than a full history, at the start or at any calculation after it.
void LoadHistory(const PreferenceStore& store) {
  for (size_t n = 0; n + 1 < kMaxHistoryEntries; ++n) {
    std::u16string expression = store.ReadString(HistoryKey(n, u"Operation"), kHistoryEnd);
    if (expression == kHistoryEnd) break;
    historyList.entries.push_back({expression, store.ReadDouble(HistoryKey(n, u"Valeur"), 0.0),
                                   store.ReadString(HistoryKey(n, u"Texte"), u""),
                                   store.ReadInt(HistoryKey(n, u"Erreur"), 0)});
  }
  if (!historyList.entries.empty() && !historyList.entries.back().expression.empty())
    historyList.entries.push_back(HistoryEntry());
}

void SaveHistory(PreferenceStore& store, const std::vector<HistoryEntry>& history) {
  size_t n = 0;
  for (const HistoryEntry& entry : history) {
    // An entry shown as the end marker would end the list when it is read back and lose every
    // older entry; it is left out so that they survive.
    if (ReadsBackAsHistoryEnd(entry.expression)) continue;
    if (entry.expression.size() > kMaxSavedText || entry.exactForm.size() > kMaxSavedText) continue;
    store.WriteString(HistoryKey(n, u"Operation"), entry.expression);
    store.WriteDouble(HistoryKey(n, u"Valeur"), entry.answer);
    store.WriteString(HistoryKey(n, u"Texte"), entry.exactForm);
    store.WriteInt(HistoryKey(n, u"Erreur"), entry.errorKind);
    ++n;
  }
  // Older calculations the file held, beyond those written, would come back at the next start.
  store.DropUnwrittenKeys(IsHistoryKey);
}

// What one save writes: the settings and the history as they were when it was asked for.
struct SettingsSnapshot {
  AppSettings settings;
  std::vector<HistoryEntry> history;
  std::array<double, kMemoryCount> memories;
};

SettingsSnapshot TakeSnapshot() {
  SettingsSnapshot snapshot{appSettings, historyList.entries, {}};
  std::copy(std::begin(memories), std::end(memories), snapshot.memories.begin());
  return snapshot;
}

// Writes the settings over what the file holds now, so that the groups, keys and comments the
// program does not know (another version's, the user's) keep their place and text.
FileError WriteSettingsFile(const SettingsSnapshot& snapshot) {
  PreferenceStore store;
  store.Open(kSettingsFileName);
  // Saved without what it held, the file would lose what another version wrote; the save is
  // tried again later instead, as one the disk refused.
  if (store.IsUnreadable()) return FileError::kOther;
  std::u16string_view group;
  for (const SettingRow& row : kSettingRows) {
    if (group != row.group) store.SelectGroup(group = row.group);
    switch (row.kind) {
      case SettingKind::Text:
        store.WriteString(row.key, Saved(snapshot.settings.*row.text, row.defaultText));
        break;
      case SettingKind::Int: store.WriteInt(row.key, snapshot.settings.*row.number); break;
      case SettingKind::History: SaveHistory(store, snapshot.history); break;
      case SettingKind::Memories: SaveMemories(store, snapshot.memories.data()); break;
    }
  }
  return store.Close();
}

// The saves that run beside the program. A thread writes them one after the other, so that a
// disk slow to flush never holds up the keyboard; a save asked for while one is being written
// waits for it, and only the newest of those waiting is written, as it holds all the others do.
// Never destroyed: a thread object still joinable at the process's end would abort it.
struct BackgroundSaves {
  std::mutex lock;
  std::condition_variable finished;
  std::thread writer;
  std::optional<SettingsSnapshot> waiting;
  bool writing = false;                      // the writer has work, or is about to end
  FileError lastOutcome = FileError::kNone;  // of the newest save that ended
};
BackgroundSaves& Background() {
  static BackgroundSaves& saves = *new BackgroundSaves;
  return saves;
}

void WriteWaitingSaves() {
  BackgroundSaves& saves = Background();
  for (;;) {
    std::unique_lock<std::mutex> held(saves.lock);
    if (!saves.waiting) {
      saves.writing = false;
      saves.finished.notify_all();
      return;
    }
    SettingsSnapshot snapshot = std::move(*saves.waiting);
    saves.waiting.reset();
    held.unlock();
    const FileError outcome = WriteSettingsFile(snapshot);
    held.lock();
    saves.lastOutcome = outcome;
  }
}

}  // namespace

int32_t settingsFileKept = 0;

void LoadSettings() {
  PreferenceStore store;
  store.Open(kSettingsFileName);  // a missing file leaves every default
  // A file that exists but could not be read, or only read, must survive this run: the
  // settings then run on defaults, and saving them would replace what it holds.
  settingsFileKept = store.IsUnreadable() ? 1 : 0;
  std::u16string_view group;
  for (const SettingRow& row : kSettingRows) {
    if (group != row.group) store.SelectGroup(group = row.group);
    switch (row.kind) {
      case SettingKind::Text:
        appSettings.*row.text = store.ReadString(row.key, row.defaultText);
        break;
      case SettingKind::Int:
        appSettings.*row.number = store.ReadInt(row.key, row.defaultNumber);
        break;
      case SettingKind::History: LoadHistory(store); break;
      case SettingKind::Memories: LoadMemories(store); break;
    }
  }
  SetAngleMode(appSettings.angleMode);
}

FileError SaveSettings() {
  FinishSettingsSaves();
  if (settingsFileKept) return FileError::kNone;
  const FileError outcome = WriteSettingsFile(TakeSnapshot());
  BackgroundSaves& saves = Background();
  std::lock_guard<std::mutex> held(saves.lock);
  saves.lastOutcome = outcome;
  return outcome;
}

void ResetSettingsSaves() {
  FinishSettingsSaves();
  BackgroundSaves& saves = Background();
  std::lock_guard<std::mutex> held(saves.lock);
  saves.lastOutcome = FileError::kNone;
}

SettingsSaveStatus CurrentSaveStatus() {
  BackgroundSaves& saves = Background();
  std::lock_guard<std::mutex> held(saves.lock);
  return {saves.writing, saves.lastOutcome};
}

void StartSettingsSave() {
  if (settingsFileKept) return;
  BackgroundSaves& saves = Background();
  std::unique_lock<std::mutex> held(saves.lock);
  saves.waiting = TakeSnapshot();
  if (saves.writing) return;
  // The last writer has ended, or is about to: it takes no more work once it has said so.
  if (saves.writer.joinable()) saves.writer.join();
  saves.writing = true;
  // The standard library says by throwing that no thread could be started (the process is out
  // of threads or memory): the save is then made here and now, as SaveSettings makes it.
  try {
    saves.writer = std::thread(WriteWaitingSaves);
  } catch (const std::system_error&) {
    held.unlock();
    WriteWaitingSaves();
  }
}

void FinishSettingsSaves() {
  BackgroundSaves& saves = Background();
  std::unique_lock<std::mutex> held(saves.lock);
  saves.finished.wait(held, [&saves] { return !saves.writing; });
  if (saves.writer.joinable()) saves.writer.join();
}

std::u16string SavedSkinName() {
  PreferenceStore store;
  store.Open(kSettingsFileName);
  for (const SettingRow& row : kSettingRows) {
    if (row.text != &AppSettings::skinName) continue;
    store.SelectGroup(row.group);
    return store.ReadString(row.key, row.defaultText);
  }
  return {};
}
