// Where Explorer keeps the user's Desktop. OneDrive's folder backup and folder redirection by
// policy move it out of the profile, and Explorer records the new place in the user's shell
// folders; the report belongs where the user will look for it.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/scoped_resource.h"
#include "report/report.h"
#include "text/sys_utils.h"

namespace {

constexpr const char16_t* UserShellFolders =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr int ReadAttempts = 3;  // a value that keeps growing between reads is given up on
constexpr std::size_t PathUnits = 261;  // room for a path of the classic length and its NUL

// Text from UTF-16 LE bytes, up to the first NUL; a final odd byte is dropped.
std::u16string TextOf(const std::vector<std::uint8_t>& Data, std::size_t Bytes) {
  std::u16string Text;
  for (std::size_t I = 0; I + 1 < std::min(Bytes, Data.size()); I += 2) {
    const auto Unit = static_cast<char16_t>(Data[I] | Data[I + 1] << 8);
    if (Unit == u'\0') break;
    Text += Unit;
  }
  return Text;
}

// The Desktop value as stored; nothing when it is missing, not a string or cannot be read.
std::optional<std::u16string> ShellDesktopValue() {
  platform::Hkey Opened{0};
  if (platform::RegOpenKeyExW(platform::HkeyCurrentUser, UserShellFolders, 0,
                              platform::KeyQueryValue | platform::KeyWow6464Key, &Opened) != 0) {
    return std::nullopt;
  }
  const platform::ScopedRegKey Key(Opened);
  std::vector<std::uint8_t> Data(PathUnits * sizeof(char16_t));
  for (int Attempt = 0; Attempt < ReadAttempts; ++Attempt) {
    std::uint32_t Type = platform::RegNone;
    auto Size = static_cast<std::uint32_t>(Data.size());
    const std::int32_t Result =
        platform::RegQueryValueExW(Key.Get(), u"Desktop", nullptr, &Type, Data.data(), &Size);
    if (Result == static_cast<std::int32_t>(platform::ErrorMoreData) && Size > Data.size()) {
      Data.resize(Size);
      continue;
    }
    if (Result != 0 || (Type != platform::RegSz && Type != platform::RegExpandSz)) break;
    return TextOf(Data, Size);
  }
  return std::nullopt;
}

// Text with its %NAME% references replaced from this process's environment.
std::optional<std::u16string> ExpandEnvironment(const std::u16string& Text) {
  std::vector<char16_t> Buffer(std::max(Text.size() + 1, PathUnits));
  for (int Attempt = 0; Attempt < ReadAttempts; ++Attempt) {
    const auto Size = static_cast<std::uint32_t>(Buffer.size());
    const std::uint32_t Result =
        platform::ExpandEnvironmentStringsW(Text.c_str(), Buffer.data(), Size);
    if (Result == 0) break;
    if (Result <= Size) {
      const auto Stored = Buffer.begin() + Result;
      return std::u16string(Buffer.begin(), std::find(Buffer.begin(), Stored, u'\0'));
    }
    Buffer.resize(Result);
  }
  return std::nullopt;
}

bool IsDriveLetter(char16_t C) { return (C >= u'A' && C <= u'Z') || (C >= u'a' && C <= u'z'); }

// "X:\..." or "\\server\...": a path that names the same folder from any current directory.
bool IsAbsolutePath(std::u16string_view Path) {
  const bool OnDrive =
      Path.size() >= 3 && IsDriveLetter(Path[0]) && Path[1] == u':' && Path[2] == u'\\';
  const bool Unc = Path.size() >= 3 && Path[0] == u'\\' && Path[1] == u'\\' && Path[2] != u'\\';
  return OnDrive || Unc;
}

// A %NAME% left over: a variable this process does not have, so the path is not the one meant.
bool HoldsUnexpandedName(std::u16string_view Path) {
  for (std::size_t Open = Path.find(u'%'); Open != std::u16string_view::npos;) {
    const std::size_t Close = Path.find(u'%', Open + 1);
    if (Close == std::u16string_view::npos) return false;
    if (Close > Open + 1) return true;
    Open = Close;  // "%%" names nothing; its second % may open a name
  }
  return false;
}

std::u16string_view WithoutTrailingBackslashes(std::u16string_view Path) {
  while (!Path.empty() && Path.back() == u'\\') Path.remove_suffix(1);
  return Path;
}

// Both paths name one folder. Each is made a full path first (doubled separators, "." and ".."
// resolved: a profile path ending in a backslash gives Windows' own "%USERPROFILE%\Desktop" a
// doubled one), then the two are compared as the file system compares names, code unit by code
// unit ignoring case, trailing backslashes aside. When the system cannot resolve or compare them
// they count as the same, which leaves the report where it has always gone.
bool SameFolder(std::u16string_view A, std::u16string_view B) {
  const std::u16string FullA = ExpandFileName(A);
  const std::u16string FullB = ExpandFileName(B);
  if (FullA.empty() || FullB.empty()) return true;
  const std::u16string_view X = WithoutTrailingBackslashes(FullA);
  const std::u16string_view Y = WithoutTrailingBackslashes(FullB);
  const int Result = platform::CompareStringOrdinal(X.data(), static_cast<int>(X.size()), Y.data(),
                                                    static_cast<int>(Y.size()), 1);
  return Result == platform::CstrEqual || Result == 0;
}

}  // namespace

std::optional<std::u16string> GetRedirectedDesktop(std::u16string_view ProfileDesktop) {
  const std::optional<std::u16string> Value = ShellDesktopValue();
  if (!Value || Value->empty()) return std::nullopt;
  const std::optional<std::u16string> Folder = ExpandEnvironment(*Value);
  if (!Folder || !IsAbsolutePath(*Folder) || HoldsUnexpandedName(*Folder)) return std::nullopt;
  if (SameFolder(*Folder, ProfileDesktop)) return std::nullopt;
  const std::u16string Full = ExpandFileName(*Folder);
  std::u16string Result{WithoutTrailingBackslashes(Full.empty() ? *Folder : Full)};
  if (Result.size() == 2) Result += u'\\';  // a drive's root keeps its backslash: "D:\"
  return Result;
}
