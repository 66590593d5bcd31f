// The one header that brings in <windows.h>, trimmed and without the min/max macros.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>

#include "platform/platform.h"

namespace platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

// Handles travel through the portable layer as integers; turning them back is the point here.
inline HANDLE ToNative(Handle Value) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(Value));  // NOLINT(performance-no-int-to-ptr)
}
inline Handle FromNative(HANDLE Value) { return Handle{reinterpret_cast<std::uintptr_t>(Value)}; }
inline LPCWSTR Wide(const char16_t* Text) { return reinterpret_cast<LPCWSTR>(Text); }
inline LPWSTR Wide(char16_t* Text) { return reinterpret_cast<LPWSTR>(Text); }

}  // namespace platform::win32
