#include "app/window_rules.h"

#include <gtest/gtest.h>

namespace stashly {
namespace {

TEST(Regsvr32Parameters, PerUserQuotesThePathAlwaysAndAddsUnregisterSwitch) {
  EXPECT_EQ(Regsvr32Parameters(LR"(C:\App\Clickwell.dll)", true),
            LR"(/s /n /i:user "C:\App\Clickwell.dll")");
  EXPECT_EQ(Regsvr32Parameters(LR"(C:\App\Clickwell.dll)", false),
            LR"(/s /u /n /i:user "C:\App\Clickwell.dll")");
  EXPECT_EQ(Regsvr32Parameters(LR"(C:\Program Files\Velto\Clickwell.dll)", true),
            LR"(/s /n /i:user "C:\Program Files\Velto\Clickwell.dll")");
}

TEST(PackageSwitchParameters, QuotesEveryPathSoNoNameEndsItsLiteral) {
  const struct {
    std::wstring_view path, literal;
  } literals[] = {
      {LR"(C:\Stashly)", LR"('C:\Stashly')"},
      {LR"(C:\Users\O'Brien\Stashly)", LR"('C:\Users\O''Brien\Stashly')"},
      {L"C:\\g\x2018h\x2019i\x201Aj\x201Bk",
       L"'C:\\g\x2018\x2018h\x2019\x2019i\x201A\x201Aj\x201B\x201Bk'"},
      {L"C:\\收藏 $(x) `y", L"'C:\\收藏 $(x) `y'"},
      {L"", L"''"},
  };
  for (const auto& c : literals) EXPECT_EQ(PowerShellLiteral(c.path), c.literal);

  EXPECT_EQ(PackageSwitchParameters(true, LR"(C:\O'B\Stashly.msix)", LR"(C:\O'B)"),
            LR"(-NoProfile -NonInteractive -ExecutionPolicy Bypass -Command "Get-AppxPackage )"
            LR"(-Name 'Norvane.Stashly' | Remove-AppxPackage -ErrorAction Stop; Add-AppxPackage )"
            LR"(-ErrorAction Stop -ForceApplicationShutdown -Path 'C:\O''B\Stashly.msix' )"
            LR"(-ExternalLocation 'C:\O''B'")");
  EXPECT_EQ(PackageSwitchParameters(false, L"x", L"y"),
            LR"(-NoProfile -NonInteractive -ExecutionPolicy Bypass -Command "Get-AppxPackage )"
            LR"(-Name 'Norvane.Stashly' | Remove-AppxPackage -ErrorAction Stop")");
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

TEST(RowLayout, MarginsScaleWithTheDpiAndTheIconTakesTheSystemsSize) {
  struct Case {
    unsigned dpi;
    int iconSize;
    bool checkBoxes;
    int iconLeft, iconTop, textLeft;
  };
  // Rows of 30 at 96 DPI are 45 at 144 and 60 at 192.
  const Case cases[] = {
      {96, 16, false, 5, 37, 26},  {144, 24, false, 8, 40, 40}, {192, 32, false, 10, 44, 52},
      {120, 20, false, 6, 39, 32}, {144, 24, true, 38, 40, 70}, {192, 32, true, 50, 44, 92},
  };
  for (const Case& c : cases) {
    const int height = ScaleToDpi(30, c.dpi);
    RowLayout row =
        LayOutFirstColumn({0, 30, 700, 30 + height}, {0, 30, 700, 30 + height},
                          ScaleToDpi(440, c.dpi), c.checkBoxes, true, c.iconSize, c.dpi);
    EXPECT_EQ(row.iconLeft, c.iconLeft) << c.dpi;
    EXPECT_EQ(row.iconTop, c.iconTop) << c.dpi;
    EXPECT_EQ(row.text.left, c.textLeft) << c.dpi;
    EXPECT_EQ(row.text.right, ScaleToDpi(440, c.dpi)) << c.dpi;
  }
}

}  // namespace
}  // namespace stashly
