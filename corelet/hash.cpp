#include <string_view>

#include "corelet/md5.h"
#include "corelet/objects.h"

namespace corelet {

void CHash::MD5String(const char* text, char* out) {
  if (!text || !out) return;
  Md5Hex(text, out);
}

void CHash::Reserved(void*, void*) {}

void CHash::XorBuffer(const char* data, const char* key, char* out, int count) {
  XorBytes(data, key ? std::string_view(key) : std::string_view(), out, count);
}

}  // namespace corelet
