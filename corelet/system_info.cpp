// CSystemInfo (processor, drives, the first disk's model) and CRegister (the machine id made
// from that model).
#include <windows.h>
#include <winioctl.h>
#include <wbemidl.h>
#include <cpuid.h>

#include <cstring>

#include "core/ascii.h"
#include "corelet/objects.h"
#include "win/com_ptr.h"
#include "win/text.h"
#include "win/thread.h"
#include "win/unique_any.h"

namespace corelet {
namespace {

// CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER
constexpr DWORD kLocatorContext = 0x17;
constexpr wchar_t kDiskQuery[] = L"SELECT * FROM  Win32_DiskDrive ";

// The "Model" of the first disk drive the management service lists, or nothing. The calling
// thread has COM initialised.
std::optional<std::string> FirstDiskModel() {
  win::ComPtr<IWbemLocator> locator;
  if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, kLocatorContext, IID_IWbemLocator,
                                locator.put_void())))
    return std::nullopt;
  win::UniqueBstr space(::SysAllocString(L"ROOT\\CIMV2"));
  win::ComPtr<IWbemServices> services;
  if (!space || FAILED(locator->ConnectServer(space.get(), nullptr, nullptr, nullptr, 0, nullptr,
                                              nullptr, services.put())))
    return std::nullopt;
  if (FAILED(::CoSetProxyBlanket(services.get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                 EOAC_NONE)))
    return std::nullopt;
  win::UniqueBstr language(::SysAllocString(L"WQL"));
  win::UniqueBstr query(::SysAllocString(kDiskQuery));
  win::ComPtr<IEnumWbemClassObject> disks;
  if (!language || !query ||
      FAILED(services->ExecQuery(language.get(), query.get(),
                                 WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                 disks.put())))
    return std::nullopt;
  win::ComPtr<IWbemClassObject> disk;
  ULONG returned = 0;
  // No disk drive at all: no model.
  if (disks->Next(WBEM_INFINITE, 1, disk.put(), &returned) != WBEM_S_NO_ERROR || returned != 1 ||
      !disk)
    return std::nullopt;
  win::ScopedVariant model;
  if (FAILED(disk->Get(L"Model", 0, model.put(), nullptr, nullptr)) || model.get().vt != VT_BSTR ||
      !model.get().bstrVal)
    return std::nullopt;
  return win::ToNarrow(model.get().bstrVal, CP_ACP);
}

}  // namespace

const char* CSystemInfo::GetCPUID() {
  unsigned signature = 0, unused = 0, features = 0, moreFeatures = 0;
  if (!__get_cpuid(1, &signature, &unused, &moreFeatures, &features)) signature = features = 0;
  cpuId_ = FormatCpuId(features, signature);
  return cpuId_.c_str();
}

int CSystemInfo::GetDriveKind(wchar_t letter) {
  // Only a letter names a drive; anything else would make another device name.
  if (!stashly::IsAsciiLetter(letter)) return 0;
  wchar_t device[] = L"\\\\.\\?:";
  device[4] = letter;
  win::UniqueFile volume(::CreateFileW(device, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
  if (!volume) return 0;
  STORAGE_PROPERTY_QUERY query{};
  query.PropertyId = StorageDeviceProperty;
  query.QueryType = PropertyStandardQuery;
  alignas(STORAGE_DEVICE_DESCRIPTOR) BYTE answer[2048] = {};
  DWORD returned = 0;
  if (!::DeviceIoControl(volume.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, answer,
                         sizeof answer, &returned, nullptr))
    return 0;
  const auto* descriptor = reinterpret_cast<const STORAGE_DEVICE_DESCRIPTOR*>(answer);
  // An answer too short to hold the bus type is no answer.
  if (returned < offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) + sizeof descriptor->BusType)
    return 0;
  wchar_t root[] = L"?:\\";
  root[0] = letter;
  return DriveKindCode(descriptor->BusType == BusTypeUsb, ::GetDriveTypeW(root));
}

int CSystemInfo::GetDriveLetters(wchar_t* letters, int max) {
  const DWORD drives = ::GetLogicalDrives();
  if (drives == 0) return 0;
  if (max > 0 && !letters) return 0;
  int stored = 0;
  for (int bit = 0; bit < 26 && stored < max; ++bit)
    if (drives & (1u << bit)) letters[stored++] = static_cast<wchar_t>(L'A' + bit);
  return 1;
}

const char* CSystemInfo::GetDiskModel() {
  // One query at a time in this process: queries from several threads at once crash the
  // management service's in-process provider under Wine, and one report per start needs no more.
  static win::Mutex oneAtATime;
  std::optional<std::string> model;
  {
    std::lock_guard lock(oneAtATime);
    model = FirstDiskModel();
  }
  if (!model) return nullptr;
  diskModel_ = std::move(*model);
  return diskModel_.c_str();
}

void CRegister::GetMachineId(char* out) {
  if (!out) return;
  win::ComPtr<stashly::IDiskInfo> disk;
  disk.Attach(NewObjectAs<stashly::IDiskInfo>(stashly::IID_IDiskInfo));
  if (!disk) return;
  const char* model = disk->GetDiskModel();
  if (!model) return;
  char copy[MAX_PATH] = {};
  std::strncpy(copy, model, MAX_PATH - 1);
  win::ComPtr<stashly::IMD5> md5;
  md5.Attach(NewObjectAs<stashly::IMD5>(stashly::IID_IMD5));
  if (md5) md5->MD5String(copy, out);
}

}  // namespace corelet
