// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh folder that is the working directory for the length of one test, with small helpers
// to put bytes in files and take them out again.
#pragma once
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

class TempWorkingFolder {
 public:
  explicit TempWorkingFolder(const std::filesystem::path& parent = std::filesystem::temp_directory_path())
      : previous(std::filesystem::current_path()) {
#ifdef _WIN32
    // Windows has no mkdtemp: a name from the process and a counter, created only if new.
    static unsigned counter = 0;
    do {
      path = parent / ("tornavelle-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++));
    } while (!std::filesystem::create_directory(path));
#else
    std::string pattern = (parent / "tornavelle-XXXXXX").string();
    path = mkdtemp(pattern.data());
#endif
    std::filesystem::current_path(path);
  }
  ~TempWorkingFolder() {
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  TempWorkingFolder(const TempWorkingFolder&) = delete;
  TempWorkingFolder& operator=(const TempWorkingFolder&) = delete;

  std::filesystem::path path;

 private:
  std::filesystem::path previous;
};

inline void PutFile(const std::filesystem::path& name, const std::string& bytes) {
  if (name.has_parent_path()) std::filesystem::create_directories(name.parent_path());
  std::ofstream(name, std::ios::binary) << bytes;
}

inline std::string FileContent(const std::filesystem::path& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in the working folder, sorted, so a test can see that no temporary file remains.
inline std::string FolderNames(const std::filesystem::path& folder = ".") {
  std::string names;
  std::vector<std::string> sorted;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    sorted.push_back(entry.path().filename().string());
  std::sort(sorted.begin(), sorted.end());
  for (const auto& name : sorted) names += (names.empty() ? "" : " ") + name;
  return names;
}

#ifdef _WIN32
// Windows has no per-process file size limit to stand in for a full disk; tests that need one
// skip when Available() is false.
class FullDiskSimulation {
 public:
  static bool Available() { return false; }
  explicit FullDiskSimulation(size_t) {}
};
#else
// Makes every file write of this process fail beyond `bytes` bytes, as a full disk would, until
// the end of the scope (the file size limit, with its signal ignored so that write reports EFBIG).
class FullDiskSimulation {
 public:
  static bool Available() { return true; }
  explicit FullDiskSimulation(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    previousHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FullDiskSimulation() {
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previousHandler);
  }
  FullDiskSimulation(const FullDiskSimulation&) = delete;
  FullDiskSimulation& operator=(const FullDiskSimulation&) = delete;

 private:
  rlimit saved;
  void (*previousHandler)(int);
};
#endif
