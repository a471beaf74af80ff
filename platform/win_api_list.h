// The system functions the program reaches at run time, one line each: X(library, function).
// Each entry's type is taken from the SDK declaration, so signatures are never typed by hand.
// A and W variants are named explicitly. Keep each section sorted.
#pragma once

#ifdef _WIN64
#define QUORLIN_WIN_API_LIST_POINTER_SIZED(X) \
  X(User32, GetWindowLongPtrA)                \
  X(User32, GetWindowLongPtrW)                \
  X(User32, SetWindowLongPtrA)                \
  X(User32, SetWindowLongPtrW)
#else
// On 32-bit Windows the ...LongPtr names are macros for the ...Long functions listed below.
#define QUORLIN_WIN_API_LIST_POINTER_SIZED(X)
#endif

#define QUORLIN_WIN_API_LIST(X)          \
  /* kernel32 */                         \
  X(Kernel32, CloseHandle)               \
  X(Kernel32, CreateProcessA)            \
  X(Kernel32, CreateThread)              \
  X(Kernel32, ExitProcess)               \
  X(Kernel32, GetCurrentProcess)         \
  X(Kernel32, GetCurrentProcessId)       \
  X(Kernel32, GetCurrentThreadId)        \
  X(Kernel32, GetExitCodeProcess)        \
  X(Kernel32, GetLastError)              \
  X(Kernel32, GetModuleHandleA)          \
  X(Kernel32, GetModuleHandleW)          \
  X(Kernel32, GetSystemDirectoryA)       \
  X(Kernel32, GetTickCount)              \
  X(Kernel32, GetVersionExA)             \
  X(Kernel32, GlobalAlloc)               \
  X(Kernel32, GlobalFree)                \
  X(Kernel32, GlobalLock)                \
  X(Kernel32, GlobalUnlock)              \
  X(Kernel32, MultiByteToWideChar)       \
  X(Kernel32, OpenProcess)               \
  X(Kernel32, SetDefaultDllDirectories)  \
  X(Kernel32, SetLastError)              \
  X(Kernel32, SetSystemPowerState)       \
  X(Kernel32, Sleep)                     \
  X(Kernel32, TerminateProcess)          \
  X(Kernel32, TerminateThread)           \
  X(Kernel32, WaitForSingleObject)       \
  X(Kernel32, WideCharToMultiByte)       \
  /* user32 */                           \
  X(User32, BeginPaint)                  \
  X(User32, CallNextHookEx)              \
  X(User32, CallWindowProcW)             \
  X(User32, CreateCaret)                 \
  X(User32, CreateWindowExA)             \
  X(User32, CreateWindowExW)             \
  X(User32, DefWindowProcA)              \
  X(User32, DefWindowProcW)              \
  X(User32, DestroyWindow)               \
  X(User32, DispatchMessageW)            \
  X(User32, DrawTextW)                   \
  X(User32, EnableWindow)                \
  X(User32, EndPaint)                    \
  X(User32, EnumDisplayMonitors)         \
  X(User32, ExitWindowsEx)               \
  X(User32, FillRect)                    \
  X(User32, GetAncestor)                 \
  X(User32, GetCaretPos)                 \
  X(User32, GetClassLongW)               \
  X(User32, GetClientRect)               \
  X(User32, GetDC)                       \
  X(User32, GetFocus)                    \
  X(User32, GetKeyState)                 \
  X(User32, GetLayeredWindowAttributes)  \
  X(User32, GetMessageW)                 \
  X(User32, GetMonitorInfoW)             \
  X(User32, GetParent)                   \
  X(User32, GetPropA)                    \
  X(User32, GetShellWindow)              \
  X(User32, GetSysColor)                 \
  X(User32, GetSystemMetrics)            \
  X(User32, GetUpdateRect)               \
  X(User32, GetWindow)                   \
  X(User32, GetWindowDC)                 \
  X(User32, GetWindowLongA)              \
  X(User32, GetWindowLongW)              \
  X(User32, GetWindowRect)               \
  X(User32, GetWindowTextA)              \
  X(User32, GetWindowTextLengthA)        \
  X(User32, GetWindowThreadProcessId)    \
  X(User32, IntersectRect)               \
  X(User32, InvalidateRect)              \
  X(User32, IsIconic)                    \
  X(User32, IsWindow)                    \
  X(User32, IsWindowEnabled)             \
  X(User32, IsWindowVisible)             \
  X(User32, IsZoomed)                    \
  X(User32, KillTimer)                   \
  X(User32, LoadCursorA)                 \
  X(User32, LoadCursorW)                 \
  X(User32, LoadIconW)                   \
  X(User32, MapWindowPoints)             \
  X(User32, MessageBoxW)                 \
  X(User32, MoveWindow)                  \
  X(User32, NotifyWinEvent)              \
  X(User32, PeekMessageW)                \
  X(User32, PostMessageW)                \
  X(User32, PostQuitMessage)             \
  X(User32, RedrawWindow)                \
  X(User32, RegisterClassExA)            \
  X(User32, RegisterClassExW)            \
  X(User32, ReleaseCapture)              \
  X(User32, ReleaseDC)                   \
  X(User32, RemovePropA)                 \
  X(User32, ScreenToClient)              \
  X(User32, SendMessageA)                \
  X(User32, SendMessageW)                \
  X(User32, SetCursor)                   \
  X(User32, SetFocus)                    \
  X(User32, SetLayeredWindowAttributes)  \
  X(User32, SetPropA)                    \
  X(User32, SetTimer)                    \
  X(User32, SetWindowLongA)              \
  X(User32, SetWindowLongW)              \
  X(User32, SetWindowPos)                \
  X(User32, SetWindowTextW)              \
  X(User32, SetWindowsHookExA)           \
  X(User32, ShowWindow)                  \
  X(User32, TrackMouseEvent)             \
  X(User32, TranslateMessage)            \
  X(User32, UpdateLayeredWindow)         \
  X(User32, UpdateWindow)                \
  X(User32, WaitForInputIdle)            \
  QUORLIN_WIN_API_LIST_POINTER_SIZED(X)  \
  /* gdi32 */                            \
  X(Gdi32, BitBlt)                       \
  X(Gdi32, CreateCompatibleBitmap)       \
  X(Gdi32, CreateCompatibleDC)           \
  X(Gdi32, CreateDIBSection)             \
  X(Gdi32, CreateFontIndirectW)          \
  X(Gdi32, CreateSolidBrush)             \
  X(Gdi32, DeleteDC)                     \
  X(Gdi32, DeleteObject)                 \
  X(Gdi32, GdiFlush)                     \
  X(Gdi32, GetDeviceCaps)                \
  X(Gdi32, GetObjectA)                   \
  X(Gdi32, GetStockObject)               \
  X(Gdi32, GetTextFaceW)                 \
  X(Gdi32, SelectObject)                 \
  X(Gdi32, SetBkMode)                    \
  X(Gdi32, SetDIBitsToDevice)            \
  X(Gdi32, SetTextColor)                 \
  /* ole32 */                            \
  X(Ole32, CLSIDFromString)              \
  X(Ole32, CreateStreamOnHGlobal)        \
  /* advapi32 */                         \
  X(Advapi32, AdjustTokenPrivileges)     \
  X(Advapi32, EqualSid)                  \
  X(Advapi32, GetTokenInformation)       \
  X(Advapi32, LookupPrivilegeValueA)     \
  X(Advapi32, OpenProcessToken)          \
  X(Advapi32, RegGetValueW)              \
  /* comctl32 */                         \
  X(Comctl32, InitCommonControlsEx)      \
  /* GdiPlus.dll (flat API) */           \
  X(GdiPlus, GdipBitmapLockBits)         \
  X(GdiPlus, GdipBitmapUnlockBits)       \
  X(GdiPlus, GdipCloneImage)             \
  X(GdiPlus, GdipCreateBitmapFromHBITMAP) \
  X(GdiPlus, GdipCreateBitmapFromScan0)  \
  X(GdiPlus, GdipCreateBitmapFromStream) \
  X(GdiPlus, GdipCreateFont)             \
  X(GdiPlus, GdipCreateFontFamilyFromName) \
  X(GdiPlus, GdipCreateFontFromDC)       \
  X(GdiPlus, GdipCreateFromHDC)          \
  X(GdiPlus, GdipCreatePen1)             \
  X(GdiPlus, GdipCreateSolidFill)        \
  X(GdiPlus, GdipCreateStringFormat)     \
  X(GdiPlus, GdipDeleteBrush)            \
  X(GdiPlus, GdipDeleteFont)             \
  X(GdiPlus, GdipDeleteFontFamily)       \
  X(GdiPlus, GdipDeleteGraphics)         \
  X(GdiPlus, GdipDeletePen)              \
  X(GdiPlus, GdipDeleteStringFormat)     \
  X(GdiPlus, GdipDisposeImage)           \
  X(GdiPlus, GdipDrawImageRect)          \
  X(GdiPlus, GdipDrawImageRectI)         \
  X(GdiPlus, GdipDrawImageRectRect)      \
  X(GdiPlus, GdipDrawLine)               \
  X(GdiPlus, GdipDrawRectangle)          \
  X(GdiPlus, GdipDrawString)             \
  X(GdiPlus, GdipFillRectangle)          \
  X(GdiPlus, GdipGetFontHeight)          \
  X(GdiPlus, GdipGetFontSize)            \
  X(GdiPlus, GdipGetFontStyle)           \
  X(GdiPlus, GdipGetFontUnit)            \
  X(GdiPlus, GdipGetImageDimension)      \
  X(GdiPlus, GdipGetImageGraphicsContext) \
  X(GdiPlus, GdipGetImageHeight)         \
  X(GdiPlus, GdipGetImagePixelFormat)    \
  X(GdiPlus, GdipGetImageType)           \
  X(GdiPlus, GdipGetImageWidth)          \
  X(GdiPlus, GdipImageSelectActiveFrame) \
  X(GdiPlus, GdipLoadImageFromStream)    \
  X(GdiPlus, GdipSetCompositingMode)     \
  X(GdiPlus, GdipSetStringFormatAlign)   \
  X(GdiPlus, GdipSetStringFormatLineAlign) \
  X(GdiPlus, GdiplusStartup)
