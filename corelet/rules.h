#pragma once
// The helper library's decisions that need no Windows: which class answers an identifier, the
// usage-report address, and how versions, drives and the processor are written down.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "abi/xunknown_ids.h"

namespace corelet {

// Whether the 16 bytes at `id` (any alignment) are those of `known`. A null `id` is no match.
bool SameIdentifier(const void* id, const stashly::XInterfaceId& known);

enum class ObjectClass { kNone, kSystemInfo, kHash, kRegister, kStatistic, kVersion };

// The class CreateInstance makes for an identifier, tested in the library's order. IXUnknown,
// the reserved identifiers, anything else and null: kNone.
ObjectClass ClassForIdentifier(const void* id);

// out[i] = data[i] ^ key[i % key.size()] for i below count. With count 0 or less, or an empty
// key, nothing is written.
void XorBytes(const char* data, std::string_view key, char* out, int count);

// The report address base + "ver=" + version + "&userid=" + machineId, or nothing when it and
// its terminator do not fit `capacity` characters: an address is never cut into another one.
inline constexpr size_t kReportAddressCapacity = 2100;
std::optional<std::wstring> ComposeReportAddress(std::wstring_view base, std::wstring_view version,
                                                 std::wstring_view machineId,
                                                 size_t capacity = kReportAddressCapacity);

// Which Windows this is, 0 to 7 (see IVersion::GetOSVersion).
int WindowsVersionCode(bool ntPlatform, uint32_t major, uint32_t minor, bool amd64);

// What kind of drive, 0 to 4 (see IDiskInfo::GetDriveKind): from whether its bus is USB and
// the drive type the system reports.
inline constexpr unsigned kDriveFixed = 3;  // DRIVE_FIXED
inline constexpr unsigned kDriveCdRom = 5;  // DRIVE_CDROM
int DriveKindCode(bool usbBus, unsigned driveType);

// "%08X%08X": the processor's feature flags, then its version signature.
std::string FormatCpuId(uint32_t features, uint32_t signature);

}  // namespace corelet
