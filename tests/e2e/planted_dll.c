/* A DLL planted beside the exe under the name of a system DLL it uses (built as iphlpapi.dll and
   as winspool.drv). It exports what the program takes from both, and when it is loaded it leaves
   an empty file named after itself plus ".ran" beside itself, so a test sees whether it ran. */
/* Without the spooler and IP helper declarations, which would be imports of the real DLLs. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE Instance, DWORD Reason, LPVOID Reserved) {
  WCHAR Path[MAX_PATH + 8];
  DWORD Length;
  HANDLE Marker;
  (void)Reserved;
  if (Reason != DLL_PROCESS_ATTACH) return TRUE;
  Length = GetModuleFileNameW(Instance, Path, MAX_PATH);
  if (Length == 0 || Length >= MAX_PATH) return TRUE;
  lstrcpyW(Path + Length, L".ran");
  Marker = CreateFileW(Path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (Marker != INVALID_HANDLE_VALUE) CloseHandle(Marker);
  return TRUE;
}

/* Every export fails as the real call can, so a program that took this DLL shows its fallbacks:
   no adapter, no printer. */
__declspec(dllexport) DWORD WINAPI GetAdaptersInfo(void* AdapterInfo, ULONG* Size) {
  (void)AdapterInfo;
  (void)Size;
  return ERROR_NO_DATA;
}

__declspec(dllexport) BOOL WINAPI EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE Buffer,
                                                DWORD BufferSize, LPDWORD Needed, LPDWORD Returned) {
  (void)Flags;
  (void)Name;
  (void)Level;
  (void)Buffer;
  (void)BufferSize;
  if (Needed != NULL) *Needed = 0;
  if (Returned != NULL) *Returned = 0;
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

__declspec(dllexport) BOOL WINAPI GetDefaultPrinterW(LPWSTR Buffer, LPDWORD Size) {
  (void)Buffer;
  (void)Size;
  SetLastError(ERROR_FILE_NOT_FOUND);
  return FALSE;
}

__declspec(dllexport) BOOL WINAPI OpenPrinterW(LPWSTR Name, LPHANDLE Printer, LPVOID Defaults) {
  (void)Name;
  (void)Defaults;
  if (Printer != NULL) *Printer = NULL;
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

__declspec(dllexport) LONG WINAPI DocumentPropertiesW(HWND Window, HANDLE Printer, LPWSTR Name,
                                                      LPVOID Output, LPVOID Input, DWORD Mode) {
  (void)Window;
  (void)Printer;
  (void)Name;
  (void)Output;
  (void)Input;
  (void)Mode;
  return -1;
}

__declspec(dllexport) BOOL WINAPI ClosePrinter(HANDLE Printer) {
  (void)Printer;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
