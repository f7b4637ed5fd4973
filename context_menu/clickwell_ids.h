#pragma once
// The identities under which Explorer and the registry know the extension.
#include <guiddef.h>

namespace clickwell {

// {EDE9C14E-B540-40BD-9592-1770FCDF08F4}
inline constexpr CLSID kClickwellClassId = {
    0xEDE9C14E, 0xB540, 0x40BD, {0x95, 0x92, 0x17, 0x70, 0xFC, 0xDF, 0x08, 0xF4}};
inline constexpr wchar_t kClickwellClassIdText[] = L"{EDE9C14E-B540-40BD-9592-1770FCDF08F4}";
inline constexpr wchar_t kAppIdText[] = L"{6BB3D1B4-AFD0-4BBC-8267-8EF854D01B88}";

}  // namespace clickwell
