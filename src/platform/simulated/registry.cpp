#include "platform/simulated/registry.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/simulated/machine.h"

namespace platform::simulated {

namespace {

// A dword or a hex(N) type is hex digits only; anything else is a malformed file, not a number.
constexpr std::u16string_view HexDigits = u"0123456789abcdefABCDEF";

// Visit(Part) for each backslash-separated part of Path, in order, while it answers true; false
// when it stopped early.
template <typename TVisit>
bool ForEachPart(std::u16string_view Path, TVisit Visit) {
  while (!Path.empty()) {
    const std::size_t Slash = Path.find(u'\\');
    if (!Visit(Path.substr(0, Slash))) return false;
    if (Slash == std::u16string_view::npos) break;
    Path.remove_prefix(Slash + 1);
  }
  return true;
}

std::u16string DecodeFile(std::string_view Bytes) {
  std::u16string Text;
  if (Bytes.size() >= 2 && static_cast<unsigned char>(Bytes[0]) == 0xFF &&
      static_cast<unsigned char>(Bytes[1]) == 0xFE) {
    for (std::size_t I = 2; I + 1 < Bytes.size(); I += 2) {
      Text += static_cast<char16_t>(static_cast<unsigned char>(Bytes[I]) |
                                    static_cast<unsigned char>(Bytes[I + 1]) << 8);
    }
    return Text;
  }
  if (Bytes.substr(0, 3) == "\xEF\xBB\xBF") Bytes.remove_prefix(3);
  const std::string Owned{Bytes};
  const int Size = platform::MultiByteToWideChar(CpUtf8, 0, Owned.data(), static_cast<int>(Owned.size()), nullptr, 0);
  Text.resize(static_cast<std::size_t>(Size));
  platform::MultiByteToWideChar(CpUtf8, 0, Owned.data(), static_cast<int>(Owned.size()), Text.data(), Size);
  return Text;
}

std::string Utf16Bytes(std::u16string_view Text) {
  std::string Bytes(2 * Text.size(), '\0');
  for (std::size_t I = 0; I < Text.size(); ++I) {
    Bytes[2 * I] = static_cast<char>(Text[I] & 0xFF);
    Bytes[2 * I + 1] = static_cast<char>(Text[I] >> 8);
  }
  return Bytes;
}

// A quoted name or string: the text between the quotes with \\ and \" unescaped, and the rest.
std::optional<std::pair<std::u16string, std::u16string_view>> Quoted(std::u16string_view Line) {
  if (Line.empty() || Line[0] != u'"') return std::nullopt;
  std::u16string Text;
  for (std::size_t I = 1; I < Line.size(); ++I) {
    if (Line[I] == u'\\' && I + 1 < Line.size()) {
      Text += Line[++I];
    } else if (Line[I] == u'"') {
      return std::make_pair(Text, Line.substr(I + 1));
    } else {
      Text += Line[I];
    }
  }
  return std::nullopt;
}

std::optional<std::string> HexBytes(std::u16string_view List) {
  std::string Bytes;
  std::string Digits;
  for (const char16_t C : List) {
    if (C == u',' || C == u' ' || C == u'\t') {
      if (!Digits.empty()) Bytes += static_cast<char>(std::stoi(Digits, nullptr, 16));
      Digits.clear();
    } else if ((C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'f') || (C >= u'A' && C <= u'F')) {
      Digits += static_cast<char>(C);
      if (Digits.size() > 2) return std::nullopt;
    } else {
      return std::nullopt;
    }
  }
  if (!Digits.empty()) Bytes += static_cast<char>(std::stoi(Digits, nullptr, 16));
  return Bytes;
}

}  // namespace

bool TNameOrder::operator()(std::u16string_view A, std::u16string_view B) const noexcept {
  const std::size_t Common = std::min(A.size(), B.size());
  std::size_t I = 0;
  for (; I + 4 <= Common; I += 4) {
    std::uint64_t X = 0;
    std::uint64_t Y = 0;
    std::memcpy(&X, A.data() + I, sizeof X);
    std::memcpy(&Y, B.data() + I, sizeof Y);
    if (X != Y) break;
  }
  for (; I < Common; ++I) {
    if (A[I] != B[I]) return A[I] < B[I];
  }
  return A.size() < B.size();
}

// NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): only the first FSize units are read
TUpperName::TUpperName(std::u16string_view Name) : FSize(Name.size()) {
  char16_t* Out = FLocal.data();
  if (Name.size() > FLocal.size()) {
    FLong.resize(Name.size());
    Out = FLong.data();
  }
  for (std::size_t I = 0; I < Name.size(); ++I) {
    const char16_t C = Name[I];
    Out[I] = C >= u'a' && C <= u'z' ? static_cast<char16_t>(C - u'a' + u'A') : C;
  }
}

TRegKey* TRegKey::SubKey(std::u16string_view Name) {
  const auto Found = SubKeys.find(TUpperName(Name).View());
  return Found == SubKeys.end() ? nullptr : Found->second.get();
}

const TRegValue* TRegKey::Value(std::u16string_view Name) const {
  const auto Found = Values.find(TUpperName(Name).View());
  return Found == Values.end() ? nullptr : &Found->second;
}

TRegKey* TRegKey::Find(std::u16string_view Path) {
  TRegKey* Key = this;
  const bool Whole = ForEachPart(Path, [&Key](std::u16string_view Part) {
    Key = Part.empty() ? nullptr : Key->SubKey(Part);
    return Key != nullptr;
  });
  return Whole ? Key : nullptr;
}

TRegKey& TRegKey::Create(std::u16string_view Path) {
  TRegKey* Key = this;
  ForEachPart(Path, [&Key](std::u16string_view Part) {
    if (Part.empty()) return true;
    const TUpperName Upper(Part);
    auto Found = Key->SubKeys.lower_bound(Upper.View());
    if (Found == Key->SubKeys.end() || Key->SubKeys.key_comp()(Upper.View(), Found->first)) {
      Key->SubKeysChanged();
      Found = Key->SubKeys.emplace_hint(Found, Upper.View(), std::make_unique<TRegKey>());
      Found->second->Name = std::u16string{Part};
    }
    Key = Found->second.get();
    return true;
  });
  return *Key;
}

const TRegKey* TRegKey::SubKeyAt(std::size_t Index) const {
  if (EnumerationOrder.size() != SubKeys.size()) {
    EnumerationOrder.clear();
    for (const auto& [Upper, Sub] : SubKeys) EnumerationOrder.push_back(Sub.get());
  }
  return Index < EnumerationOrder.size() ? EnumerationOrder[Index] : nullptr;
}

void TRegKey::SetValue(std::u16string_view ValueName, std::uint32_t Type, std::string Data) {
  Values.insert_or_assign(ToUpperAscii(ValueName), TRegValue{std::u16string{ValueName}, Type, std::move(Data)});
}

void TRegKey::SetString(std::u16string_view ValueName, std::u16string_view Text, std::uint32_t Type) {
  SetValue(ValueName, Type, Utf16Bytes(std::u16string{Text} + u'\0'));
}

void TRegKey::SetDword(std::u16string_view ValueName, std::uint32_t Value) {
  std::string Data(4, '\0');
  for (int I = 0; I < 4; ++I) Data[static_cast<std::size_t>(I)] = static_cast<char>(Value >> (8 * I) & 0xFF);
  SetValue(ValueName, RegDword, Data);
}

TRegistryTree::TRegistryTree() {
  LocalMachine.Name = u"HKEY_LOCAL_MACHINE";
  CurrentUser.Name = u"HKEY_CURRENT_USER";
}

TRegKey* TRegistryTree::Root(Hkey Key) {
  if (Key == HkeyLocalMachine) return &LocalMachine;
  if (Key == HkeyCurrentUser) return &CurrentUser;
  return nullptr;
}

std::optional<std::string> TRegistryTree::ImportFile(const std::string& LinuxPath) {
  std::ifstream File(LinuxPath, std::ios::binary);
  if (!File) return "cannot read " + LinuxPath;
  const std::string Bytes{std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
  return Import(Bytes);
}

std::optional<std::string> TRegistryTree::Import(std::string_view FileBytes) {
  const std::u16string Text = DecodeFile(FileBytes);
  // Join continued lines (a hex list broken with a trailing backslash).
  std::vector<std::u16string> Lines;
  std::u16string Pending;
  std::size_t Start = 0;
  while (Start <= Text.size()) {
    std::size_t End = Text.find(u'\n', Start);
    if (End == std::u16string::npos) End = Text.size();
    std::u16string Line = Text.substr(Start, End - Start);
    if (!Line.empty() && Line.back() == u'\r') Line.pop_back();
    Start = End + 1;
    if (!Pending.empty()) {
      const std::size_t First = Line.find_first_not_of(u" \t");
      if (First != std::u16string::npos) Pending += Line.substr(First);
      Line = std::move(Pending);
      Pending.clear();
    }
    if (!Line.empty() && Line.back() == u'\\' && Line.find(u"=hex") != std::u16string::npos) {
      Line.pop_back();
      Pending = Line;
      continue;
    }
    Lines.push_back(Line);
  }
  if (Lines.empty() || Lines[0] != u"Windows Registry Editor Version 5.00") {
    return "not a Windows Registry Editor 5.00 file";
  }

  TRegKey* Current = nullptr;
  for (std::size_t N = 1; N < Lines.size(); ++N) {
    std::u16string_view Line = Lines[N];
    while (!Line.empty() && (Line.front() == u' ' || Line.front() == u'\t')) Line.remove_prefix(1);
    if (Line.empty() || Line[0] == u';') continue;
    const std::string Where = "line " + std::to_string(N + 1);
    if (Line[0] == u'[') {
      if (Line.back() != u']') return Where + ": unclosed key";
      std::u16string_view Path = Line.substr(1, Line.size() - 2);
      const bool Delete = !Path.empty() && Path[0] == u'-';
      if (Delete) Path.remove_prefix(1);
      const std::size_t Slash = Path.find(u'\\');
      const std::u16string RootName = ToUpperAscii(Path.substr(0, Slash));
      TRegKey* Root = RootName == u"HKEY_LOCAL_MACHINE" ? &LocalMachine
                      : RootName == u"HKEY_CURRENT_USER" ? &CurrentUser
                                                         : nullptr;
      if (Root == nullptr) return Where + ": unknown root key";
      const std::u16string_view Rest = Slash == std::u16string_view::npos ? u"" : Path.substr(Slash + 1);
      if (Delete) {
        const std::size_t Last = Rest.rfind(u'\\');
        TRegKey* Parent = Last == std::u16string_view::npos ? Root : Root->Find(Rest.substr(0, Last));
        if (Parent != nullptr) {
          Parent->SubKeys.erase(ToUpperAscii(Rest.substr(Last + 1)));
          Parent->SubKeysChanged();
        }
        Current = nullptr;
      } else {
        Current = &Root->Create(Rest);
      }
      continue;
    }
    if (Current == nullptr) return Where + ": value outside a key";
    std::u16string Name;
    std::u16string_view Rest;
    if (Line[0] == u'@') {
      Rest = Line.substr(1);
    } else if (auto Q = Quoted(Line)) {
      Name = Q->first;
      Rest = Q->second;
    } else {
      return Where + ": bad value name";
    }
    if (Rest.empty() || Rest[0] != u'=') return Where + ": missing '='";
    Rest.remove_prefix(1);
    if (Rest == u"-") {
      Current->Values.erase(ToUpperAscii(Name));
    } else if (auto S = Quoted(Rest)) {
      Current->SetString(Name, S->first);
    } else if (Rest.substr(0, 6) == u"dword:") {
      const std::u16string Digits{Rest.substr(6)};
      if (Digits.size() != 8 || Digits.find_first_not_of(HexDigits) != std::u16string::npos) {
        return Where + ": a dword takes eight hex digits";
      }
      Current->SetDword(Name, static_cast<std::uint32_t>(std::stoul(ToUtf8(Digits), nullptr, 16)));
    } else if (Rest.substr(0, 4) == u"hex:" || Rest.substr(0, 4) == u"hex(") {
      std::uint32_t Type = RegBinary;
      std::size_t Colon = 3;
      if (Rest[3] == u'(') {
        const std::size_t Close = Rest.find(u')');
        if (Close == std::u16string_view::npos || Close == 4 || Close > 12 ||
            Rest.substr(4, Close - 4).find_first_not_of(HexDigits) != std::u16string_view::npos) {
          return Where + ": bad hex(N)";
        }
        Type = static_cast<std::uint32_t>(std::stoul(ToUtf8(Rest.substr(4, Close - 4)), nullptr, 16));
        Colon = Close + 1;
      }
      if (Colon >= Rest.size() || Rest[Colon] != u':') return Where + ": bad hex value";
      const std::optional<std::string> Bytes = HexBytes(Rest.substr(Colon + 1));
      if (!Bytes) return Where + ": bad hex bytes";
      Current->SetValue(Name, Type, *Bytes);
    } else {
      return Where + ": unknown value form";
    }
  }
  return std::nullopt;
}

}  // namespace platform::simulated
