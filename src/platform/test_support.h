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

// Keys below HKEY_CURRENT_USER, for reading back through the registry calls. Values keep exactly
// the bytes given: string data ends with a NUL only when Data includes one.
bool CreateUserKey(std::u16string_view Path);  // with every missing key on the way
bool SetUserValue(std::u16string_view KeyPath, std::u16string_view Name, std::uint32_t Type,
                  std::string_view Data);
void DeleteUserKeyTree(std::u16string_view Path);  // the key and all below it, if it exists

// A display adapter attached to the machine, with a driver key holding DriverDesc: the one the
// system has (Wine always lists its own), or, on the simulated machine, one made for the test.
void EnsureDisplayAdapter();

}  // namespace platform::testing
