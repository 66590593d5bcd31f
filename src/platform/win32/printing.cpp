// The print spooler and global memory: forwarding to winspool, bound on first use from the
// system folder, and to kernel32.
#include "platform/win32/windows_api.h"

#include <cstddef>
#include <winspool.h>

#include "platform/win32/system_library.h"

namespace platform {

using win32::FromNative;
using win32::ToNative;
using win32::Wide;

namespace {

template <typename TFunction>
using TWinspool = win32::TSystemFunction<TFunction>;
constexpr const wchar_t* Winspool = L"winspool.drv";

// A call whose function could not be bound fails as the call itself fails: its failure result,
// with the reason as the last error.
template <typename TResult>
TResult Unbound(DWORD Error, TResult Failure) {
  ::SetLastError(Error);
  return Failure;
}

}  // namespace

static_assert(sizeof(TPrinterInfo4) == sizeof(PRINTER_INFO_4W));
static_assert(offsetof(TPrinterInfo4, PPrinterName) == offsetof(PRINTER_INFO_4W, pPrinterName));
static_assert(sizeof(TPrinterInfo5) == sizeof(PRINTER_INFO_5W));
static_assert(offsetof(TPrinterInfo5, PPrinterName) == offsetof(PRINTER_INFO_5W, pPrinterName));

Bool EnumPrintersW(std::uint32_t Flags, const char16_t* Name, std::uint32_t Level,
                   std::uint8_t* PrinterEnum, std::uint32_t BufferSize, std::uint32_t* Needed,
                   std::uint32_t* Returned) {
  static const TWinspool<decltype(::EnumPrintersW)> Bound(Winspool, "EnumPrintersW");
  if (Bound.Get() == nullptr) return Unbound<Bool>(Bound.Error(), 0);
  DWORD NeededBytes = *Needed;
  DWORD Count = *Returned;
  const BOOL Result = Bound.Get()(Flags, const_cast<LPWSTR>(Wide(Name)), Level, PrinterEnum,
                                  BufferSize, &NeededBytes, &Count);
  *Needed = NeededBytes;
  *Returned = Count;
  return Result;
}

Bool GetDefaultPrinterW(char16_t* Buffer, std::uint32_t* Size) {
  static const TWinspool<decltype(::GetDefaultPrinterW)> Bound(Winspool, "GetDefaultPrinterW");
  if (Bound.Get() == nullptr) return Unbound<Bool>(Bound.Error(), 0);
  DWORD Length = *Size;
  const BOOL Result = Bound.Get()(Wide(Buffer), &Length);
  *Size = Length;
  return Result;
}

Bool OpenPrinterW(const char16_t* PrinterName, Handle* Printer, void* Default) {
  static const TWinspool<decltype(::OpenPrinterW)> Bound(Winspool, "OpenPrinterW");
  if (Bound.Get() == nullptr) {
    *Printer = NullHandle;
    return Unbound<Bool>(Bound.Error(), 0);
  }
  HANDLE Opened = nullptr;
  const BOOL Result = Bound.Get()(const_cast<LPWSTR>(Wide(PrinterName)), &Opened,
                                  static_cast<LPPRINTER_DEFAULTSW>(Default));
  *Printer = FromNative(Result != 0 ? Opened : nullptr);
  return Result;
}

std::int32_t DocumentPropertiesW(Handle Window, Handle Printer, const char16_t* DeviceName,
                                 void* DevModeOutput, void* DevModeInput, std::uint32_t Mode) {
  static const TWinspool<decltype(::DocumentPropertiesW)> Bound(Winspool, "DocumentPropertiesW");
  if (Bound.Get() == nullptr) return Unbound<std::int32_t>(Bound.Error(), -1);
  return Bound.Get()(static_cast<HWND>(ToNative(Window)), ToNative(Printer),
                     const_cast<LPWSTR>(Wide(DeviceName)), static_cast<PDEVMODEW>(DevModeOutput),
                     static_cast<PDEVMODEW>(DevModeInput), Mode);
}

Bool ClosePrinter(Handle Printer) {
  static const TWinspool<decltype(::ClosePrinter)> Bound(Winspool, "ClosePrinter");
  if (Bound.Get() == nullptr) return Unbound<Bool>(Bound.Error(), 0);
  return Bound.Get()(ToNative(Printer));
}

Handle GlobalAlloc(std::uint32_t Flags, std::size_t Bytes) {
  return FromNative(::GlobalAlloc(Flags, Bytes));
}

void* GlobalLock(Handle Memory) { return ::GlobalLock(ToNative(Memory)); }

Bool GlobalUnlock(Handle Memory) { return ::GlobalUnlock(ToNative(Memory)); }

Handle GlobalFree(Handle Memory) { return FromNative(::GlobalFree(ToNative(Memory))); }

}  // namespace platform
