// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows file layer (kernel32): the program's UTF-8 paths become wide paths here, and only
// here, with "/" turned into "\".
#include "platform/files.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/system/path_names.h"
#include "platform/system/windows/wide.h"
#include "platform/unicode.h"

namespace {

HANDLE Handle(PlatformFile file) { return reinterpret_cast<HANDLE>(file.native); }

// Per thread: the settings are saved on a thread of their own.
thread_local FileError lastError = FileError::kNone;

// Records why the call failed, from the system's last error, and returns false for the caller
// to pass on.
bool Failed() {
  switch (GetLastError()) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE: lastError = FileError::kDiskFull; break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: lastError = FileError::kNotWritable; break;
    default: lastError = FileError::kOther; break;
  }
  return false;
}

// Opens with sharing that lets other programs read, write, rename and delete the file meanwhile,
// as a POSIX open does, and keeps only files on a disk: a device name (CON, NUL, a pipe) opens
// too, but is no file.
bool OpenRegular(const std::string& nativePath, DWORD access, DWORD disposition,
                 PlatformFile* file) {
  HANDLE handle = CreateFileW(WidePath(nativePath).c_str(), access,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  // A read-only file is never written, even where the system would let its user (an
  // administrator under Wine) open it so.
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      ((access & GENERIC_WRITE) && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))) {
    CloseHandle(handle);
    return false;
  }
  file->native = reinterpret_cast<intptr_t>(handle);
  return true;
}

// Asks the file itself rather than its attributes: a device name (NUL, CON) has attributes too.
bool IsRegularFile(const std::string& nativePath) {
  PlatformFile file;
  if (!OpenRegular(nativePath, 0, OPEN_EXISTING, &file)) return false;
  ClosePlatformFile(&file);
  return true;
}

// The final path of an existing file, symbolic links and junctions followed; "" when the file
// cannot be opened. An existing target is opened for writing, as replacing it needs.
std::string FinalPath(const std::string& nativePath) {
  PlatformFile file;
  if (!OpenRegular(nativePath, GENERIC_WRITE, OPEN_EXISTING, &file)) return "";
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = GetFinalPathNameByHandleW(Handle(file), final.data(), DWORD(final.size()), 0);
  if (length >= final.size()) {
    final.resize(length + 1);
    length = GetFinalPathNameByHandleW(Handle(file), final.data(), DWORD(final.size()), 0);
  }
  ClosePlatformFile(&file);
  if (length == 0 || length >= final.size()) return "";
  final.resize(length);
  return Utf8Path(final);
}

bool PositionedTransfer(PlatformFile file, int64_t offset, char* data, DWORD size, bool write,
                        DWORD* done) {
  OVERLAPPED at = {};
  at.Offset = DWORD(uint64_t(offset));
  at.OffsetHigh = DWORD(uint64_t(offset) >> 32);
  *done = 0;
  return write ? WriteFile(Handle(file), data, size, done, &at) != 0
               : ReadFile(Handle(file), data, size, done, &at) != 0 ||
                     GetLastError() == ERROR_HANDLE_EOF;
}

// Whether a process of that number runs now. One that has ended but whose handle another program
// still holds counts as ended.
bool ProcessRuns(DWORD process) {
  HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
  if (!handle)
    return GetLastError() != ERROR_INVALID_PARAMETER;  // denied: it runs, as another user's
  bool runs = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
  CloseHandle(handle);
  return runs;
}

// Removes the temporary files that replacements of the file left when their process was killed
// before it could rename or remove them, so that they do not pile up beside it. Only those of
// processes that no longer run go: another instance may be saving the same file right now.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WidePath(folder + "\\." + name + ".tmp-*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string file = Utf8Path(found.cFileName);
    const uint32_t owner = TemporaryOwner(file, name);
    if (owner != 0 && owner != GetCurrentProcessId() && !ProcessRuns(owner))
      DeleteFileW(WidePath(folder + "\\" + file).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

std::string NativePath(std::string_view path) {
  std::string native(path);
  std::replace(native.begin(), native.end(), '/', '\\');
  return native;
}

bool OpenPlatformFile(std::string_view path, FileAccess access, PlatformFile* file) {
  DWORD rights = access == FileAccess::ReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  return OpenRegular(NativePath(path), rights, OPEN_EXISTING, file);
}

bool CreatePlatformFile(std::string_view path, PlatformFile* file) {
  return OpenRegular(NativePath(path), GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS, file);
}

bool ReadWholePlatformFile(PlatformFile file, size_t maxBytes, std::string* bytes, bool* tooLarge) {
  bytes->clear();
  if (tooLarge) *tooLarge = false;
  auto oversized = [tooLarge] {
    if (tooLarge) *tooLarge = true;
    return false;
  };
  LARGE_INTEGER size;
  if (!GetFileSizeEx(Handle(file), &size)) return false;
  if (uint64_t(size.QuadPart) > maxBytes) return oversized();
  // The size is only a hint: the file may grow while it is read, so the limit is checked again.
  std::string data(size_t(size.QuadPart) + 1, '\0');
  size_t filled = 0;
  for (;;) {
    if (filled == data.size()) {
      if (data.size() > maxBytes) return oversized();
      data.resize(std::min(data.size() * 2, maxBytes + 1));
    }
    DWORD chunk = DWORD(std::min<size_t>(data.size() - filled, 1u << 30)), got = 0;
    if (!PositionedTransfer(file, int64_t(filled), data.data() + filled, chunk, false, &got))
      return false;
    if (got == 0) break;
    filled += got;
  }
  if (filled > maxBytes) return oversized();
  data.resize(filled);
  *bytes = std::move(data);
  return true;
}

bool WritePlatformFile(PlatformFile file, int64_t offset, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    DWORD chunk = DWORD(std::min<size_t>(bytes.size() - written, 1u << 30)), put = 0;
    if (!PositionedTransfer(file, offset + int64_t(written),
                            const_cast<char*>(bytes.data()) + written, chunk, true, &put))
      return Failed();
    if (put == 0) {  // nothing written, and no reason given: the disk took no more
      SetLastError(ERROR_DISK_FULL);
      return Failed();
    }
    written += put;
  }
  return true;
}

bool TruncatePlatformFile(PlatformFile file, int64_t length) {
  FILE_END_OF_FILE_INFO end;
  end.EndOfFile.QuadPart = length;
  return SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end) != 0;
}

void ClosePlatformFile(PlatformFile* file) {
  if (file->native != -1) CloseHandle(Handle(*file));
  file->native = -1;
}

bool FileExists(std::string_view path) { return IsRegularFile(NativePath(path)); }

// The file system ignores case altogether, so the name is looked for in the listing, where its
// spelling can be compared.
std::string FindFileIgnoringExtensionCase(std::string_view path) {
  std::string native = NativePath(path);
  std::string folder, name;
  SplitPath(native, '\\', &folder, &name);
  size_t dot = name.rfind('.');
  std::vector<std::string> names;
  if (!ListFolder(folder, dot == std::string::npos ? "" : std::string_view(name).substr(dot),
                  &names))
    return "";
  auto inFolder = [&](const std::string& candidate) {
    return native.find('\\') == std::string::npos ? candidate : folder + "\\" + candidate;
  };
  if (std::find(names.begin(), names.end(), name) != names.end()) return inFolder(name);
  if (dot == std::string::npos) return "";
  for (const std::string& candidate : names)
    if (candidate.size() == name.size() && candidate.compare(0, dot, name, 0, dot) == 0)
      return inFolder(candidate);
  return "";
}

namespace {

// The folder's entries, but "." and "..", that keep accepts (given the entry's attributes and its
// name), sorted; false when the folder cannot be listed.
template <typename Keep>
bool ListEntries(std::string_view folder, std::vector<std::string>* names, Keep keep) {
  names->clear();
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW(WidePath(NativePath(folder) + "\\*").c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return false;
  do {
    std::string name = Utf8Path(found.cFileName);
    if (name != "." && name != ".." && keep(found.dwFileAttributes, name))
      names->push_back(std::move(name));
  } while (FindNextFileW(listing, &found));
  FindClose(listing);
  std::sort(names->begin(), names->end());
  return true;
}

}  // namespace

bool ListFolder(std::string_view folder, std::string_view extension,
                std::vector<std::string>* names) {
  return ListEntries(folder, names, [extension](DWORD attributes, std::string_view name) {
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) &&
           name.size() >= extension.size() &&
           EqualIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension);
  });
}

bool ListSubfolders(std::string_view folder, std::vector<std::string>* names) {
  return ListEntries(folder, names, [](DWORD attributes, std::string_view) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  });
}

bool RenameFile(std::string_view from, std::string_view to) {
  return MoveFileExW(WidePath(NativePath(from)).c_str(), WidePath(NativePath(to)).c_str(),
                     MOVEFILE_REPLACE_EXISTING) != 0;
}

bool BeginFileReplacement(std::string_view path, FileReplacement* replacement) {
  *replacement = FileReplacement();
  std::string target = NativePath(path);
  DWORD attributes = GetFileAttributesW(WidePath(target).c_str());
  bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    // Only a regular file the user may write is replaced, as writing it in place would require;
    // a link is replaced at its final target.
    target = FinalPath(target);
    if (target.empty()) {
      // A read-only file opens for reading alone, which is refused above with no error of its own.
      if (attributes & FILE_ATTRIBUTE_READONLY) SetLastError(ERROR_ACCESS_DENIED);
      return Failed();
    }
  }
  std::string folder, name;
  SplitPath(target, '\\', &folder, &name);
  // Replacements may run on more than one thread (the settings are saved in the background).
  static std::atomic<unsigned> counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temporary = folder + "\\" + TemporaryName(name, GetCurrentProcessId(), counter++);
    PlatformFile file;
    if (OpenRegular(temporary, GENERIC_READ | GENERIC_WRITE, CREATE_NEW, &file)) {
      *replacement = FileReplacement{file, temporary, target, 0, false};
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return Failed();
  }
  return Failed();
}

bool CommitFileReplacement(FileReplacement* replacement, std::string_view bytes) {
  // A write that failed before has recorded why; the first failure here records its own.
  bool written = WriteFileReplacement(replacement, bytes);
  if (written && !FlushFileBuffers(Handle(replacement->temporary))) written = Failed();
  bool closed = CloseHandle(Handle(replacement->temporary)) != 0 || !written || Failed();
  replacement->temporary.native = -1;
  std::wstring temporary = WidePath(replacement->temporaryPath);
  std::wstring target = WidePath(replacement->targetPath);
  DWORD attributes = GetFileAttributesW(target.c_str());
  // ReplaceFileW keeps the target's access rights, as the POSIX layer keeps its permissions;
  // a target that does not exist (yet) is simply renamed into place.
  bool replaced = written && closed &&
                  (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
                   MoveFileExW(temporary.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  if (!replaced) {
    if (written && closed) Failed();
    AbandonFileReplacement(replacement);
    return false;
  }
  // Its attributes (hidden, say) are given back in case the replacement lost them, as Wine's does.
  if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(target.c_str(), attributes);
  std::string folder, name;
  SplitPath(replacement->targetPath, '\\', &folder, &name);
  RemoveStaleTemporaries(folder, name);
  *replacement = FileReplacement();
  return true;
}

FileError LastFileError() { return lastError; }

std::string WorkingFolder() {
  std::wstring path(GetCurrentDirectoryW(0, nullptr), L'\0');
  DWORD length = GetCurrentDirectoryW(DWORD(path.size()), path.data());
  path.resize(length < path.size() ? length : 0);
  return Utf8Path(path);
}

void AbandonFileReplacement(FileReplacement* replacement) {
  ClosePlatformFile(&replacement->temporary);
  if (!replacement->temporaryPath.empty())
    DeleteFileW(WidePath(replacement->temporaryPath).c_str());
  *replacement = FileReplacement();
}
