#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "probes/probes.h"
#include "text/exceptions.h"
#include "text/format.h"
#include "text/string_list.h"
#include "text/string_routines.h"

namespace {

constexpr double BytesPerGB = 1073741824.0;
constexpr std::uint32_t DelayLoadProcNotFound = 0xC06D007F;

double ToGB(std::uint64_t Bytes) { return static_cast<double>(Bytes) / BytesPerGB; }

// The volume's file system, label and serial number; left empty when the volume cannot be asked.
void DescribeVolume(const std::u16string& Root, TDiskSpace& Disk) {
  constexpr std::uint32_t TextSize = 261;  // MAX_PATH + 1, what the call documents as enough
  std::array<char16_t, TextSize> Label{};
  std::array<char16_t, TextSize> FileSystem{};
  std::uint32_t Serial = 0;
  if (platform::GetVolumeInformationW(Root.c_str(), Label.data(), TextSize, &Serial, nullptr,
                                      nullptr, FileSystem.data(), TextSize) == 0) {
    return;
  }
  const auto Text = [](const std::array<char16_t, TextSize>& Buffer) {
    const std::u16string_view All(Buffer.data(), Buffer.size());
    return std::u16string{All.substr(0, All.find(u'\0'))};
  };
  Disk.FileSystem = Text(FileSystem);
  Disk.Label = Text(Label);
  Disk.Serial = IntToHex(Serial, 8);
}

// A drive that subst made of a folder: the system calls it fixed, as the disk the folder is on,
// whose volume it would list a second time. Its device is the folder, "\??\C:\...", where a
// disk's is a volume. Only a drive that says so is left out: one that cannot be asked is kept.
bool IsFolderDrive(char16_t DriveLetter) {
  constexpr std::uint32_t LongestTarget = 65536;  // a folder path of the longest kind fits
  const std::array<char16_t, 3> Device{DriveLetter, u':', u'\0'};
  std::vector<char16_t> Target;
  for (std::uint32_t Size = 512; Size <= LongestTarget; Size *= 2) {
    Target.assign(Size, u'\0');
    if (platform::QueryDosDeviceW(Device.data(), Target.data(), Size) != 0) {
      return std::u16string_view(Target.data(), Size).starts_with(u"\\??\\");
    }
    if (platform::GetLastError() != platform::ErrorInsufficientBuffer) return false;
  }
  return false;
}

}  // namespace

double GetTotalRAM(std::uint64_t* TotalBytes) {
  platform::TMemoryStatusEx MemStatus{};
  MemStatus.DwLength = sizeof(MemStatus);
  if (platform::GlobalMemoryStatusEx(&MemStatus) == 0) return 0.0;
  if (TotalBytes != nullptr) *TotalBytes = MemStatus.UllTotalPhys;
  return ToGB(MemStatus.UllTotalPhys);
}

std::u16string FormatRAM(double Gigabytes) {
  return Format(u"%.2f GB", {static_cast<long double>(Gigabytes)});
}

std::u16string GetDisksInfo(std::vector<TDiskSpace>* Disks) {
  TStringList List;
  for (char16_t DriveLetter = u'C'; DriveLetter <= u'Z'; ++DriveLetter) {
    const std::u16string DrivePath = std::u16string(1, DriveLetter) + u":\\";
    if (platform::GetDriveTypeW(DrivePath.c_str()) != platform::DriveFixed) continue;
    if (IsFolderDrive(DriveLetter)) continue;
    std::uint64_t FreeBytes = 0;
    std::uint64_t TotalBytes = 0;
    std::uint64_t TotalFreeBytes = 0;
    if (platform::GetDiskFreeSpaceExW(DrivePath.c_str(), &FreeBytes, &TotalBytes,
                                      &TotalFreeBytes) == 0) {
      continue;
    }
    List.Add(Format(u"%s: Total: %.2f GB | Livre: %.2f GB",
                    {DriveLetter, ToGB(TotalBytes), ToGB(TotalFreeBytes)}));
    if (Disks != nullptr) {
      Disks->push_back({DriveLetter, TotalBytes, TotalFreeBytes, {}, {}, {}});
      DescribeVolume(DrivePath, Disks->back());
    }
  }
  std::u16string Result;
  for (const std::u16string& Entry : List) {
    if (!Result.empty()) Result += u" | ";
    Result += Entry;
  }
  return Result.empty() ? u"Nenhum disco encontrado." : Result;
}

std::u16string GetUptime(std::uint64_t* Milliseconds) {
  std::uint64_t Ticks = 0;
  if (platform::GetTickCount64(&Ticks) == 0) {
    throw EExternalException(
        Format(u"External exception %x", {std::int64_t{DelayLoadProcNotFound}}));
  }
  if (Milliseconds != nullptr) *Milliseconds = Ticks;
  const auto Seconds = static_cast<std::int64_t>(Ticks / 1000);
  const std::int64_t Minutes = Seconds / 60;
  std::int64_t Hours = Minutes / 60;
  const std::int64_t Days = Hours / 24;
  Hours %= 24;
  return Format(u"%d dias, %d horas", {Days, Hours});
}

platform::TSystemTime GetLocalDateTime() {
  platform::TSystemTime Now{};
  platform::GetLocalTime(&Now);
  return Now;
}

char16_t GetSystemDriveLetter() {
  std::array<char16_t, 261> Buffer{};
  const std::uint32_t Length = platform::GetSystemWindowsDirectoryW(Buffer.data(), Buffer.size());
  // Only a path that fits and starts with a drive letter names a drive.
  if (Length < 2 || Length >= Buffer.size() || Buffer[1] != u':') return 0;
  const char16_t Letter = Buffer[0] >= u'a' && Buffer[0] <= u'z'
                              ? static_cast<char16_t>(Buffer[0] - u'a' + u'A')
                              : Buffer[0];
  return Letter >= u'A' && Letter <= u'Z' ? Letter : u'\0';
}
