// The print spooler and global memory: forwarding to winspool and kernel32.
#include "platform/win32/windows_api.h"

#include <cstddef>
#include <winspool.h>

namespace platform {

using win32::FromNative;
using win32::ToNative;
using win32::Wide;

static_assert(sizeof(TPrinterInfo4) == sizeof(PRINTER_INFO_4W));
static_assert(offsetof(TPrinterInfo4, PPrinterName) == offsetof(PRINTER_INFO_4W, pPrinterName));
static_assert(sizeof(TPrinterInfo5) == sizeof(PRINTER_INFO_5W));
static_assert(offsetof(TPrinterInfo5, PPrinterName) == offsetof(PRINTER_INFO_5W, pPrinterName));

Bool EnumPrintersW(std::uint32_t Flags, const char16_t* Name, std::uint32_t Level,
                   std::uint8_t* PrinterEnum, std::uint32_t BufferSize, std::uint32_t* Needed,
                   std::uint32_t* Returned) {
  DWORD NeededBytes = *Needed;
  DWORD Count = *Returned;
  const BOOL Result = ::EnumPrintersW(Flags, const_cast<LPWSTR>(Wide(Name)), Level, PrinterEnum,
                                      BufferSize, &NeededBytes, &Count);
  *Needed = NeededBytes;
  *Returned = Count;
  return Result;
}

Bool GetDefaultPrinterW(char16_t* Buffer, std::uint32_t* Size) {
  DWORD Length = *Size;
  const BOOL Result = ::GetDefaultPrinterW(Wide(Buffer), &Length);
  *Size = Length;
  return Result;
}

Bool OpenPrinterW(const char16_t* PrinterName, Handle* Printer, void* Default) {
  HANDLE Opened = nullptr;
  const BOOL Result = ::OpenPrinterW(const_cast<LPWSTR>(Wide(PrinterName)), &Opened,
                                     static_cast<LPPRINTER_DEFAULTSW>(Default));
  *Printer = FromNative(Result != 0 ? Opened : nullptr);
  return Result;
}

std::int32_t DocumentPropertiesW(Handle Window, Handle Printer, const char16_t* DeviceName,
                                 void* DevModeOutput, void* DevModeInput, std::uint32_t Mode) {
  return ::DocumentPropertiesW(static_cast<HWND>(ToNative(Window)), ToNative(Printer),
                               const_cast<LPWSTR>(Wide(DeviceName)),
                               static_cast<PDEVMODEW>(DevModeOutput),
                               static_cast<PDEVMODEW>(DevModeInput), Mode);
}

Bool ClosePrinter(Handle Printer) { return ::ClosePrinter(ToNative(Printer)); }

Handle GlobalAlloc(std::uint32_t Flags, std::size_t Bytes) {
  return FromNative(::GlobalAlloc(Flags, Bytes));
}

void* GlobalLock(Handle Memory) { return ::GlobalLock(ToNative(Memory)); }

Bool GlobalUnlock(Handle Memory) { return ::GlobalUnlock(ToNative(Memory)); }

Handle GlobalFree(Handle Memory) { return FromNative(::GlobalFree(ToNative(Memory))); }

}  // namespace platform
