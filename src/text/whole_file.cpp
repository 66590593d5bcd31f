#include "text/whole_file.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/scoped_resource.h"
#include "text/exceptions.h"
#include "text/format.h"
#include "text/sys_utils.h"

namespace {

// Names already taken by files nobody removed (a run that was killed) are skipped, this many.
constexpr int NameAttempts = 16;
// A file of the final name that someone holds open (a second run of the same name, the server's
// scanner) is usually let go within moments: six attempts 400 ms apart, about two seconds.
constexpr int ReplaceAttempts = 6;
constexpr std::uint32_t ReplaceWait = 400;

std::u16string Hex(std::uint32_t Value) {
  constexpr std::u16string_view Digits = u"0123456789abcdef";
  std::u16string Text;
  do {
    Text.insert(Text.begin(), Digits[Value % 16]);
    Value /= 16;
  } while (Value != 0);
  return Text;
}

// The file as the user will look for it: its full path, or the name as given when that fails.
std::u16string Shown(const std::u16string& FilePath) {
  std::u16string Full = ExpandFileName(FilePath);
  return Full.empty() ? FilePath : Full;
}

[[noreturn]] void RaiseCreateError(const std::u16string& FilePath, std::uint32_t Error) {
  throw EFCreateError(
      Format(u"Cannot create file \"%s\". %s", {Shown(FilePath), SysErrorMessage(Error)}));
}

[[noreturn]] void RaiseWriteError(const std::u16string& FilePath, std::uint32_t Error) {
  std::u16string Message = u"Stream write error: \"" + Shown(FilePath) + u"\"";
  if (Error != 0) Message += u". " + SysErrorMessage(Error);
  throw EWriteError(Message);
}

// A new file in the same folder, under a name no other file has: created only if it does not
// exist yet, for writing alone and shared with no one.
platform::ScopedFileHandle CreateTemporary(const std::u16string& FilePath,
                                           std::u16string& TemporaryPath) {
  const std::u16string Stem = FilePath + u"." + Hex(platform::GetCurrentProcessId());
  std::uint32_t Error = platform::ErrorFileExists;
  for (int Attempt = 0; Attempt < NameAttempts; ++Attempt) {
    TemporaryPath = Stem + u"-" + Hex(static_cast<std::uint32_t>(Attempt)) + u".tmp";
    platform::ScopedFileHandle File(platform::CreateFileW(
        TemporaryPath.c_str(), platform::GenericWrite, 0, nullptr, platform::CreateNew,
        platform::FileAttributeNormal, platform::NullHandle));
    if (File.IsValid()) return File;
    Error = platform::GetLastError();
    if (Error != platform::ErrorFileExists && Error != platform::ErrorAlreadyExists) break;
  }
  RaiseCreateError(FilePath, Error);
}

// The error code of the first write that fails, 0 for one that transfers nothing; nothing when
// every byte went through.
std::optional<std::uint32_t> WriteAll(platform::Handle File, std::string_view Bytes) {
  while (!Bytes.empty()) {
    const auto Chunk = static_cast<std::uint32_t>(
        std::min<std::size_t>(Bytes.size(), std::numeric_limits<std::int32_t>::max()));
    std::uint32_t Written = 0;
    if (platform::WriteFile(File, Bytes.data(), Chunk, &Written, nullptr) == 0 || Written == 0) {
      return platform::GetLastError();
    }
    Bytes.remove_prefix(std::min<std::size_t>(Written, Bytes.size()));
  }
  return std::nullopt;
}

// Writes, flushes and closes; the error code when any of it fails (0 when a write took nothing).
std::optional<std::uint32_t> WriteAndClose(platform::ScopedFileHandle File,
                                           std::initializer_list<std::string_view> Pieces) {
  for (const std::string_view Piece : Pieces) {
    if (std::optional<std::uint32_t> Error = WriteAll(File.Get(), Piece)) return Error;
  }
  // A share or a disk with write caching takes the bytes into memory; a full disk, a quota or
  // a lost connection shows only when they reach it, here or when the file is closed.
  if (platform::FlushFileBuffers(File.Get()) == 0) return platform::GetLastError();
  if (platform::CloseHandle(File.Release()) == 0) return platform::GetLastError();
  return std::nullopt;
}

// Another program holding the file: Windows answers a sharing violation, or access denied when
// the file it would replace is open.
bool MayBeBusy(std::uint32_t Error) {
  return Error == platform::ErrorSharingViolation || Error == platform::ErrorLockViolation ||
         Error == platform::ErrorAccessDenied;
}

// Puts the new file in place of FilePath; the error code when it cannot.
std::optional<std::uint32_t> Replace(const std::u16string& TemporaryPath,
                                     const std::u16string& FilePath) {
  constexpr std::uint32_t Flags =
      platform::MovefileReplaceExisting | platform::MovefileWriteThrough;
  std::uint32_t Error = 0;
  for (int Attempt = 0; Attempt < ReplaceAttempts; ++Attempt) {
    if (Attempt > 0) platform::Sleep(ReplaceWait);
    if (platform::MoveFileExW(TemporaryPath.c_str(), FilePath.c_str(), Flags) != 0) {
      return std::nullopt;
    }
    Error = platform::GetLastError();
    if (!MayBeBusy(Error)) break;
  }
  return Error;
}

}  // namespace

void SaveFileWhole(std::u16string_view FilePath, std::initializer_list<std::string_view> Pieces) {
  const std::u16string Final{FilePath};
  std::u16string Temporary;
  platform::ScopedFileHandle File = CreateTemporary(Final, Temporary);
  if (const std::optional<std::uint32_t> WriteError = WriteAndClose(std::move(File), Pieces)) {
    platform::DeleteFileW(Temporary.c_str());
    RaiseWriteError(Final, *WriteError);
  }
  if (const std::optional<std::uint32_t> MoveError = Replace(Temporary, Final)) {
    platform::DeleteFileW(Temporary.c_str());
    RaiseCreateError(Final, *MoveError);
  }
}
