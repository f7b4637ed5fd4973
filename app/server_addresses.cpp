// Where the program looks for news and reports its start. The host is a build option
// (STASHLY_SERVER); each program built from these sources compiles this file with its own.
#include "app/update_check.h"

#ifndef STASHLY_SERVER
#define STASHLY_SERVER L"stashly.example"
#endif

namespace stashly {

const wchar_t* UpdateIniAddress() {
  return L"http://" STASHLY_SERVER L"/download/update.ini";
}
const wchar_t* UsageReportBase() {
  return L"http://" STASHLY_SERVER L"/stat.php?src=stashly&type=open&";
}

}  // namespace stashly
