#include "app/tests/iconv_codec.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace stashly {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

}  // namespace

std::wstring IconvCodec::Decode(std::string_view bytes) const {
  Converter converter("WCHAR_T", name_.c_str());
  std::wstring out;
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  while (inLeft > 0) {
    wchar_t buffer[256];
    char* outPtr = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof buffer;
    size_t result = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, (sizeof buffer - outLeft) / sizeof(wchar_t));
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      out.push_back(L'\xFFFD');
      ++in;
      --inLeft;
      iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

bool IconvCodec::Encode(std::wstring_view text, std::string& out) const {
  Converter converter(name_.c_str(), "WCHAR_T");
  out.clear();
  char* in = reinterpret_cast<char*>(const_cast<wchar_t*>(text.data()));
  size_t inLeft = text.size() * sizeof(wchar_t);
  while (inLeft > 0) {
    char buffer[1024];
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t result = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    if (result == static_cast<size_t>(-1) && errno != E2BIG) return false;
  }
  return true;
}

}  // namespace stashly
