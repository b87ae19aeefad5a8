// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/text_table.h"

TextTable textTable(2);

const std::u16string& TextOf(int32_t number) {
  static const std::u16string empty;
  return number >= 0 && static_cast<size_t>(number) < textTable.size() ? textTable[number] : empty;
}

void ResetTextTable() { textTable.assign(2, std::u16string()); }
