// SPDX-License-Identifier: GPL-3.0-or-later
// The remembered calculations, shown in the history panel and kept in the settings file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Entries kept at most, the sentinel included; a calculation beyond removes the entry before the
// last one, the oldest real entry, and loading keeps no more.
inline constexpr size_t kMaxHistoryEntries = 31;

// One remembered calculation.
struct HistoryEntry {
  std::u16string expression;  // the calculation text in display form, as the user saw it
  double answer = 0.0;
  std::u16string exactForm;  // empty when there is none
  int32_t errorKind = 0;     // an ErrorKind of the engine; 0 for none
};

// Whether two entries say the same: answers are compared bit for bit, so a NaN answer is the
// same as itself, and 0 and -0 are told apart as the panel shows them.
bool SameEntry(const HistoryEntry& a, const HistoryEntry& b);

// The history, index 0 the newest entry. Every non-empty list ends with a sentinel entry whose
// expression is empty (loading and the first calculation both put it there).
struct HistoryList {
  std::vector<HistoryEntry> entries;
  int32_t historyCursor = -1;  // index of the current entry, -1 for none
};

// The process-wide history.
extern HistoryList historyList;

// The newest calculation that has an answer (no error, not the sentinel), or nullptr.
const HistoryEntry* NewestAnswered();
