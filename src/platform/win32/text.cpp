// Code pages, conversion and locale comparison: straight forwarding to kernel32.
#include "platform/win32/windows_api.h"

namespace platform {

using win32::Wide;

std::uint32_t GetACP() { return ::GetACP(); }

std::uint32_t GetOEMCP() { return ::GetOEMCP(); }

int WideCharToMultiByte(std::uint32_t CodePage, std::uint32_t Flags, const char16_t* WideCharStr,
                        int WideCharCount, char* MultiByteStr, int MultiByteCount,
                        const char* DefaultChar, Bool* UsedDefaultChar) {
  BOOL UsedDefault = FALSE;
  const int Result =
      ::WideCharToMultiByte(CodePage, Flags, Wide(WideCharStr), WideCharCount, MultiByteStr,
                            MultiByteCount, DefaultChar,
                            UsedDefaultChar != nullptr ? &UsedDefault : nullptr);
  if (UsedDefaultChar != nullptr) *UsedDefaultChar = UsedDefault;
  return Result;
}

int MultiByteToWideChar(std::uint32_t CodePage, std::uint32_t Flags, const char* MultiByteStr,
                        int MultiByteCount, char16_t* WideCharStr, int WideCharCount) {
  return ::MultiByteToWideChar(CodePage, Flags, MultiByteStr, MultiByteCount, Wide(WideCharStr),
                               WideCharCount);
}

Lcid GetThreadLocale() { return ::GetThreadLocale(); }

Bool IsValidLocale(Lcid Locale, std::uint32_t Flags) { return ::IsValidLocale(Locale, Flags); }

int GetLocaleInfoW(Lcid Locale, std::uint32_t LCType, char16_t* Data, int DataCount) {
  return ::GetLocaleInfoW(Locale, LCType, Wide(Data), DataCount);
}

int CompareStringW(Lcid Locale, std::uint32_t CmpFlags, const char16_t* String1, int Count1,
                   const char16_t* String2, int Count2) {
  return ::CompareStringW(Locale, CmpFlags, Wide(String1), Count1, Wide(String2), Count2);
}

// kernel32 has it from Windows Vista on, so it is imported like the older calls.
int CompareStringOrdinal(const char16_t* String1, int Count1, const char16_t* String2, int Count2,
                         Bool IgnoreCase) {
  return ::CompareStringOrdinal(Wide(String1), Count1, Wide(String2), Count2, IgnoreCase);
}

int LCMapStringW(Lcid Locale, std::uint32_t MapFlags, const char16_t* Source, int SourceCount,
                 std::uint8_t* Key, int KeySize) {
  // A sort key is bytes, passed through the wide-text parameter with its size in bytes.
  return ::LCMapStringW(Locale, MapFlags, Wide(Source), SourceCount, reinterpret_cast<LPWSTR>(Key), KeySize);
}

}  // namespace platform
