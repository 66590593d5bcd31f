// The simulated Windows machine behind the platform calls in native builds, and the interface
// tests use to set it up and to look at what the program did to it.
//
// It models what the program relies on and nothing more: standard streams, an in-memory file
// system with drive-letter paths, environment, executable path, code pages and the user locale.
// Any call can be made to fail with a chosen error code; writes can stop after a number of bytes.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/simulated/registry.h"

namespace platform::simulated {

// Writes succeed until Bytes more have gone through; the write that crosses the limit transfers
// what still fits and then fails with Error (or, with Error 0, reports a short write).
struct TWriteLimit {
  std::uint64_t Bytes = 0;
  std::uint32_t Error = ErrorDiskFull;
};

// A standard stream: a console, a file or a pipe, as GetFileType reports it.
struct TStream {
  bool Present = true;                    // false: GetStdHandle gives a null handle
  std::uint32_t FileType = FileTypeDisk;  // what GetFileType answers for it
  std::string Written;                    // every byte written, in order
  std::vector<std::size_t> Writes;        // the size of each WriteFile call
  std::vector<std::string> Input;         // what successive ReadFile calls deliver
  std::uint32_t EndError = 0;  // at the end of Input: 0 reads zero bytes, else ReadFile fails
  std::optional<TWriteLimit> Limit;
  std::size_t ReadCalls = 0;
  // Windows 7's console under code page 65001 answers WriteFile with the characters written,
  // fewer than the UTF-8 bytes it was given.
  bool CountsCharacters = false;
};

struct TFile {
  std::string Data;
  int OpenCount = 0;
  bool Exclusive = false;  // open with share mode 0
  // Another program holds this file for a moment (a scanner, a second run): this many more
  // attempts to replace it fail with a sharing violation.
  int BusyMoves = 0;
};

// Drive-letter file system. Paths are compared case-insensitively, as on Windows.
class TFileSystem {
 public:
  void MakeDirectory(std::u16string_view Path);  // with every missing parent
  void MakeReadOnly(std::u16string_view Directory);
  void PutFile(std::u16string_view Path, std::string Data);
  [[nodiscard]] bool DirectoryExists(std::u16string_view Path) const;
  [[nodiscard]] bool FileExists(std::u16string_view Path) const;
  [[nodiscard]] std::optional<std::string> FileData(std::u16string_view Path) const;
  [[nodiscard]] std::vector<std::u16string> FileNames() const;  // every file, full path

  std::optional<TWriteLimit> Limit;  // shared by all writes to files, as a full disk would be

  // Used by the calls themselves.
  [[nodiscard]] static std::u16string Key(std::u16string_view FullPath);
  std::map<std::u16string, TFile> Files;             // by Key
  std::map<std::u16string, std::u16string> Display;  // Key -> path as first created
  std::set<std::u16string> Directories;              // by Key
  std::set<std::u16string> ReadOnlyDirectories;      // by Key
};

struct TDrive {
  std::uint32_t Type = DriveFixed;
  std::uint64_t TotalBytes = 0;
  std::uint64_t TotalFreeBytes = 0;
  std::uint64_t FreeBytesAvailable = 0;  // what a quota leaves the user
  std::uint32_t SpaceError = 0;          // nonzero: the space query fails with it
  // A slot without media (a card reader): asking for its space is a critical error, which the
  // system shows in a box that waits for the user unless the process error mode says otherwise.
  bool NoMedia = false;
  // What QueryDosDeviceW answers for the drive; empty: its volume's device. A drive that subst
  // made of a folder maps to "\\??\\" and the folder's path.
  std::u16string DosTarget{};
};

// What GetVolumeInformationW answers for a drive; Error nonzero: it fails with that code.
struct TVolume {
  std::u16string Label;
  std::u16string FileSystem = u"NTFS";
  std::uint32_t Serial = 0;
  std::uint32_t Error = 0;
};

// How the processors are built, as GetLogicalProcessorInformation describes them.
struct TProcessorLayout {
  std::uint32_t Packages = 1;
  std::uint32_t CoresPerPackage = 4;
  std::uint32_t ThreadsPerCore = 2;
};

// One network adapter as the adapter table reports it. Texts are ANSI bytes; Description may
// fill its 132 bytes without a NUL; AddressLength may claim more than the 8 address bytes.
struct TAdapter {
  std::string Description;
  std::uint32_t AddressLength = 6;
  std::array<std::uint8_t, 8> Address{};
  std::uint32_t DhcpEnabled = 1;
  std::string IpAddress;
  std::string Gateway;
  std::uint32_t Type = 6;  // MIB_IF_TYPE_ETHERNET
  std::uint32_t Index = 0;
  std::string IpMask;
  std::string DhcpServer;
  // The address list's further entries, address and mask, after IpAddress and IpMask.
  std::vector<std::pair<std::string, std::string>> MoreAddresses;
  std::string AdapterName;  // "{GUID}"
  // The interface's row, as GetIfEntry2 gives it for Index; without HasRow the call fails with
  // ErrorFileNotFound, as for an interface that went away. Speeds are bits per second, 0 unknown.
  bool HasRow = true;
  std::uint32_t OperStatus = if_row::OperStatusUp;
  std::uint32_t MediaConnectState = if_row::MediaConnectStateConnected;
  std::uint64_t TransmitLinkSpeed = 0;
  std::uint64_t ReceiveLinkSpeed = 0;
};

// One answer of the simulated web server, for one request sent: either a failure of the send
// (Error, with SecureFlags for the secure-failure callback when it is ErrorWinhttpSecureFailure),
// or an answer the receive hands over. Milliseconds is how long the exchange takes on the
// machine's clock; beyond the response timeout the receive fails with ErrorWinhttpTimeout instead,
// beyond the connect timeout a failing connection does.
struct THttpAnswer {
  std::uint32_t Error = 0;
  std::uint32_t SecureFlags = 0;
  std::uint32_t Status = 200;
  std::vector<std::pair<std::u16string, std::u16string>> Headers;  // Location, WWW-Authenticate
  std::string Body;
  std::uint64_t Milliseconds = 0;
};

// What the program sent, one record per WinHttpSendRequest.
struct THttpRequest {
  std::u16string Agent;
  std::uint32_t AccessType = 0;
  std::u16string Server;
  std::uint16_t Port = 0;
  bool Secure = false;
  std::u16string Verb;
  std::u16string Path;
  std::u16string Headers;
  std::string Body;
  std::u16string User;  // the credentials set for it, if any
  std::u16string Password;
  std::u16string Proxy;  // a proxy set on the request
  std::uint32_t SecureProtocols = 0;
  std::optional<std::uint32_t> RedirectPolicy;
  std::array<int, 4> Timeouts{};  // resolve, connect, send, receive, as last set
  // The wait for the answer's headers; none until set, as where the receive timeout leaves it
  // unbounded.
  std::optional<std::uint32_t> ResponseTimeout;
};

// The web as the program reaches it through WinHTTP.
struct THttpServer {
  std::vector<THttpAnswer> Answers;  // in the order requests are sent; the last one repeats
  std::vector<THttpRequest> Requests;
  // Windows 8.1 and later take WinhttpAccessTypeAutomaticProxy; older ones refuse it.
  bool AutomaticProxy = true;
  // The user's Internet Options (for older Windows): auto-detect, a PAC script, a fixed proxy.
  bool IeAutoDetect = false;
  std::u16string IeAutoConfigUrl;
  std::u16string IeProxy;
  std::u16string DiscoveredProxy;  // what auto-detection or the PAC script names; empty: none
  std::uint64_t DiscoveryMilliseconds = 0;
};

// A system DLL that the program binds on first use, and the calls it makes into it.
struct TLateBoundLibrary {
  std::string_view FileName;
  std::vector<std::string_view> Calls;
};
const std::vector<TLateBoundLibrary>& LateBoundLibraries();

// One product Windows Security Center knows, with its WSC_SECURITY_PRODUCT_STATE and
// WSC_SECURITY_SIGNATURE_STATUS.
struct TSecurityProduct {
  std::u16string Name;
  std::uint32_t State = WscSecurityProductStateOn;
  std::uint32_t Signature = WscSecurityProductUpToDate;
};

// Windows Security Center as the program asks it. The default is a Windows 10 with its own
// antivirus on: the health call answers SOk and the product list class is registered. Windows 7
// has no product list class; its WMI namespace lists WmiProducts (none: the namespace is invalid).
struct TSecurityCenter {
  HResult Health = SOk;
  bool ProductListRegistered = true;
  std::vector<TSecurityProduct> Products{{u"Windows Defender"}};
  std::optional<std::vector<std::u16string>> WmiProducts;
  // The call of this name never returns, as a call into a hung service does not.
  std::string NeverAnswers;
};

struct TFault {
  std::uint32_t Error = 0;
  int Skip = 0;    // calls that still succeed before the failures start
  int Times = -1;  // failures to give; -1 for every later call
};

// Members are grouped by what they simulate, not packed: there is one machine per test.
class TMachine {  // NOLINT(clang-analyzer-optin.performance.Padding)
 public:
  TMachine();
  ~TMachine();
  TMachine(const TMachine&) = delete;
  TMachine& operator=(const TMachine&) = delete;

  // Makes the named call fail with Error: after Skip successful calls, Times times (-1: always).
  void FailCall(std::string_view Call, std::uint32_t Error, int Skip = 0, int Times = -1);
  // The DLL FileName (one of LateBoundLibraries) cannot be loaded: every call into it fails with
  // Error, as a call whose function cannot be bound does. One function that cannot be found is
  // FailCall(Name, ErrorProcNotFound), every time.
  void FailLibrary(std::string_view FileName, std::uint32_t Error);
  [[nodiscard]] int CallCount(std::string_view Call) const;
  [[nodiscard]] const std::map<std::string, int, std::less<>>& CallCounts() const { return Calls; }
  [[nodiscard]] std::size_t OpenHandleCount() const {
    return Handles.size() + RegHandles.size() + DeviceSets.size() + Threads.size() +
           ComObjects.size() + InternetHandles.size();
  }
  [[nodiscard]] std::size_t OutstandingBlocks() const { return Blocks.size(); }

  void SetEnvironmentVariable(std::u16string_view Name, std::u16string_view Value);
  void RemoveEnvironmentVariable(std::u16string_view Name);

  std::uint32_t AnsiCodePage = 1252;
  std::uint32_t OemCodePage = 850;
  std::uint32_t ConsoleOutputCodePage = 850;
  Lcid UserLocale = 0x0416;    // the user's default locale
  Lcid ThreadLocale = 0x0416;  // what GetThreadLocale answers
  // Set: sort keys for the user's locale follow this locale's order instead, as two separate
  // implementations of the comparison and of its keys could disagree.
  std::optional<Lcid> SortKeyLocale;
  // The installed locales, with their decimal separator settings.
  std::map<Lcid, std::u16string> DecimalSeparators{{0x0416, u","}, {0x0816, u","}, {0x0409, u"."},
                                                   {0x0809, u"."}, {0x0407, u","}, {0x040C, u","},
                                                   {0x0C0A, u","}};
  std::u16string ExePath = u"C:\\Program Files\\Inventario\\inventario.exe";
  std::u16string CommandLine = u"\"C:\\Program Files\\Inventario\\inventario.exe\"";
  TSystemTime LocalTime{2026, 3, 2, 17, 14, 5, 9, 0};  // Tuesday, 17 March 2026, 14:05:09
  std::u16string WindowsDirectory = u"C:\\Windows";
  // A 64-bit Windows on an x64 processor, the program running as a 32-bit process on it.
  bool HasIsWow64Process2 = true;
  std::uint16_t ProcessMachine = ImageFileMachineI386;
  std::uint16_t NativeMachine = ImageFileMachineAmd64;
  std::uint16_t NativeProcessorArchitecture = ProcessorArchitectureAmd64;
  std::u16string CurrentDirectory = u"C:\\";
  std::uint32_t ProcessId = 0x1234;
  TStream StdIn, StdOut, StdErr;
  TFileSystem FileSystem;
  std::uint64_t TotalPhys = 8ULL << 30;
  std::uint64_t Ticks = 0;
  std::uint32_t ErrorMode = 0;  // the process error mode, as SetErrorMode leaves it
  int CriticalErrorBoxes = 0;   // boxes the system would have shown, each waiting for the user
  bool HasGetTickCount64 = true;
  // What SetDefaultDllDirectories was given, and how many calls were made before it.
  std::optional<std::uint32_t> DefaultDllDirectories;
  std::size_t CallsBeforeDllDirectories = 0;
  TProcessorLayout Processors;
  std::map<char16_t, TDrive> Drives;    // by upper-case letter; letters not here have no root
  std::map<char16_t, TVolume> Volumes;  // by letter, for drives in Drives; none: an NTFS volume
  std::u16string ComputerName = u"ESCRITORIO-01";
  std::vector<TAdapter> Adapters;  // in the order the table lists them
  // Entries that appear while the program lists them (a VPN adapter coming up, a printer
  // connection a logon script maps): each time the call answers that a buffer is too small, the
  // first of them joins the end of its list.
  std::vector<TAdapter> ArrivingAdapters;
  std::vector<std::u16string> ArrivingPrinters;
  std::vector<std::u16string> Printers;        // in the order the spooler lists them
  std::set<std::size_t> UnnamedPrinters;       // positions in Printers whose record has no name
  std::vector<std::u16string> DefaultRecords;  // what the enumeration of the default gives
  bool UnnamedDefault = false;                 // the default's record comes without a name
  std::optional<std::u16string>
      DefaultPrinterText;  // GetDefaultPrinterW's answer; none: no default
  TRegistryTree Registry;
  // Devices that the registry lists (Enum\...) but that are not attached now, by upper-cased
  // instance ID ("DISPLAY\DELA0F4\5&2B3C4D5E&0&UID4352").
  std::set<std::u16string> DetachedDevices;
  // What tells the PC apart, for the GLPI inventory: the SMBIOS table as a RawSMBIOSData block
  // (empty: the system has none, and asking for it fails), the memory the firmware says is
  // installed (none: that call fails), the DNS host name, the domain or workgroup and the time
  // zone's distance from UTC.
  std::string FirmwareTable;
  std::optional<std::uint64_t> InstalledMemoryKiB;
  std::u16string DnsHostName = u"escritorio-01";
  std::u16string JoinName = u"WORKGROUP";
  std::uint32_t JoinStatus = NetSetupWorkgroupName;
  int UtcOffsetMinutes = -180;
  TSecurityCenter SecurityCenter;
  THttpServer Http;

  // Used by the calls themselves.
  struct TOpenFile {
    std::u16string Key;
    bool CanRead = false;
    bool CanWrite = false;
    std::size_t Position = 0;
  };
  bool Failing(std::string_view Call);  // counts the call; true (with the error set) to fail it
  std::uint32_t LastError = 0;
  std::map<std::u16string, std::u16string> Environment;  // upper-cased name -> value
  std::map<std::uintptr_t, TOpenFile> Handles;
  std::map<std::uintptr_t, TRegKey*> RegHandles;
  std::map<std::uintptr_t, std::vector<std::u16string>> DeviceSets;  // instance IDs, in order
  std::uintptr_t NextHandle = 0x100;
  std::set<void*> Blocks;  // all of them NewBlock's
  // A NUL-terminated copy of Text in a block the system allocated for the program.
  char16_t* NewBlock(std::u16string_view Text);
  // Frees a block NewBlock made; false, freeing nothing, for any other pointer.
  bool FreeBlock(void* Block);
  struct TThread;  // a worker's state, shared with the thread that runs it
  std::map<std::uintptr_t, std::shared_ptr<TThread>> Threads;  // open thread handles
  struct TComObject {
    std::string_view Interface;
    std::size_t Index =
        0;  // a product's or a class object's place in its list; where an enumerator is
    bool Initialized = false;
  };
  std::map<std::uintptr_t, TComObject> ComObjects;  // interface pointers handed out, not released
  int ComInitializations = 0;  // CoInitializeEx calls not yet matched by CoUninitialize
  // WinHTTP's open handles: a session, a connection or a request, with what it was given.
  struct TInternetObject {
    enum class TKind { Session, Connection, Request } Kind = TKind::Session;
    std::uintptr_t Parent = 0;
    THttpRequest Request;  // what is known of the requests made through it
    TWinHttpStatusCallback Callback = nullptr;
    std::optional<THttpAnswer> Pending;  // sent, not received yet
    std::optional<THttpAnswer> Answer;   // received
    std::size_t Read = 0;                // of Answer's body
  };
  std::map<std::uintptr_t, TInternetObject> InternetHandles;

 private:
  std::map<std::string, TFault, std::less<>> Faults;
  std::map<std::string, int, std::less<>> Calls;
};

// The machine the simulated calls act on; a fresh one when none is there.
TMachine& Machine();
// Replaces it with a fresh machine: default streams, no files, no faults.
void ResetMachine();
// Destroys it with everything it holds; the next call that needs a machine finds a fresh one.
void ReleaseMachine();

// Thrown by the simulated ExitProcess, so that a test can see the exit code.
struct TProcessExit {
  std::uint32_t ExitCode;
};

// Helpers shared by the calls and by tests.
std::u16string FullPathName(std::u16string_view Path, std::u16string_view CurrentDirectory);
std::u16string ToUpperAscii(std::u16string_view Text);
std::string ToUtf8(std::u16string_view Text);  // for test messages

}  // namespace platform::simulated
