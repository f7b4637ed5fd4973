#include "testing/iconv_codec.h"

#include <cerrno>
#include <stdexcept>

namespace stashly {
namespace {

iconv_t Open(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  return cd;
}

}  // namespace

IconvCodec::IconvCodec(const std::string& name)
    : decoder_(Open("WCHAR_T", name.c_str())), encoder_(Open(name.c_str(), "WCHAR_T")) {}

IconvCodec::~IconvCodec() {
  iconv_close(decoder_);
  iconv_close(encoder_);
}

std::wstring IconvCodec::Decode(std::string_view bytes) const {
  iconv(decoder_, nullptr, nullptr, nullptr, nullptr);
  std::wstring out;
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    wchar_t buffer[256];
    char* outPtr = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof buffer;
    size_t result = iconv(decoder_, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, (sizeof buffer - outLeft) / sizeof(wchar_t));
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      out.push_back(L'\xFFFD');
      ++in;
      --inLeft;
      iconv(decoder_, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

bool IconvCodec::Encode(std::wstring_view text, std::string& out) const {
  iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
  out.clear();
  char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text.data()));
  size_t inLeft = text.size() * sizeof(wchar_t);
  while (inLeft > 0) {
    char buffer[1024];
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t result = iconv(encoder_, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    if (result == static_cast<size_t>(-1) && errno != E2BIG) return false;
  }
  return true;
}

}  // namespace stashly
