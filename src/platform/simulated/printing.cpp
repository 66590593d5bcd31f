// Simulated print spooler and global memory.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;
using simulated::TMachine;

namespace {

constexpr std::uint32_t ErrorInvalidLevel = 124;

// Records for Names, in order; those at the positions in Unnamed carry a null name pointer.
template <typename TRecord>
Bool FillRecords(const std::vector<std::u16string>& Names, const std::set<std::size_t>& Unnamed,
                 std::uint8_t* Buffer, std::uint32_t BufferSize, std::uint32_t* Needed,
                 std::uint32_t* Returned) {
  std::size_t Size = Names.size() * sizeof(TRecord);
  for (const std::u16string& Name : Names) Size += (Name.size() + 1) * sizeof(char16_t);
  *Needed = static_cast<std::uint32_t>(Size);
  *Returned = 0;
  if (Names.empty()) return 1;
  if (Buffer == nullptr || BufferSize < Size) {
    Machine().LastError = ErrorInsufficientBuffer;
    return 0;
  }
  auto* Text = reinterpret_cast<char16_t*>(Buffer + Names.size() * sizeof(TRecord));
  for (std::size_t I = 0; I < Names.size(); ++I) {
    TRecord Record{};
    Record.PPrinterName = Unnamed.contains(I) ? nullptr : Text;
    std::memcpy(Buffer + I * sizeof(TRecord), &Record, sizeof Record);
    Text = std::copy(Names[I].begin(), Names[I].end(), Text);
    *Text++ = u'\0';
  }
  *Returned = static_cast<std::uint32_t>(Names.size());
  return 1;
}

}  // namespace

Bool EnumPrintersW(std::uint32_t Flags, const char16_t* /*Name*/, std::uint32_t Level,
                   std::uint8_t* PrinterEnum, std::uint32_t BufferSize, std::uint32_t* Needed,
                   std::uint32_t* Returned) {
  TMachine& M = Machine();
  if (M.Failing("EnumPrintersW")) return 0;
  if (Needed == nullptr || Returned == nullptr) return M.LastError = ErrorInvalidParameter, 0;
  if ((Flags & PrinterEnumDefault) != 0) {
    if (Level != 5) return M.LastError = ErrorInvalidLevel, 0;
    const std::set<std::size_t> Unnamed =
        M.UnnamedDefault ? std::set<std::size_t>{0} : std::set<std::size_t>{};
    return FillRecords<TPrinterInfo5>(M.DefaultRecords, Unnamed, PrinterEnum, BufferSize, Needed,
                                      Returned);
  }
  if (Level != 4) return M.LastError = ErrorInvalidLevel, 0;
  const Bool Result = FillRecords<TPrinterInfo4>(M.Printers, M.UnnamedPrinters, PrinterEnum,
                                                 BufferSize, Needed, Returned);
  if (Result == 0 && !M.ArrivingPrinters.empty()) {
    M.Printers.push_back(M.ArrivingPrinters.front());
    M.ArrivingPrinters.erase(M.ArrivingPrinters.begin());
  }
  return Result;
}

Bool GetDefaultPrinterW(char16_t* Buffer, std::uint32_t* Size) {
  TMachine& M = Machine();
  if (M.Failing("GetDefaultPrinterW")) return 0;
  if (Size == nullptr) return M.LastError = ErrorInvalidParameter, 0;
  if (!M.DefaultPrinterText) return M.LastError = ErrorFileNotFound, 0;
  const auto NeededChars = static_cast<std::uint32_t>(M.DefaultPrinterText->size() + 1);
  if (Buffer == nullptr || *Size < NeededChars) {
    *Size = NeededChars;
    return M.LastError = ErrorInsufficientBuffer, 0;
  }
  std::copy(M.DefaultPrinterText->begin(), M.DefaultPrinterText->end(), Buffer);
  Buffer[NeededChars - 1] = u'\0';
  *Size = NeededChars;
  return 1;
}

}  // namespace platform
