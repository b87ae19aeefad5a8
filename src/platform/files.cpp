// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of the file layer that every system shares, written on its own calls.
#include "platform/files.h"

bool ReadFileBytes(std::string_view path, size_t maxBytes, std::string* bytes) {
  bytes->clear();
  PlatformFile file;
  if (!OpenPlatformFile(path, FileAccess::ReadOnly, &file)) return false;
  bool read = ReadWholePlatformFile(file, maxBytes, bytes);
  ClosePlatformFile(&file);
  return read;
}

bool WriteFileReplacement(FileReplacement* replacement, std::string_view bytes) {
  if (replacement->failed ||
      !WritePlatformFile(replacement->temporary, replacement->written, bytes)) {
    replacement->failed = true;
    return false;
  }
  replacement->written += static_cast<int64_t>(bytes.size());
  return true;
}
