// Standard output as a line-oriented text stream, and the final read of standard input.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/platform.h"

class TConsoleOutput {
 public:
  // AnsiCodePage encodes output that is not a console (a file or a pipe). StdHandle picks the
  // stream: standard output unless told otherwise.
  explicit TConsoleOutput(std::uint32_t AnsiCodePage,
                          std::uint32_t StdHandle = platform::StdOutputHandle)
      : FAnsiCodePage(AnsiCodePage), FStdHandle(StdHandle) {}

  // Writes Text and CR LF. Raises EInOutError when the stream cannot be set up or written.
  void WriteLine(std::u16string_view Text);
  // Hands over what is still buffered; errors are no longer reported at that point.
  void Close();

 private:
  bool SetUp();
  void Put(std::string_view Bytes);
  void Flush();
  void CheckIo();

  std::uint32_t FAnsiCodePage;
  std::uint32_t FStdHandle;
  platform::Handle FHandle = platform::NullHandle;
  bool FReady = false;
  bool FIsConsole = false;
  std::uint32_t FCodePage = 0;
  std::array<char, 128> FBuffer{};
  std::size_t FUsed = 0;
  std::uint32_t FIoError = 0;
};

// Reads standard input up to and including the first line feed, and discards it. The end of
// input (no bytes, a broken pipe, or Ctrl+Z) ends the read early; other failures raise EInOutError.
void ReadLineAndDiscard();

// Writes Text to standard error in the OEM code page, ignoring failures: the last thing the
// program says when it cannot go on.
void WriteStdErr(std::u16string_view Text);
