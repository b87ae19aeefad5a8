// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/history_types.h"

HistoryList historyList;

const HistoryEntry* NewestAnswered() {
  for (const HistoryEntry& entry : historyList.entries)
    if (entry.errorKind == 0 && !entry.expression.empty()) return &entry;
  return nullptr;
}
