// The print spooler: forwarding to winspool, bound on first use from the system folder.
#include "platform/win32/windows_api.h"

#include <cstddef>
#include <winspool.h>

#include "platform/win32/system_library.h"

namespace platform {

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

}  // namespace platform
