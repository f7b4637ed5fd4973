#pragma once
// The Windows side of the loopback HTTP server (testing/loopback_server.py), which ctest starts
// for suites registered with LOOPBACK: its address, and the requests it has received.
#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "testing/file_bytes.h"
#include "win/unique_any.h"

namespace stashly::testing {

struct LoopbackRequest {
  std::string path;    // with its query
  std::string agent;   // the User-Agent header, "-" when there was none
  std::string cookie;  // the Cookie header, "-" when there was none
};

class Loopback {
 public:
  // The server's port; 0 when the suite runs without the server.
  static int Port() {
    const char* port = std::getenv("STASHLY_LOOPBACK_PORT");
    return port ? std::atoi(port) : 0;
  }
  // "http://127.0.0.1:<port>" + path.
  static std::wstring Url(const std::wstring& path) {
    return L"http://127.0.0.1:" + std::to_wstring(Port()) + path;
  }
  // The same answers over https, from the port the server picked for it.
  static std::wstring SecureUrl(const std::wstring& path) {
    const std::string port = win::testing::FileBytes(Folder() + L"\\tls.port");
    return L"https://127.0.0.1:" + std::wstring(port.begin(), port.end()) + path;
  }
  // Makes this user's system trust the https side's certificate, as a root. (Wine asks nobody;
  // Windows would.)
  static bool TrustSecureServer() {
    const std::string der = win::testing::FileBytes(Folder() + L"\\tls\\cert.der");
    return !der.empty() &&
           ::CertAddEncodedCertificateToSystemStoreW(
               L"Root", reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size()));
  }
  // A file the server answers with for its name (under its files folder).
  static std::wstring ServedFile(const std::wstring& name) {
    return Folder() + L"\\files\\" + name;
  }
  // Writes such a file; a failure fails the test.
  static void Serve(const std::wstring& name, std::string_view bytes) {
    win::testing::WriteFileBytes(ServedFile(name), bytes);
  }

  // Every request so far, in the order they arrived.
  static std::vector<LoopbackRequest> Requests() {
    std::vector<LoopbackRequest> requests;
    win::UniqueFile log(::CreateFileW(LogPath().c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (!log) return requests;
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(log.get(), buffer, sizeof buffer, &read, nullptr) && read)
      text.append(buffer, read);
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      std::vector<std::string> fields;
      for (size_t at = start, tab; at <= end; at = tab + 1) {
        tab = std::min(text.find('\t', at), end);
        fields.push_back(text.substr(at, tab - at));
      }
      fields.resize(3);
      requests.push_back({fields[0], fields[1], fields[2]});
    }
    return requests;
  }
  // Forgets the requests so far.
  static void Clear() { ::DeleteFileW(LogPath().c_str()); }

 private:
  // The server's folder, given as a Unix path; Wine shows the Unix root as drive Z:.
  static std::wstring Folder() {
    const char* folder = std::getenv("STASHLY_LOOPBACK_DIR");
    std::wstring path = L"Z:";
    for (const char* c = folder ? folder : ""; *c; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
    return path;
  }
  static std::wstring LogPath() { return Folder() + L"\\requests.log"; }
};

}  // namespace stashly::testing
