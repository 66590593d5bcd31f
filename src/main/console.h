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

  // Writes Text and CR LF. Raises EInOutError when the stream cannot be set up or written,
  // unless the stream is kept best effort.
  void WriteLine(std::u16string_view Text);
  // From now on a line that cannot be written is dropped without a word: for a run that no one
  // may be watching, whose result is its files and its exit code.
  void KeepBestEffort() { FBestEffort = true; }
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
  bool FBestEffort = false;
};

// Reads standard input up to and including the first line feed, and discards it. The end of
// input (no bytes, a broken pipe, or Ctrl+Z) ends the read early; other failures raise EInOutError.
void ReadLineAndDiscard();

// Writes Text to standard error in the OEM code page, ignoring failures: the last thing the
// program says when it cannot go on.
void WriteStdErr(std::u16string_view Text);
