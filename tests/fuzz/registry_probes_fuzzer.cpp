// The identity probes and the installed-programs probe on any registry: values of any type and
// size, embedded NULs, entries by the dozen, keys that refuse access, calls that fail.
//
// Properties: no crash and no sanitizer report; every key opened is closed again, whether the
// probe returns or raises; the processor name comes back trimmed; the installed programs are
// listed without an error escaping (a broken entry costs only itself), as bulleted lines; their
// details come one per line, in the list's order, unless an uninstall key exists that refuses to
// be read (one that is absent lists nothing, and does not count).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/simulated/machine.h"
#include "probes/probes.h"
#include "registry_input.h"
#include "text/exceptions.h"

namespace {

void CheckAllKeysClosed(const char* Probe) {
  fuzz::Check(platform::simulated::Machine().OpenHandleCount() == 0, Probe);
}

// Whether the key exists and refuses even the smallest open the scan tries, one that only asks to
// query values.
bool Refused(platform::Hkey Root, std::u16string_view Path) {
  const auto* Key = platform::simulated::Machine().Registry.Root(Root)->Find(Path);
  return Key != nullptr && (Key->GrantedAccess & platform::KeyQueryValue) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  FuzzedDataProvider In(Data, Size);
  const fuzz::TRegistryInput Input = fuzz::DecodeRegistry(In);

  try {
    std::u16string Version;
    std::u16string Build;
    (void)GetOSInfo(Version, Build);
  } catch (const Exception&) {  // a value of the wrong type ends the report; the program says so
  }
  CheckAllKeysClosed("GetOSInfo left a registry key open");

  try {
    (void)GetWindowsProductId();
  } catch (const Exception&) {
  }
  CheckAllKeysClosed("GetWindowsProductId left a registry key open");

  try {
    const std::u16string Cpu = GetCPUName();
    fuzz::Check(Cpu.empty() || (Cpu.front() > u' ' && Cpu.back() > u' '),
                "processor name not trimmed", Cpu);
  } catch (const Exception&) {
  }
  CheckAllKeysClosed("GetCPUName left a registry key open");

  using fuzz::registry_input::KnownPaths;
  const bool Unreadable = Refused(platform::HkeyLocalMachine, KnownPaths[2]) ||
                          Refused(platform::HkeyLocalMachine, KnownPaths[3]) ||
                          Refused(platform::HkeyCurrentUser, KnownPaths[2]);
  std::u16string Programs;
  std::optional<std::vector<TInstalledProgram>> Details;
  try {
    Programs = GetInstalledPrograms(&Details);
  } catch (const Exception& E) {
    fuzz::Finding("an error escaped the installed-programs scan", E.Message);
  }
  CheckAllKeysClosed("GetInstalledPrograms left a registry key open");
  const bool Listed = Programs.rfind(u"\u2022 ", 0) == 0 && Programs.size() >= 4 &&
                      Programs.compare(Programs.size() - 2, 2, u"\r\n") == 0;
  fuzz::Check(Programs == u"Nenhum programa encontrado." || Listed, "program list malformed",
              Programs);
  // A failing call may refuse any key.
  fuzz::Check(Input.Faulted || Details.has_value() != Unreadable,
              Unreadable ? "program details although an uninstall key refused to be read"
                         : "program details missing although every uninstall key could be read");
  if (Details) {
    std::u16string Lines;
    for (const TInstalledProgram& Program : *Details) Lines += u"\u2022 " + Program.Name + u"\r\n";
    fuzz::Check(Lines == (Listed ? Programs : u""), "program details differ from the list", Lines);
  }
  return 0;
}
