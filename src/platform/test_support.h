// What the contract tests need to set a machine up and clean it, on either backend. Not part of
// the product: only the test executables link it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::testing {

// A new, empty folder for one test (full path, no trailing backslash).
std::u16string MakeScratchDirectory();
void MakeDirectory(std::u16string_view Path);
void SetEnvironmentVariable(std::u16string_view Name, std::u16string_view Value);
void RemoveEnvironmentVariable(std::u16string_view Name);
// Leaves Error behind as the last error, so that a call which must reset it is seen to do so.
void SetLastError(std::uint32_t Error);

}  // namespace platform::testing
