#include "platform/test_support.h"

#include "platform/simulated/machine.h"

namespace platform::testing {

using simulated::TRegistryTree;
using simulated::TRegKey;

std::u16string MakeScratchDirectory() {
  static int Counter = 0;
  std::u16string Path =
      u"C:\\Temp\\scratch" + std::u16string(1, static_cast<char16_t>(u'A' + Counter++ % 26));
  simulated::Machine().FileSystem.MakeDirectory(Path);
  return Path;
}

void MakeDirectory(std::u16string_view Path) {
  simulated::Machine().FileSystem.MakeDirectory(Path);
}

void SetEnvironmentVariable(std::u16string_view Name, std::u16string_view Value) {
  simulated::Machine().SetEnvironmentVariable(Name, Value);
}

void RemoveEnvironmentVariable(std::u16string_view Name) {
  simulated::Machine().RemoveEnvironmentVariable(Name);
}

void SetLastError(std::uint32_t Error) { simulated::Machine().LastError = Error; }

bool CreateUserKey(std::u16string_view Path) {
  simulated::Machine().Registry.Key(HkeyCurrentUser, Path);
  return true;
}

bool SetUserValue(std::u16string_view KeyPath, std::u16string_view Name, std::uint32_t Type,
                  std::string_view Data) {
  simulated::Machine()
      .Registry.Key(HkeyCurrentUser, KeyPath)
      .SetValue(Name, Type, std::string{Data});
  return true;
}

void DeleteUserKeyTree(std::u16string_view Path) {
  const std::size_t Last = Path.rfind(u'\\');
  simulated::TRegKey* Root = simulated::Machine().Registry.Root(HkeyCurrentUser);
  simulated::TRegKey* Parent =
      Last == std::u16string_view::npos ? Root : Root->Find(Path.substr(0, Last));
  const std::u16string_view Name = Last == std::u16string_view::npos ? Path : Path.substr(Last + 1);
  if (Parent != nullptr) Parent->SubKeys.erase(simulated::ToUpperAscii(Name));
}

void EnsureDisplayAdapter() {
  constexpr std::u16string_view Class = u"{4d36e968-e325-11ce-bfc1-08002be10318}";
  TRegistryTree& Registry = simulated::Machine().Registry;
  TRegKey& Device = Registry.Key(
      HkeyLocalMachine,
      u"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_0000&DEV_0000&SUBSYS_00000000&REV_00\\00000000");
  Device.SetString(u"ClassGUID", Class);
  Device.SetString(u"Driver", std::u16string{Class} + u"\\0000");
  Registry
      .Key(HkeyLocalMachine,
           u"SYSTEM\\CurrentControlSet\\Control\\Class\\" + std::u16string{Class} + u"\\0000")
      .SetString(u"DriverDesc", u"Simulated Adapter");
}

}  // namespace platform::testing
