// SPDX-License-Identifier: GPL-3.0-or-later
// The POSIX file layer (Linux).
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/system/path_names.h"
#include "platform/unicode.h"

namespace {

int Descriptor(PlatformFile file) { return static_cast<int>(file.native); }

// Per thread: the settings are saved on a thread of their own.
thread_local FileError lastError = FileError::kNone;

// Records why the call failed, from errno, and returns false for the caller to pass on.
bool Failed() {
  switch (errno) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG: lastError = FileError::kDiskFull; break;
    case EACCES:
    case EPERM:
    case EROFS: lastError = FileError::kNotWritable; break;
    default: lastError = FileError::kOther; break;
  }
  return false;
}

bool IsRegularFile(const std::string& nativePath) {
  struct stat info;
  return stat(nativePath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Opens with O_NONBLOCK so that a FIFO or a device in the file's place cannot block the open,
// keeps only regular files, and then clears O_NONBLOCK again.
bool OpenRegular(const std::string& nativePath, int flags, PlatformFile* file) {
  int fd;
  do {
    fd = open(nativePath.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return false;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  file->native = fd;
  return true;
}

// Follows symbolic links to the path that is finally named. Returns "" for a loop.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string link(4096, '\0');
    ssize_t length = readlink(path.c_str(), link.data(), link.size());
    if (length <= 0 || static_cast<size_t>(length) >= link.size()) return "";
    link.resize(static_cast<size_t>(length));
    if (link[0] == '/') {
      path = link;
    } else {
      std::string folder, name;
      SplitPath(path, '/', &folder, &name);
      path = folder + "/" + link;
    }
  }
  return "";
}

// Removes the temporary files that replacements of the file left when their process was killed
// before it could rename or remove them, so that they do not pile up beside it. Only those of
// processes that no longer run go: another instance may be saving the same file right now.
void RemoveStaleTemporaries(const std::string& folder, const std::string& name) {
  DIR* listing = opendir(folder.c_str());
  if (!listing) return;
  while (const dirent* entry = readdir(listing)) {
    const auto owner = static_cast<pid_t>(TemporaryOwner(entry->d_name, name));
    if (owner > 0 && owner != getpid() && kill(owner, 0) != 0 && errno == ESRCH)
      unlinkat(dirfd(listing), entry->d_name, 0);
  }
  closedir(listing);
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // makes the rename itself durable; a failure here loses nothing already written
  close(fd);
}

}  // namespace

std::string NativePath(std::string_view path) {
  std::string native(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

bool OpenPlatformFile(std::string_view path, FileAccess access, PlatformFile* file) {
  return OpenRegular(NativePath(path), access == FileAccess::ReadWrite ? O_RDWR : O_RDONLY, file);
}

bool CreatePlatformFile(std::string_view path, PlatformFile* file) {
  return OpenRegular(NativePath(path), O_RDWR | O_CREAT | O_TRUNC, file);
}

bool ReadWholePlatformFile(PlatformFile file, size_t maxBytes, std::string* bytes, bool* tooLarge) {
  bytes->clear();
  if (tooLarge) *tooLarge = false;
  auto oversized = [tooLarge] {
    if (tooLarge) *tooLarge = true;
    return false;
  };
  struct stat info;
  if (fstat(Descriptor(file), &info) != 0) return false;
  if (static_cast<uint64_t>(info.st_size) > maxBytes) return oversized();
  // The size is only a hint: the file may grow while it is read, so the limit is checked again.
  std::string data(static_cast<size_t>(info.st_size) + 1, '\0');
  size_t filled = 0;
  for (;;) {
    if (filled == data.size()) {
      if (data.size() > maxBytes) return oversized();
      data.resize(std::min(data.size() * 2, maxBytes + 1));
    }
    ssize_t got = pread(Descriptor(file), data.data() + filled, data.size() - filled,
                        static_cast<off_t>(filled));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    filled += static_cast<size_t>(got);
  }
  if (filled > maxBytes) return oversized();
  data.resize(filled);
  *bytes = std::move(data);
  return true;
}

bool WritePlatformFile(PlatformFile file, int64_t offset, std::string_view bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    ssize_t put = pwrite(Descriptor(file), bytes.data() + written, bytes.size() - written,
                         static_cast<off_t>(offset + static_cast<int64_t>(written)));
    if (put < 0 && errno == EINTR) continue;
    if (put == 0) errno = ENOSPC;  // nothing written, and no reason given: the disk took no more
    if (put <= 0) return Failed();
    written += static_cast<size_t>(put);
  }
  return true;
}

bool TruncatePlatformFile(PlatformFile file, int64_t length) {
  return ftruncate(Descriptor(file), static_cast<off_t>(length)) == 0;
}

void ClosePlatformFile(PlatformFile* file) {
  if (file->native >= 0) close(Descriptor(*file));
  file->native = -1;
}

bool FileExists(std::string_view path) { return IsRegularFile(NativePath(path)); }

std::string FindFileIgnoringExtensionCase(std::string_view path) {
  std::string native = NativePath(path);
  if (IsRegularFile(native)) return native;
  std::string folder, name;
  SplitPath(native, '/', &folder, &name);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return "";
  std::vector<std::string> names;
  if (!ListFolder(folder, std::string_view(name).substr(dot), &names)) return "";
  for (const std::string& candidate : names)
    if (candidate.size() == name.size() && candidate.compare(0, dot, name, 0, dot) == 0)
      return native.find('/') == std::string::npos ? candidate : folder + "/" + candidate;
  return "";
}

namespace {

// The folder's entries, but "." and "..", that keep accepts (given the entry's full path and its
// name), sorted; false when the folder cannot be listed.
template <typename Keep>
bool ListEntries(std::string_view folder, std::vector<std::string>* names, Keep keep) {
  names->clear();
  std::string native = NativePath(folder);
  DIR* listing = opendir(native.c_str());
  if (!listing) return false;
  while (const dirent* entry = readdir(listing)) {
    std::string_view name = entry->d_name;
    if (name != "." && name != ".." && keep(native + "/" + std::string(name), name))
      names->emplace_back(name);
  }
  closedir(listing);
  std::sort(names->begin(), names->end());
  return true;
}

}  // namespace

bool ListFolder(std::string_view folder, std::string_view extension,
                std::vector<std::string>* names) {
  return ListEntries(folder, names, [extension](const std::string& path, std::string_view name) {
    return name.size() >= extension.size() &&
           EqualIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension) &&
           IsRegularFile(path);
  });
}

bool ListSubfolders(std::string_view folder, std::vector<std::string>* names) {
  return ListEntries(folder, names, [](const std::string& path, std::string_view) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  });
}

bool RenameFile(std::string_view from, std::string_view to) {
  return rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool BeginFileReplacement(std::string_view path, FileReplacement* replacement) {
  *replacement = FileReplacement();
  std::string target = FollowLinks(NativePath(path));
  if (target.empty()) {
    errno = ELOOP;
    return Failed();
  }
  struct stat info;
  bool exists = stat(target.c_str(), &info) == 0;
  if (exists) {
    // Only a regular file the user may write is replaced, as writing it in place would require.
    PlatformFile probe;
    if (!OpenRegular(target, O_WRONLY, &probe)) return Failed();
    ClosePlatformFile(&probe);
  }
  std::string folder, name;
  SplitPath(target, '/', &folder, &name);
  // Replacements may run on more than one thread (the settings are saved in the background).
  static std::atomic<unsigned> counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temporary =
        folder + "/" + TemporaryName(name, static_cast<uint32_t>(getpid()), counter++);
    PlatformFile file;
    if (OpenRegular(temporary, O_RDWR | O_CREAT | O_EXCL, &file)) {
      if (exists) fchmod(Descriptor(file), info.st_mode & 07777);
      *replacement = FileReplacement{file, temporary, target, 0, false};
      return true;
    }
    if (errno != EEXIST) return Failed();
  }
  return Failed();
}

bool CommitFileReplacement(FileReplacement* replacement, std::string_view bytes) {
  // A write that failed before has recorded why; the first failure here records its own.
  bool written = WriteFileReplacement(replacement, bytes);
  if (written && fsync(Descriptor(replacement->temporary)) != 0) written = Failed();
  if (close(Descriptor(replacement->temporary)) != 0 && written) written = Failed();
  replacement->temporary.native = -1;
  if (written && rename(replacement->temporaryPath.c_str(), replacement->targetPath.c_str()) != 0)
    written = Failed();
  if (!written) {
    AbandonFileReplacement(replacement);
    return false;
  }
  std::string folder, name;
  SplitPath(replacement->targetPath, '/', &folder, &name);
  RemoveStaleTemporaries(folder, name);
  SyncFolder(folder);
  *replacement = FileReplacement();
  return true;
}

FileError LastFileError() { return lastError; }

std::string WorkingFolder() {
  char* path = getcwd(nullptr, 0);  // as long as it needs
  std::string folder = path ? path : "";
  free(path);
  return folder;
}

void AbandonFileReplacement(FileReplacement* replacement) {
  ClosePlatformFile(&replacement->temporary);
  if (!replacement->temporaryPath.empty()) unlink(replacement->temporaryPath.c_str());
  *replacement = FileReplacement();
}
