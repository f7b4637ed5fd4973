#include "skin/crt_stdio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

TEST(CrtStdio, FormatsLikeC99AndAlwaysEndsTheText) {
  const struct {
    size_t size;
    const char* expected;
  } cases[] = {{16, "id=42 name"}, {11, "id=42 name"}, {10, "id=42 nam"}, {1, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    char buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(stashly_crt_snprintf(buffer, c.size, "id=%d %s", 42, "name"), 10);
    EXPECT_STREQ(buffer, c.expected);
    if (c.size < sizeof buffer) {
      EXPECT_EQ(buffer[c.size], '#');
    }
  }
  EXPECT_EQ(stashly_crt_snprintf(nullptr, 0, "%s", std::string(3000, 'x').c_str()), 3000);
}

TEST(CrtStdio, ScansNumbers) {
  int decimal = 0;
  unsigned hex = 0;
  float real = 0;
  EXPECT_EQ(stashly_crt_sscanf("-17", "%d", &decimal), 1);
  EXPECT_EQ(stashly_crt_sscanf("ff", "%x", &hex), 1);
  EXPECT_EQ(stashly_crt_sscanf("2.5", "%f", &real), 1);
  EXPECT_EQ(stashly_crt_sscanf("none", "%d", &decimal), 0);
  EXPECT_EQ(decimal, -17);
  EXPECT_EQ(hex, 0xFFu);
  EXPECT_EQ(real, 2.5f);
}

}  // namespace
