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
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
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

  // Whether Close can save: false for a file opened read only, one that failed to read, and a
  // file that could not be created.
  bool IsSavable() const { return state != FileState::ReadOnly && state != FileState::Unwritable; }

  // Saves the file if anything was written (or it was created), atomically, then frees
  // everything. A file opened read only is never written.
  void Close();

 private:
  enum class NodeKind { Group, Comment, Key };
  struct Node {
    NodeKind kind;
    std::string text;   // group name, comment text or key
    std::string value;  // keys only
  };
  using NodeRef = std::list<Node>::iterator;
  enum class FileState { None, Writable, ReadOnly, Missing, Created, Unwritable };

  void Parse(std::string_view bytes);
  void AddNode(NodeRef before, Node node, uint32_t group);
  NodeRef EndOfGroup(uint32_t group);
  const Node* FindKey(std::u16string_view key) const;
  std::string FileText() const;

  std::string path;  // UTF-8, kept even when the file does not exist
  FileState state = FileState::None;
  FileReplacement replacement;  // for a created file, from Create to Close
  std::list<Node> nodes;        // in file order
  // Lookup tables, so that every read and write costs the same whatever the file's size:
  // group names (lower-cased) to the first group of that name, and group number plus key
  // (lower-cased) to the first key of that name in the group. Group 0 is "no group".
  // Groups are numbered from 1 in file order; they are only ever added at the end.
  std::unordered_map<std::string, uint32_t> groups;
  std::unordered_map<std::string, NodeRef> keys;
  std::vector<NodeRef> groupNodes;  // group n is groupNodes[n - 1]
  uint32_t current = 0;             // number of the current group, 0 for none
  std::string pendingGroup;
  bool dirty = false;
};
