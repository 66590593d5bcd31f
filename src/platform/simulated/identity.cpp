// Simulated firmware table, installed memory, DNS host name, time zone and domain membership.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;

namespace {

constexpr std::uint32_t ErrorNotFound = 1168;
constexpr std::uint32_t ErrorInvalidData = 13;

}  // namespace

std::uint32_t GetSystemFirmwareTable(std::uint32_t ProviderSignature, std::uint32_t TableId,
                                     void* Buffer, std::uint32_t BufferSize) {
  auto& M = Machine();
  if (M.Failing("GetSystemFirmwareTable")) return 0;
  if (ProviderSignature != FirmwareTableProviderRsmb || TableId != 0 || M.FirmwareTable.empty())
    return M.LastError = ErrorNotFound, 0;
  const auto Size = static_cast<std::uint32_t>(M.FirmwareTable.size());
  if (Buffer == nullptr || BufferSize < Size) return M.LastError = ErrorInsufficientBuffer, Size;
  std::memcpy(Buffer, M.FirmwareTable.data(), Size);
  return Size;
}

Bool GetPhysicallyInstalledSystemMemory(std::uint64_t* TotalMemoryInKilobytes) {
  auto& M = Machine();
  if (M.Failing("GetPhysicallyInstalledSystemMemory")) return 0;
  if (TotalMemoryInKilobytes == nullptr) return M.LastError = ErrorInvalidParameter, 0;
  if (!M.InstalledMemoryKiB) return M.LastError = ErrorInvalidData, 0;
  *TotalMemoryInKilobytes = *M.InstalledMemoryKiB;
  return 1;
}

Bool GetComputerNameExW(std::uint32_t NameType, char16_t* Buffer, std::uint32_t* Size) {
  auto& M = Machine();
  if (M.Failing("GetComputerNameExW")) return 0;
  if (NameType != ComputerNameDnsHostname || Size == nullptr)
    return M.LastError = ErrorInvalidParameter, 0;
  const auto Length = static_cast<std::uint32_t>(M.DnsHostName.size());
  if (Buffer == nullptr || *Size <= Length) {
    *Size = Length + 1;
    return M.LastError = ErrorMoreData, 0;
  }
  std::copy(M.DnsHostName.begin(), M.DnsHostName.end(), Buffer);
  Buffer[Length] = u'\0';
  *Size = Length;
  return 1;
}

Bool SystemTimeToTzSpecificLocalTime(const void* /*TimeZone*/, const TSystemTime* UniversalTime,
                                     TSystemTime* LocalTime) {
  using namespace std::chrono;
  auto& M = Machine();
  if (M.Failing("SystemTimeToTzSpecificLocalTime")) return 0;
  const TSystemTime& U = *UniversalTime;
  const year_month_day Date{year{U.Year}, month{U.Month}, day{U.Day}};
  if (!Date.ok() || U.Hour > 23 || U.Minute > 59 || U.Second > 59)
    return M.LastError = ErrorInvalidParameter, 0;
  const sys_seconds Local = sys_days{Date} + hours{U.Hour} + minutes{U.Minute} + seconds{U.Second} +
                            minutes{M.UtcOffsetMinutes};
  const sys_days Day = floor<days>(Local);
  const year_month_day LocalDate{Day};
  const hh_mm_ss<seconds> Clock{Local - Day};
  *LocalTime = TSystemTime{static_cast<std::uint16_t>(static_cast<int>(LocalDate.year())),
                           static_cast<std::uint16_t>(static_cast<unsigned>(LocalDate.month())),
                           static_cast<std::uint16_t>(weekday{Day}.c_encoding()),
                           static_cast<std::uint16_t>(static_cast<unsigned>(LocalDate.day())),
                           static_cast<std::uint16_t>(Clock.hours().count()),
                           static_cast<std::uint16_t>(Clock.minutes().count()),
                           static_cast<std::uint16_t>(Clock.seconds().count()),
                           U.Milliseconds};
  return 1;
}

std::uint32_t NetGetJoinInformation(const char16_t* /*Server*/, char16_t** NameBuffer,
                                    std::uint32_t* BufferType) {
  auto& M = Machine();
  if (M.Failing("NetGetJoinInformation")) return M.LastError;
  if (NameBuffer == nullptr || BufferType == nullptr) return ErrorInvalidParameter;
  *NameBuffer = M.NewBlock(M.JoinName);
  *BufferType = M.JoinStatus;
  return ErrorSuccess;
}

std::uint32_t NetApiBufferFree(void* Buffer) {
  auto& M = Machine();
  if (M.Failing("NetApiBufferFree")) return M.LastError;
  if (Buffer == nullptr) return ErrorSuccess;
  return M.FreeBlock(Buffer) ? ErrorSuccess : ErrorInvalidParameter;
}

}  // namespace platform
