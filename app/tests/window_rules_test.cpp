#include "app/window_rules.h"

#include <gtest/gtest.h>

namespace stashly {
namespace {

TEST(Regsvr32Parameters, QuotesThePathAlwaysAndAddsUnregisterSwitch) {
  EXPECT_EQ(Regsvr32Parameters(LR"(C:\App\Clickwell.dll)", true), LR"(/s "C:\App\Clickwell.dll")");
  EXPECT_EQ(Regsvr32Parameters(LR"(C:\App\Clickwell.dll)", false),
            LR"(/s /u "C:\App\Clickwell.dll")");
  EXPECT_EQ(Regsvr32Parameters(LR"(C:\Program Files\Velto\Clickwell.dll)", true),
            LR"(/s "C:\Program Files\Velto\Clickwell.dll")");
}

TEST(RowLayout, IconAndTextSitInColumnZeroWithTheirMargins) {
  RowBox item{0, 30, 457, 60};
  RowBox column{0, 30, 457, 60};
  RowLayout withIcon = LayOutFirstColumn(item, column, 440, false, true);
  EXPECT_EQ(withIcon.fill.bottom, 59);  // the last line stays the grid line
  EXPECT_EQ(withIcon.iconLeft, 5);
  EXPECT_EQ(withIcon.iconTop, 37);  // 30 + (30 - 16) / 2
  EXPECT_EQ(withIcon.text.left, 26);
  EXPECT_EQ(withIcon.text.right, 440);

  RowLayout noIcon = LayOutFirstColumn(item, column, 440, false, false);
  EXPECT_EQ(noIcon.text.left, 5);
  RowLayout checkBoxes = LayOutFirstColumn(item, column, 440, true, true);
  EXPECT_EQ(checkBoxes.iconLeft, 25);
  EXPECT_EQ(checkBoxes.text.left, 46);
  // An odd height rounds the icon's offset toward zero.
  RowLayout odd = LayOutFirstColumn({0, 0, 100, 25}, {0, 0, 100, 25}, 440, false, true);
  EXPECT_EQ(odd.iconTop, 4);
}

}  // namespace
}  // namespace stashly
