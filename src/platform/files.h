// SPDX-License-Identifier: GPL-3.0-or-later
// Files: the one place that calls the operating system's file services.
//
// Paths are UTF-8 and may use "\" as the folder separator, as the program's fixed paths do
// ("Lng-Tornavelle\Francais.Txt"); every call turns them into the system's form with NativePath.
// Relative paths are resolved against the working directory. No call ever blocks on a device or a
// pipe: only regular files are opened.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// An open file. On Linux `native` is a file descriptor; a Windows version keeps a HANDLE there.
struct PlatformFile {
  intptr_t native = -1;
};

enum class FileAccess { ReadWrite, ReadOnly };

// A whole-file replacement in progress: the new content goes to a temporary file beside the
// target, which takes the target's place only when CommitFileReplacement succeeds.
struct FileReplacement {
  PlatformFile temporary;
  std::string temporaryPath;  // native paths
  std::string targetPath;     // the file that gets replaced, symbolic links followed
  int64_t written = 0;        // bytes of new content written so far
  bool failed = false;        // a write failed: the commit will not replace the target
};

// The path in the system's form: on Linux every "\" becomes "/".
std::string NativePath(std::string_view path);

// Opens an existing regular file. Returns false when there is none or it cannot be opened so.
bool OpenPlatformFile(std::string_view path, FileAccess access, PlatformFile* file);
// Creates a regular file, empty, replacing an existing one. Returns false when it cannot.
bool CreatePlatformFile(std::string_view path, PlatformFile* file);
// Reads the whole file from its start. Returns false on a read error, and when the file holds
// more than maxBytes (then *bytes is left empty); *tooLarge, when given, tells the two apart.
bool ReadWholePlatformFile(PlatformFile file, size_t maxBytes, std::string* bytes,
                           bool* tooLarge = nullptr);
// Writes every byte at the offset. Returns false when any byte could not be written.
bool WritePlatformFile(PlatformFile file, int64_t offset, std::string_view bytes);
// Sets the file's length. Returns false when it cannot.
bool TruncatePlatformFile(PlatformFile file, int64_t length);
// Closes the file if it is open; the record is then closed.
void ClosePlatformFile(PlatformFile* file);

// Opens the file read-only, reads it whole and closes it; false as ReadWholePlatformFile.
bool ReadFileBytes(std::string_view path, size_t maxBytes, std::string* bytes);

// Whether a regular file exists at the path (a folder does not count).
bool FileExists(std::string_view path);
// The existing regular file whose name is the path's name, its extension (from the last ".")
// compared without regard to ASCII case, the rest exactly: "x\A.txt" finds "x/A.Txt" but not
// "x/a.txt". The exact spelling wins when it exists. Returns the native path, or "" for none.
std::string FindFileIgnoringExtensionCase(std::string_view path);
// The names of the regular files in the folder whose name ends with the extension (".txt"),
// compared without regard to ASCII case, sorted by name (byte order). Returns false, with an
// empty list, when the folder cannot be listed.
bool ListFolder(std::string_view folder, std::string_view extension,
                std::vector<std::string>* names);
// The names of the folders in the folder ("." and ".." aside), sorted by name (byte order).
// Returns false, with an empty list, when the folder cannot be listed.
bool ListSubfolders(std::string_view folder, std::vector<std::string>* names);
// The working folder's absolute path, as messages name it; "" when the system cannot tell.
std::string WorkingFolder();
// Renames a file, replacing the destination. Returns false when it cannot.
bool RenameFile(std::string_view from, std::string_view to);

// Starts replacing the file at path: symbolic links are followed to their final target, and a
// temporary file is created in the target's folder. Returns false, with nothing created, when
// the temporary file cannot be created or an existing target cannot be written.
bool BeginFileReplacement(std::string_view path, FileReplacement* replacement);
// Adds bytes to the new content, after those given before, so that a large content never has to
// be held whole. Returns false when they could not be written; the commit then fails.
bool WriteFileReplacement(FileReplacement* replacement, std::string_view bytes);
// Writes the rest of the new content (all of it when WriteFileReplacement was not used), flushes
// it to the disk and renames the temporary file over the target (which keeps its permissions).
// Returns false when any step fails: the temporary file is then removed and the target is
// untouched. The replacement is finished either way. A success also removes the temporary files
// of earlier replacements of the target whose processes were killed before they finished.
bool CommitFileReplacement(FileReplacement* replacement, std::string_view bytes);
// Gives the replacement up: the temporary file is removed and the target is untouched.
void AbandonFileReplacement(FileReplacement* replacement);

// Why a file could not be written, in the terms a user can act on.
enum class FileError {
  kNone,
  kDiskFull,     // no space left (or the user's quota, or the largest file size, reached)
  kNotWritable,  // the folder or the file may not be written (permissions, a read-only disk)
  kOther,        // any other failure of the disk or the system
};
// Why the last of BeginFileReplacement, WriteFileReplacement and CommitFileReplacement that failed
// on this thread failed (the replacements of one thread do not see another's).
FileError LastFileError();
