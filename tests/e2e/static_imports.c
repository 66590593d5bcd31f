/* Imports iphlpapi and winspool by name, as a program linked against them does. Run with DLLs of
   those names beside it, it shows whether the DLL search order in force would take them. */
#include <windows.h>
#include <iphlpapi.h>
#include <winspool.h>

int main(void) {
  ULONG Size = 0;
  DWORD Needed = 0;
  DWORD Returned = 0;
  GetAdaptersInfo(NULL, &Size);
  EnumPrintersW(PRINTER_ENUM_LOCAL, NULL, 4, NULL, 0, &Needed, &Returned);
  return 0;
}
