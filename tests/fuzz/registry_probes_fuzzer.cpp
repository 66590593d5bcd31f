// The identity probes and the installed-programs probe on any registry: values of any type and
// size, embedded NULs, thousands of entries, keys that refuse access, calls that fail.
//
// Properties: no crash and no sanitizer report; every key opened is closed again, whether the
// probe returns or raises; the processor name comes back trimmed; the installed programs are
// listed without an error escaping (a broken entry costs only itself), as bulleted lines.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "platform/simulated/machine.h"
#include "probes/probes.h"
#include "registry_input.h"
#include "text/exceptions.h"

namespace {

void CheckAllKeysClosed(const char* Probe) {
  fuzz::Check(platform::simulated::Machine().OpenHandleCount() == 0, Probe);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  FuzzedDataProvider In(Data, Size);
  fuzz::DecodeRegistry(In);

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

  std::u16string Programs;
  try {
    Programs = GetInstalledPrograms();
  } catch (const Exception& E) {
    fuzz::Finding("an error escaped the installed-programs scan", E.Message);
  }
  CheckAllKeysClosed("GetInstalledPrograms left a registry key open");
  const bool Listed = Programs.rfind(u"\u2022 ", 0) == 0 && Programs.size() >= 4 &&
                      Programs.compare(Programs.size() - 2, 2, u"\r\n") == 0;
  fuzz::Check(Programs == u"Nenhum programa encontrado." || Listed, "program list malformed",
              Programs);
  return 0;
}
