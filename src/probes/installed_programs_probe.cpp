#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "probes/probes.h"
#include "probes/registry.h"
#include "text/exceptions.h"
#include "text/string_list.h"
#include "text/string_routines.h"

namespace {

constexpr std::u16string_view UninstallKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
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
    case TRegDataType::rdString:
      return NonNegative(StrToIntDef(Reg.ReadString(u"SystemComponent"), 0));
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

// What a listed entry says about itself beyond its name; travels with its line.
class TProgramEntry : public TObject {
 public:
  explicit TProgramEntry(TInstalledProgram ADetails) : Details(std::move(ADetails)) {}
  TInstalledProgram Details;  // all but the name, which is the line's
};

// "{" 8-4-4-4-12 hex digits "}": the product code Windows Installer names its entries by.
bool IsGuid(std::u16string_view Name) {
  constexpr std::u16string_view Shape = u"{00000000-0000-0000-0000-000000000000}";
  if (Name.size() != Shape.size()) return false;
  for (std::size_t I = 0; I < Name.size(); ++I) {
    const char16_t C = Name[I];
    const bool Hex =
        (C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'f') || (C >= u'A' && C <= u'F');
    if (Shape[I] == u'0' ? !Hex : C != Shape[I]) return false;
  }
  return true;
}

// A value that only describes an entry: when it cannot be read it is left out, never the entry.
std::u16string DescriptiveValue(const TRegistry& Reg, std::u16string_view Name) {
  try {
    return Trim(Reg.ReadString(Name));
  } catch (const Exception&) {
    return {};
  }
}

// What the entry at the open key, named Key, says about itself beyond its name.
TInstalledProgram EntryDetails(const TRegistry& Reg, const std::u16string& Key, bool WideView) {
  TInstalledProgram Details;
  Details.Version = DescriptiveValue(Reg, u"DisplayVersion");
  Details.Publisher = DescriptiveValue(Reg, u"Publisher");
  Details.InstallDate = DescriptiveValue(Reg, u"InstallDate");
  Details.UninstallString = DescriptiveValue(Reg, u"UninstallString");
  Details.UrlInfoAbout = DescriptiveValue(Reg, u"URLInfoAbout");
  Details.HelpLink = DescriptiveValue(Reg, u"HelpLink");
  Details.Comments = DescriptiveValue(Reg, u"Comments");
  if (IsGuid(Key)) Details.Guid = Key;
  Details.WideView = WideView;
  return Details;
}

// With Entries, each line added carries its entry's details, kept in Entries. WideView: SubKey is
// read through the registry's own 64-bit view, not the 32-bit programs' Wow6432Node.
// False when the key exists but could not be opened: its programs are then unknown.
bool ReadUninstallKey(TRegistry& Reg, TStringList& Keys, TStringList& ProgramsList,
                      std::deque<TProgramEntry>* Entries, platform::Hkey RootKey,
                      std::u16string_view SubKey, bool WideView) {
  Reg.SetRootKey(RootKey);
  if (!Reg.OpenKeyReadOnly(SubKey))
    return Reg.LastOpenError() == static_cast<std::int32_t>(platform::ErrorFileNotFound);
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
      if (!Line.empty()) {
        TObject* Entry = nullptr;
        if (Entries != nullptr) {
          Entry = &Entries->emplace_back(EntryDetails(Reg, Keys.Get(I), WideView));
        }
        ProgramsList.AddObject(std::move(Line), Entry);
      }
    } catch (...) {  // NOLINT(bugprone-empty-catch)
    }
    Reg.CloseKey();
  }
  return true;
}

}  // namespace

std::u16string GetInstalledPrograms(std::optional<std::vector<TInstalledProgram>>* Details) {
  std::deque<TProgramEntry> Entries;  // declared first: outlives the list's references to them
  TStringList ProgramsList;
  std::deque<TProgramEntry>* Described = Details != nullptr ? &Entries : nullptr;
  bool Read = true;
  {
    TStringList Keys;
    TRegistry Reg(RegistryReadAccess);
    Read &= ReadUninstallKey(Reg, Keys, ProgramsList, Described, platform::HkeyLocalMachine,
                             UninstallKey, true);
    Read &= ReadUninstallKey(Reg, Keys, ProgramsList, Described, platform::HkeyLocalMachine,
                             Uninstall32Key, false);
    Read &= ReadUninstallKey(Reg, Keys, ProgramsList, Described, platform::HkeyCurrentUser,
                             UninstallKey, true);
  }
  // The first of lines that differ only in case (or in what the locale ignores) is the one kept.
  ProgramsList.RemoveLaterDuplicates();
  ProgramsList.Sort();
  if (Details != nullptr && Read) {
    Details->emplace();
    for (std::int32_t I = 0; I < ProgramsList.Count(); ++I) {
      const auto* Entry = dynamic_cast<const TProgramEntry*>(ProgramsList.GetObject(I));
      TInstalledProgram Program = Entry != nullptr ? Entry->Details : TInstalledProgram{};
      Program.Name = ProgramsList.Get(I).substr(2);  // after the bullet and space
      (*Details)->push_back(std::move(Program));
    }
  }
  return ProgramsList.Count() == 0 ? u"Nenhum programa encontrado." : ProgramsList.Text();
}
