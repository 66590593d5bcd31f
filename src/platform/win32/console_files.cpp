// Console, file, process and error calls: straight forwarding to kernel32.
#include "platform/win32/windows_api.h"

namespace platform {

using win32::FromNative;
using win32::ToNative;
using win32::Wide;

Handle GetStdHandle(std::uint32_t StdHandle) { return FromNative(::GetStdHandle(StdHandle)); }

std::uint32_t GetFileType(Handle File) { return ::GetFileType(ToNative(File)); }

std::uint32_t GetConsoleOutputCP() { return ::GetConsoleOutputCP(); }

void ExitProcess(std::uint32_t ExitCode) { ::ExitProcess(ExitCode); }

Handle CreateFileW(const char16_t* FileName, std::uint32_t DesiredAccess, std::uint32_t ShareMode,
                   void* SecurityAttributes, std::uint32_t CreationDisposition,
                   std::uint32_t FlagsAndAttributes, Handle TemplateFile) {
  return FromNative(::CreateFileW(Wide(FileName), DesiredAccess, ShareMode,
                                  static_cast<LPSECURITY_ATTRIBUTES>(SecurityAttributes),
                                  CreationDisposition, FlagsAndAttributes,
                                  ToNative(TemplateFile)));
}

Bool WriteFile(Handle File, const void* Buffer, std::uint32_t BytesToWrite,
               std::uint32_t* BytesWritten, void* Overlapped) {
  DWORD Written = 0;
  const BOOL Result = ::WriteFile(ToNative(File), Buffer, BytesToWrite, &Written,
                                  static_cast<LPOVERLAPPED>(Overlapped));
  if (BytesWritten != nullptr) *BytesWritten = Written;
  return Result;
}

Bool ReadFile(Handle File, void* Buffer, std::uint32_t BytesToRead, std::uint32_t* BytesRead,
              void* Overlapped) {
  DWORD Read = 0;
  const BOOL Result =
      ::ReadFile(ToNative(File), Buffer, BytesToRead, &Read, static_cast<LPOVERLAPPED>(Overlapped));
  if (BytesRead != nullptr) *BytesRead = Read;
  return Result;
}

Bool CloseHandle(Handle Object) { return ::CloseHandle(ToNative(Object)); }

std::uint32_t GetFullPathNameW(const char16_t* FileName, std::uint32_t BufferLength,
                               char16_t* Buffer, char16_t** FilePart) {
  return ::GetFullPathNameW(Wide(FileName), BufferLength, Wide(Buffer),
                            reinterpret_cast<LPWSTR*>(FilePart));
}

Bool FlushFileBuffers(Handle File) { return ::FlushFileBuffers(ToNative(File)); }

Bool DeleteFileW(const char16_t* FileName) { return ::DeleteFileW(Wide(FileName)); }

Bool MoveFileExW(const char16_t* ExistingFileName, const char16_t* NewFileName,
                 std::uint32_t Flags) {
  return ::MoveFileExW(Wide(ExistingFileName), Wide(NewFileName), Flags);
}

void Sleep(std::uint32_t Milliseconds) { ::Sleep(Milliseconds); }

std::uint32_t GetCurrentProcessId() { return ::GetCurrentProcessId(); }

const char16_t* GetCommandLineW() { return reinterpret_cast<const char16_t*>(::GetCommandLineW()); }

std::uint32_t GetEnvironmentVariableW(const char16_t* Name, char16_t* Buffer, std::uint32_t Size) {
  return ::GetEnvironmentVariableW(Wide(Name), Wide(Buffer), Size);
}

std::uint32_t GetModuleFileNameW(Handle Module, char16_t* FileName, std::uint32_t Size) {
  return ::GetModuleFileNameW(reinterpret_cast<HMODULE>(ToNative(Module)), Wide(FileName), Size);
}

std::uint32_t ExpandEnvironmentStringsW(const char16_t* Source, char16_t* Destination,
                                        std::uint32_t Size) {
  return ::ExpandEnvironmentStringsW(Wide(Source), Wide(Destination), Size);
}

std::uint32_t GetErrorMode() { return ::GetErrorMode(); }

std::uint32_t SetErrorMode(std::uint32_t Mode) { return ::SetErrorMode(Mode); }

std::uint32_t GetLastError() { return ::GetLastError(); }

std::uint32_t FormatMessageW(std::uint32_t Flags, const void* Source, std::uint32_t MessageId,
                             std::uint32_t LanguageId, char16_t* Buffer, std::uint32_t Size,
                             void* Arguments) {
  return ::FormatMessageW(Flags, Source, MessageId, LanguageId, Wide(Buffer), Size,
                          static_cast<va_list*>(Arguments));
}

void* LocalFree(void* Memory) { return ::LocalFree(static_cast<HLOCAL>(Memory)); }

}  // namespace platform
