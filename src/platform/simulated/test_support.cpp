#include "platform/test_support.h"

#include "platform/simulated/machine.h"

namespace platform::testing {

std::u16string MakeScratchDirectory() {
  static int Counter = 0;
  std::u16string Path = u"C:\\Temp\\scratch" + std::u16string(1, static_cast<char16_t>(u'A' + Counter++ % 26));
  simulated::Machine().FileSystem.MakeDirectory(Path);
  return Path;
}

void MakeDirectory(std::u16string_view Path) { simulated::Machine().FileSystem.MakeDirectory(Path); }

void SetEnvironmentVariable(std::u16string_view Name, std::u16string_view Value) {
  simulated::Machine().SetEnvironmentVariable(Name, Value);
}

void RemoveEnvironmentVariable(std::u16string_view Name) {
  simulated::Machine().RemoveEnvironmentVariable(Name);
}

void SetLastError(std::uint32_t Error) { simulated::Machine().LastError = Error; }

}  // namespace platform::testing
