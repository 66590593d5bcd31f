#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "probes/probes.h"
#include "probes/registry.h"
#include "text/exceptions.h"
#include "text/string_list.h"
#include "text/string_routines.h"

namespace {

constexpr std::u16string_view UninstallKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr std::u16string_view Uninstall32Key =
    u"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// A registry number that must not be negative, as the unsigned flag it is.
std::uint32_t NonNegative(std::int32_t Value) {
  if (Value < 0) RaiseRangeError();
  return static_cast<std::uint32_t>(Value);
}

std::uint32_t SystemComponent(const TRegistry& Reg) {
  // A missing value has no type, so one query both tests for it and tells its kind.
  switch (Reg.GetDataType(u"SystemComponent")) {
    case TRegDataType::rdInteger: return NonNegative(Reg.ReadInteger(u"SystemComponent"));
    case TRegDataType::rdString: return NonNegative(StrToIntDef(Reg.ReadString(u"SystemComponent"), 0));
    default: return 0;  // other kinds do not mark a system component
  }
}

// The line for the entry at the open key, or nothing when the entry is not a program a user
// installed: no name, a system component, or a part of another entry. Every registry query is a
// trip to the system, and a machine has thousands of entries, so a value whose answer can no
// longer change the outcome is not read: a missing name reads as empty, and an entry without a
// name, or marked as a system component, is left out whatever else it holds. (A value that fails
// to read only ever abandons its entry, which leaves the entry out as well.)
std::u16string ProgramLine(const TRegistry& Reg) {
  const std::u16string DisplayName = Trim(Reg.ReadString(u"DisplayName"));
  if (DisplayName.empty() || SystemComponent(Reg) != 0) return {};
  if (!Reg.ReadString(u"ParentKeyName").empty()) return {};
  return u"\u2022 " + DisplayName;
}

void ReadUninstallKey(TRegistry& Reg, TStringList& Keys, TStringList& ProgramsList,
                      platform::Hkey RootKey, std::u16string_view SubKey) {
  Reg.SetRootKey(RootKey);
  if (!Reg.OpenKeyReadOnly(SubKey)) return;
  Reg.GetKeyNames(Keys);
  Reg.CloseKey();
  std::u16string Path{SubKey};
  Path += u'\\';
  const std::size_t Prefix = Path.size();
  for (std::int32_t I = 0; I < Keys.Count(); ++I) {
    Path.resize(Prefix);
    Path += Keys.Get(I);
    if (!Reg.OpenKeyReadOnly(Path)) continue;
    // A broken entry costs only itself: whatever fails while reading it, the scan goes on.
    try {
      std::u16string Line = ProgramLine(Reg);
      if (!Line.empty()) ProgramsList.Add(std::move(Line));
    } catch (...) {  // NOLINT(bugprone-empty-catch)
    }
    Reg.CloseKey();
  }
}

}  // namespace

std::u16string GetInstalledPrograms() {
  TStringList ProgramsList;
  {
    TStringList Keys;
    TRegistry Reg(RegistryReadAccess);
    ReadUninstallKey(Reg, Keys, ProgramsList, platform::HkeyLocalMachine, UninstallKey);
    ReadUninstallKey(Reg, Keys, ProgramsList, platform::HkeyLocalMachine, Uninstall32Key);
    ReadUninstallKey(Reg, Keys, ProgramsList, platform::HkeyCurrentUser, UninstallKey);
  }
  // The first of lines that differ only in case (or in what the locale ignores) is the one kept.
  ProgramsList.RemoveLaterDuplicates();
  ProgramsList.Sort();
  return ProgramsList.Count() == 0 ? u"Nenhum programa encontrado." : ProgramsList.Text();
}
