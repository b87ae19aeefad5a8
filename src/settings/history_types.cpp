// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/history_types.h"

#include <bit>

HistoryList historyList;

bool SameEntry(const HistoryEntry& a, const HistoryEntry& b) {
  return a.expression == b.expression && a.errorKind == b.errorKind &&
         std::bit_cast<uint64_t>(a.answer) == std::bit_cast<uint64_t>(b.answer) &&
         a.exactForm == b.exactForm;
}

const HistoryEntry* NewestAnswered() {
  for (const HistoryEntry& entry : historyList.entries)
    if (entry.errorKind == 0 && !entry.expression.empty()) return &entry;
  return nullptr;
}
