// The Win32 calls the program makes, under their Win32 names, with portable types.
//
// Code above this layer includes this header only, never <windows.h>. Two backends implement it:
// win32/ forwards each call to the real API, simulated/ serves it from an in-memory machine that
// tests set up. Result conventions (BOOL results, error codes through GetLastError, sizes in
// UTF-16 units) are exactly those of Win32, so callers read like the API documentation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using Bool = std::int32_t;
using Lcid = std::uint32_t;

// Opaque handles: integers wide enough for a pointer, distinct types so they cannot be mixed up.
enum class Handle : std::uintptr_t {};
enum class Hkey : std::uintptr_t {};

constexpr Handle NullHandle{0};
constexpr Handle InvalidHandleValue{~std::uintptr_t{0}};

constexpr std::uint32_t StdInputHandle = static_cast<std::uint32_t>(-10);
constexpr std::uint32_t StdOutputHandle = static_cast<std::uint32_t>(-11);
constexpr std::uint32_t StdErrorHandle = static_cast<std::uint32_t>(-12);

constexpr std::uint32_t FileTypeUnknown = 0;
constexpr std::uint32_t FileTypeDisk = 1;
constexpr std::uint32_t FileTypeChar = 2;
constexpr std::uint32_t FileTypePipe = 3;

constexpr std::uint32_t ErrorSuccess = 0;
constexpr std::uint32_t ErrorFileNotFound = 2;
constexpr std::uint32_t ErrorPathNotFound = 3;
constexpr std::uint32_t ErrorAccessDenied = 5;
constexpr std::uint32_t ErrorInvalidHandle = 6;
constexpr std::uint32_t ErrorNotEnoughMemory = 8;
constexpr std::uint32_t ErrorSharingViolation = 32;
constexpr std::uint32_t ErrorLockViolation = 33;
constexpr std::uint32_t ErrorFileExists = 80;
constexpr std::uint32_t ErrorInvalidParameter = 87;
constexpr std::uint32_t ErrorBrokenPipe = 109;
constexpr std::uint32_t ErrorDiskFull = 112;
constexpr std::uint32_t ErrorInsufficientBuffer = 122;
constexpr std::uint32_t ErrorInvalidName = 123;
constexpr std::uint32_t ErrorAlreadyExists = 183;
constexpr std::uint32_t ErrorEnvvarNotFound = 203;
constexpr std::uint32_t ErrorMoreData = 234;
constexpr std::uint32_t ErrorModNotFound = 126;
constexpr std::uint32_t ErrorProcNotFound = 127;
constexpr std::uint32_t ErrorNoUnicodeTranslation = 1113;
constexpr std::uint32_t ErrorInvalidFlags = 1004;

constexpr std::uint32_t GenericRead = 0x80000000;
constexpr std::uint32_t GenericWrite = 0x40000000;
constexpr std::uint32_t FileShareRead = 0x1;
constexpr std::uint32_t FileShareWrite = 0x2;
constexpr std::uint32_t CreateNew = 1;
constexpr std::uint32_t CreateAlways = 2;
constexpr std::uint32_t OpenExisting = 3;
constexpr std::uint32_t FileAttributeNormal = 0x80;

constexpr std::uint32_t CpUtf8 = 65001;

constexpr Lcid LocaleUserDefault = 0x0400;
constexpr std::uint32_t NormIgnoreCase = 0x1;
constexpr int CstrLessThan = 1;
constexpr int CstrEqual = 2;
constexpr int CstrGreaterThan = 3;
constexpr std::uint32_t LcmapSortKey = 0x400;

constexpr std::uint32_t FormatMessageAllocateBuffer = 0x100;
constexpr std::uint32_t FormatMessageIgnoreInserts = 0x200;
constexpr std::uint32_t FormatMessageFromSystem = 0x1000;
constexpr std::uint32_t FormatMessageArgumentArray = 0x2000;

// The memory-status record: only DwLength and UllTotalPhys matter to the program.
struct TMemoryStatusEx {
  std::uint32_t DwLength;
  std::uint32_t DwMemoryLoad;
  std::uint64_t UllTotalPhys;
  std::uint64_t UllAvailPhys;
  std::uint64_t UllTotalPageFile;
  std::uint64_t UllAvailPageFile;
  std::uint64_t UllTotalVirtual;
  std::uint64_t UllAvailVirtual;
  std::uint64_t UllAvailExtendedVirtual;
};
static_assert(sizeof(TMemoryStatusEx) == 64, "the record the system fills is 64 bytes");

constexpr std::uint32_t DriveFixed = 3;

constexpr Hkey HkeyCurrentUser{0x80000001};
constexpr Hkey HkeyLocalMachine{0x80000002};
constexpr std::uint32_t KeyQueryValue = 0x1;
constexpr std::uint32_t KeyEnumerateSubKeys = 0x8;
constexpr std::uint32_t KeyRead = 0x20019;
constexpr std::uint32_t KeyWow6464Key = 0x100;
constexpr std::uint32_t KeyWow6432Key = 0x200;
constexpr std::uint32_t KeyWow64Res = 0x300;

constexpr std::uint32_t RegNone = 0;
constexpr std::uint32_t RegSz = 1;
constexpr std::uint32_t RegExpandSz = 2;
constexpr std::uint32_t RegBinary = 3;
constexpr std::uint32_t RegDword = 4;
constexpr std::uint32_t RegDwordBigEndian = 5;
constexpr std::uint32_t RegLink = 6;
constexpr std::uint32_t RegMultiSz = 7;
constexpr std::uint32_t RegQword = 11;

constexpr std::int32_t ErrorNoMoreItems = 259;
constexpr std::uint32_t ErrorBufferOverflow = 111;

// Where DLLs loaded without a full path are looked for, for the rest of the run:
// LoadLibrarySearchSystem32 keeps to the system folder. Looked up when called, because Windows 7
// has the call only with an update: 0 with ErrorProcNotFound where the system lacks it. The DLLs
// the program binds on first use (iphlpapi, winspool) are loaded from the system folder by full
// path in any case; a call whose function cannot be bound fails as the call itself fails, with
// the loader's error code (ErrorModNotFound, ErrorProcNotFound...).
constexpr std::uint32_t LoadLibrarySearchSystem32 = 0x800;
Bool SetDefaultDllDirectories(std::uint32_t DirectoryFlags);

// Console and standard streams.
Handle GetStdHandle(std::uint32_t StdHandle);
std::uint32_t GetFileType(Handle File);
std::uint32_t GetConsoleOutputCP();
[[noreturn]] void ExitProcess(std::uint32_t ExitCode);

// Code pages and text conversion.
std::uint32_t GetACP();
std::uint32_t GetOEMCP();
int WideCharToMultiByte(std::uint32_t CodePage, std::uint32_t Flags, const char16_t* WideCharStr,
                        int WideCharCount, char* MultiByteStr, int MultiByteCount,
                        const char* DefaultChar, Bool* UsedDefaultChar);
int MultiByteToWideChar(std::uint32_t CodePage, std::uint32_t Flags, const char* MultiByteStr,
                        int MultiByteCount, char16_t* WideCharStr, int WideCharCount);
Lcid GetThreadLocale();
Bool IsValidLocale(Lcid Locale, std::uint32_t Flags);
int GetLocaleInfoW(Lcid Locale, std::uint32_t LCType, char16_t* Data, int DataCount);
int CompareStringW(Lcid Locale, std::uint32_t CmpFlags, const char16_t* String1, int Count1,
                   const char16_t* String2, int Count2);
// Compares the code units themselves, as the file system compares names; with IgnoreCase set,
// after upper-casing each one by the system's fixed table. Answers CstrLessThan, CstrEqual or
// CstrGreaterThan; 0 on failure. Counts of -1 mean NUL-terminated.
int CompareStringOrdinal(const char16_t* String1, int Count1, const char16_t* String2, int Count2,
                         Bool IgnoreCase);
// Only sort keys (LcmapSortKey, optionally with NormIgnoreCase) are asked for, so the result is
// bytes: KeySize of them at most, or with KeySize 0 the size the key needs.
int LCMapStringW(Lcid Locale, std::uint32_t MapFlags, const char16_t* Source, int SourceCount,
                 std::uint8_t* Key, int KeySize);

// Files.
Handle CreateFileW(const char16_t* FileName, std::uint32_t DesiredAccess, std::uint32_t ShareMode,
                   void* SecurityAttributes, std::uint32_t CreationDisposition,
                   std::uint32_t FlagsAndAttributes, Handle TemplateFile);
Bool WriteFile(Handle File, const void* Buffer, std::uint32_t BytesToWrite,
               std::uint32_t* BytesWritten, void* Overlapped);
Bool ReadFile(Handle File, void* Buffer, std::uint32_t BytesToRead, std::uint32_t* BytesRead,
              void* Overlapped);
Bool CloseHandle(Handle Object);
std::uint32_t GetFullPathNameW(const char16_t* FileName, std::uint32_t BufferLength,
                               char16_t* Buffer, char16_t** FilePart);

// Hands everything written through File to the disk (or the server); a write the cache took but
// the disk cannot hold, a full quota or a dropped network link, fails here if not before.
Bool FlushFileBuffers(Handle File);

// Removes a file; used only to take back a file whose writing failed.
Bool DeleteFileW(const char16_t* FileName);

// Renames a closed file. With MovefileReplaceExisting an existing file of the new name is
// replaced in one step; MovefileWriteThrough returns only once the rename is on the disk.
constexpr std::uint32_t MovefileReplaceExisting = 0x1;
constexpr std::uint32_t MovefileWriteThrough = 0x8;
Bool MoveFileExW(const char16_t* ExistingFileName, const char16_t* NewFileName,
                 std::uint32_t Flags);

// Waits Milliseconds: between attempts at a busy file, and between attempts to reach a server.
void Sleep(std::uint32_t Milliseconds);

// Process environment.
std::uint32_t GetCurrentProcessId();
// The command line the process was started with, as one text; the process owns it.
const char16_t* GetCommandLineW();
std::uint32_t GetEnvironmentVariableW(const char16_t* Name, char16_t* Buffer, std::uint32_t Size);
std::uint32_t GetModuleFileNameW(Handle Module, char16_t* FileName, std::uint32_t Size);
// Replaces each %NAME% in Source with that variable's value; a name the environment lacks stays
// as written. Answers the UTF-16 units stored, NUL included, or, when Size is too small, the
// units needed; 0 on failure.
std::uint32_t ExpandEnvironmentStringsW(const char16_t* Source, char16_t* Destination,
                                        std::uint32_t Size);

// The process error mode: with SemFailCriticalErrors set, a critical error (such as a drive slot
// without media) fails the call instead of showing a box that waits for the user.
constexpr std::uint32_t SemFailCriticalErrors = 0x0001;
std::uint32_t GetErrorMode();
std::uint32_t SetErrorMode(std::uint32_t Mode);  // answers the previous mode

// Capacity: memory, drives and the time since start-up.
Bool GlobalMemoryStatusEx(TMemoryStatusEx* Buffer);
std::uint32_t GetDriveTypeW(const char16_t* RootPathName);
// What a device name such as "D:" (no trailing backslash) stands for: TargetPath receives its
// current mapping, then any earlier ones still defined, each ending in a NUL, with one more NUL
// after the last. Answers the units stored; 0 on failure, ErrorInsufficientBuffer when they do
// not fit in Max units. A drive made of a folder maps to that folder: "\??\C:\...".
std::uint32_t QueryDosDeviceW(const char16_t* DeviceName, char16_t* TargetPath, std::uint32_t Max);
Bool GetDiskFreeSpaceExW(const char16_t* DirectoryName, std::uint64_t* FreeBytesAvailableToCaller,
                         std::uint64_t* TotalNumberOfBytes, std::uint64_t* TotalNumberOfFreeBytes);
// GetTickCount64 is looked up when first asked for, not at start-up, because older Windows
// lacks it: 0 when the system has no such call, else nonzero with the milliseconds in Ticks.
Bool GetTickCount64(std::uint64_t* Ticks);

// What a volume says about itself: its label, serial number and file system name (the texts in
// buffers of the given sizes in UTF-16 units, NUL included). Any pointer may be null.
Bool GetVolumeInformationW(const char16_t* RootPathName, char16_t* VolumeNameBuffer,
                           std::uint32_t VolumeNameSize, std::uint32_t* VolumeSerialNumber,
                           std::uint32_t* MaximumComponentLength, std::uint32_t* FileSystemFlags,
                           char16_t* FileSystemNameBuffer, std::uint32_t FileSystemNameSize);

// How logical processors share cores and packages: GetLogicalProcessorInformation fills Buffer
// with records of RecordSize bytes in the system's layout (a pointer-wide processor mask first);
// with a buffer too small it fails with ErrorInsufficientBuffer and sets ReturnedLength to the
// bytes needed. Relationship values: 0 a core, 3 a package.
namespace processor_record {
constexpr bool WidePointers = sizeof(void*) == 8;
constexpr std::size_t ProcessorMask = 0;  // pointer-wide: one bit per logical processor
constexpr std::size_t ProcessorMaskSize = sizeof(void*);
constexpr std::size_t Relationship = WidePointers ? 8 : 4;  // unsigned 32-bit
constexpr std::size_t RecordSize = WidePointers ? 32 : 24;
constexpr std::uint32_t RelationProcessorCore = 0;
constexpr std::uint32_t RelationProcessorPackage = 3;
}  // namespace processor_record
Bool GetLogicalProcessorInformation(std::uint8_t* Buffer, std::uint32_t* ReturnedLength);

// The adapter table: GetAdaptersInfo fills a block with records of RecordSize bytes in the
// system's layout, which follows the width of a pointer (the record starts with one, and holds
// more); the program reads the fields below at these offsets and walks the chain with
// NextAdapter, which knows how the records are linked.
namespace adapter_record {
constexpr bool WidePointers = sizeof(void*) == 8;
constexpr std::size_t Description = WidePointers ? 272 : 268;  // 132 bytes of ANSI text
constexpr std::size_t DescriptionSize = 132;
constexpr std::size_t AddressLength = WidePointers ? 404 : 400;  // unsigned 32-bit
constexpr std::size_t Address = WidePointers ? 408 : 404;        // 8 bytes
constexpr std::size_t AddressSize = 8;
constexpr std::size_t DhcpEnabled = WidePointers ? 424 : 420;  // unsigned 32-bit
constexpr std::size_t IpAddress = WidePointers ? 448 : 432;  // 16 bytes of NUL-terminated ANSI text
constexpr std::size_t GatewayAddress = WidePointers ? 496 : 472;
constexpr std::size_t AddressTextSize = 16;
constexpr std::size_t RecordSize = WidePointers ? 704 : 640;
// Read only for the GLPI inventory. The masks sit 16 bytes after their address texts.
constexpr std::size_t Index = WidePointers ? 416 : 412;  // unsigned 32-bit
constexpr std::size_t Type = WidePointers ? 420 : 416;   // unsigned 32-bit, MIB_IF_TYPE_*
constexpr std::size_t IpMask = IpAddress + AddressTextSize;
constexpr std::size_t DhcpServer = WidePointers ? 544 : 512;  // its first address text
// The adapter's GUID text, "{...}", as the network class's driver keys name it.
constexpr std::size_t AdapterName = WidePointers ? 12 : 8;  // 260 bytes of ANSI text
constexpr std::size_t AdapterNameSize = 260;
// The address list's first entry, an IP_ADDR_STRING: a link to the next entry, then the address
// and mask texts. NextAddress walks the list.
constexpr std::size_t IpAddressList = WidePointers ? 440 : 428;
constexpr std::size_t EntryAddress = WidePointers ? 8 : 4;  // within an entry
constexpr std::size_t EntryMask = EntryAddress + AddressTextSize;
constexpr std::uint32_t TypeEthernet = 6;
constexpr std::uint32_t TypeLoopback = 24;
constexpr std::uint32_t TypeWireless = 71;
}  // namespace adapter_record

std::uint32_t GetAdaptersInfo(std::uint8_t* AdapterInfo, std::uint32_t* SizePointer);
// The record after Record in a block GetAdaptersInfo filled; nullptr after the last one.
const std::uint8_t* NextAdapter(const std::uint8_t* Record);
// The address-list entry after Entry (one at IpAddressList, or one this gave); nullptr after the
// last one.
const std::uint8_t* NextAddress(const std::uint8_t* Entry);

// The link of one interface (iphlpapi, looked up when first asked for: Windows Vista and later).
// GetIfEntry2 fills a row of RowSize bytes in the system's layout, the same for both pointer
// widths; the caller sets InterfaceIndex and leaves InterfaceLuid zero, so the index picks the
// interface. The answer is a Win32 result code.
namespace if_row {
constexpr std::size_t InterfaceLuid = 0;         // unsigned 64-bit
constexpr std::size_t InterfaceIndex = 8;        // unsigned 32-bit
constexpr std::size_t OperStatus = 1156;         // unsigned 32-bit, IF_OPER_STATUS
constexpr std::size_t MediaConnectState = 1164;  // unsigned 32-bit
constexpr std::size_t TransmitLinkSpeed = 1192;  // unsigned 64-bit, bits per second
constexpr std::size_t ReceiveLinkSpeed = 1200;   // unsigned 64-bit, bits per second
constexpr std::size_t RowSize = 1352;
constexpr std::uint32_t OperStatusUp = 1;
constexpr std::uint32_t MediaConnectStateConnected = 1;
constexpr std::uint32_t MediaConnectStateDisconnected = 2;
}  // namespace if_row
std::uint32_t GetIfEntry2(std::uint8_t* Row);

// A GUID in the system's own layout: device classes, COM classes and interfaces.
struct TGuid {
  std::uint32_t Data1;
  std::uint16_t Data2;
  std::uint16_t Data3;
  std::uint8_t Data4[8];  // NOLINT(cppcoreguidelines-avoid-c-arrays): the system's own layout
};
static_assert(sizeof(TGuid) == 16);

// The devices of a setup class (setupapi, bound on first use from the system folder). A device
// information set is a handle of its own kind, released with SetupDiDestroyDeviceInfoList; each
// device in it is named by a TSpDevinfoData record whose CbSize the caller sets. The calls answer
// as Win32 does: a false Bool with the reason through GetLastError (ErrorNoMoreItems after the
// last device, ErrorInsufficientBuffer with the size needed in RequiredSize), or an invalid
// handle for the set and for a device's registry key.
struct TSpDevinfoData {
  std::uint32_t CbSize;
  TGuid ClassGuid;
  std::uint32_t DevInst;
  std::uintptr_t Reserved;
};
enum class Hdevinfo : std::uintptr_t {};
constexpr Hdevinfo InvalidDevinfo{~std::uintptr_t{0}};
constexpr Hkey InvalidKey{~std::uintptr_t{0}};
constexpr TGuid DisplayClass{
    0x4d36e968, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr TGuid MonitorClass{
    0x4d36e96e, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr std::uint32_t DigcfPresent = 0x2;
constexpr std::uint32_t SpdrpDeviceDesc = 0x0;
constexpr std::uint32_t DicsFlagGlobal = 0x1;
constexpr std::uint32_t DiregDev = 0x1;  // the device's hardware key
constexpr std::uint32_t DiregDrv = 0x2;  // its driver's software key
Hdevinfo SetupDiGetClassDevsW(const TGuid* ClassGuid, const char16_t* Enumerator, Handle Parent,
                              std::uint32_t Flags);
Bool SetupDiEnumDeviceInfo(Hdevinfo DeviceInfoSet, std::uint32_t MemberIndex,
                           TSpDevinfoData* DeviceInfoData);
Bool SetupDiGetDeviceInstanceIdW(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                                 char16_t* DeviceInstanceId, std::uint32_t DeviceInstanceIdSize,
                                 std::uint32_t* RequiredSize);
Bool SetupDiGetDeviceRegistryPropertyW(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                                       std::uint32_t Property, std::uint32_t* PropertyRegDataType,
                                       std::uint8_t* PropertyBuffer,
                                       std::uint32_t PropertyBufferSize,
                                       std::uint32_t* RequiredSize);
// The key is closed with RegCloseKey.
Hkey SetupDiOpenDevRegKey(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                          std::uint32_t Scope, std::uint32_t HwProfile, std::uint32_t KeyType,
                          std::uint32_t Desired);
Bool SetupDiDestroyDeviceInfoList(Hdevinfo DeviceInfoSet);

// The print spooler. Enumeration fills a buffer with fixed-size records followed by the texts
// they point at, as the system does; these are the records of the levels the program asks for.
struct TPrinterInfo4 {
  char16_t* PPrinterName;
  char16_t* PServerName;
  std::uint32_t Attributes;
};
struct TPrinterInfo5 {
  char16_t* PPrinterName;
  char16_t* PPortName;
  std::uint32_t Attributes;
  std::uint32_t DeviceNotSelectedTimeout;
  std::uint32_t TransmissionRetryTimeout;
};
constexpr std::uint32_t PrinterEnumDefault = 0x1;
constexpr std::uint32_t PrinterEnumLocal = 0x2;
constexpr std::uint32_t PrinterEnumConnections = 0x4;

Bool EnumPrintersW(std::uint32_t Flags, const char16_t* Name, std::uint32_t Level,
                   std::uint8_t* PrinterEnum, std::uint32_t BufferSize, std::uint32_t* Needed,
                   std::uint32_t* Returned);
Bool GetDefaultPrinterW(char16_t* Buffer, std::uint32_t* Size);

// The local time, to the second (the program uses no finer part).
struct TSystemTime {
  std::uint16_t Year;
  std::uint16_t Month;
  std::uint16_t DayOfWeek;
  std::uint16_t Day;
  std::uint16_t Hour;
  std::uint16_t Minute;
  std::uint16_t Second;
  std::uint16_t Milliseconds;
};
static_assert(sizeof(TSystemTime) == 16, "the record the system fills is 16 bytes");
void GetLocalTime(TSystemTime* SystemTime);

// The folder Windows is installed in, shared by all users (Buffer of Size units; the result is
// its length, or the size needed when it does not fit, or 0 on failure).
std::uint32_t GetSystemWindowsDirectoryW(char16_t* Buffer, std::uint32_t Size);

// What the Windows installation runs on. IsWow64Process2 exists only from Windows 10 1709 on and is
// looked up when first asked for: 0 when the system has no such call. GetNativeSystemInfo is
// older, but under x86 emulation on ARM64 it answers for the emulated processor.
constexpr Handle CurrentProcess{~std::uintptr_t{0}};  // the pseudo handle GetCurrentProcess gives
constexpr std::uint16_t ImageFileMachineUnknown = 0;
constexpr std::uint16_t ImageFileMachineI386 = 0x014C;
constexpr std::uint16_t ImageFileMachineArmNt = 0x01C4;
constexpr std::uint16_t ImageFileMachineIa64 = 0x0200;
constexpr std::uint16_t ImageFileMachineAmd64 = 0x8664;
constexpr std::uint16_t ImageFileMachineArm64 = 0xAA64;
Bool IsWow64Process2(Handle Process, std::uint16_t* ProcessMachine, std::uint16_t* NativeMachine);
constexpr std::uint16_t ProcessorArchitectureIntel = 0;
constexpr std::uint16_t ProcessorArchitectureArm = 5;
constexpr std::uint16_t ProcessorArchitectureIa64 = 6;
constexpr std::uint16_t ProcessorArchitectureAmd64 = 9;
constexpr std::uint16_t ProcessorArchitectureArm64 = 12;
// Of the system information record only the processor architecture matters to the program.
struct TSystemInfo {
  std::uint16_t ProcessorArchitecture;
};
void GetNativeSystemInfo(TSystemInfo* SystemInfo);

// The computer's NetBIOS name.
Bool GetComputerNameW(char16_t* Buffer, std::uint32_t* Size);

// What tells this PC apart from every other, read only for the GLPI inventory.
//
// The SMBIOS table (provider 'RSMB', table 0) as a RawSMBIOSData block: the call answers the bytes
// copied into Buffer, or, when BufferSize is too small, the size needed with nothing copied; 0 on
// failure.
constexpr std::uint32_t FirmwareTableProviderRsmb = 0x52534D42;
std::uint32_t GetSystemFirmwareTable(std::uint32_t ProviderSignature, std::uint32_t TableId,
                                     void* Buffer, std::uint32_t BufferSize);
// The memory the firmware says is installed, in KiB (more than the system can use).
Bool GetPhysicallyInstalledSystemMemory(std::uint64_t* TotalMemoryInKilobytes);
// The host name the PC calls itself by in DNS, case kept: Size is in UTF-16 units; on success it
// receives the length without the NUL, with ErrorMoreData the size needed with it.
constexpr std::uint32_t ComputerNameDnsHostname = 1;
Bool GetComputerNameExW(std::uint32_t NameType, char16_t* Buffer, std::uint32_t* Size);
// UTC to the local time of the time zone in force (TimeZone nullptr), daylight saving included.
Bool SystemTimeToTzSpecificLocalTime(const void* TimeZone, const TSystemTime* UniversalTime,
                                     TSystemTime* LocalTime);
// The domain or workgroup the PC belongs to (netapi32, bound on first use from the system folder).
// The answer is a Win32 result code; on success NameBuffer receives a block that the caller
// releases with NetApiBufferFree, and BufferType what the name is.
constexpr std::uint32_t NetSetupUnknownStatus = 0;
constexpr std::uint32_t NetSetupUnjoined = 1;
constexpr std::uint32_t NetSetupWorkgroupName = 2;
constexpr std::uint32_t NetSetupDomainName = 3;
std::uint32_t NetGetJoinInformation(const char16_t* Server, char16_t** NameBuffer,
                                    std::uint32_t* BufferType);
std::uint32_t NetApiBufferFree(void* Buffer);

// The registry, read-only. Each call answers a Win32 result code; 0 is success.
std::int32_t RegOpenKeyExW(Hkey Key, const char16_t* SubKey, std::uint32_t Options,
                           std::uint32_t Desired, Hkey* Result);
std::int32_t RegQueryValueExW(Hkey Key, const char16_t* ValueName, std::uint32_t* Reserved,
                              std::uint32_t* Type, std::uint8_t* Data, std::uint32_t* DataSize);
std::int32_t RegQueryInfoKeyW(Hkey Key, char16_t* Class, std::uint32_t* ClassLength,
                              std::uint32_t* Reserved, std::uint32_t* SubKeys,
                              std::uint32_t* MaxSubKeyLength, std::uint32_t* MaxClassLength,
                              std::uint32_t* Values, std::uint32_t* MaxValueNameLength,
                              std::uint32_t* MaxValueLength, std::uint32_t* SecurityDescriptor,
                              std::uint64_t* LastWriteTime);
std::int32_t RegEnumKeyExW(Hkey Key, std::uint32_t Index, char16_t* Name, std::uint32_t* NameLength,
                           std::uint32_t* Reserved, char16_t* Class, std::uint32_t* ClassLength,
                           std::uint64_t* LastWriteTime);
std::int32_t RegCloseKey(Hkey Key);

// Threads. The one worker the program starts runs a probe that calls into other processes, which
// can hang on a broken machine: the run waits for it with a deadline and never terminates it.
using ThreadStartRoutine = std::uint32_t (*)(void* Parameter);
constexpr std::uint32_t WaitObject0 = 0;
constexpr std::uint32_t WaitTimeout = 258;
constexpr std::uint32_t WaitFailed = 0xFFFFFFFF;
// A thread running StartAddress(Parameter); NullHandle on failure, with the error code set.
Handle CreateThread(void* ThreadAttributes, std::size_t StackSize, ThreadStartRoutine StartAddress,
                    void* Parameter, std::uint32_t CreationFlags, std::uint32_t* ThreadId);
std::uint32_t WaitForSingleObject(Handle Object, std::uint32_t Milliseconds);

// COM (ole32 and oleaut32, bound on first use from the system folder). Results are HRESULTs;
// interface pointers travel as opaque values, released with IUnknownRelease. Each interface
// method is a call of its own, named after the interface and the method.
using HResult = std::int32_t;
enum class ComObject : std::uintptr_t {};
constexpr ComObject NullComObject{0};
constexpr HResult SOk = 0;
constexpr HResult SFalse = 1;
constexpr HResult EFail = static_cast<HResult>(0x80004005);
constexpr HResult ENoInterface = static_cast<HResult>(0x80004002);
constexpr HResult RegdbEClassNotReg = static_cast<HResult>(0x80040154);
constexpr HResult RpcEChangedMode = static_cast<HResult>(0x80010106);
// A Win32 error code as an HRESULT, as HRESULT_FROM_WIN32 makes it.
constexpr HResult HResultFromWin32(std::uint32_t Error) {
  return static_cast<HResult>(
      Error == 0 || (Error & 0x80000000U) != 0 ? Error : (Error & 0xFFFFU) | 0x80070000U);
}
constexpr std::uint32_t CoinitMultithreaded = 0x0;
constexpr std::uint32_t ClsctxInprocServer = 0x1;
constexpr std::uint32_t ClsctxLocalServer = 0x4;
HResult CoInitializeEx(void* Reserved, std::uint32_t CoInit);
void CoUninitialize();
HResult CoCreateInstance(const TGuid& Clsid, ComObject Outer, std::uint32_t ClsContext,
                         const TGuid& Iid, ComObject* Object);
std::uint32_t IUnknownRelease(ComObject Object);
// A BSTR a method handed out; nullptr is allowed.
void SysFreeString(char16_t* String);

// Windows Security Center (wscapi, bound on first use from the system folder; Windows Vista and
// later clients). The health call answers SOk only where the Security Center service runs; the
// product list class exists from Windows 8 on.
constexpr std::uint32_t WscSecurityProviderAntivirus = 0x4;
HResult WscGetSecurityProviderHealth(std::uint32_t Providers, std::uint32_t* Health);
constexpr TGuid ClsidWscProductList{
    0x17072F7B, 0x9ABE, 0x4A74, {0xA2, 0x61, 0x1E, 0xB7, 0x6B, 0x55, 0x10, 0x7A}};
constexpr TGuid IidIWscProductList{
    0x722A338C, 0x6E8E, 0x4E72, {0xAC, 0x27, 0x14, 0x17, 0xFB, 0x0C, 0x81, 0xC2}};
constexpr TGuid IidIWscProduct{
    0x8C38232E, 0x3A45, 0x4A27, {0x92, 0xB0, 0x1A, 0x16, 0xA9, 0x75, 0xF6, 0x69}};
constexpr std::uint32_t WscSecurityProductStateOn = 0;
constexpr std::uint32_t WscSecurityProductStateOff = 1;
constexpr std::uint32_t WscSecurityProductStateSnoozed = 2;
constexpr std::uint32_t WscSecurityProductStateExpired = 3;
constexpr std::uint32_t WscSecurityProductOutOfDate = 0;
constexpr std::uint32_t WscSecurityProductUpToDate = 1;
HResult IWSCProductListInitialize(ComObject List, std::uint32_t Provider);
HResult IWSCProductListGetCount(ComObject List, std::int32_t* Count);
HResult IWSCProductListGetItem(ComObject List, std::uint32_t Index, ComObject* Product);
HResult IWscProductGetProductName(ComObject Product, char16_t** Name);  // a BSTR
HResult IWscProductGetProductState(ComObject Product, std::uint32_t* State);
HResult IWscProductGetSignatureStatus(ComObject Product, std::uint32_t* Status);

// WMI, for Windows 7's Security Center. The texts are passed as BSTRs by the forwarder.
constexpr TGuid ClsidWbemLocator{
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr TGuid IidIWbemLocator{
    0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr HResult WbemSFalse = 1;
constexpr HResult WbemSTimedOut = 0x40004;
constexpr HResult WbemEInvalidNamespace = static_cast<HResult>(0x8004100E);
constexpr std::int32_t WbemFlagReturnImmediately = 0x10;
constexpr std::int32_t WbemFlagForwardOnly = 0x20;
constexpr std::uint32_t RpcCAuthnWinnt = 10;
constexpr std::uint32_t RpcCAuthzNone = 0;
constexpr std::uint32_t RpcCAuthnLevelCall = 3;
constexpr std::uint32_t RpcCImpLevelImpersonate = 3;
constexpr std::uint32_t EoacNone = 0;
constexpr std::uint16_t VtEmpty = 0;
constexpr std::uint16_t VtNull = 1;
constexpr std::uint16_t VtBstr = 8;
// Of a VARIANT only a text matters here: BstrVal is set (for the caller to free) when Vt is
// VtBstr, else nullptr.
struct TVariant {
  std::uint16_t Vt = VtEmpty;
  char16_t* BstrVal = nullptr;
};
// Only a local namespace is asked for: no user, password, locale, authority or context.
HResult IWbemLocatorConnectServer(ComObject Locator, const char16_t* NetworkResource,
                                  ComObject* Services);
HResult CoSetProxyBlanket(ComObject Proxy, std::uint32_t AuthnSvc, std::uint32_t AuthzSvc,
                          const char16_t* ServerPrincipalName, std::uint32_t AuthnLevel,
                          std::uint32_t ImpLevel, void* AuthInfo, std::uint32_t Capabilities);
HResult IWbemServicesExecQuery(ComObject Services, const char16_t* QueryLanguage,
                               const char16_t* Query, std::int32_t Flags, ComObject* Enumerator);
// At most one object per call: Timeout in milliseconds, never infinite here.
HResult IEnumWbemClassObjectNext(ComObject Enumerator, std::int32_t Timeout, ComObject* Object,
                                 std::uint32_t* Returned);
HResult IWbemClassObjectGet(ComObject Object, const char16_t* Name, TVariant* Value);
// WinHTTP (winhttp.dll, bound on first use from the system folder), used synchronously. Each call
// answers as the real one does: a null handle or 0 on failure, the reason through GetLastError
// (the ErrorWinhttp* codes below, or the loader's code when winhttp.dll cannot be bound).
enum class Hinternet : std::uintptr_t {};
constexpr Hinternet NullHinternet{0};

constexpr std::uint32_t WinhttpAccessTypeDefaultProxy = 0;  // the settings of `netsh winhttp`
constexpr std::uint32_t WinhttpAccessTypeNoProxy = 1;
constexpr std::uint32_t WinhttpAccessTypeNamedProxy = 3;
// The proxy Windows is set for, as browsers use it; Windows 8.1 and later (older ones refuse it
// with ErrorInvalidParameter).
constexpr std::uint32_t WinhttpAccessTypeAutomaticProxy = 4;
constexpr std::uint16_t InternetDefaultPort = 0;  // 80 for http, 443 for https
constexpr std::uint32_t WinhttpFlagSecure = 0x00800000;

constexpr std::uint32_t WinhttpOptionProxy = 38;
// The wait for an answer's headers, in milliseconds. The receive timeout does not bound it
// everywhere: some WinHTTPs wait for ever for a server that took the request and never answers.
constexpr std::uint32_t WinhttpOptionReceiveResponseTimeout = 7;
constexpr std::uint32_t WinhttpOptionSecureProtocols = 84;
constexpr std::uint32_t WinhttpOptionRedirectPolicy = 88;
constexpr std::uint32_t WinhttpFlagSecureProtocolTls1 = 0x80;
constexpr std::uint32_t WinhttpFlagSecureProtocolTls11 = 0x200;
constexpr std::uint32_t WinhttpFlagSecureProtocolTls12 = 0x800;
constexpr std::uint32_t WinhttpOptionRedirectPolicyNever = 0;

constexpr std::uint32_t WinhttpQueryStatusCode = 19;
constexpr std::uint32_t WinhttpQueryLocation = 33;
constexpr std::uint32_t WinhttpQueryFlagNumber = 0x20000000;

constexpr std::uint32_t WinhttpAuthSchemeBasic = 0x1;
constexpr std::uint32_t WinhttpAuthTargetServer = 0;
constexpr std::uint32_t WinhttpAuthTargetProxy = 1;

constexpr std::uint32_t WinhttpAutoproxyAutoDetect = 0x1;
constexpr std::uint32_t WinhttpAutoproxyConfigUrl = 0x2;
constexpr std::uint32_t WinhttpAutoDetectTypeDhcp = 0x1;
constexpr std::uint32_t WinhttpAutoDetectTypeDnsA = 0x2;

// Told to the status callback, with a pointer to 32 bits of the flags below, when the secure
// channel cannot be set up: which checks of the server's certificate failed.
constexpr std::uint32_t WinhttpCallbackStatusSecureFailure = 0x00010000;
constexpr std::uint32_t WinhttpCallbackFlagSecureFailure = WinhttpCallbackStatusSecureFailure;
constexpr std::uint32_t WinhttpCallbackStatusFlagCertRevFailed = 0x1;
constexpr std::uint32_t WinhttpCallbackStatusFlagInvalidCert = 0x2;
constexpr std::uint32_t WinhttpCallbackStatusFlagCertRevoked = 0x4;
constexpr std::uint32_t WinhttpCallbackStatusFlagInvalidCa = 0x8;
constexpr std::uint32_t WinhttpCallbackStatusFlagCertCnInvalid = 0x10;
constexpr std::uint32_t WinhttpCallbackStatusFlagCertDateInvalid = 0x20;
constexpr std::uint32_t WinhttpCallbackStatusFlagSecurityChannelError = 0x80000000;

constexpr std::uint32_t ErrorWinhttpTimeout = 12002;
constexpr std::uint32_t ErrorWinhttpNameNotResolved = 12007;
constexpr std::uint32_t ErrorWinhttpCannotConnect = 12029;
constexpr std::uint32_t ErrorWinhttpConnectionError = 12030;
constexpr std::uint32_t ErrorWinhttpSecureCertDateInvalid = 12037;
constexpr std::uint32_t ErrorWinhttpSecureCertCnInvalid = 12038;
constexpr std::uint32_t ErrorWinhttpClientAuthCertNeeded = 12044;
constexpr std::uint32_t ErrorWinhttpSecureInvalidCa = 12045;
constexpr std::uint32_t ErrorWinhttpSecureCertRevFailed = 12057;
constexpr std::uint32_t ErrorWinhttpInvalidServerResponse = 12152;
constexpr std::uint32_t ErrorWinhttpSecureChannelError = 12157;
constexpr std::uint32_t ErrorWinhttpSecureInvalidCert = 12169;
constexpr std::uint32_t ErrorWinhttpSecureCertRevoked = 12170;
constexpr std::uint32_t ErrorWinhttpSecureFailure = 12175;
constexpr std::uint32_t ErrorWinhttpAutoProxyServiceError = 12178;
constexpr std::uint32_t ErrorWinhttpAutodetectionFailed = 12180;

// The records WinHTTP fills or reads, laid out as the system's (pointers at their own width).
struct TWinHttpProxyInfo {
  std::uint32_t AccessType;
  char16_t* Proxy;
  char16_t* ProxyBypass;
};
struct TWinHttpCurrentUserIeProxyConfig {
  Bool AutoDetect;
  char16_t* AutoConfigUrl;  // these three: blocks the caller releases with GlobalFree, or null
  char16_t* Proxy;
  char16_t* ProxyBypass;
};
struct TWinHttpAutoproxyOptions {
  std::uint32_t Flags;
  std::uint32_t AutoDetectFlags;
  const char16_t* AutoConfigUrl;
  void* Reserved;
  std::uint32_t ReservedWord;
  Bool AutoLogonIfChallenged;
};

// Called, on the thread that made the call, with the context given to WinHttpSendRequest.
using TWinHttpStatusCallback = void (*)(Hinternet Internet, std::uintptr_t Context,
                                        std::uint32_t InternetStatus, void* StatusInformation,
                                        std::uint32_t StatusInformationLength);

Hinternet WinHttpOpen(const char16_t* Agent, std::uint32_t AccessType, const char16_t* ProxyName,
                      const char16_t* ProxyBypass, std::uint32_t Flags);
Hinternet WinHttpConnect(Hinternet Session, const char16_t* ServerName, std::uint16_t ServerPort,
                         std::uint32_t Reserved);
Hinternet WinHttpOpenRequest(Hinternet Connect, const char16_t* Verb, const char16_t* ObjectName,
                             const char16_t* Version, const char16_t* Referrer,
                             const char16_t** AcceptTypes, std::uint32_t Flags);
// Milliseconds; 0 waits for ever, so the program never passes it.
Bool WinHttpSetTimeouts(Hinternet Internet, int ResolveTimeout, int ConnectTimeout, int SendTimeout,
                        int ReceiveTimeout);
Bool WinHttpSetOption(Hinternet Internet, std::uint32_t Option, void* Buffer,
                      std::uint32_t BufferLength);
TWinHttpStatusCallback WinHttpSetStatusCallback(Hinternet Internet, TWinHttpStatusCallback Callback,
                                                std::uint32_t NotificationFlags,
                                                std::uintptr_t Reserved);
// Connects if need be, then sends the headers (Length -1: NUL-terminated) and the body.
Bool WinHttpSendRequest(Hinternet Request, const char16_t* Headers, std::uint32_t HeadersLength,
                        const void* Optional, std::uint32_t OptionalLength,
                        std::uint32_t TotalLength, std::uintptr_t Context);
Bool WinHttpReceiveResponse(Hinternet Request, void* Reserved);
// A header of the answer: as text (BufferLength in bytes; ErrorInsufficientBuffer gives the bytes
// needed), or with WinhttpQueryFlagNumber as 32 bits. A header the answer lacks fails with
// ErrorWinhttpHeaderNotFound.
constexpr std::uint32_t ErrorWinhttpHeaderNotFound = 12150;
Bool WinHttpQueryHeaders(Hinternet Request, std::uint32_t InfoLevel, const char16_t* Name,
                         void* Buffer, std::uint32_t* BufferLength, std::uint32_t* Index);
Bool WinHttpQueryDataAvailable(Hinternet Request, std::uint32_t* NumberOfBytesAvailable);
Bool WinHttpReadData(Hinternet Request, void* Buffer, std::uint32_t NumberOfBytesToRead,
                     std::uint32_t* NumberOfBytesRead);
// After a 401 or 407: the schemes the server (Target) offers.
Bool WinHttpQueryAuthSchemes(Hinternet Request, std::uint32_t* SupportedSchemes,
                             std::uint32_t* FirstScheme, std::uint32_t* AuthTarget);
Bool WinHttpSetCredentials(Hinternet Request, std::uint32_t AuthTargets, std::uint32_t AuthScheme,
                           const char16_t* UserName, const char16_t* Password, void* Reserved);
Bool WinHttpCloseHandle(Hinternet Internet);
// The user's Internet Options proxy settings, for Windows before 8.1.
Bool WinHttpGetIEProxyConfigForCurrentUser(TWinHttpCurrentUserIeProxyConfig* ProxyConfig);
// Runs auto-detection or a PAC script for Url; ProxyInfo's texts are released with GlobalFree.
Bool WinHttpGetProxyForUrl(Hinternet Session, const char16_t* Url,
                           TWinHttpAutoproxyOptions* AutoProxyOptions,
                           TWinHttpProxyInfo* ProxyInfo);
// Releases a block WinHTTP allocated (kernel32, looked up when called: it adds no import).
void* GlobalFree(void* Memory);

// Errors and their system messages. With FormatMessageAllocateBuffer, Buffer receives the address
// of a block that the caller releases with LocalFree, as in Win32.
std::uint32_t GetLastError();
std::uint32_t FormatMessageW(std::uint32_t Flags, const void* Source, std::uint32_t MessageId,
                             std::uint32_t LanguageId, char16_t* Buffer, std::uint32_t Size,
                             void* Arguments);
void* LocalFree(void* Memory);

}  // namespace platform
