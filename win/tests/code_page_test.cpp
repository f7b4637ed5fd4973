#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "win/text.h"

namespace {

// Each run states the ANSI code page it was started for; this proves it really got it.
TEST(CodePage, IsTheOneThisRunWasStartedFor) {
  const char* expected = std::getenv("STASHLY_EXPECT_ACP");
  ASSERT_NE(expected, nullptr);
  EXPECT_EQ(::GetACP(), static_cast<UINT>(std::atoi(expected)));
  // The thread's ANSI code page follows the same locale here.
  EXPECT_EQ(win::ToNarrow(L"\u6587", CP_THREAD_ACP), win::ToNarrow(L"\u6587", CP_ACP));
}

}  // namespace
