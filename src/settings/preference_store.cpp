// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/preference_store.h"

#include <algorithm>
#include <climits>

#include "platform/numbers.h"
#include "platform/unicode.h"

namespace {

// Node references at or above kWritten name written nodes; below it they are offsets in the text
// read, which is at most twice the largest file (ISO 8859-1 bytes become two UTF-8 bytes).
constexpr uint32_t kWritten = 1u << 26;
static_assert(2 * kMaxPreferenceFileBytes < kWritten);
// An index slot holds a reference in its low bits and 5 bits of the hash above; a reference can
// never reach kRefMask (that would take 2^26 written nodes), so a free slot is never a real one.
constexpr int kRefBits = 27;
constexpr uint32_t kRefMask = (1u << kRefBits) - 1;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The bytes as UTF-8, each byte of them an ISO 8859-1 character. The bytes are taken: when they
// are all ASCII they already are the text, and otherwise they are freed once converted.
std::string Latin1ToUtf8(std::string& bytes) {
  size_t high = static_cast<size_t>(std::count_if(
      bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
  if (high == 0) return std::move(bytes);
  std::string text;
  text.reserve(bytes.size() + high);
  for (char byte : bytes) {
    auto c = static_cast<unsigned char>(byte);
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  std::string().swap(bytes);
  return text;
}

// Where the line that goes on at `from` ends: its CR or LF, or the text's end. (A plain loop:
// find_first_of looks each character up in the set of two.)
size_t LineEnd(std::string_view text, size_t from) {
  while (from < text.size() && text[from] != '\r' && text[from] != '\n') ++from;
  return from;
}

// Calls visit(offset, line) for every line of the text that is not blank, in order; a line
// starts at its first character that is not a blank and ends before the next CR or LF.
template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = LineEnd(text, at);
    while (at < end && IsBlank(text[at])) ++at;
    if (at < end) visit(static_cast<uint32_t>(at), text.substr(at, end - at));
    at = end + 1;  // runs of CR and LF leave empty lines, which are skipped
  }
}

// The line that starts at the offset.
std::string_view LineAt(std::string_view text, uint32_t offset) {
  return text.substr(offset, LineEnd(text, offset) - offset);
}

// The hash of a group or key name (ASCII case ignored) within a group, 0 for group names.
uint64_t NameHash(uint32_t group, std::string_view name) {
  uint64_t hash = 0xCBF29CE484222325u ^ (uint64_t{group} * 0x9E3779B97F4A7C15u);
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(AsciiLower(c))) * 0x100000001B3u;
  // The byte-wise hash is weak in its low bits, which choose the slot: they are mixed with all.
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCDu;
  hash ^= hash >> 33;
  hash *= 0xC4CEB9FE1A85EC53u;
  return hash ^ (hash >> 33);
}

uint32_t HashTag(uint64_t hash) { return static_cast<uint32_t>(hash >> 59) << kRefBits; }

// The text as UTF-8, each line break (CR LF, CR or LF) turned into one space.
std::string OneLine(std::u16string_view text) {
  std::string line = Utf16ToUtf8(text);
  size_t kept = 0;  // the joined text is never longer, so it is built in place
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < line.size() && line[i + 1] == '\n') ++i;
      c = ' ';
    }
    line[kept++] = c;
  }
  line.resize(kept);
  return line;
}

// As atoi reads: white space, an optional sign, digits up to the first non-digit; no digits
// give 0. A value beyond 32 bits saturates at the limit.
int32_t ReadAtoi(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), int64_t(INT32_MAX) + 1);
  int64_t value = negative ? -magnitude : magnitude;
  return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

}  // namespace

template <typename Same>
uint32_t PreferenceStore::Index::Find(uint64_t hash, Same same) const {
  if (slots.empty()) return kNone;
  size_t mask = slots.size() - 1;
  uint32_t tag = HashTag(hash);
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    uint32_t slot = slots[i];
    if (slot == kNone) return kNone;
    if ((slot & ~kRefMask) == tag && same(slot & kRefMask)) return slot & kRefMask;
  }
}

void PreferenceStore::Index::Put(uint64_t hash, uint32_t ref) {
  size_t mask = slots.size() - 1;
  size_t i = hash & mask;
  while (slots[i] != kNone) i = (i + 1) & mask;
  slots[i] = HashTag(hash) | ref;
}

template <typename HashOf>
void PreferenceStore::Index::Add(uint64_t hash, uint32_t ref, HashOf hashOf) {
  // Kept at most 7/8 full: linear probing stays short with the tags, and a full index of tiny
  // lines costs under 10 bytes a line (14 while it doubles).
  if ((count + 1) * 8 > slots.size() * 7) {
    std::vector<uint32_t> old(std::max<size_t>(16, slots.size() * 2), kNone);
    old.swap(slots);
    for (uint32_t slot : old)
      if (slot != kNone) Put(hashOf(slot & kRefMask), slot & kRefMask);
  }
  Put(hash, ref);
  ++count;
}

void PreferenceStore::Index::Clear() {
  slots = std::vector<uint32_t>();
  count = 0;
}

bool PreferenceStore::Open(std::u16string_view filePath) {
  Close();
  path = Utf16ToUtf8(filePath);
  PlatformFile file;
  if (OpenPlatformFile(path, FileAccess::ReadWrite, &file)) {
    state = FileState::Writable;
  } else if (OpenPlatformFile(path, FileAccess::ReadOnly, &file)) {
    state = FileState::ReadOnly;
  } else {
    // A file that exists but cannot be opened at all could not be written either.
    state = FileExists(path) ? FileState::Unreadable : FileState::Missing;
    return false;  // Close left the store empty
  }
  std::string bytes;
  bool tooLarge = false;
  bool read = ReadWholePlatformFile(file, kMaxPreferenceFileBytes, &bytes, &tooLarge);
  ClosePlatformFile(&file);
  // A file that failed to read is never written: a save would replace whatever it holds with
  // only the keys written since. An oversized one reads as missing, and a save replaces it.
  if (!read && !tooLarge) state = FileState::Unreadable;
  Parse(bytes);  // an unreadable or oversized file parses as empty
  return read;
}

bool PreferenceStore::Create(std::u16string_view filePath) {
  Close();
  path = Utf16ToUtf8(filePath);
  state = BeginFileReplacement(path, &replacement) ? FileState::Created : FileState::Unwritable;
  createFailure = state == FileState::Unwritable ? LastFileError() : FileError::kNone;
  return state == FileState::Created;
}

PreferenceStore::Node PreferenceStore::LineNode(std::string_view line) {
  if (line[0] == ';') {
    line.remove_prefix(line.size() > 1 && line[1] == ' ' ? 2 : 1);
    return {NodeKind::Comment, line, {}};
  }
  if (line[0] == '[') return {NodeKind::Group, line.substr(1, line.find(']') - 1), {}};
  size_t equals = line.find('=');
  std::string_view key = line.substr(0, equals), value;
  while (!key.empty() && IsBlank(key.back())) key.remove_suffix(1);
  if (equals != std::string_view::npos) {
    value = line.substr(equals + 1);
    while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
  }
  return {NodeKind::Key, key, value};
}

PreferenceStore::Node PreferenceStore::NodeOf(uint32_t ref) const {
  if (ref < kWritten && !rewritten.empty()) {
    auto found = rewritten.find(ref);
    if (found != rewritten.end()) ref = kWritten + found->second;
  }
  if (ref < kWritten) return LineNode(LineAt(text, ref));
  const WrittenNode& node = written[ref - kWritten];
  return {node.kind, node.text, node.value};
}

std::string_view PreferenceStore::GroupName(uint32_t group) const {
  return group <= groupOffsets.size() ? LineNode(LineAt(text, groupOffsets[group - 1])).text
                                      : written[newGroups[group - groupOffsets.size() - 1]].text;
}

uint32_t PreferenceStore::GroupOf(uint32_t ref) const {
  if (ref >= kWritten) return written[ref - kWritten].group;
  // The number of groups read that start before the line.
  return static_cast<uint32_t>(std::upper_bound(groupOffsets.begin(), groupOffsets.end(), ref) -
                               groupOffsets.begin());
}

uint64_t PreferenceStore::KeyHash(uint32_t ref) const {
  return NameHash(GroupOf(ref), NodeOf(ref).text);
}

uint32_t PreferenceStore::FindKey(uint32_t group, std::string_view key, uint64_t hash) const {
  return keys.Find(hash, [&](uint32_t ref) {
    return EqualIgnoringAsciiCase(NodeOf(ref).text, key) && GroupOf(ref) == group;
  });
}

uint32_t PreferenceStore::FindGroup(std::string_view name, uint64_t hash) const {
  return groups.Find(
      hash, [&](uint32_t group) { return EqualIgnoringAsciiCase(GroupName(group), name); });
}

void PreferenceStore::AddGroup(uint32_t group, uint64_t hash) {
  groups.Add(hash, group, [this](uint32_t other) { return NameHash(0, GroupName(other)); });
}

void PreferenceStore::AddKey(uint32_t ref, uint64_t hash) {
  keys.Add(hash, ref, [this](uint32_t other) { return KeyHash(other); });
}

void PreferenceStore::Parse(std::string& bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.erase(0, 3);
    text = std::move(bytes);
  } else {
    text = Latin1ToUtf8(bytes);
  }
  size_t groupLines = 0;
  ForEachLine(text, [&](uint32_t, std::string_view line) { groupLines += line[0] == '['; });
  groupOffsets.reserve(groupLines);
  uint32_t group = 0;
  bool reachable = true;  // whether the group's keys can be found: it is the first of its name
  ForEachLine(text, [&](uint32_t at, std::string_view line) {
    if (line[0] == '[') {
      groupOffsets.push_back(at);
      group = static_cast<uint32_t>(groupOffsets.size());
      std::string_view name = LineNode(line).text;
      uint64_t hash = NameHash(0, name);
      reachable = FindGroup(name, hash) == Index::kNone;
      if (reachable) AddGroup(group, hash);
    } else if (line[0] != ';' && reachable) {
      std::string_view key = LineNode(line).text;
      uint64_t hash = NameHash(group, key);
      if (FindKey(group, key, hash) == Index::kNone) AddKey(at, hash);
    }
  });
  current = 0;
}

uint32_t PreferenceStore::AddWritten(WrittenNode node) {
  written.push_back(std::move(node));
  return kWritten + static_cast<uint32_t>(written.size() - 1);
}

bool PreferenceStore::SelectGroup(std::u16string_view name) {
  if (state == FileState::None) return false;
  pendingGroup.clear();
  current = 0;
  if (name.empty()) return true;
  std::string wanted = OneLine(name);
  uint32_t found = FindGroup(wanted, NameHash(0, wanted));
  if (found == Index::kNone) {
    pendingGroup = wanted;
    return false;
  }
  current = found;
  return true;
}

bool PreferenceStore::FindValue(std::u16string_view key, std::string_view* value) const {
  if (!pendingGroup.empty()) return false;
  std::string wanted = Utf16ToUtf8(key);
  uint32_t ref = FindKey(current, wanted, NameHash(current, wanted));
  if (ref == Index::kNone || dropped.contains(ref)) return false;
  *value = NodeOf(ref).value;
  return true;
}

std::u16string PreferenceStore::ReadString(std::u16string_view key,
                                           std::u16string_view defaultValue) const {
  std::string_view value;
  return FindValue(key, &value) ? Utf8ToUtf16(TrimBlanks(value)) : std::u16string(defaultValue);
}

int32_t PreferenceStore::ReadInt(std::u16string_view key, int32_t defaultValue) const {
  std::string_view value;
  return FindValue(key, &value) ? ReadAtoi(value) : defaultValue;
}

double PreferenceStore::ReadDouble(std::u16string_view key, double defaultValue) const {
  std::string_view value;
  return FindValue(key, &value) ? ReadLeadingDouble(value) : defaultValue;
}

void PreferenceStore::WriteString(std::u16string_view key, std::u16string_view value) {
  if (state == FileState::None) return;
  if (!pendingGroup.empty()) {
    uint64_t hash = NameHash(0, pendingGroup);
    newGroups.push_back(AddWritten({NodeKind::Group, 0, std::move(pendingGroup), ""}) - kWritten);
    current = static_cast<uint32_t>(groupOffsets.size() + newGroups.size());
    AddGroup(current, hash);
    pendingGroup.clear();
  }
  std::string keyText = OneLine(key);
  std::string valueText = OneLine(value);
  uint64_t hash = NameHash(current, keyText);
  uint32_t found = FindKey(current, keyText, hash);
  if (found == Index::kNone) {
    uint32_t ref = AddWritten({NodeKind::Key, current, std::move(keyText), std::move(valueText)});
    AddKey(ref, hash);
    addedKeys.push_back(ref - kWritten);
  } else {
    if (found < kWritten) {
      dropped.erase(found);
      // A key read takes its new form in a written node, which the file's line then stands for.
      auto [entry, added] = rewritten.try_emplace(found, 0);
      if (added) entry->second = AddWritten({NodeKind::Key, current, {}, {}}) - kWritten;
      found = kWritten + entry->second;
    }
    written[found - kWritten].text = std::move(keyText);
    written[found - kWritten].value = std::move(valueText);
  }
  dirty = true;
}

void PreferenceStore::WriteInt(std::u16string_view key, int32_t value) {
  std::string text = std::to_string(value);
  WriteString(key, std::u16string(text.begin(), text.end()));
}

void PreferenceStore::WriteDouble(std::u16string_view key, double value) {
  std::string text = ShortestDoubleText(value);
  WriteString(key, std::u16string(text.begin(), text.end()));
}

template <typename Visit>
void PreferenceStore::ForEachNode(Visit visit) const {
  // New keys go at the end of their group: in group order, each group's in the order written.
  std::vector<uint32_t> added = addedKeys;
  std::stable_sort(added.begin(), added.end(),
                   [this](uint32_t a, uint32_t b) { return written[a].group < written[b].group; });
  size_t next = 0;
  auto visitAdded = [&](uint32_t group) {
    for (; next < added.size() && written[added[next]].group == group; ++next)
      visit(NodeOf(kWritten + added[next]));
  };
  uint32_t group = 0;
  ForEachLine(text, [&](uint32_t at, std::string_view line) {
    if (line[0] == '[') visitAdded(group++);
    if (dropped.empty() || !dropped.contains(at))
      visit(rewritten.empty() ? LineNode(line) : NodeOf(at));
  });
  visitAdded(group);
  for (uint32_t node : newGroups) {
    visit(NodeOf(kWritten + node));
    visitAdded(++group);
  }
}

// The content's parts, in order: the mark, then each node's line.
template <typename Put>
void PreferenceStore::ForEachPart(Put put) const {
  put("\xEF\xBB\xBF\r\n");
  ForEachNode([&](const Node& node) {
    switch (node.kind) {
      case NodeKind::Group: put("["), put(node.text), put("]"); break;
      case NodeKind::Comment: put("; "), put(node.text); break;
      case NodeKind::Key: put(node.text), put(" = "), put(node.value); break;
    }
    put("\r\n");
  });
}

uint64_t PreferenceStore::ContentSize() const {
  uint64_t size = 0;
  ForEachPart([&](std::string_view part) { size += part.size(); });
  return size;
}

void PreferenceStore::WriteContent(FileReplacement* file) const {
  // The content goes out in pieces, so that saving a huge file costs no copy of it.
  constexpr size_t kPiece = 64u << 10;
  std::string piece;
  piece.reserve(kPiece);
  ForEachPart([&](std::string_view part) {
    if (piece.size() + part.size() <= kPiece) {
      piece += part;
      return;
    }
    WriteFileReplacement(file, piece);
    piece.clear();
    if (part.size() < kPiece)
      piece += part;
    else
      WriteFileReplacement(file, part);  // a huge value goes out as it is
  });
  WriteFileReplacement(file, piece);
}

bool PreferenceStore::GroupLines(size_t* from, size_t* to) const {
  if (!pendingGroup.empty() || current > groupOffsets.size()) return false;
  *from = current == 0 ? 0 : groupOffsets[current - 1];
  *to = current < groupOffsets.size() ? groupOffsets[current] : text.size();
  return true;
}

FileError PreferenceStore::Close() {
  // A content Open would refuse is not saved: the next Open would find no keys at all, and the
  // file is better left as it was.
  const bool fits = !dirty || ContentSize() <= kMaxPreferenceFileBytes;
  FileError error = FileError::kNone;
  if (state == FileState::Created && !fits) {
    AbandonFileReplacement(&replacement);
  } else if (state == FileState::Created) {
    // A created file that was never written stays empty, as creating it made it.
    if (dirty) WriteContent(&replacement);
    if (!CommitFileReplacement(&replacement, {})) error = LastFileError();
  } else if (dirty && state == FileState::Unwritable) {
    error = createFailure;
  } else if (dirty && state == FileState::ReadOnly) {
    error = FileError::kNotWritable;
  } else if (dirty && state == FileState::Unreadable) {
    error = FileError::kOther;
  } else if (dirty && fits && (state == FileState::Writable || state == FileState::Missing)) {
    FileReplacement rewrite;
    if (!BeginFileReplacement(path, &rewrite)) {
      error = LastFileError();
    } else {
      WriteContent(&rewrite);
      if (!CommitFileReplacement(&rewrite, {})) error = LastFileError();
    }
  }
  // Everything is freed, not only emptied: a store may hold many times a small file's size.
  path.clear();
  state = FileState::None;
  std::string().swap(text);  // assigning an empty string would keep the buffer
  written = std::vector<WrittenNode>();
  groupOffsets = std::vector<uint32_t>();
  newGroups = std::vector<uint32_t>();
  addedKeys = std::vector<uint32_t>();
  rewritten = std::unordered_map<uint32_t, uint32_t>();
  dropped = std::unordered_set<uint32_t>();
  groups.Clear();
  keys.Clear();
  current = 0;
  pendingGroup.clear();
  dirty = false;
  return error;
}
