// Small system helpers shared by the text services and the report.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

// The system ANSI code page, noted once at start-up: console output that is not a console and the
// 8-bit texts the system hands over are in it.
extern std::uint32_t DefaultSystemCodePage;
void NoteDefaultSystemCodePage();

// 8-bit system text (up to its first NUL) as UTF-16, through the code page noted at start-up.
std::u16string AnsiToUnicode(std::string_view Bytes);

// The system's message for an error code, without its final period and line break.
std::u16string SysErrorMessage(std::uint32_t ErrorCode);

// Raises EOSError for a failed system call with this error code.
[[noreturn]] void RaiseLastOSError(std::uint32_t ErrorCode);

// The full path of FileName as the system resolves it; empty when it cannot.
std::u16string ExpandFileName(std::u16string_view FileName);

// Text converted to the given code page (flags 0, no default character); nothing when the system
// cannot convert it, with the reason left in GetLastError.
std::optional<std::string> WideToCodePage(std::uint32_t CodePage, std::u16string_view Text);

// S, with a backslash appended unless it already ends in one.
std::u16string IncludeTrailingPathDelimiter(std::u16string_view S);

// The beginning of FileName up to and including its last backslash or colon.
std::u16string ExtractFilePath(std::u16string_view FileName);

// The file name part of FileName, after its last backslash or colon.
std::u16string ExtractFileName(std::u16string_view FileName);

// The full path of the running executable.
std::u16string ParamStr0();

// A moment as the system's date-and-time record, milliseconds 0; for years 0 to 65535.
platform::TSystemTime SystemTimeOf(std::chrono::sys_seconds At);
