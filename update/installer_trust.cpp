#include "update/installer_trust.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <optional>
#include <string>
#include <vector>

#include "update/update_logic.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"
#include "win/window.h"

namespace renova {
namespace {

struct CertStoreTraits {
  using Type = HCERTSTORE;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::CertCloseStore(value, 0); }
};
struct CryptMsgTraits {
  using Type = HCRYPTMSG;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::CryptMsgClose(value); }
};
struct CertContextTraits {
  using Type = PCCERT_CONTEXT;
  static Type Invalid() { return nullptr; }
  static void Close(Type value) { ::CertFreeCertificateContext(value); }
};

bool SignatureHolds(const wchar_t* path) {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path;
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_IGNORE;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  return ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data) == ERROR_SUCCESS;
}

std::wstring SubjectField(PCCERT_CONTEXT certificate, const char* oid) {
  void* type = const_cast<char*>(oid);
  const DWORD length = ::CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, type, nullptr, 0);
  std::wstring value(length, L'\0');
  ::CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, type, value.data(), length);
  value.resize(length > 0 ? length - 1 : 0);
  return value;
}

// The publisher named by the certificate that signed the file's embedded signature; nothing when
// there is none or it cannot be read.
std::optional<Publisher> SignerOf(const wchar_t* path) {
  DWORD encoding = 0;
  win::UniqueAny<CertStoreTraits> store;
  win::UniqueAny<CryptMsgTraits> message;
  if (!::CryptQueryObject(CERT_QUERY_OBJECT_FILE, path, CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                          CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, nullptr, nullptr,
                          store.put(), message.put(), nullptr))
    return std::nullopt;
  DWORD size = 0;
  if (!::CryptMsgGetParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size))
    return std::nullopt;
  std::vector<BYTE> bytes(size);
  if (!::CryptMsgGetParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0, bytes.data(), &size))
    return std::nullopt;
  const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(bytes.data());
  CERT_INFO wanted{};
  wanted.Issuer = signer->Issuer;
  wanted.SerialNumber = signer->SerialNumber;
  win::UniqueAny<CertContextTraits> certificate(::CertFindCertificateInStore(
      store.get(), encoding, 0, CERT_FIND_SUBJECT_CERT, &wanted, nullptr));
  if (!certificate) return std::nullopt;
  return Publisher{SubjectField(certificate.get(), szOID_COMMON_NAME),
                   SubjectField(certificate.get(), szOID_ORGANIZATION_NAME),
                   SubjectField(certificate.get(), szOID_LOCALITY_NAME),
                   SubjectField(certificate.get(), szOID_STATE_OR_PROVINCE_NAME),
                   SubjectField(certificate.get(), szOID_COUNTRY_NAME)};
}

// Whether the mapped module's headers name a certificate table: the file was signed.
bool CarriesSignature(HMODULE module) {
  const auto* base = reinterpret_cast<const BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size != 0;
}

}  // namespace

bool MayStartInstaller(const wchar_t* path) {
  if (!SignatureHolds(path)) return false;
  const HMODULE self = win::CurrentModule();
  if (!CarriesSignature(self)) return true;
  // Signed: a signature of ours that cannot be read lets nothing through.
  const std::optional<Publisher> ours = SignerOf(win::ModuleFilePath(self).c_str());
  const std::optional<Publisher> theirs = SignerOf(path);
  return ours && theirs && SamePublisher(*ours, *theirs);
}

}  // namespace renova
