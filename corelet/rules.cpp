#include "corelet/rules.h"

#include <cstring>

#include "core/number_text.h"

namespace corelet {

bool SameIdentifier(const void* id, const stashly::XInterfaceId& known) {
  return id && std::memcmp(id, &known, sizeof known) == 0;
}

ObjectClass ClassForIdentifier(const void* id) {
  using namespace stashly;
  if (SameIdentifier(id, kIdICPUInfo) || SameIdentifier(id, kIdIDiskInfo))
    return ObjectClass::kSystemInfo;
  if (SameIdentifier(id, kIdIMD5) || SameIdentifier(id, kIdIHash)) return ObjectClass::kHash;
  if (SameIdentifier(id, kIdIRegister)) return ObjectClass::kRegister;
  if (SameIdentifier(id, kIdIStatistic)) return ObjectClass::kStatistic;
  if (SameIdentifier(id, kIdIVersion)) return ObjectClass::kVersion;
  return ObjectClass::kNone;
}

void XorBytes(const char* data, std::string_view key, char* out, int count) {
  if (!data || !out || key.empty() || count <= 0) return;
  size_t k = 0;
  for (int i = 0; i < count; ++i) {
    out[i] = static_cast<char>(data[i] ^ key[k]);
    if (++k == key.size()) k = 0;
  }
}

std::optional<std::wstring> ComposeReportAddress(std::wstring_view base, std::wstring_view version,
                                                 std::wstring_view machineId, size_t capacity) {
  constexpr std::wstring_view kVersionKey = L"ver=";
  constexpr std::wstring_view kIdKey = L"&userid=";
  const size_t length =
      base.size() + kVersionKey.size() + version.size() + kIdKey.size() + machineId.size();
  if (length >= capacity) return std::nullopt;
  std::wstring address;
  address.reserve(length);
  address.append(base).append(kVersionKey).append(version).append(kIdKey).append(machineId);
  return address;
}

int WindowsVersionCode(bool ntPlatform, uint32_t major, uint32_t minor, bool amd64) {
  if (!ntPlatform) return 0;
  if (major == 5) {
    if (minor == 0) return 2;
    if (minor == 1) return 3;
    if (minor == 2) return 4;
  } else if (major == 6) {
    if (minor == 0) return 5;
    if (minor == 1) return amd64 ? 7 : 6;
  }
  return 1;
}

int DriveKindCode(bool usbBus, unsigned driveType) {
  if (usbBus) return driveType == kDriveFixed ? 2 : 3;
  if (driveType == kDriveFixed) return 1;
  if (driveType == kDriveCdRom) return 4;
  return 0;
}

std::string FormatCpuId(uint32_t features, uint32_t signature) {
  return stashly::HexText(features, 8) + stashly::HexText(signature, 8);
}

}  // namespace corelet
