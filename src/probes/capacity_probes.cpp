#include <cstdint>

#include "platform/platform.h"
#include "probes/probes.h"
#include "text/exceptions.h"
#include "text/format.h"
#include "text/string_list.h"

namespace {

constexpr double BytesPerGB = 1073741824.0;
constexpr std::uint32_t DelayLoadProcNotFound = 0xC06D007F;

double ToGB(std::uint64_t Bytes) { return static_cast<double>(Bytes) / BytesPerGB; }

}  // namespace

double GetTotalRAM() {
  platform::TMemoryStatusEx MemStatus{};
  MemStatus.DwLength = sizeof(MemStatus);
  if (platform::GlobalMemoryStatusEx(&MemStatus) == 0) return 0.0;
  return ToGB(MemStatus.UllTotalPhys);
}

std::u16string FormatRAM(double Gigabytes) {
  return Format(u"%.2f GB", {static_cast<long double>(Gigabytes)});
}

std::u16string GetDisksInfo() {
  TStringList List;
  for (char16_t DriveLetter = u'C'; DriveLetter <= u'Z'; ++DriveLetter) {
    const std::u16string DrivePath = std::u16string(1, DriveLetter) + u":\\";
    if (platform::GetDriveTypeW(DrivePath.c_str()) != platform::DriveFixed) continue;
    std::uint64_t FreeBytes = 0;
    std::uint64_t TotalBytes = 0;
    std::uint64_t TotalFreeBytes = 0;
    if (platform::GetDiskFreeSpaceExW(DrivePath.c_str(), &FreeBytes, &TotalBytes, &TotalFreeBytes) == 0) {
      continue;
    }
    List.Add(Format(u"%s: Total: %.2f GB | Livre: %.2f GB",
                    {DriveLetter, ToGB(TotalBytes), ToGB(TotalFreeBytes)}));
  }
  std::u16string Result;
  for (const std::u16string& Entry : List) {
    if (!Result.empty()) Result += u" | ";
    Result += Entry;
  }
  return Result.empty() ? u"Nenhum disco encontrado." : Result;
}

std::u16string GetUptime() {
  std::uint64_t Ticks = 0;
  if (platform::GetTickCount64(&Ticks) == 0) {
    throw EExternalException(Format(u"External exception %x", {std::int64_t{DelayLoadProcNotFound}}));
  }
  const auto Seconds = static_cast<std::int64_t>(Ticks / 1000);
  const std::int64_t Minutes = Seconds / 60;
  std::int64_t Hours = Minutes / 60;
  const std::int64_t Days = Hours / 24;
  Hours %= 24;
  return Format(u"%d dias, %d horas", {Days, Hours});
}
