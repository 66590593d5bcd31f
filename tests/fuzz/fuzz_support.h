// What every fuzz target shares: a fresh machine per input, a way to report a broken property,
// and the readers that turn fuzz bytes into the texts the machine holds.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/simulated/machine.h"
#include "probes/printers.h"
#include "text/format.h"
#include "text/sys_utils.h"

namespace fuzz {

// A machine no earlier input has touched: the shared printer object goes first (it holds a handle
// of the old machine), then the machine and the start-up settings.
inline void FreshMachine() {
  ReleasePrinter();
  platform::simulated::ResetMachine();
  FormatSettings = TFormatSettings{};
  NoteDefaultSystemCodePage();
}

// Each input runs on a fresh machine and destroys it when it ends, so that it ends holding no
// more memory than it found. libFuzzer runs an input that ends with more allocations than frees
// a second time, and then through the leak checker; while each machine outlived its input, about
// a quarter of all inputs were run twice for that.
class TFreshMachine {
 public:
  TFreshMachine() { FreshMachine(); }
  ~TFreshMachine() {
    ReleasePrinter();
    platform::simulated::ReleaseMachine();
  }
  TFreshMachine(const TFreshMachine&) = delete;
  TFreshMachine& operator=(const TFreshMachine&) = delete;
};

// A broken property is a finding: say which, then abort so that libFuzzer saves the input.
[[noreturn]] inline void Finding(const char* What, std::u16string_view Detail = {}) {
  std::fprintf(stderr, "FINDING: %s\n", What);
  if (!Detail.empty()) {
    std::fprintf(stderr, "  detail: %s\n", platform::simulated::ToUtf8(Detail).c_str());
  }
  std::abort();
}

inline void Check(bool Holds, const char* What, std::u16string_view Detail = {}) {
  if (!Holds) Finding(What, Detail);
}

// Maximum text sizes, so that one input cannot ask for more memory than a run has.
constexpr std::size_t MaxTextUnits = 4096;

// UTF-16 text: a byte string cut into little-endian code units (a final odd byte is dropped), so
// any unit can appear, unpaired surrogates and NULs included. The bytes are copied whole, as a
// loop over the units costs an instrumented step each.
inline std::u16string ConsumeText16(FuzzedDataProvider& In, std::size_t MaxUnits = MaxTextUnits) {
  static_assert(std::endian::native == std::endian::little, "code units are read little-endian");
  const std::string Bytes = In.ConsumeRandomLengthString(2 * MaxUnits);
  std::u16string Text(Bytes.size() / 2, u'\0');
  std::memcpy(Text.data(), Bytes.data(), 2 * Text.size());
  return Text;
}

}  // namespace fuzz
