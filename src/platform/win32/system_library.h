// Functions of system DLLs that are not "known DLLs", bound on first use from the system folder.
//
// Windows maps a known DLL (kernel32, advapi32, msvcrt...) from the system folder whatever the
// search order says, but looks for any other DLL in the program's own folder first. This program
// is run from Downloads folders, pen drives and shares, often by an administrator: a DLL it
// imported statically by name could be planted beside it and would run with the user's rights.
// So such DLLs are loaded by their full path in the system folder, when first needed, and the
// DLLs they depend on in turn are looked for in that folder too. A 32-bit process on 64-bit
// Windows is shown System32 and redirected to SysWOW64, which is where its DLLs are.
#pragma once

#include "platform/win32/windows_api.h"

namespace platform::win32 {

// The address of Name in the system DLL FileName ("iphlpapi.dll"), loading the DLL from the
// system folder if it is not loaded yet; nullptr when the DLL cannot be loaded or does not export
// Name, with the loader's error code, never 0, in Error.
FARPROC SystemProc(const wchar_t* FileName, const char* Name, DWORD& Error) noexcept;

// A kernel32 function that older Windows lacks, looked up at run time so that the exe still starts
// there; nullptr where the system does not have it. kernel32 is in every process: nothing loads.
FARPROC Kernel32Proc(const char* Name) noexcept;

// The same, as a pointer of type TFunctionPointer.
template <typename TFunctionPointer>
TFunctionPointer Kernel32Function(const char* Name) noexcept {
  return reinterpret_cast<TFunctionPointer>(reinterpret_cast<void*>(Kernel32Proc(Name)));
}

// A function of a system DLL, bound when the object is made: the forwarders keep one in a local
// static, so the loader runs once per function and a failure is given again on every call.
template <typename TFunction>
class TSystemFunction {
 public:
  TSystemFunction(const wchar_t* FileName, const char* Name) noexcept
      : FProc(reinterpret_cast<TFunction*>(
            reinterpret_cast<void*>(SystemProc(FileName, Name, FError)))) {}

  [[nodiscard]] TFunction* Get() const noexcept { return FProc; }
  // Why Get() is nullptr: what the call then fails with.
  [[nodiscard]] DWORD Error() const noexcept { return FError; }

 private:
  DWORD FError = ERROR_SUCCESS;  // declared first: SystemProc fills it while FProc is made
  TFunction* FProc;
};

}  // namespace platform::win32
