#pragma once
// The DPI the program's windows are shown at, and the system's figures for it. The per-window
// and per-DPI queries exist from Windows 10 (1607) on and are looked up at run time; before
// that every window is at the system's DPI, and figures made for it are scaled (MulDiv rounding,
// the rule the skins follow as well).
#include <windows.h>

namespace win {

inline constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI;
// WM_GETDPISCALEDSIZE (Windows 10 1703), which our system headers declare for that version only:
// before WM_DPICHANGED, the size the window wants at the DPI in wParam, into the SIZE at lParam.
inline constexpr UINT kGetDpiScaledSizeMessage = 0x02E4;

// The system's DPI as this thread sees it; 96 when the screen cannot be asked.
UINT SystemDpi();
// The DPI of the monitor `window` is shown on, or the system's when the system cannot say.
UINT WindowDpi(HWND window);
// GetSystemMetrics(index) at `dpi`.
int SystemMetricForDpi(int index, UINT dpi);
// The message font (the one message boxes and lists use) at `dpi`.
LOGFONTW MessageFontForDpi(UINT dpi);

}  // namespace win
