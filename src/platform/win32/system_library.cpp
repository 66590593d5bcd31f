// Loading system DLLs by full path, and limiting the default DLL search to the system folder.
#include "platform/win32/system_library.h"

#include <cwchar>
#include <iterator>

namespace platform::win32 {

namespace {

// How the DLL's own imports are found. LOAD_LIBRARY_SEARCH_SYSTEM32 keeps them to the system
// folder; where that flag is unknown, LOAD_WITH_ALTERED_SEARCH_PATH looks first in the folder of
// the DLL being loaded (the system folder) instead of the program's. Windows 8 and later, and
// Windows 7 with the update that brought the LOAD_LIBRARY_SEARCH_* flags (KB2533623), have
// SetDefaultDllDirectories in kernel32; its presence is how Microsoft says to tell whether those
// flags can be used. Without it they are refused as invalid.
DWORD DependencySearchFlags() {
  static const bool SearchFlags = Kernel32Proc("SetDefaultDllDirectories") != nullptr;
  return SearchFlags ? LOAD_LIBRARY_SEARCH_SYSTEM32 : LOAD_WITH_ALTERED_SEARCH_PATH;
}

DWORD LastErrorOr(DWORD Fallback) {
  const DWORD Error = ::GetLastError();
  return Error != ERROR_SUCCESS ? Error : Fallback;
}

HMODULE LoadSystemLibrary(const wchar_t* FileName, DWORD& Error) {
  // The system folder is far shorter than MAX_PATH: the Windows folder must be.
  wchar_t Path[MAX_PATH + 32];
  const std::size_t NameLength = std::wcslen(FileName);
  const UINT Length = ::GetSystemDirectoryW(Path, MAX_PATH);
  if (Length == 0 || Length >= MAX_PATH) {
    Error = Length == 0 ? LastErrorOr(ERROR_PATH_NOT_FOUND) : ERROR_FILENAME_EXCED_RANGE;
    return nullptr;
  }
  if (NameLength + 2 > std::size(Path) - Length) {
    Error = ERROR_FILENAME_EXCED_RANGE;
    return nullptr;
  }
  Path[Length] = L'\\';
  std::wmemcpy(Path + Length + 1, FileName, NameLength + 1);
  const HMODULE Module = ::LoadLibraryExW(Path, nullptr, DependencySearchFlags());
  if (Module == nullptr) Error = LastErrorOr(ERROR_MOD_NOT_FOUND);
  return Module;
}

}  // namespace

FARPROC Kernel32Proc(const char* Name) noexcept {
  const HMODULE Kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  return Kernel32 != nullptr ? ::GetProcAddress(Kernel32, Name) : nullptr;
}

FARPROC SystemProc(const wchar_t* FileName, const char* Name, DWORD& Error) noexcept {
  // Loaded for the rest of the run: the module is never freed, so the address stays good.
  const HMODULE Module = LoadSystemLibrary(FileName, Error);
  if (Module == nullptr) return nullptr;
  FARPROC Proc = ::GetProcAddress(Module, Name);
  if (Proc == nullptr) Error = LastErrorOr(ERROR_PROC_NOT_FOUND);
  return Proc;
}

}  // namespace platform::win32

namespace platform {

Bool SetDefaultDllDirectories(std::uint32_t DirectoryFlags) {
  const auto Proc = win32::Kernel32Function<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
  if (Proc == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return 0;
  }
  return Proc(DirectoryFlags);
}

}  // namespace platform
