// SPDX-License-Identifier: GPL-3.0-or-later
// Path and temporary-file names, the same on every system's file layer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Splits a native path at its last separator into its folder ("." when it has none) and its
// last name.
inline void SplitPath(const std::string& path, char separator, std::string* folder,
                      std::string* name) {
  size_t slash = path.rfind(separator);
  *folder =
      slash == std::string::npos ? std::string(1, '.') : path.substr(0, slash == 0 ? 1 : slash);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// The temporary file of a replacement of `name`: its process number and a count make it unique.
inline std::string TemporaryName(const std::string& name, uint32_t process, unsigned count) {
  return "." + name + ".tmp-" + std::to_string(process) + "-" + std::to_string(count);
}

// The process that made a temporary file of a replacement of `name`, or 0 when the file is not one.
inline uint32_t TemporaryOwner(std::string_view file, const std::string& name) {
  std::string prefix = "." + name + ".tmp-";
  if (!file.starts_with(prefix)) return 0;
  file.remove_prefix(prefix.size());
  size_t dash = file.find('-');
  auto digits = [](std::string_view text) {
    return !text.empty() && text.size() <= 10 &&
           text.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (dash == std::string_view::npos || !digits(file.substr(0, dash)) ||
      !digits(file.substr(dash + 1)))
    return 0;
  uint64_t owner = std::stoull(std::string(file.substr(0, dash)));
  return owner <= UINT32_MAX ? static_cast<uint32_t>(owner) : 0;
}
