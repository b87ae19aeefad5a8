#include "settings/preference_store.h"

#include <algorithm>
#include <climits>

#include "platform/numbers.h"
#include "platform/unicode.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return lower;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (char byte : bytes) {
    auto c = static_cast<unsigned char>(byte);
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

// The text as UTF-8, each line break (CR LF, CR or LF) turned into one space.
std::string OneLine(std::u16string_view text) {
  std::string line = Utf16ToUtf8(text);
  std::string joined;
  joined.reserve(line.size());
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\r' || line[i] == '\n') {
      joined += ' ';
      if (line[i] == '\r' && i + 1 < line.size() && line[i + 1] == '\n') ++i;
    } else {
      joined += line[i];
    }
  }
  return joined;
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

// The lookup key of a key within a group: the group number, then the lower-cased key.
std::string KeyIndex(uint32_t group, std::string_view key) {
  return std::to_string(group) + '\n' + LowerAscii(key);
}

}  // namespace

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
    state = FileExists(path) ? FileState::ReadOnly : FileState::Missing;
    return false;  // Close left the store empty
  }
  std::string bytes;
  bool tooLarge = false;
  bool read = ReadWholePlatformFile(file, kMaxPreferenceFileBytes, &bytes, &tooLarge);
  ClosePlatformFile(&file);
  // A file that failed to read is never written: a save would replace whatever it holds with
  // only the keys written since. An oversized one reads as missing, and a save replaces it.
  if (!read && !tooLarge) state = FileState::ReadOnly;
  Parse(bytes);  // an unreadable or oversized file parses as empty
  return read;
}

bool PreferenceStore::Create(std::u16string_view filePath) {
  Close();
  path = Utf16ToUtf8(filePath);
  state = BeginFileReplacement(path, &replacement) ? FileState::Created : FileState::Unwritable;
  return state == FileState::Created;
}

void PreferenceStore::Parse(std::string_view bytes) {
  std::string text = bytes.starts_with("\xEF\xBB\xBF") ? std::string(bytes.substr(3))
                                                        : Latin1ToUtf8(bytes);
  uint32_t group = 0;
  std::string_view rest = text;
  while (!rest.empty()) {
    size_t end = rest.find_first_of("\r\n");
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty()) continue;  // covers blank lines and the second half of CR LF
    if (line[0] == ';') {
      line.remove_prefix(line.size() > 1 && line[1] == ' ' ? 2 : 1);
      AddNode(nodes.end(), {NodeKind::Comment, std::string(line), ""}, group);
    } else if (line[0] == '[') {
      std::string_view name = line.substr(1, line.find(']') - 1);
      AddNode(nodes.end(), {NodeKind::Group, std::string(name), ""}, group);
      group = static_cast<uint32_t>(groupNodes.size());
    } else {
      size_t equals = line.find('=');
      std::string_view key = line.substr(0, equals), value;
      while (!key.empty() && IsBlank(key.back())) key.remove_suffix(1);
      if (equals != std::string_view::npos) {
        value = line.substr(equals + 1);
        while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
      }
      AddNode(nodes.end(), {NodeKind::Key, std::string(key), std::string(value)}, group);
    }
  }
  current = 0;
}

// Inserts the node before `before` and indexes it: the first group or key of a name is the one
// every lookup finds, so later ones are not indexed.
void PreferenceStore::AddNode(NodeRef before, Node node, uint32_t group) {
  NodeRef added = nodes.insert(before, std::move(node));
  if (added->kind == NodeKind::Group) {
    groupNodes.push_back(added);
    groups.emplace(LowerAscii(added->text), static_cast<uint32_t>(groupNodes.size()));
  } else if (added->kind == NodeKind::Key) {
    keys.emplace(KeyIndex(group, added->text), added);
  }
}

// The node before which a new key of the group goes: the next group, or the end. Keys of no
// group go before the first group.
PreferenceStore::NodeRef PreferenceStore::EndOfGroup(uint32_t group) {
  return group < groupNodes.size() ? groupNodes[group] : nodes.end();
}

bool PreferenceStore::SelectGroup(std::u16string_view name) {
  if (state == FileState::None) return false;
  pendingGroup.clear();
  current = 0;
  if (name.empty()) return true;
  std::string wanted = OneLine(name);
  auto found = groups.find(LowerAscii(wanted));
  if (found == groups.end()) {
    pendingGroup = wanted;
    return false;
  }
  current = found->second;
  return true;
}

const PreferenceStore::Node* PreferenceStore::FindKey(std::u16string_view key) const {
  if (!pendingGroup.empty()) return nullptr;
  auto found = keys.find(KeyIndex(current, Utf16ToUtf8(key)));
  return found == keys.end() ? nullptr : &*found->second;
}

std::u16string PreferenceStore::ReadString(std::u16string_view key,
                                           std::u16string_view defaultValue) const {
  const Node* node = FindKey(key);
  return node ? Utf8ToUtf16(TrimBlanks(node->value)) : std::u16string(defaultValue);
}

int32_t PreferenceStore::ReadInt(std::u16string_view key, int32_t defaultValue) const {
  const Node* node = FindKey(key);
  return node ? ReadAtoi(node->value) : defaultValue;
}

double PreferenceStore::ReadDouble(std::u16string_view key, double defaultValue) const {
  const Node* node = FindKey(key);
  return node ? ReadLeadingDouble(std::string_view(node->value)) : defaultValue;
}

void PreferenceStore::WriteString(std::u16string_view key, std::u16string_view value) {
  if (state == FileState::None) return;
  if (!pendingGroup.empty()) {
    AddNode(nodes.end(), {NodeKind::Group, pendingGroup, ""}, 0);
    current = static_cast<uint32_t>(groupNodes.size());
    pendingGroup.clear();
  }
  std::string keyText = OneLine(key);
  auto found = keys.find(KeyIndex(current, keyText));
  if (found != keys.end()) {
    found->second->text = keyText;
    found->second->value = OneLine(value);
  } else {
    AddNode(EndOfGroup(current), {NodeKind::Key, keyText, OneLine(value)}, current);
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

std::string PreferenceStore::FileText() const {
  std::string text = "\xEF\xBB\xBF\r\n";
  for (const Node& node : nodes) {
    switch (node.kind) {
      case NodeKind::Group: text += "[" + node.text + "]"; break;
      case NodeKind::Comment: text += "; " + node.text; break;
      case NodeKind::Key: text += node.text + " = " + node.value; break;
    }
    text += "\r\n";
  }
  return text;
}

void PreferenceStore::Close() {
  if (state == FileState::Created) {
    // A created file that was never written stays empty, as creating it made it.
    CommitFileReplacement(&replacement, dirty ? FileText() : std::string());
  } else if (dirty && (state == FileState::Writable || state == FileState::Missing)) {
    FileReplacement rewrite;
    if (BeginFileReplacement(path, &rewrite)) CommitFileReplacement(&rewrite, FileText());
  }
  path.clear();
  state = FileState::None;
  nodes.clear();
  groups.clear();
  keys.clear();
  groupNodes.clear();
  current = 0;
  pendingGroup.clear();
  dirty = false;
}
