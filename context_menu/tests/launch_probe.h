#pragma once
// The event by which launch_probe.exe tells a test that it was started.
inline constexpr wchar_t kLaunchProbeEvent[] = L"StashlyClickwellLaunchProbe";
