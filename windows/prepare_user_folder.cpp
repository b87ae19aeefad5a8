// SPDX-License-Identifier: GPL-3.0-or-later
// PrepareUserFolder.exe: the installer's step that fills the user's Tornavelle folder from the
// installed skin and languages, by the rules of scripts/prepare-user-folder on Linux, so that an
// upgrade never undoes the user's edits:
//   - only the files under Apparence\ and Lng-Tornavelle\ are shipped; the settings files and
//     anything else in the folder are never written;
//   - a shipped file missing from the folder is copied;
//   - a copy that differs from the shipped file is replaced only when it is still the file that
//     was copied last time; otherwise the user changed it, and it stays;
//   - files the user added, and files no longer shipped, stay.
// What was copied is recorded in .shipped.sha256 in the folder, in sha256sum's format with
// forward slashes, as on Linux. Every file is written under a temporary name and renamed into
// place, so an interrupted run never leaves half a file.
//
//   PrepareUserFolder.exe <shipped data folder> <user's folder>
// Exit code: 0 done, 1 the folder could not be prepared, 2 wrong arguments.
#include <windows.h>
#include <wincrypt.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kPrepared = 0, kFailed = 1, kUsage = 2;
const wchar_t* const kShippedParts[] = {L"Apparence", L"Lng-Tornavelle"};
const wchar_t kRecordName[] = L".shipped.sha256";
constexpr DWORD kSha256Bytes = 32;

// The record's paths are UTF-8 with forward slashes; the file system's are UTF-16.
std::string Utf8Of(const std::wstring& text) {
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(size_t(std::max(size, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), utf8.data(), size, nullptr,
                      nullptr);
  return utf8;
}

// The file's SHA-256 in lower-case hexadecimal, or nothing when it cannot be read.
std::optional<std::string> Sha256Of(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
    return std::nullopt;
  std::optional<std::string> digest;
  if (CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
    std::vector<char> buffer(1 << 16);
    bool read = true;
    while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0) {
      if (!CryptHashData(hash, reinterpret_cast<const BYTE*>(buffer.data()), DWORD(in.gcount()),
                         0)) {
        read = false;
        break;
      }
    }
    BYTE value[kSha256Bytes];
    DWORD size = sizeof value;
    if (read && !in.bad() && CryptGetHashParam(hash, HP_HASHVAL, value, &size, 0) &&
        size == kSha256Bytes) {
      static const char kHex[] = "0123456789abcdef";
      std::string text;
      for (BYTE b : value) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
      }
      digest = text;
    }
    CryptDestroyHash(hash);
  }
  CryptReleaseContext(provider, 0);
  return digest;
}

// Copies a file to its destination through a temporary name beside it. The copy is the user's
// to edit, whatever the shipped file's attributes. Returns false when it could not.
bool CopyIntoPlace(const fs::path& from, const fs::path& to) {
  fs::path temporary = to;
  temporary += L".new" + std::to_wstring(GetCurrentProcessId());
  if (!CopyFileW(from.c_str(), temporary.c_str(), FALSE)) return false;
  SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (MoveFileExW(temporary.c_str(), to.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temporary.c_str());
  return false;
}

// Writes the record of what was copied: "checksum  path" lines sorted by path.
bool WriteRecord(const fs::path& folder, const std::map<std::string, std::string>& copied) {
  std::string text;
  for (const auto& [path, sum] : copied) text += sum + "  " + path + "\n";
  const fs::path record = folder / kRecordName;
  fs::path temporary = record;
  temporary += L".new" + std::to_wstring(GetCurrentProcessId());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!(out << text) || !out.flush()) return false;
  }
  if (MoveFileExW(temporary.c_str(), record.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temporary.c_str());
  return false;
}

// What was copied last time, by path; empty when there is no record.
std::map<std::string, std::string> ReadRecord(const fs::path& folder) {
  std::map<std::string, std::string> copied;
  std::ifstream in(folder / kRecordName, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t gap = line.find("  ");
    if (gap != std::string::npos && gap + 2 < line.size())
      copied[line.substr(gap + 2)] = line.substr(0, gap);
  }
  return copied;
}

int Prepare(const fs::path& shipped, const fs::path& folder) {
  std::error_code error;
  for (const wchar_t* part : kShippedParts)
    if (!fs::is_directory(shipped / part, error)) return kFailed;  // not Tornavelle's data
  fs::create_directories(folder, error);
  if (!fs::is_directory(folder, error) || fs::equivalent(folder, shipped, error)) return kFailed;

  // The shipped files, as forward-slash paths in a stable order.
  std::vector<std::wstring> paths;
  for (const wchar_t* part : kShippedParts) {
    for (auto it = fs::recursive_directory_iterator(shipped / part, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (it->is_regular_file(error))
        paths.push_back(fs::relative(it->path(), shipped, error).generic_wstring());
    }
    if (error) return kFailed;
  }
  std::sort(paths.begin(), paths.end());

  std::map<std::string, std::string> copied = ReadRecord(folder);
  bool complete = true;
  for (const std::wstring& relative : paths) {
    const std::string path = Utf8Of(relative);
    const fs::path source = shipped / relative, target = folder / relative;
    const std::optional<std::string> sum = Sha256Of(source);
    if (!sum) return kFailed;
    if (!fs::exists(target, error)) {
      fs::create_directories(target.parent_path(), error);
      if (CopyIntoPlace(source, target)) {
        copied[path] = *sum;
      } else {
        complete = false;
      }
      continue;
    }
    // Something the user put there that is not a readable file is theirs as well.
    if (!fs::is_regular_file(target, error)) continue;
    const std::optional<std::string> present = Sha256Of(target);
    if (!present) continue;
    if (*present == *sum) {  // already the shipped file: it follows the shipped file from now on
      copied[path] = *sum;
    } else if (copied.count(path) && copied[path] == *present) {
      if (CopyIntoPlace(source, target)) {
        copied[path] = *sum;
      } else {
        complete = false;
      }
    }  // otherwise the user's version stays, and so does the record of what was shipped before
  }
  return WriteRecord(folder, copied) && complete ? kPrepared : kFailed;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count != 3) return kUsage;
  const int result = Prepare(fs::path(arguments[1]), fs::path(arguments[2]));
  LocalFree(arguments);
  return result;
}
