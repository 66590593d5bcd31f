// The floor for a run's time: the system calls inventario.exe makes, in the same order and
// number for the same machine, with none of its own work (no formatting, sorting, duplicate
// checks or text conversions beyond what the calls need). A run of the program cannot be faster.
// With /glpi it also makes the calls the GLPI inventory adds, and writes a file as large.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <iphlpapi.h>
#include <lm.h>
#include <winspool.h>

#include <initializer_list>
#include <string>
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

void ReadUninstall(HKEY Root, const wchar_t* Path, bool Glpi) {
  HKEY Key = nullptr;
  if (RegOpenKeyExW(Root, Path, 0, Read64, &Key) != ERROR_SUCCESS) return;
  DWORD Count = 0;
  DWORD Longest = 0;
  RegQueryInfoKeyW(Key, nullptr, nullptr, nullptr, &Count, &Longest, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  std::vector<std::wstring> Names;
  std::vector<wchar_t> Name(2 * Longest + 1);
  for (DWORD I = 0; I < Count; ++I) {
    auto Length = static_cast<DWORD>(Name.size());
    if (RegEnumKeyExW(Key, I, Name.data(), &Length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      Names.emplace_back(Name.data(), Length);
    }
  }
  RegCloseKey(Key);
  for (const std::wstring& Subkey : Names) {
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
      for (const wchar_t* Name : {L"DisplayVersion", L"Publisher"}) ReadValue(Entry, Name);
    }
    RegCloseKey(Entry);
  }
}

// What only the GLPI inventory asks for: the clock, the system folder and width, the firmware
// table, the installed memory, the DNS name, the domain, the last user and the installation.
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
}

}  // namespace

int main() {
  const bool Glpi = wcsstr(GetCommandLineW(), L"/glpi") != nullptr;
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
  MEMORYSTATUSEX Memory{};
  Memory.dwLength = sizeof Memory;
  GlobalMemoryStatusEx(&Memory);
  wchar_t Root[] = L"C:\\";
  for (wchar_t Letter = L'C'; Letter <= L'Z'; ++Letter) {
    Root[0] = Letter;
    ULARGE_INTEGER Free;
    ULARGE_INTEGER Total;
    ULARGE_INTEGER TotalFree;
    if (GetDriveTypeW(Root) == DRIVE_FIXED) GetDiskFreeSpaceExW(Root, &Free, &Total, &TotalFree);
  }
  using TTicks = ULONGLONG(WINAPI*)();
  const auto Ticks = reinterpret_cast<TTicks>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  if (Ticks != nullptr) Ticks();
  ReadKey(Hklm, CurrentVersion, {L"ProductId"});

  ULONG AdapterBytes = 0;
  if (GetAdaptersInfo(nullptr, &AdapterBytes) == ERROR_BUFFER_OVERFLOW) {
    std::vector<BYTE> Adapters(AdapterBytes);
    GetAdaptersInfo(reinterpret_cast<PIP_ADAPTER_INFO>(Adapters.data()), &AdapterBytes);
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

  ReadUninstall(Hklm, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", Glpi);
  ReadUninstall(Hklm, L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall", Glpi);
  ReadUninstall(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", Glpi);
  if (Glpi) GlpiCalls();

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
  const std::wstring Temporary = Path + L".floor.tmp";
  HANDLE File = CreateFileW(Temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (File != INVALID_HANDLE_VALUE) {
    static const char Report[2048] = "\xEF\xBB\xBF";
    Say(File, Report);
    FlushFileBuffers(File);
    CloseHandle(File);
    MoveFileExW(Temporary.c_str(), Path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  }
  Say(Out, "Sucesso! Relatorio salvo em: C:\\relatorio_floor.txt\r\n");
  if (Glpi) {
    // As large as the program's inventory: a few hundred bytes of its own, some per program.
    const std::wstring Json = std::wstring(Profile) + L"\\Desktop\\relatorio_floor.json";
    HANDLE Inventory = CreateFileW(Json.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (Inventory != INVALID_HANDLE_VALUE) {
      const std::string Text(2048 + 96 * Entries, ' ');
      DWORD Written = 0;
      WriteFile(Inventory, Text.data(), static_cast<DWORD>(Text.size()), &Written, nullptr);
      CloseHandle(Inventory);
    }
    Say(Out, "Inventario GLPI salvo em: C:\\relatorio_floor.json\r\n");
  }
  Say(Out, "\r\nPressione ENTER para sair...\r\n");
  char Line[128];
  DWORD Read = 0;
  ReadFile(GetStdHandle(STD_INPUT_HANDLE), Line, sizeof Line, &Read, nullptr);
  return 0;
}
