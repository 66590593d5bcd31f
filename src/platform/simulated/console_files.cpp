// Simulated console, file, process and error calls.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;
using simulated::TMachine;
using simulated::TStream;
using simulated::TWriteLimit;

namespace {

constexpr std::uintptr_t StdInValue = 0x10;
constexpr std::uintptr_t StdOutValue = 0x14;
constexpr std::uintptr_t StdErrValue = 0x18;

TStream* StreamOf(Handle Value) {
  TMachine& M = Machine();
  switch (static_cast<std::uintptr_t>(Value)) {
    case StdInValue: return &M.StdIn;
    case StdOutValue: return &M.StdOut;
    case StdErrValue: return &M.StdErr;
    default: return nullptr;
  }
}

TMachine::TOpenFile* FileOf(Handle Value) {
  auto& Handles = Machine().Handles;
  const auto Found = Handles.find(static_cast<std::uintptr_t>(Value));
  return Found == Handles.end() ? nullptr : &Found->second;
}

Bool Fail(std::uint32_t Error) {
  Machine().LastError = Error;
  return 0;
}

// Applies a write limit: how many of Wanted bytes go through, and whether the write then fails.
std::uint32_t Allowance(std::optional<TWriteLimit>& Limit, std::uint32_t Wanted, bool& Failed) {
  Failed = false;
  if (!Limit) return Wanted;
  const auto Allowed = static_cast<std::uint32_t>(std::min<std::uint64_t>(Limit->Bytes, Wanted));
  Limit->Bytes -= Allowed;
  Failed = Allowed < Wanted && Limit->Error != 0;
  return Allowed;
}

bool InvalidFileName(std::u16string_view Name) {
  return Name.empty() || Name.find_first_of(u"<>:\"|?*") != std::u16string_view::npos ||
         std::any_of(Name.begin(), Name.end(), [](char16_t C) { return C < u' '; });
}

struct TMessage {
  std::uint32_t Code;
  const char16_t* Text;
};

constexpr std::array<TMessage, 15> SystemMessages{{
    {2, u"The system cannot find the file specified.\r\n"},
    {3, u"The system cannot find the path specified.\r\n"},
    {5, u"Access is denied.\r\n"},
    {6, u"The handle is invalid.\r\n"},
    {8, u"Not enough memory resources are available to process this command.\r\n"},
    {32, u"The process cannot access the file because it is being used by another process.\r\n"},
    {53, u"The network path was not found.\r\n"},
    {64, u"The specified network name is no longer available.\r\n"},
    {87, u"The parameter is incorrect.\r\n"},
    {109, u"The pipe has been ended.\r\n"},
    {112, u"There is not enough space on the disk.\r\n"},
    {122, u"The data area passed to a system call is too small.\r\n"},
    {123, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {183, u"Cannot create a file when that file already exists.\r\n"},
    {234, u"More data is available.\r\n"},
}};

constexpr std::uint32_t ErrorBadNetPath = 53;
constexpr std::uint32_t ErrorMessageNotFound = 317;

}  // namespace

Handle GetStdHandle(std::uint32_t StdHandle) {
  TMachine& M = Machine();
  if (M.Failing("GetStdHandle")) return InvalidHandleValue;
  const auto Pick = [](const TStream& S, std::uintptr_t Value) {
    return S.Present ? Handle{Value} : NullHandle;
  };
  if (StdHandle == StdInputHandle) return Pick(M.StdIn, StdInValue);
  if (StdHandle == StdOutputHandle) return Pick(M.StdOut, StdOutValue);
  if (StdHandle == StdErrorHandle) return Pick(M.StdErr, StdErrValue);
  Fail(ErrorInvalidHandle);
  return InvalidHandleValue;
}

std::uint32_t GetFileType(Handle File) {
  if (Machine().Failing("GetFileType")) return FileTypeUnknown;
  if (const TStream* S = StreamOf(File)) return S->FileType;
  if (FileOf(File) != nullptr) return FileTypeDisk;
  Fail(ErrorInvalidHandle);
  return FileTypeUnknown;
}

std::uint32_t GetConsoleOutputCP() {
  TMachine& M = Machine();
  return M.Failing("GetConsoleOutputCP") ? 0 : M.ConsoleOutputCodePage;
}

void ExitProcess(std::uint32_t ExitCode) { throw simulated::TProcessExit{ExitCode}; }

Handle CreateFileW(const char16_t* FileName, std::uint32_t DesiredAccess, std::uint32_t ShareMode,
                   void* /*SecurityAttributes*/, std::uint32_t CreationDisposition,
                   std::uint32_t /*FlagsAndAttributes*/, Handle /*TemplateFile*/) {
  TMachine& M = Machine();
  if (M.Failing("CreateFileW")) return InvalidHandleValue;
  const std::u16string_view Given = FileName != nullptr ? FileName : u"";
  if (Given.empty()) return Fail(ErrorPathNotFound), InvalidHandleValue;
  // The machine is on no network: every server a UNC path names is missing.
  if (Given.starts_with(u"\\\\")) return Fail(ErrorBadNetPath), InvalidHandleValue;
  const std::u16string Full = simulated::FullPathName(Given, M.CurrentDirectory);
  const std::u16string Name = Full.substr(Full.rfind(u'\\') + 1);
  if (InvalidFileName(Name) || InvalidFileName(Full.substr(2))) {
    return Fail(ErrorInvalidName), InvalidHandleValue;
  }
  auto& Fs = M.FileSystem;
  const std::u16string Key = simulated::TFileSystem::Key(Full);
  const std::u16string Parent = Key.substr(0, Key.rfind(u'\\'));
  if (Fs.Directories.contains(Key)) return Fail(ErrorAccessDenied), InvalidHandleValue;
  if (!Fs.Directories.contains(Parent)) return Fail(ErrorPathNotFound), InvalidHandleValue;

  const auto Existing = Fs.Files.find(Key);
  const bool Exists = Existing != Fs.Files.end();
  // A name that is taken is refused before anyone's sharing is looked at.
  if (CreationDisposition == CreateNew && Exists) return Fail(ErrorFileExists), InvalidHandleValue;
  if (Exists && Existing->second.OpenCount > 0 && (Existing->second.Exclusive || ShareMode == 0)) {
    return Fail(ErrorSharingViolation), InvalidHandleValue;
  }
  const bool Writing = (DesiredAccess & GenericWrite) != 0;
  if (CreationDisposition == CreateAlways || CreationDisposition == CreateNew) {
    if (Fs.ReadOnlyDirectories.contains(Parent)) return Fail(ErrorAccessDenied), InvalidHandleValue;
  } else if (CreationDisposition == OpenExisting) {
    if (!Exists) return Fail(ErrorFileNotFound), InvalidHandleValue;
    if (Writing && Fs.ReadOnlyDirectories.contains(Parent)) {
      return Fail(ErrorAccessDenied), InvalidHandleValue;
    }
  } else {
    return Fail(ErrorInvalidParameter), InvalidHandleValue;
  }

  simulated::TFile& File = Fs.Files[Key];
  Fs.Display.emplace(Key, Full);
  if (CreationDisposition == CreateAlways) File.Data.clear();
  ++File.OpenCount;
  File.Exclusive = File.Exclusive || ShareMode == 0;
  M.LastError = CreationDisposition == CreateAlways && Exists ? ErrorAlreadyExists : ErrorSuccess;
  const std::uintptr_t Value = M.NextHandle;
  M.NextHandle += 4;
  M.Handles.emplace(Value, TMachine::TOpenFile{Key, (DesiredAccess & GenericRead) != 0, Writing, 0});
  return Handle{Value};
}

Bool WriteFile(Handle File, const void* Buffer, std::uint32_t BytesToWrite,
               std::uint32_t* BytesWritten, void* /*Overlapped*/) {
  TMachine& M = Machine();
  if (BytesWritten != nullptr) *BytesWritten = 0;
  if (M.Failing("WriteFile")) return 0;
  const char* Bytes = static_cast<const char*>(Buffer);
  bool Failed = false;
  std::optional<TWriteLimit>* Limit = nullptr;
  std::string* Target = nullptr;
  std::size_t Position = 0;
  TMachine::TOpenFile* Open = nullptr;
  if (TStream* S = StreamOf(File)) {
    if (S == &M.StdIn) return Fail(ErrorAccessDenied);
    S->Writes.push_back(BytesToWrite);
    Limit = &S->Limit;
    Target = &S->Written;
    Position = S->Written.size();
  } else if ((Open = FileOf(File)) != nullptr) {
    if (!Open->CanWrite) return Fail(ErrorAccessDenied);
    Limit = &M.FileSystem.Limit;
    Target = &M.FileSystem.Files.at(Open->Key).Data;
    Position = Open->Position;
  } else {
    return Fail(ErrorInvalidHandle);
  }
  const std::uint32_t Allowed = Allowance(*Limit, BytesToWrite, Failed);
  if (Target->size() < Position + Allowed) Target->resize(Position + Allowed);
  std::copy_n(Bytes, Allowed, Target->begin() + static_cast<std::ptrdiff_t>(Position));
  if (Open != nullptr) Open->Position += Allowed;
  if (BytesWritten != nullptr) *BytesWritten = Allowed;
  if (const TStream* S = StreamOf(File);
      S != nullptr && S->CountsCharacters && BytesWritten != nullptr) {
    // UTF-8 continuation bytes add nothing to a count of characters.
    *BytesWritten = static_cast<std::uint32_t>(std::count_if(Bytes, Bytes + Allowed, [](char C) {
      return (static_cast<unsigned char>(C) & 0xC0) != 0x80;
    }));
  }
  return Failed ? Fail(Limit->value().Error) : 1;
}

Bool ReadFile(Handle File, void* Buffer, std::uint32_t BytesToRead, std::uint32_t* BytesRead,
              void* /*Overlapped*/) {
  TMachine& M = Machine();
  if (BytesRead != nullptr) *BytesRead = 0;
  if (M.Failing("ReadFile")) return 0;
  auto* Out = static_cast<char*>(Buffer);
  if (TStream* S = StreamOf(File)) {
    if (S != &M.StdIn) return Fail(ErrorAccessDenied);
    ++S->ReadCalls;
    if (S->Input.empty()) return S->EndError != 0 ? Fail(S->EndError) : 1;
    std::string& Chunk = S->Input.front();
    const auto Count = static_cast<std::uint32_t>(std::min<std::size_t>(Chunk.size(), BytesToRead));
    std::copy_n(Chunk.data(), Count, Out);
    Chunk.erase(0, Count);
    if (Chunk.empty()) S->Input.erase(S->Input.begin());
    if (BytesRead != nullptr) *BytesRead = Count;
    return 1;
  }
  TMachine::TOpenFile* Open = FileOf(File);
  if (Open == nullptr) return Fail(ErrorInvalidHandle);
  if (!Open->CanRead) return Fail(ErrorAccessDenied);
  const std::string& Data = M.FileSystem.Files.at(Open->Key).Data;
  const std::size_t Start = std::min(Open->Position, Data.size());
  const auto Count = static_cast<std::uint32_t>(std::min<std::size_t>(Data.size() - Start, BytesToRead));
  std::copy_n(Data.data() + Start, Count, Out);
  Open->Position = Start + Count;
  if (BytesRead != nullptr) *BytesRead = Count;
  return 1;
}

Bool CloseHandle(Handle Object) {
  TMachine& M = Machine();
  const bool Failed = M.Failing("CloseHandle");
  const auto Found = M.Handles.find(static_cast<std::uintptr_t>(Object));
  // A thread's handle is gone, failure or not; the thread itself runs on.
  if (M.Threads.erase(static_cast<std::uintptr_t>(Object)) != 0) return Failed ? 0 : 1;
  if (Failed) {
    // A file's handle is gone even when closing it fails (a delayed write the server refused):
    // the failure is the data's, not the handle's.
    if (Found != M.Handles.end()) {
      const std::uint32_t Error = M.LastError;
      CloseHandle(Object);
      M.LastError = Error;
    }
    return 0;
  }
  if (StreamOf(Object) != nullptr) return 1;
  if (Found == M.Handles.end()) return Fail(ErrorInvalidHandle);
  simulated::TFile& File = M.FileSystem.Files.at(Found->second.Key);
  if (--File.OpenCount == 0) File.Exclusive = false;
  M.Handles.erase(Found);
  return 1;
}

Bool FlushFileBuffers(Handle File) {
  TMachine& M = Machine();
  if (M.Failing("FlushFileBuffers")) return 0;
  if (StreamOf(File) != nullptr) return 1;
  const TMachine::TOpenFile* Open = FileOf(File);
  if (Open == nullptr) return Fail(ErrorInvalidHandle);
  return Open->CanWrite ? 1 : Fail(ErrorAccessDenied);
}

std::uint32_t GetFullPathNameW(const char16_t* FileName, std::uint32_t BufferLength,
                               char16_t* Buffer, char16_t** FilePart) {
  TMachine& M = Machine();
  if (M.Failing("GetFullPathNameW")) return 0;
  if (FileName == nullptr || *FileName == u'\0') return Fail(ErrorInvalidName);
  const std::u16string Full = simulated::FullPathName(FileName, M.CurrentDirectory);
  const auto Length = static_cast<std::uint32_t>(Full.size());
  if (Length + 1 > BufferLength) return Length + 1;
  std::copy(Full.begin(), Full.end(), Buffer);
  Buffer[Length] = u'\0';
  if (FilePart != nullptr) {
    const std::size_t Slash = Full.rfind(u'\\');
    *FilePart = Slash + 1 < Full.size() ? Buffer + Slash + 1 : nullptr;
  }
  return Length;
}

Bool DeleteFileW(const char16_t* FileName) {
  TMachine& M = Machine();
  if (M.Failing("DeleteFileW")) return 0;
  auto& Fs = M.FileSystem;
  const std::u16string Key = simulated::TFileSystem::Key(
      simulated::FullPathName(FileName != nullptr ? FileName : u"", M.CurrentDirectory));
  const auto Found = Fs.Files.find(Key);
  if (Found == Fs.Files.end()) return Fail(ErrorFileNotFound);
  if (Found->second.OpenCount > 0) return Fail(ErrorSharingViolation);
  if (Fs.ReadOnlyDirectories.contains(Key.substr(0, Key.rfind(u'\\'))))
    return Fail(ErrorAccessDenied);
  Fs.Files.erase(Found);
  Fs.Display.erase(Key);
  return 1;
}

Bool MoveFileExW(const char16_t* ExistingFileName, const char16_t* NewFileName,
                 std::uint32_t Flags) {
  TMachine& M = Machine();
  if (M.Failing("MoveFileExW")) return 0;
  if (ExistingFileName == nullptr || NewFileName == nullptr) return Fail(ErrorInvalidParameter);
  auto& Fs = M.FileSystem;
  const std::u16string From = simulated::TFileSystem::Key(
      simulated::FullPathName(ExistingFileName, M.CurrentDirectory));
  const std::u16string ToFull = simulated::FullPathName(NewFileName, M.CurrentDirectory);
  const std::u16string To = simulated::TFileSystem::Key(ToFull);
  const auto ParentOf = [](const std::u16string& K) { return K.substr(0, K.rfind(u'\\')); };
  const auto Source = Fs.Files.find(From);
  if (Source == Fs.Files.end()) return Fail(ErrorFileNotFound);
  if (Source->second.OpenCount > 0) return Fail(ErrorSharingViolation);
  if (!Fs.Directories.contains(ParentOf(To))) return Fail(ErrorPathNotFound);
  if (Fs.Directories.contains(To)) return Fail(ErrorAccessDenied);
  if (Fs.ReadOnlyDirectories.contains(ParentOf(From)) ||
      Fs.ReadOnlyDirectories.contains(ParentOf(To))) {
    return Fail(ErrorAccessDenied);
  }
  if (From == To) return 1;
  const auto Target = Fs.Files.find(To);
  if (Target != Fs.Files.end()) {
    if ((Flags & MovefileReplaceExisting) == 0) return Fail(ErrorAlreadyExists);
    if (Target->second.BusyMoves > 0) {
      --Target->second.BusyMoves;
      return Fail(ErrorSharingViolation);
    }
    // A file someone has open cannot be replaced while it is open.
    if (Target->second.OpenCount > 0) return Fail(ErrorAccessDenied);
  }
  simulated::TFile Moved = std::move(Source->second);
  Fs.Files.erase(Source);
  Fs.Display.erase(From);
  Fs.Files.insert_or_assign(To, std::move(Moved));
  Fs.Display.insert_or_assign(To, ToFull);
  M.LastError = ErrorSuccess;
  return 1;
}

void Sleep(std::uint32_t Milliseconds) {
  TMachine& M = Machine();
  static_cast<void>(M.Failing("Sleep"));  // counted only: a wait cannot fail
  M.Ticks += Milliseconds;
}

std::uint32_t GetCurrentProcessId() { return Machine().ProcessId; }

const char16_t* GetCommandLineW() { return Machine().CommandLine.c_str(); }

std::uint32_t GetEnvironmentVariableW(const char16_t* Name, char16_t* Buffer, std::uint32_t Size) {
  TMachine& M = Machine();
  if (M.Failing("GetEnvironmentVariableW")) return 0;
  const auto Found = M.Environment.find(simulated::ToUpperAscii(Name));
  if (Found == M.Environment.end()) return Fail(ErrorEnvvarNotFound), 0;
  const std::u16string& Value = Found->second;
  const auto Length = static_cast<std::uint32_t>(Value.size());
  if (Length + 1 > Size) {
    // What the buffer holds is undefined then; make any use of it stand out.
    std::fill_n(Buffer, Size, u'?');
    return Length + 1;
  }
  std::copy(Value.begin(), Value.end(), Buffer);
  Buffer[Length] = u'\0';
  return Length;
}

std::uint32_t GetModuleFileNameW(Handle Module, char16_t* FileName, std::uint32_t Size) {
  TMachine& M = Machine();
  if (M.Failing("GetModuleFileNameW")) return 0;
  if (Module != NullHandle) return Fail(ErrorModNotFound), 0;
  if (Size == 0) return Fail(ErrorInsufficientBuffer), 0;
  const auto Length = static_cast<std::uint32_t>(M.ExePath.size());
  if (Length < Size) {
    std::copy(M.ExePath.begin(), M.ExePath.end(), FileName);
    FileName[Length] = u'\0';
    return Length;
  }
  std::copy_n(M.ExePath.begin(), Size - 1, FileName);
  FileName[Size - 1] = u'\0';
  Fail(ErrorInsufficientBuffer);
  return Size;
}

std::uint32_t ExpandEnvironmentStringsW(const char16_t* Source, char16_t* Destination,
                                        std::uint32_t Size) {
  TMachine& M = Machine();
  if (M.Failing("ExpandEnvironmentStringsW")) return 0;
  if (Source == nullptr) return Fail(ErrorInvalidParameter);
  const std::u16string_view Text = Source;
  std::u16string Expanded;
  std::size_t At = 0;
  while (At < Text.size()) {
    const std::size_t Open = Text.find(u'%', At);
    const std::size_t Close = Open == std::u16string_view::npos ? Open : Text.find(u'%', Open + 1);
    if (Close == std::u16string_view::npos) break;
    Expanded += Text.substr(At, Open - At);
    const auto Found =
        M.Environment.find(simulated::ToUpperAscii(Text.substr(Open + 1, Close - Open - 1)));
    if (Close > Open + 1 && Found != M.Environment.end()) {
      Expanded += Found->second;
      At = Close + 1;
    } else {  // left as written; its closing % may open the next reference
      Expanded += Text.substr(Open, Close - Open);
      At = Close;
    }
  }
  Expanded += Text.substr(std::min(At, Text.size()));
  const auto Needed = static_cast<std::uint32_t>(Expanded.size() + 1);
  if (Destination == nullptr || Size < Needed) return Needed;
  std::copy(Expanded.begin(), Expanded.end(), Destination);
  Destination[Needed - 1] = u'\0';
  return Needed;
}

std::uint32_t GetErrorMode() { return Machine().ErrorMode; }

std::uint32_t SetErrorMode(std::uint32_t Mode) { return std::exchange(Machine().ErrorMode, Mode); }

std::uint32_t GetLastError() { return Machine().LastError; }

std::uint32_t FormatMessageW(std::uint32_t Flags, const void* /*Source*/, std::uint32_t MessageId,
                             std::uint32_t /*LanguageId*/, char16_t* Buffer, std::uint32_t Size,
                             void* /*Arguments*/) {
  TMachine& M = Machine();
  if (M.Failing("FormatMessageW")) return 0;
  if ((Flags & FormatMessageFromSystem) == 0) return Fail(ErrorInvalidParameter), 0;
  const auto* Found = std::find_if(SystemMessages.begin(), SystemMessages.end(),
                                   [&](const TMessage& E) { return E.Code == MessageId; });
  if (Found == SystemMessages.end()) return Fail(ErrorMessageNotFound), 0;
  const std::u16string_view Text = Found->Text;
  const auto Length = static_cast<std::uint32_t>(Text.size());
  if ((Flags & FormatMessageAllocateBuffer) != 0) {
    *reinterpret_cast<char16_t**>(Buffer) = M.NewBlock(Text);
    return Length;
  }
  if (Length + 1 > Size) return Fail(ErrorInsufficientBuffer), 0;
  std::copy(Text.begin(), Text.end(), Buffer);
  Buffer[Length] = u'\0';
  return Length;
}

void* LocalFree(void* Memory) {
  if (Memory == nullptr) return nullptr;
  if (!Machine().FreeBlock(Memory)) {
    Fail(ErrorInvalidHandle);
    return Memory;
  }
  return nullptr;
}

}  // namespace platform
