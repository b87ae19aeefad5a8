// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "settings/text_table.h"

TEST(TextTable, StartsWithTwoEmptyEntriesAndAnswersEmptyOutsideIt) {
  textTable.assign({u"", u"one", u"two"});
  EXPECT_EQ(TextOf(2), u"two");
  EXPECT_EQ(TextOf(3), u"");
  EXPECT_EQ(TextOf(-1), u"");
  ResetTextTable();
  EXPECT_EQ(textTable.size(), 2u);
  EXPECT_EQ(TextOf(1), u"");
}
