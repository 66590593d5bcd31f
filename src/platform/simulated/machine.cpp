#include "platform/simulated/machine.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <utility>

namespace platform::simulated {

namespace {

std::unique_ptr<TMachine>& CurrentMachine() {
  static std::unique_ptr<TMachine> Instance;
  return Instance;
}

bool IsSeparator(char16_t C) { return C == u'\\' || C == u'/'; }

bool HasDrive(std::u16string_view Path) {
  return Path.size() >= 2 && Path[1] == u':' &&
         ((Path[0] >= u'A' && Path[0] <= u'Z') || (Path[0] >= u'a' && Path[0] <= u'z'));
}

std::u16string ParentKey(std::u16string_view Key) {
  const auto Slash = Key.rfind(u'\\');
  return Slash == std::u16string_view::npos ? std::u16string{} : std::u16string{Key.substr(0, Slash)};
}

}  // namespace

TMachine& Machine() {
  std::unique_ptr<TMachine>& Current = CurrentMachine();
  if (!Current) Current = std::make_unique<TMachine>();
  return *Current;
}

void ResetMachine() { CurrentMachine() = std::make_unique<TMachine>(); }

void ReleaseMachine() { CurrentMachine().reset(); }

TMachine::TMachine() {
  StdOut.FileType = FileTypeChar;
  StdErr.FileType = FileTypeChar;
  StdIn.FileType = FileTypeChar;
  StdIn.Input = {"\r\n"};
  FileSystem.MakeDirectory(u"C:\\");
  FileSystem.MakeDirectory(u"C:\\Users\\ana\\Desktop");
  FileSystem.MakeDirectory(ExePath.substr(0, ExePath.rfind(u'\\')));
  SetEnvironmentVariable(u"USERPROFILE", u"C:\\Users\\ana");
  Drives[u'C'] = TDrive{DriveFixed, 256ULL << 30, 100ULL << 30, 100ULL << 30, 0};
}

TMachine::~TMachine() {
  for (void* Block : Blocks) delete[] static_cast<char16_t*>(Block);
}

char16_t* TMachine::NewBlock(std::u16string_view Text) {
  auto* Block = new char16_t[Text.size() + 1];
  std::copy(Text.begin(), Text.end(), Block);
  Block[Text.size()] = u'\0';
  Blocks.insert(Block);
  return Block;
}

bool TMachine::FreeBlock(void* Block) {
  if (Blocks.erase(Block) == 0) return false;
  delete[] static_cast<char16_t*>(Block);
  return true;
}

void TMachine::FailCall(std::string_view Call, std::uint32_t Error, int Skip, int Times) {
  Faults.insert_or_assign(std::string{Call}, TFault{Error, Skip, Times});
}

const std::vector<TLateBoundLibrary>& LateBoundLibraries() {
  static const std::vector<TLateBoundLibrary> Libraries{
      {"iphlpapi.dll", {"GetAdaptersInfo", "GetIfEntry2"}},
      {"winspool.drv", {"EnumPrintersW", "GetDefaultPrinterW"}},
      {"netapi32.dll", {"NetGetJoinInformation", "NetApiBufferFree"}},
      {"setupapi.dll",
       {"SetupDiGetClassDevsW", "SetupDiEnumDeviceInfo", "SetupDiGetDeviceInstanceIdW",
        "SetupDiGetDeviceRegistryPropertyW", "SetupDiOpenDevRegKey",
        "SetupDiDestroyDeviceInfoList"}},
      {"wscapi.dll", {"WscGetSecurityProviderHealth"}},
      {"ole32.dll", {"CoInitializeEx", "CoCreateInstance", "CoSetProxyBlanket"}},
      {"winhttp.dll",
       {"WinHttpOpen", "WinHttpConnect", "WinHttpOpenRequest", "WinHttpSetTimeouts",
        "WinHttpSetOption", "WinHttpSetStatusCallback", "WinHttpSendRequest",
        "WinHttpReceiveResponse", "WinHttpQueryHeaders", "WinHttpQueryDataAvailable",
        "WinHttpReadData", "WinHttpQueryAuthSchemes", "WinHttpSetCredentials", "WinHttpCloseHandle",
        "WinHttpGetIEProxyConfigForCurrentUser", "WinHttpGetProxyForUrl"}},
  };
  return Libraries;
}

void TMachine::FailLibrary(std::string_view FileName, std::uint32_t Error) {
  for (const TLateBoundLibrary& Library : LateBoundLibraries()) {
    if (Library.FileName != FileName) continue;
    for (const std::string_view Call : Library.Calls) FailCall(Call, Error);
    return;
  }
  throw std::invalid_argument("no calls are bound from " + std::string{FileName});
}

int TMachine::CallCount(std::string_view Call) const {
  const auto Found = Calls.find(Call);
  return Found == Calls.end() ? 0 : Found->second;
}

bool TMachine::Failing(std::string_view Call) {
  auto Counted = Calls.find(Call);
  if (Counted == Calls.end()) Counted = Calls.emplace(std::string{Call}, 0).first;
  ++Counted->second;
  const auto Found = Faults.find(Call);
  if (Found == Faults.end()) return false;
  TFault& Fault = Found->second;
  if (Fault.Skip > 0) {
    --Fault.Skip;
    return false;
  }
  if (Fault.Times == 0) return false;
  if (Fault.Times > 0) --Fault.Times;
  LastError = Fault.Error;
  return true;
}

void TMachine::SetEnvironmentVariable(std::u16string_view Name, std::u16string_view Value) {
  Environment.insert_or_assign(ToUpperAscii(Name), std::u16string{Value});
}

void TMachine::RemoveEnvironmentVariable(std::u16string_view Name) {
  Environment.erase(ToUpperAscii(Name));
}

std::u16string TFileSystem::Key(std::u16string_view FullPath) {
  std::u16string Result = ToUpperAscii(FullPath);
  while (!Result.empty() && Result.back() == u'\\') Result.pop_back();
  return Result;
}

void TFileSystem::MakeDirectory(std::u16string_view Path) {
  for (std::u16string K = Key(FullPathName(Path, u"C:\\")); !K.empty(); K = ParentKey(K)) {
    Directories.insert(K);
  }
}

void TFileSystem::MakeReadOnly(std::u16string_view Directory) {
  MakeDirectory(Directory);
  ReadOnlyDirectories.insert(Key(FullPathName(Directory, u"C:\\")));
}

void TFileSystem::PutFile(std::u16string_view Path, std::string Data) {
  const std::u16string Full = FullPathName(Path, u"C:\\");
  MakeDirectory(Full.substr(0, Full.rfind(u'\\')));
  const std::u16string K = Key(Full);
  Files[K].Data = std::move(Data);
  Display.emplace(K, Full);
}

bool TFileSystem::DirectoryExists(std::u16string_view Path) const {
  return Directories.contains(Key(FullPathName(Path, u"C:\\")));
}

bool TFileSystem::FileExists(std::u16string_view Path) const {
  return Files.contains(Key(FullPathName(Path, u"C:\\")));
}

std::optional<std::string> TFileSystem::FileData(std::u16string_view Path) const {
  const auto Found = Files.find(Key(FullPathName(Path, u"C:\\")));
  if (Found == Files.end()) return std::nullopt;
  return Found->second.Data;
}

std::vector<std::u16string> TFileSystem::FileNames() const {
  std::vector<std::u16string> Names;
  for (const auto& [K, File] : Files) Names.push_back(Display.at(K));
  return Names;
}

std::u16string FullPathName(std::u16string_view Path, std::u16string_view CurrentDirectory) {
  std::u16string Root;
  std::u16string_view Rest;
  if (HasDrive(Path) && Path.size() > 2 && IsSeparator(Path[2])) {
    Root = std::u16string{Path.substr(0, 2)} + u"\\";
    Rest = Path.substr(3);
  } else if (HasDrive(Path)) {  // drive-relative: "C:name"
    const bool SameDrive = ToUpperAscii(Path.substr(0, 1)) == ToUpperAscii(CurrentDirectory.substr(0, 1));
    return FullPathName((SameDrive ? std::u16string{CurrentDirectory} : std::u16string{Path.substr(0, 2)}) +
                            u"\\" + std::u16string{Path.substr(2)},
                        CurrentDirectory);
  } else if (!Path.empty() && IsSeparator(Path[0])) {
    Root = std::u16string{CurrentDirectory.substr(0, 2)} + u"\\";
    Rest = Path.substr(1);
  } else {
    return FullPathName(std::u16string{CurrentDirectory} + u"\\" + std::u16string{Path}, CurrentDirectory);
  }

  std::vector<std::u16string> Parts;
  std::u16string Part;
  const auto Flush = [&] {
    if (Part == u"..") {
      if (!Parts.empty()) Parts.pop_back();
    } else if (!Part.empty() && Part != u".") {
      Parts.push_back(Part);
    }
    Part.clear();
  };
  for (const char16_t C : Rest) {
    if (IsSeparator(C)) {
      Flush();
    } else {
      Part += C;
    }
  }
  Flush();

  std::u16string Result = Root;
  for (std::size_t I = 0; I < Parts.size(); ++I) {
    if (I > 0) Result += u'\\';
    Result += Parts[I];
  }
  if (!Parts.empty() && !Rest.empty() && IsSeparator(Rest.back())) Result += u'\\';
  return Result;
}

std::u16string ToUpperAscii(std::u16string_view Text) {
  std::u16string Result{Text};
  for (char16_t& C : Result) {
    if (C >= u'a' && C <= u'z') C = static_cast<char16_t>(C - u'a' + u'A');
  }
  return Result;
}

}  // namespace platform::simulated
