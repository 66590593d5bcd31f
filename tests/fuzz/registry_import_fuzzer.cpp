// Registry Editor files of any bytes, as the tests load them: the import either applies the file
// or answers an error text, and the tree it leaves behind can be read through the registry calls.
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "platform/simulated/machine.h"
#include "probes/probes.h"
#include "text/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  const std::string_view Bytes(reinterpret_cast<const char*>(Data), Size);
  if (const auto Error = platform::simulated::Machine().Registry.Import(Bytes)) {
    fuzz::Check(!Error->empty(), "an import error without a text");
    return 0;
  }
  // Whatever was imported, the probes read it without crashing and close every key.
  try {
    std::u16string Version;
    std::u16string Build;
    (void)GetOSInfo(Version, Build);
    (void)GetCPUName();
  } catch (const Exception&) {
  }
  (void)GetInstalledPrograms();
  fuzz::Check(platform::simulated::Machine().OpenHandleCount() == 0, "a registry key left open");
  return 0;
}
