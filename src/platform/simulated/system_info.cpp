// Simulated memory, drives, ticks, the clock and the system's architecture.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;

namespace {

constexpr std::uint32_t DriveNoRootDir = 1;
constexpr std::uint32_t ErrorNotReady = 21;
constexpr std::uint32_t ErrorBadLength = 24;

// The drive a root path such as "D:\" names, if the machine has it.
const simulated::TDrive* DriveOf(const char16_t* Root) {
  if (Root == nullptr) return nullptr;
  const std::u16string Path = simulated::ToUpperAscii(Root);
  if (Path.size() != 3 || Path[1] != u':' || Path[2] != u'\\') return nullptr;
  const auto& Drives = Machine().Drives;
  const auto Found = Drives.find(Path[0]);
  return Found == Drives.end() ? nullptr : &Found->second;
}

const simulated::TVolume DefaultVolume{};

}  // namespace

Bool GetVolumeInformationW(const char16_t* RootPathName, char16_t* VolumeNameBuffer,
                           std::uint32_t VolumeNameSize, std::uint32_t* VolumeSerialNumber,
                           std::uint32_t* MaximumComponentLength, std::uint32_t* FileSystemFlags,
                           char16_t* FileSystemNameBuffer, std::uint32_t FileSystemNameSize) {
  auto& M = Machine();
  if (M.Failing("GetVolumeInformationW")) return 0;
  if (DriveOf(RootPathName) == nullptr) return M.LastError = ErrorPathNotFound, 0;
  const auto Found = M.Volumes.find(simulated::ToUpperAscii(RootPathName)[0]);
  const simulated::TVolume* Drive = Found != M.Volumes.end() ? &Found->second : &DefaultVolume;
  if (Drive->Error != 0) return M.LastError = Drive->Error, 0;
  // A text that does not fit with its NUL fails the whole call, as the system's does.
  const auto Fits = [](const std::u16string& Text, const char16_t* Buffer, std::uint32_t Size) {
    return Buffer == nullptr || Text.size() < Size;
  };
  if (!Fits(Drive->Label, VolumeNameBuffer, VolumeNameSize) ||
      !Fits(Drive->FileSystem, FileSystemNameBuffer, FileSystemNameSize)) {
    return M.LastError = ErrorBadLength, 0;
  }
  if (VolumeNameBuffer != nullptr) {
    std::copy(Drive->Label.begin(), Drive->Label.end(), VolumeNameBuffer);
    VolumeNameBuffer[Drive->Label.size()] = u'\0';
  }
  if (FileSystemNameBuffer != nullptr) {
    std::copy(Drive->FileSystem.begin(), Drive->FileSystem.end(), FileSystemNameBuffer);
    FileSystemNameBuffer[Drive->FileSystem.size()] = u'\0';
  }
  if (VolumeSerialNumber != nullptr) *VolumeSerialNumber = Drive->Serial;
  if (MaximumComponentLength != nullptr) *MaximumComponentLength = 255;
  if (FileSystemFlags != nullptr) *FileSystemFlags = 0;
  return 1;
}

Bool GetLogicalProcessorInformation(std::uint8_t* Buffer, std::uint32_t* ReturnedLength) {
  namespace record = processor_record;
  auto& M = Machine();
  if (M.Failing("GetLogicalProcessorInformation")) return 0;
  if (ReturnedLength == nullptr) return M.LastError = ErrorInvalidParameter, 0;
  const simulated::TProcessorLayout& L = M.Processors;
  const std::size_t Records = std::size_t{L.Packages} * (L.CoresPerPackage + 1);
  const auto Needed = static_cast<std::uint32_t>(Records * record::RecordSize);
  if (Buffer == nullptr || *ReturnedLength < Needed) {
    *ReturnedLength = Needed;
    return M.LastError = ErrorInsufficientBuffer, 0;
  }
  std::fill_n(Buffer, Needed, std::uint8_t{0});
  std::uint8_t* Record = Buffer;
  std::uint64_t Next = 0;  // the first logical processor of the next core
  const auto Put = [&](std::uint32_t Relationship, std::uint64_t Mask) {
    std::memcpy(Record + record::ProcessorMask, &Mask, record::ProcessorMaskSize);
    std::memcpy(Record + record::Relationship, &Relationship, sizeof Relationship);
    Record += record::RecordSize;
  };
  // A mask has room for 64 processors; the rest of a larger machine is not shown in it.
  const auto Bits = [](std::uint64_t Count, std::uint64_t First) {
    if (First >= 64) return std::uint64_t{0};
    const std::uint64_t Ones = Count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << Count) - 1;
    return Ones << First;
  };
  for (std::uint32_t P = 0; P < L.Packages; ++P) {
    const std::uint64_t PackageFirst = Next;
    for (std::uint32_t C = 0; C < L.CoresPerPackage; ++C) {
      Put(record::RelationProcessorCore, Bits(L.ThreadsPerCore, Next));
      Next += L.ThreadsPerCore;
    }
    Put(record::RelationProcessorPackage, Bits(Next - PackageFirst, PackageFirst));
  }
  *ReturnedLength = Needed;
  return 1;
}

Bool GlobalMemoryStatusEx(TMemoryStatusEx* Buffer) {
  auto& M = Machine();
  if (M.Failing("GlobalMemoryStatusEx")) return 0;
  if (Buffer == nullptr || Buffer->DwLength != sizeof(TMemoryStatusEx)) {
    return M.LastError = ErrorInvalidParameter, 0;
  }
  Buffer->UllTotalPhys = M.TotalPhys;
  Buffer->UllAvailPhys = M.TotalPhys / 2;
  return 1;
}

std::uint32_t GetDriveTypeW(const char16_t* RootPathName) {
  if (Machine().Failing("GetDriveTypeW")) return 0;
  const simulated::TDrive* Drive = DriveOf(RootPathName);
  return Drive != nullptr ? Drive->Type : DriveNoRootDir;
}

std::uint32_t QueryDosDeviceW(const char16_t* DeviceName, char16_t* TargetPath, std::uint32_t Max) {
  auto& M = Machine();
  if (M.Failing("QueryDosDeviceW")) return 0;
  if (DeviceName == nullptr || TargetPath == nullptr) return M.LastError = ErrorInvalidParameter, 0;
  const std::u16string Name = simulated::ToUpperAscii(DeviceName);
  const auto Found = Name.size() == 2 && Name[1] == u':' ? M.Drives.find(Name[0]) : M.Drives.end();
  if (Found == M.Drives.end()) return M.LastError = ErrorFileNotFound, 0;
  const auto Number = static_cast<std::size_t>(std::distance(M.Drives.begin(), Found)) + 1;
  std::u16string Target = Found->second.DosTarget;
  if (Target.empty()) {
    Target = u"\\Device\\HarddiskVolume";
    for (const char Digit : std::to_string(Number)) Target += static_cast<char16_t>(Digit);
  }
  Target.append(2, u'\0');  // the list's one entry, and the NUL that ends the list
  if (Target.size() > Max) return M.LastError = ErrorInsufficientBuffer, 0;
  std::copy(Target.begin(), Target.end(), TargetPath);
  return static_cast<std::uint32_t>(Target.size());
}

Bool GetDiskFreeSpaceExW(const char16_t* DirectoryName, std::uint64_t* FreeBytesAvailableToCaller,
                         std::uint64_t* TotalNumberOfBytes, std::uint64_t* TotalNumberOfFreeBytes) {
  auto& M = Machine();
  if (M.Failing("GetDiskFreeSpaceExW")) return 0;
  const simulated::TDrive* Drive = DriveOf(DirectoryName);
  if (Drive == nullptr) return M.LastError = ErrorPathNotFound, 0;
  if (Drive->SpaceError != 0) return M.LastError = Drive->SpaceError, 0;
  if (Drive->NoMedia) {
    if ((M.ErrorMode & SemFailCriticalErrors) == 0) ++M.CriticalErrorBoxes;
    return M.LastError = ErrorNotReady, 0;
  }
  if (FreeBytesAvailableToCaller != nullptr)
    *FreeBytesAvailableToCaller = Drive->FreeBytesAvailable;
  if (TotalNumberOfBytes != nullptr) *TotalNumberOfBytes = Drive->TotalBytes;
  if (TotalNumberOfFreeBytes != nullptr) *TotalNumberOfFreeBytes = Drive->TotalFreeBytes;
  return 1;
}

void GetLocalTime(TSystemTime* SystemTime) {
  auto& M = Machine();
  static_cast<void>(M.Failing("GetLocalTime"));  // counted only: the call cannot fail
  *SystemTime = M.LocalTime;
}

std::uint32_t GetSystemWindowsDirectoryW(char16_t* Buffer, std::uint32_t Size) {
  auto& M = Machine();
  if (M.Failing("GetSystemWindowsDirectoryW")) return 0;
  const auto Length = static_cast<std::uint32_t>(M.WindowsDirectory.size());
  if (Length + 1 > Size) return Length + 1;
  std::copy(M.WindowsDirectory.begin(), M.WindowsDirectory.end(), Buffer);
  Buffer[Length] = u'\0';
  return Length;
}

Bool IsWow64Process2(Handle /*Process*/, std::uint16_t* ProcessMachine,
                     std::uint16_t* NativeMachine) {
  auto& M = Machine();
  if (M.Failing("IsWow64Process2") || !M.HasIsWow64Process2) return 0;
  *ProcessMachine = M.ProcessMachine;
  if (NativeMachine != nullptr) *NativeMachine = M.NativeMachine;
  return 1;
}

void GetNativeSystemInfo(TSystemInfo* SystemInfo) {
  auto& M = Machine();
  static_cast<void>(M.Failing("GetNativeSystemInfo"));  // counted only: the call cannot fail
  SystemInfo->ProcessorArchitecture = M.NativeProcessorArchitecture;
}

Bool SetDefaultDllDirectories(std::uint32_t DirectoryFlags) {
  auto& M = Machine();
  std::size_t Before = 0;
  for (const auto& [Call, Count] : M.CallCounts()) Before += static_cast<std::size_t>(Count);
  if (M.Failing("SetDefaultDllDirectories")) return 0;
  M.DefaultDllDirectories = DirectoryFlags;
  M.CallsBeforeDllDirectories = Before;
  return 1;
}

Bool GetTickCount64(std::uint64_t* Ticks) {
  auto& M = Machine();
  if (M.Failing("GetTickCount64") || !M.HasGetTickCount64) return 0;
  *Ticks = M.Ticks;
  return 1;
}

}  // namespace platform
