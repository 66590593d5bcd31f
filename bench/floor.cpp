// The floor for a run's time: the system calls inventario.exe makes, in the same order and
// number for the same machine (given /glpi, those of a run with /glpi), with none of its own work
// (no formatting, sorting, duplicate checks or text conversions beyond what the calls need). A run
// of the program cannot be faster. With /glpi it also writes a file as large as the inventory.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// The interface rows are declared only with the socket address types in view.
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <lm.h>
#include <setupapi.h>
#include <winspool.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace {

HKEY const Hklm = HKEY_LOCAL_MACHINE;  // NOLINT(misc-misplaced-const): the handle is what is constant
const REGSAM Read64 = KEY_READ | KEY_WOW64_64KEY;

void Say(HANDLE Out, const char* Text) {
  DWORD Written = 0;
  WriteFile(Out, Text, lstrlenA(Text), &Written, nullptr);
}

// What the program asks of one value: does it exist, then its data, which fits a buffer on the
// stack.
void ReadValue(HKEY Key, const wchar_t* Name) {
  DWORD Type = 0;
  if (RegQueryValueExW(Key, Name, nullptr, &Type, nullptr, nullptr) != ERROR_SUCCESS) return;
  BYTE Data[512];
  DWORD Size = sizeof Data;
  RegQueryValueExW(Key, Name, nullptr, &Type, Data, &Size);
}

void ReadKey(HKEY Root, const wchar_t* Path, std::initializer_list<const wchar_t*> Names) {
  HKEY Key = nullptr;
  if (RegOpenKeyExW(Root, Path, 0, Read64, &Key) != ERROR_SUCCESS) return;
  for (const wchar_t* Name : Names) ReadValue(Key, Name);
  RegCloseKey(Key);
}

std::size_t Entries = 0;  // the Uninstall entries seen

// With /glpi: the calls only the GLPI inventory makes.
bool Glpi = false;

// A value's size, then its data into a buffer of that size.
void ReadBinary(HKEY Key, const wchar_t* Name) {
  DWORD Type = 0;
  DWORD Size = 0;
  if (RegQueryValueExW(Key, Name, nullptr, &Type, nullptr, &Size) != ERROR_SUCCESS) return;
  std::vector<BYTE> Data(Size + 1);
  RegQueryValueExW(Key, Name, nullptr, &Type, Data.data(), &Size);
}

const GUID DisplayClass{0x4d36e968, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
const GUID MonitorClass{0x4d36e96e, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// Visit(Set, Device) for each attached device of Class, after its instance ID.
template <typename TVisit>
void ForEachDevice(const GUID& Class, TVisit Visit) {
  const HDEVINFO Set = SetupDiGetClassDevsW(&Class, nullptr, nullptr, DIGCF_PRESENT);
  if (Set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA Device{};
  Device.cbSize = sizeof Device;
  for (DWORD Index = 0; SetupDiEnumDeviceInfo(Set, Index, &Device); ++Index) {
    wchar_t Id[201];
    SetupDiGetDeviceInstanceIdW(Set, &Device, Id, 201, nullptr);
    Visit(Set, Device);
  }
  SetupDiDestroyDeviceInfoList(Set);
}

// The display adapters: each one's name from its driver key, with /glpi its chip and memory.
void ReadAdapters() {
  ForEachDevice(DisplayClass, [](HDEVINFO Set, SP_DEVINFO_DATA& Device) {
    HKEY Key =
        SetupDiOpenDevRegKey(Set, &Device, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_QUERY_VALUE);
    if (Key == INVALID_HANDLE_VALUE) return;
    ReadValue(Key, L"DriverDesc");
    if (Glpi) {
      for (const wchar_t* Name :
           {L"HardwareInformation.ChipType", L"HardwareInformation.qwMemorySize"}) {
        ReadBinary(Key, Name);
      }
    }
    RegCloseKey(Key);
  });
}

// The interface rows: the report adapter's, or with /glpi every adapter's.
void ReadLinks(const IP_ADAPTER_INFO* Adapter) {
  for (; Adapter != nullptr; Adapter = Adapter->Next) {
    const char* Address = Adapter->IpAddressList.IpAddress.String;
    const bool Usable = Address[0] != '\0' && lstrcmpA(Address, "0.0.0.0") != 0 &&
                        !(Address[0] == '1' && Address[1] == '2' && Address[2] == '7');
    if (!Glpi && !Usable) continue;
    MIB_IF_ROW2 Row{};
    Row.InterfaceIndex = Adapter->Index;
    GetIfEntry2(&Row);
    if (!Glpi) return;
  }
}

// The processor's layout and the monitors' EDIDs.
void ReadDevices() {
  DWORD Length = 0;
  GetLogicalProcessorInformation(nullptr, &Length);
  std::vector<BYTE> Processors(Length);
  GetLogicalProcessorInformation(
      reinterpret_cast<PSYSTEM_LOGICAL_PROCESSOR_INFORMATION>(Processors.data()), &Length);
  ForEachDevice(MonitorClass, [](HDEVINFO Set, SP_DEVINFO_DATA& Device) {
    HKEY Key =
        SetupDiOpenDevRegKey(Set, &Device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
    if (Key == INVALID_HANDLE_VALUE) return;
    ReadBinary(Key, L"EDID");
    RegCloseKey(Key);
  });
}

// The names of the key's subkeys, as the program lists them.
std::vector<std::wstring> SubKeys(HKEY Root, const std::wstring& Path) {
  std::vector<std::wstring> Names;
  HKEY Key = nullptr;
  if (RegOpenKeyExW(Root, Path.c_str(), 0, Read64, &Key) != ERROR_SUCCESS) return Names;
  DWORD Count = 0;
  DWORD Longest = 0;
  RegQueryInfoKeyW(Key, nullptr, nullptr, nullptr, &Count, &Longest, nullptr, nullptr, nullptr,
                   nullptr, nullptr, nullptr);
  std::vector<wchar_t> Name(2 * Longest + 1);
  for (DWORD I = 0; I < Count; ++I) {
    auto Length = static_cast<DWORD>(Name.size());
    if (RegEnumKeyExW(Key, I, Name.data(), &Length, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS) {
      Names.emplace_back(Name.data(), Length);
    }
  }
  RegCloseKey(Key);
  return Names;
}

void ReadUninstall(HKEY Root, const wchar_t* Path) {
  for (const std::wstring& Subkey : SubKeys(Root, Path)) {
    const std::wstring Full = std::wstring(Path) + L"\\" + Subkey;
    // An entry: its name, the kind of its system-component mark, its parent key.
    HKEY Entry = nullptr;
    if (RegOpenKeyExW(Root, Full.c_str(), 0, Read64, &Entry) != ERROR_SUCCESS) continue;
    ++Entries;
    BYTE Data[512];
    DWORD Type = 0;
    DWORD Size = sizeof Data;
    RegQueryValueExW(Entry, L"DisplayName", nullptr, &Type, Data, &Size);
    RegQueryValueExW(Entry, L"SystemComponent", nullptr, &Type, nullptr, &Size);
    Size = sizeof Data;
    RegQueryValueExW(Entry, L"ParentKeyName", nullptr, &Type, Data, &Size);
    if (Glpi) {
      for (const wchar_t* Name : {L"DisplayVersion", L"Publisher", L"InstallDate",
                                  L"UninstallString", L"URLInfoAbout", L"HelpLink", L"Comments"}) {
        ReadValue(Entry, Name);
      }
    }
    RegCloseKey(Entry);
  }
}

// What only the GLPI inventory asks for: the clock, the system folder and width, the firmware
// table, the installed memory, the DNS name, the domain, the last user, the installation and the
// network class's driver keys.
void GlpiCalls() {
  SYSTEMTIME Now;
  GetLocalTime(&Now);
  wchar_t Windows[MAX_PATH];
  GetSystemWindowsDirectoryW(Windows, MAX_PATH);
  using TWow64 = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
  const auto Wow64 = reinterpret_cast<TWow64>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2")));
  USHORT Process = 0;
  USHORT Native = 0;
  if (Wow64 != nullptr) Wow64(GetCurrentProcess(), &Process, &Native);
  const UINT TableSize = GetSystemFirmwareTable(0x52534D42, 0, nullptr, 0);  // 'RSMB'
  if (TableSize > 0) {
    std::vector<BYTE> Table(TableSize);
    GetSystemFirmwareTable(0x52534D42, 0, Table.data(), TableSize);
  }
  ULONGLONG Installed = 0;
  GetPhysicallyInstalledSystemMemory(&Installed);
  wchar_t Name[64];
  DWORD NameSize = 64;
  GetComputerNameExW(ComputerNameDnsHostname, Name, &NameSize);
  LPWSTR Domain = nullptr;
  NETSETUP_JOIN_STATUS Status = NetSetupUnknownStatus;
  if (NetGetJoinInformation(nullptr, &Domain, &Status) == NERR_Success) NetApiBufferFree(Domain);
  ReadKey(Hklm, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Authentication\\LogonUI",
          {L"LastLoggedOnSAMUser"});
  ReadKey(Hklm, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
          {L"CurrentMajorVersionNumber", L"CurrentMinorVersionNumber", L"CurrentBuildNumber", L"UBR",
           L"InstallDate"});
  SYSTEMTIME Utc{2024, 1, 5, 12, 11, 30, 0, 0};
  SYSTEMTIME Local;
  SystemTimeToTzSpecificLocalTime(nullptr, &Utc, &Local);
  const std::wstring Network =
      L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}";
  for (const std::wstring& Adapter : SubKeys(Hklm, Network)) {
    std::wstring Key = Network;
    Key.append(L"\\").append(Adapter);
    ReadKey(Hklm, Key.c_str(),
            {L"NetCfgInstanceId", L"Characteristics", L"MatchingDeviceId"});
  }
}

// A file as the program saves one: a new file beside it, flushed, then moved into place.
void SaveWhole(const std::wstring& Path, std::string_view Bytes) {
  const std::wstring Temporary = Path + L".floor.tmp";
  HANDLE File = CreateFileW(Temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File == INVALID_HANDLE_VALUE) return;
  DWORD Written = 0;
  WriteFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr);
  FlushFileBuffers(File);
  CloseHandle(File);
  MoveFileExW(Temporary.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

// Security Center, asked on a worker as the program asks it. Where the health call fails (Wine
// has no wscapi.dll at all) nothing more is asked; a machine with Security Center would go on
// to COM.
DWORD WINAPI AskSecurityCenter(LPVOID /*Parameter*/) {
  wchar_t Path[MAX_PATH + 16];
  const UINT Length = GetSystemDirectoryW(Path, MAX_PATH);
  if (Length == 0 || Length >= MAX_PATH) return 0;
  lstrcpyW(Path + Length, L"\\wscapi.dll");
  const HMODULE Wsc = LoadLibraryExW(Path, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (Wsc == nullptr) return 0;
  using THealth = HRESULT(WINAPI*)(DWORD, int*);
  const auto Health = reinterpret_cast<THealth>(
      reinterpret_cast<void*>(GetProcAddress(Wsc, "WscGetSecurityProviderHealth")));
  int Value = 0;
  if (Health != nullptr) Health(4, &Value);
  return 0;
}

int main(int Argc, char** Argv) {
  Glpi = Argc > 1 && lstrcmpiA(Argv[1], "/glpi") == 0;
  SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS);
  GetThreadLocale();
  IsValidLocale(GetThreadLocale(), LCID_INSTALLED);
  wchar_t Separator[3];
  GetLocaleInfoW(GetThreadLocale(), LOCALE_SDECIMAL, Separator, 3);
  GetACP();
  HANDLE Out = GetStdHandle(STD_OUTPUT_HANDLE);
  GetFileType(Out);
  Say(Out, "Coletando informacoes do sistema...\r\n");

  wchar_t Computer[16];
  DWORD ComputerSize = 16;
  GetComputerNameW(Computer, &ComputerSize);
  const wchar_t* CurrentVersion = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  ReadKey(Hklm, CurrentVersion, {L"ProductName", L"DisplayVersion", L"ReleaseId", L"CurrentBuildNumber", L"UBR"});
  ReadKey(Hklm, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", {L"ProcessorNameString"});
  if (Glpi) {
    ReadKey(Hklm, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
            {L"VendorIdentifier", L"Identifier", L"~MHz"});
  }
  MEMORYSTATUSEX Memory{};
  Memory.dwLength = sizeof Memory;
  GlobalMemoryStatusEx(&Memory);
  ReadAdapters();
  wchar_t Root[] = L"C:\\";
  for (wchar_t Letter = L'C'; Letter <= L'Z'; ++Letter) {
    Root[0] = Letter;
    ULARGE_INTEGER Free;
    ULARGE_INTEGER Total;
    ULARGE_INTEGER TotalFree;
    if (GetDriveTypeW(Root) != DRIVE_FIXED) continue;
    GetDiskFreeSpaceExW(Root, &Free, &Total, &TotalFree);
    if (Glpi) {
      wchar_t Label[MAX_PATH + 1];
      wchar_t FileSystem[MAX_PATH + 1];
      DWORD Serial = 0;
      GetVolumeInformationW(Root, Label, MAX_PATH + 1, &Serial, nullptr, nullptr, FileSystem,
                            MAX_PATH + 1);
    }
  }
  using TTicks = ULONGLONG(WINAPI*)();
  const auto Ticks = reinterpret_cast<TTicks>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  if (Ticks != nullptr) Ticks();
  if (HANDLE Worker = CreateThread(nullptr, 0, AskSecurityCenter, nullptr, 0, nullptr)) {
    WaitForSingleObject(Worker, 3000);
    CloseHandle(Worker);
  }
  ReadKey(Hklm, CurrentVersion, {L"ProductId"});

  ULONG AdapterBytes = 0;
  if (GetAdaptersInfo(nullptr, &AdapterBytes) == ERROR_BUFFER_OVERFLOW) {
    std::vector<BYTE> Adapters(AdapterBytes);
    if (GetAdaptersInfo(reinterpret_cast<PIP_ADAPTER_INFO>(Adapters.data()), &AdapterBytes) ==
        ERROR_SUCCESS) {
      ReadLinks(reinterpret_cast<PIP_ADAPTER_INFO>(Adapters.data()));
    }
  }

  DWORD Needed = 0;
  DWORD Returned = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &Needed, &Returned);
  if (Needed > 0) {
    std::vector<BYTE> Printers(Needed);
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, Printers.data(), Needed, &Needed, &Returned);
    DWORD DefaultNeeded = 0;
    DWORD DefaultReturned = 0;
    EnumPrintersW(PRINTER_ENUM_DEFAULT, nullptr, 5, nullptr, 0, &DefaultNeeded, &DefaultReturned);
    std::vector<BYTE> Default(DefaultNeeded + 1);
    EnumPrintersW(PRINTER_ENUM_DEFAULT, nullptr, 5, Default.data(), DefaultNeeded, &DefaultNeeded, &DefaultReturned);
    DWORD Length = 0;
    GetDefaultPrinterW(nullptr, &Length);
    std::vector<wchar_t> Name(Length + 1);
    GetDefaultPrinterW(Name.data(), &Length);
  }

  ReadUninstall(Hklm, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  ReadUninstall(Hklm, L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  ReadUninstall(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  if (Glpi) {
    GlpiCalls();
    ReadDevices();
  }

  wchar_t Profile[261];
  GetEnvironmentVariableW(L"USERPROFILE", Profile, 260);
  HKEY Folders = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &Folders) == ERROR_SUCCESS) {
    wchar_t Desktop[261] = {};
    DWORD Size = sizeof Desktop - sizeof *Desktop;  // the last one stays the NUL
    if (RegQueryValueExW(Folders, L"Desktop", nullptr, nullptr, reinterpret_cast<BYTE*>(Desktop),
                         &Size) == ERROR_SUCCESS) {
      wchar_t Expanded[261];
      ExpandEnvironmentStringsW(Desktop, Expanded, 261);
    }
    RegCloseKey(Folders);
  }
  const std::wstring Path = std::wstring(Profile) + L"\\Desktop\\relatorio_floor.txt";
  static const char Report[2048] = "\xEF\xBB\xBF";
  SaveWhole(Path, Report);
  Say(Out, "Sucesso! Relatorio salvo em: C:\\relatorio_floor.txt\r\n");
  if (Glpi) {
    // As large as the program's inventory: a few hundred bytes of its own, some per program.
    SaveWhole(std::wstring(Profile) + L"\\Desktop\\relatorio_floor.json",
              std::string(2048 + 96 * Entries, ' '));
    Say(Out, "Inventario GLPI salvo em: C:\\relatorio_floor.json\r\n");
    return 0;  // a run with a switch neither prompts nor waits
  }
  Say(Out, "\r\nPressione ENTER para sair...\r\n");
  char Line[128];
  DWORD Read = 0;
  ReadFile(GetStdHandle(STD_INPUT_HANDLE), Line, sizeof Line, &Read, nullptr);
  return 0;
}
