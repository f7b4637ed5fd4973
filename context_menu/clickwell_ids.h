#pragma once
// The identities under which Explorer and the registry know the extension.
#include <guiddef.h>

namespace clickwell {

// {EDE9C14E-B540-40BD-9592-1770FCDF08F4}
inline constexpr CLSID kClickwellClassId = {
    0xEDE9C14E, 0xB540, 0x40BD, {0x95, 0x92, 0x17, 0x70, 0xFC, 0xDF, 0x08, 0xF4}};
inline constexpr wchar_t kClickwellClassIdText[] = L"{EDE9C14E-B540-40BD-9592-1770FCDF08F4}";
inline constexpr wchar_t kAppIdText[] = L"{6BB3D1B4-AFD0-4BBC-8267-8EF854D01B88}";

// The Explorer commands of the first-level menu (Windows 11), one class per entry, because
// Explorer creates one object per entry, by class id. Registered by the sparse package, not by
// regsvr32.
// {F10E6187-7517-4745-A188-87C612578C3C}
inline constexpr CLSID kAddCommandClassId = {
    0xF10E6187, 0x7517, 0x4745, {0xA1, 0x88, 0x87, 0xC6, 0x12, 0x57, 0x8C, 0x3C}};
inline constexpr wchar_t kAddCommandClassIdText[] = L"{F10E6187-7517-4745-A188-87C612578C3C}";
// {7C11FB4A-4D42-46FD-80EC-619214252177}
inline constexpr CLSID kOpenCommandClassId = {
    0x7C11FB4A, 0x4D42, 0x46FD, {0x80, 0xEC, 0x61, 0x92, 0x14, 0x25, 0x21, 0x77}};
inline constexpr wchar_t kOpenCommandClassIdText[] = L"{7C11FB4A-4D42-46FD-80EC-619214252177}";

}  // namespace clickwell
