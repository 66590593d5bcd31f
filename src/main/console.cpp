#include "main/console.h"

#include <algorithm>
#include <optional>
#include <string>

#include "text/exceptions.h"
#include "text/sys_utils.h"

namespace {

constexpr std::uint32_t IoErrorNotOpenForOutput = 105;
constexpr std::uint32_t IoErrorDiskFull = 101;
constexpr std::size_t InputChunk = 128;

}  // namespace

bool TConsoleOutput::SetUp() {
  FHandle = platform::GetStdHandle(FStdHandle);
  const std::uint32_t Type = platform::GetFileType(FHandle);
  if (Type == platform::FileTypeUnknown) return false;
  FIsConsole = Type == platform::FileTypeChar;
  FCodePage = FIsConsole ? platform::GetConsoleOutputCP() : FAnsiCodePage;
  FReady = true;
  return true;
}

void TConsoleOutput::WriteLine(std::u16string_view Text) {
  if (!FReady && !SetUp()) {
    FIoError = IoErrorNotOpenForOutput;
  } else if (std::optional<std::string> Bytes = WideToCodePage(FCodePage, Text)) {
    Put(*Bytes);
    Put("\r\n");
    if (FIsConsole) Flush();
  } else {
    FIoError = platform::GetLastError();
  }
  CheckIo();
}

void TConsoleOutput::Put(std::string_view Bytes) {
  while (!Bytes.empty() && FIoError == 0) {
    const std::size_t Count = std::min(Bytes.size(), FBuffer.size() - FUsed);
    std::copy_n(Bytes.begin(), Count, FBuffer.begin() + static_cast<std::ptrdiff_t>(FUsed));
    FUsed += Count;
    Bytes.remove_prefix(Count);
    if (FUsed == FBuffer.size()) Flush();
  }
}

void TConsoleOutput::Flush() {
  if (FUsed == 0 || FIoError != 0) return;
  std::uint32_t Written = 0;
  const auto Count = static_cast<std::uint32_t>(FUsed);
  FUsed = 0;
  if (platform::WriteFile(FHandle, FBuffer.data(), Count, &Written, nullptr) == 0) {
    FIoError = platform::GetLastError();
  } else if (Written != Count && !FIsConsole) {
    // A console's count cannot be checked: Windows 7 under code page 65001 gives it in
    // characters, fewer than the bytes of any accented text. Files and pipes count bytes.
    FIoError = IoErrorDiskFull;
  }
}

void TConsoleOutput::CheckIo() {
  if (FIoError == 0) return;
  const std::uint32_t Code = FIoError;
  FIoError = 0;
  FUsed = 0;
  if (!FBestEffort) throw EInOutError(Code);
}

void TConsoleOutput::Close() {
  if (FReady) Flush();
  FUsed = 0;
  FIoError = 0;
}

void ReadLineAndDiscard() {
  const platform::Handle Input = platform::GetStdHandle(platform::StdInputHandle);
  std::array<char, InputChunk> Buffer{};
  for (;;) {
    std::uint32_t Read = 0;
    if (platform::ReadFile(Input, Buffer.data(), InputChunk, &Read, nullptr) == 0) {
      const std::uint32_t Error = platform::GetLastError();
      if (Error == platform::ErrorBrokenPipe) return;
      throw EInOutError(Error);
    }
    const std::string_view Bytes(Buffer.data(), std::min<std::size_t>(Read, InputChunk));
    if (Bytes.empty() || Bytes.find_first_of(std::string_view{"\n\x1A", 2}) != std::string_view::npos) {
      return;
    }
  }
}

void WriteStdErr(std::u16string_view Text) {
  const platform::Handle Error = platform::GetStdHandle(platform::StdErrorHandle);
  const std::optional<std::string> Bytes = WideToCodePage(platform::GetOEMCP(), Text);
  if (!Bytes || Bytes->empty()) return;
  std::uint32_t Written = 0;
  platform::WriteFile(Error, Bytes->data(), static_cast<std::uint32_t>(Bytes->size()), &Written, nullptr);
}
