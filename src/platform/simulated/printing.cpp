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
constexpr std::uint32_t ErrorInvalidPrinterName = 1801;

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

std::uintptr_t NewHandle() {
  TMachine& M = Machine();
  const std::uintptr_t Value = M.NextHandle;
  M.NextHandle += 4;
  return Value;
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
  return FillRecords<TPrinterInfo4>(M.Printers, M.UnnamedPrinters, PrinterEnum, BufferSize, Needed,
                                    Returned);
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

Bool OpenPrinterW(const char16_t* PrinterName, Handle* Printer, void* /*Default*/) {
  TMachine& M = Machine();
  if (M.Failing("OpenPrinterW")) return 0;
  const std::u16string Wanted = simulated::ToUpperAscii(PrinterName != nullptr ? PrinterName : u"");
  const bool Known = std::any_of(M.Printers.begin(), M.Printers.end(), [&](const std::u16string& Name) {
    return simulated::ToUpperAscii(Name) == Wanted;
  });
  if (!Known || Printer == nullptr) return M.LastError = ErrorInvalidPrinterName, 0;
  const std::uintptr_t Value = NewHandle();
  M.PrinterHandles.emplace(Value, PrinterName);
  *Printer = Handle{Value};
  return 1;
}

std::int32_t DocumentPropertiesW(Handle /*Window*/, Handle Printer, const char16_t* /*DeviceName*/,
                                 void* DevModeOutput, void* /*DevModeInput*/, std::uint32_t Mode) {
  TMachine& M = Machine();
  if (M.Failing("DocumentPropertiesW")) return -1;
  if (!M.PrinterHandles.contains(static_cast<std::uintptr_t>(Printer))) return -1;
  if (Mode == 0) return M.DevModeSize;
  if ((Mode & DmOutBuffer) == 0 || DevModeOutput == nullptr) return -1;
  std::memset(DevModeOutput, 0, static_cast<std::size_t>(M.DevModeSize));
  return 1;
}

Bool ClosePrinter(Handle Printer) {
  TMachine& M = Machine();
  if (M.Failing("ClosePrinter")) return 0;
  return M.PrinterHandles.erase(static_cast<std::uintptr_t>(Printer)) != 0 ? 1 : (M.LastError = ErrorInvalidHandle, 0);
}

Handle GlobalAlloc(std::uint32_t /*Flags*/, std::size_t Bytes) {
  TMachine& M = Machine();
  if (M.Failing("GlobalAlloc")) return NullHandle;
  const std::uintptr_t Value = NewHandle();
  M.GlobalBlocks[Value].Data.assign(Bytes, 0);
  return Handle{Value};
}

void* GlobalLock(Handle Memory) {
  TMachine& M = Machine();
  if (M.Failing("GlobalLock")) return nullptr;
  const auto Found = M.GlobalBlocks.find(static_cast<std::uintptr_t>(Memory));
  if (Found == M.GlobalBlocks.end() || Found->second.Data.empty()) {
    M.LastError = ErrorInvalidHandle;
    return nullptr;
  }
  ++Found->second.Locks;
  return Found->second.Data.data();
}

Bool GlobalUnlock(Handle Memory) {
  TMachine& M = Machine();
  const auto Found = M.GlobalBlocks.find(static_cast<std::uintptr_t>(Memory));
  if (Found == M.GlobalBlocks.end() || Found->second.Locks == 0) return 0;
  return --Found->second.Locks > 0 ? 1 : 0;
}

Handle GlobalFree(Handle Memory) {
  TMachine& M = Machine();
  return M.GlobalBlocks.erase(static_cast<std::uintptr_t>(Memory)) != 0 ? NullHandle : Memory;
}

}  // namespace platform
