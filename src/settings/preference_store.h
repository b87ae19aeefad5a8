// SPDX-License-Identifier: GPL-3.0-or-later
// The group/key preferences file: a reader and writer of its syntax, used for the settings file
// and for the language choice file.
//
// Reading: an optional UTF-8 mark (EF BB BF), otherwise every byte is its ISO 8859-1 character;
// lines end at any run of CR and LF; leading blanks are skipped; ";" starts a comment, "[" a group
// (its name runs to the first "]", or to the line's end without one), anything else is a key line
// "key = value" (no "=" gives an empty value). Keys before the first group belong to no group.
// Writing always gives EF BB BF, CR LF, then one CR LF-ended line per node: "[name]",
// "; comment", "key = value". Names and values are UTF-16 at this interface, UTF-8 in the file.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/files.h"

// Files larger than this read as missing, so that an absurd file cannot exhaust memory or time.
constexpr size_t kMaxPreferenceFileBytes = 16u << 20;

struct PreferenceStore {
  PreferenceStore() = default;
  PreferenceStore(const PreferenceStore&) = delete;
  PreferenceStore& operator=(const PreferenceStore&) = delete;
  ~PreferenceStore() { Close(); }

  // Closes any open file, then opens and parses the file at path: read and write if possible,
  // otherwise read only. Returns whether the file was opened and read. A missing file (or one
  // over kMaxPreferenceFileBytes) leaves an empty, usable store that a write creates at Close;
  // a file that exists but cannot be read is never written.
  bool Open(std::u16string_view path);
  // Closes any open file, then starts the file afresh with no nodes; it replaces the old file at
  // Close. Returns false when the file cannot be created; writes are then never saved.
  bool Create(std::u16string_view path);
  // Makes the first group of that name (ASCII case ignored) current; "" selects no group.
  // Returns false when there is no such group (the name becomes pending: reads find nothing and
  // the first write appends the group) and when no file name is kept.
  bool SelectGroup(std::u16string_view name);

  // The first value of the key in the current group (ASCII case ignored), or the default.
  // Texts lose the spaces and tabs at both ends; numbers read as atoi and atof read them.
  std::u16string ReadString(std::u16string_view key, std::u16string_view defaultValue) const;
  int32_t ReadInt(std::u16string_view key, int32_t defaultValue) const;
  double ReadDouble(std::u16string_view key, double defaultValue) const;

  // Set the key in the current group, creating the key (and a pending group) when needed.
  // A line break in a value becomes one space, so no value can break the file's lines.
  void WriteString(std::u16string_view key, std::u16string_view value);
  void WriteInt(std::u16string_view key, int32_t value);
  void WriteDouble(std::u16string_view key, double value);  // shortest text that reads back

  // Removes from the current group every key that known(key) accepts and no write has set since
  // Open, every line of it: what a save no longer holds (an older calculation, say) goes, and
  // what the program does not know stays. Reads no longer find such a key; a write brings it back.
  template <typename Known>
  void DropUnwrittenKeys(Known known);

  // Whether the file exists but could not be read (or opened at all): a save would replace what
  // it holds with only what was written since.
  bool IsUnreadable() const { return state == FileState::Unreadable; }

  // Saves the file if anything was written (or it was created), atomically, then frees
  // everything. Returns why the save failed, kNone when it succeeded or nothing was due. A file
  // opened read only or unreadable is never written (kNotWritable, kOther when something was
  // due); nor is a content larger than kMaxPreferenceFileBytes, which Open could not read back:
  // the file then keeps what it held, and as no retry could help, that counts as no failure.
  FileError Close();

 private:
  enum class NodeKind { Group, Comment, Key };
  // A node as the file shows it; the views last until the store changes.
  struct Node {
    NodeKind kind;
    std::string_view text;   // group name, comment text or key
    std::string_view value;  // keys only
  };
  // A node that a write made or changed: a new group, a new key, or a read key's new form.
  struct WrittenNode {
    NodeKind kind;
    uint32_t group;  // keys only: the group they belong to
    std::string text, value;
  };
  // An open-addressing hash set of node references (see `text`), 4 bytes a slot: a file of
  // millions of tiny lines must not cost more than a few times its size. Each slot keeps 5 bits
  // of its hash beside the reference, so most probes are settled without looking at the text.
  class Index {
   public:
    static constexpr uint32_t kNone = 0xFFFFFFFF;
    // The reference with this hash for which same(ref) holds, or kNone.
    template <typename Same>
    uint32_t Find(uint64_t hash, Same same) const;
    // Adds a reference that is not there yet; hashOf(ref) gives the hash of those already in.
    template <typename HashOf>
    void Add(uint64_t hash, uint32_t ref, HashOf hashOf);
    void Clear();

   private:
    void Put(uint64_t hash, uint32_t ref);
    std::vector<uint32_t> slots;  // a power of two of them, kNone when free
    size_t count = 0;
  };
  enum class FileState { None, Writable, ReadOnly, Unreadable, Missing, Created, Unwritable };

  static Node LineNode(std::string_view line);  // a line of the file, from its first non-blank
  void Parse(std::string& bytes);
  Node NodeOf(uint32_t ref) const;
  std::string_view GroupName(uint32_t group) const;
  uint32_t GroupOf(uint32_t ref) const;  // the group a key is in
  uint64_t KeyHash(uint32_t ref) const;
  // A group number or a node reference, or Index::kNone; the hash is the name's.
  uint32_t FindGroup(std::string_view name, uint64_t hash) const;
  uint32_t FindKey(uint32_t group, std::string_view key, uint64_t hash) const;
  void AddGroup(uint32_t group, uint64_t hash);
  void AddKey(uint32_t ref, uint64_t hash);
  uint32_t AddWritten(WrittenNode node);  // its reference
  // Whether the current group has the key; its value then goes to *value.
  bool FindValue(std::u16string_view key, std::string_view* value) const;
  // The offsets of the current group's lines in the text read: [*from, *to). False when the
  // group was not read (a written one, or none pending).
  bool GroupLines(size_t* from, size_t* to) const;
  template <typename Visit>
  void ForEachNode(Visit visit) const;  // in file order
  template <typename Put>
  void ForEachPart(Put put) const;  // the content, in pieces
  uint64_t ContentSize() const;
  void WriteContent(FileReplacement* file) const;

  std::string path;  // UTF-8, kept even when the file does not exist
  FileState state = FileState::None;
  FileReplacement replacement;                 // for a created file, from Create to Close
  FileError createFailure = FileError::kNone;  // why Create failed
  // The nodes read are lines of the file's text, which is kept whole; a node reference is the
  // offset of its line's first character there, or kWritten (in the .cpp) plus the number of a
  // written node. Nothing is kept for a line that is neither a group nor the first of its key:
  // the lines are found again in the text when the file is saved.
  std::string text;  // UTF-8, without the mark
  std::vector<WrittenNode> written;
  // Groups are numbered from 1: those read first, in file order, then those written. Group 0
  // is "no group".
  std::vector<uint32_t> groupOffsets;  // of the groups read, so sorted
  std::vector<uint32_t> newGroups;     // written nodes of the groups written
  std::vector<uint32_t> addedKeys;     // written nodes of new keys, in the order written
  std::unordered_map<uint32_t, uint32_t> rewritten;  // line offset of a key read -> its new form
  std::unordered_set<uint32_t> dropped;              // line offsets of keys read and removed
  // Lookup tables, so that every read and write costs the same whatever the file's size: the
  // first group of each name (ASCII case ignored), and in every such group (and in no group)
  // the first key of each name. Keys of a later group of the same name are never looked for.
  Index groups;          // group numbers
  Index keys;            // node references
  uint32_t current = 0;  // number of the current group, 0 for none
  std::string pendingGroup;
  bool dirty = false;
};

template <typename Known>
void PreferenceStore::DropUnwrittenKeys(Known known) {
  size_t from = 0, to = 0;
  if (!GroupLines(&from, &to)) return;
  for (size_t at = from; at < to;) {
    size_t end = at;
    while (end < to && text[end] != '\r' && text[end] != '\n') ++end;
    while (at < end && (text[at] == ' ' || text[at] == '\t')) ++at;
    const auto offset = static_cast<uint32_t>(at);
    if (at < end && text[at] != ';' && text[at] != '[' && !rewritten.contains(offset) &&
        known(LineNode(std::string_view(text).substr(at, end - at)).text)) {
      dropped.insert(offset);
      dirty = true;
    }
    at = end + 1;
  }
}
