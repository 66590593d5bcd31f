// Registry contents from fuzz bytes: a list of commands that pick a key, store a value of any type
// with any bytes, restrict what a key grants, add dozens of program entries at once, or make a
// registry call fail. The identity probes and the installed-programs probe read what they build.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/simulated/machine.h"
#include "seed_writer.h"
#include "text/format.h"

namespace fuzz {

namespace registry_input {

// Paths the probes read; a command may also name any other path.
constexpr std::array<std::u16string_view, 7> KnownPaths{
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
    u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    u"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion",
    u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor",
    u"",
};
constexpr std::uint8_t PathGiven = KnownPaths.size();  // the path follows as text

// clang-format off
constexpr std::array<std::u16string_view, 13> KnownNames{
    u"ProductName", u"DisplayVersion", u"ReleaseId", u"CurrentBuildNumber", u"UBR", u"ProductId",
    u"ProcessorNameString", u"DisplayName", u"SystemComponent", u"ParentKeyName", u"",
    u"productname", u"DISPLAYNAME"};
// clang-format on
constexpr std::uint8_t NameGiven = KnownNames.size();

constexpr std::array<std::uint32_t, 7> KnownAccess{0,   0x20019, 0x20009,   0x1,
                                                   0x8, 0x2001F, 0xFFFFFFFF};
constexpr std::uint8_t AccessGiven = KnownAccess.size();

// Calls a registry read makes; closing is left alone, as a failed close leaks by definition.
constexpr std::array<const char*, 5> FaultCalls{
    "RegOpenKeyExW", "RegQueryValueExW", "RegQueryInfoKeyW", "RegEnumKeyExW", "CompareStringW"};
constexpr std::array<std::uint32_t, 7> FaultErrors{2, 5, 6, 87, 234, 259, 1450};

enum TOp : std::uint8_t { SelectKey, SetValue, SetAccess, ManyEntries, Fail, LastOp = Fail };

constexpr std::uint32_t TypeGiven = 14;  // types 0..13 directly; 14: any 32-bit type follows
constexpr std::size_t MaxValueBytes = 1 << 20;
// What one input may build in all: sixteen entries and values of some KiB already take every
// path the probes have (sorting and removing duplicates, quicksort's recursion on either side,
// values longer than any buffer, 512 bytes the largest), and 64 commands are more than any seed
// holds; while every entry, command and KiB more costs each input its time, is read back by the
// scan, and leaves fewer inputs tried.
constexpr std::size_t MaxTotalBytes = 16 << 10;
constexpr std::size_t EntryBudget = 16;
constexpr std::uint16_t MaxEntries = 4000;  // what a command may ask for, within the budget
constexpr int MaxCommands = 64;

}  // namespace registry_input

// What the commands left behind besides the tree.
struct TRegistryInput {
  bool Faulted = false;
};

inline TRegistryInput DecodeRegistry(FuzzedDataProvider& In) {
  using namespace registry_input;
  auto& M = platform::simulated::Machine();
  TRegistryInput Result;
  platform::simulated::TRegKey* Current = M.Registry.Root(platform::HkeyLocalMachine);
  std::size_t Stored = 0;
  std::size_t Entries = 0;
  for (int N = 0; N < MaxCommands && In.remaining_bytes() > 0; ++N) {
    switch (In.ConsumeIntegralInRange<std::uint8_t>(0, LastOp)) {
      case SelectKey: {
        const platform::Hkey Root =
            In.ConsumeBool() ? platform::HkeyCurrentUser : platform::HkeyLocalMachine;
        const auto Known = In.ConsumeIntegralInRange<std::uint8_t>(0, PathGiven);
        std::u16string Path =
            Known < PathGiven ? std::u16string{KnownPaths[Known]} : ConsumeText16(In, 512);
        if (const std::u16string Child = ConsumeText16(In, 512); !Child.empty())
          Path += u"\\" + Child;
        Current = &M.Registry.Key(Root, Path);
        break;
      }
      case SetValue: {
        const auto Known = In.ConsumeIntegralInRange<std::uint8_t>(0, NameGiven);
        const std::u16string Name =
            Known < NameGiven ? std::u16string{KnownNames[Known]} : ConsumeText16(In, 256);
        auto Type = In.ConsumeIntegralInRange<std::uint32_t>(0, TypeGiven);
        if (Type == TypeGiven) Type = In.ConsumeIntegral<std::uint32_t>();
        std::string Data = In.ConsumeRandomLengthString(2 * MaxTextUnits);
        // A value can be far larger than an input: the bytes repeated, by doubling what is there
        // (an append per repetition is tens of thousands of instrumented steps for a short one).
        if (In.ConsumeBool() && !Data.empty()) {
          const std::size_t Room =
              std::min(MaxValueBytes, MaxTotalBytes - std::min(MaxTotalBytes, Stored));
          const auto Times = std::min<std::size_t>(
              In.ConsumeIntegralInRange<std::uint32_t>(2, 1 << 16), Room / Data.size());
          if (Times > 1) {
            const std::size_t Size = Data.size() * Times;
            Data.reserve(Size);
            while (2 * Data.size() <= Size) Data += Data;
            Data.append(Data, 0, Size - Data.size());
          }
        }
        Stored += Data.size();
        Current->SetValue(Name, Type, std::move(Data));
        break;
      }
      case SetAccess: {
        const auto Known = In.ConsumeIntegralInRange<std::uint8_t>(0, AccessGiven);
        Current->GrantedAccess =
            Known < AccessGiven ? KnownAccess[Known] : In.ConsumeIntegral<std::uint32_t>();
        break;
      }
      case ManyEntries: {
        // Count subkeys "<prefix>N", each with a DisplayName "<name> K" where K = N mod Distinct,
        // so that names repeat; every Hidden-th one is a system component.
        const std::u16string Prefix = ConsumeText16(In, 64);
        const std::u16string Name = ConsumeText16(In, 64);
        const auto Asked = In.ConsumeIntegralInRange<std::uint16_t>(0, MaxEntries);
        const auto Count =
            static_cast<std::uint16_t>(std::min<std::size_t>(Asked, EntryBudget - Entries));
        Entries += Count;
        const auto Distinct = In.ConsumeIntegralInRange<std::uint16_t>(1, MaxEntries);
        const auto Hidden = In.ConsumeIntegralInRange<std::uint16_t>(0, MaxEntries);
        for (std::uint16_t I = 0; I < Count; ++I) {
          auto& Entry = Current->Create(Prefix + IntToStr(I));
          Entry.SetString(u"DisplayName", Name + u" " + IntToStr(I % Distinct));
          if (Hidden != 0 && I % Hidden == 0) Entry.SetDword(u"SystemComponent", 1);
        }
        break;
      }
      case Fail: {
        const char* Call =
            FaultCalls[In.ConsumeIntegralInRange<std::size_t>(0, FaultCalls.size() - 1)];
        const std::uint32_t Error =
            FaultErrors[In.ConsumeIntegralInRange<std::size_t>(0, FaultErrors.size() - 1)];
        const auto Skip = In.ConsumeIntegralInRange<int>(0, 4000);
        const auto Times = In.ConsumeIntegralInRange<int>(-1, 3);
        M.FailCall(Call, Error, Skip, Times);
        Result.Faulted = true;
        break;
      }
    }
  }
  return Result;
}

// Visit(Path, Key) for each key below Key (at Path, itself included) that the commands rebuilding
// Key select: those with values, and those without subkeys; in the order they rebuild them.
template <typename TVisit>
void ForEachKeyToEncode(const std::u16string& Path, const platform::simulated::TRegKey& Key,
                        TVisit&& Visit) {
  if (!Key.Values.empty() || Key.SubKeys.empty()) Visit(Path, Key);
  for (const auto& [Upper, Sub] : Key.SubKeys) {
    ForEachKeyToEncode(Path.empty() ? Sub->Name : Path + u"\\" + Sub->Name, *Sub, Visit);
  }
}

// The commands that select the key Key (below Root, at Path), making it, and store its values.
inline void EncodeKeyValues(TSeedWriter& Out, platform::Hkey Root, const std::u16string& Path,
                            const platform::simulated::TRegKey& Key) {
  using namespace registry_input;
  Out.Integral<std::uint8_t>(SelectKey, 0, LastOp);
  Out.Bool(Root == platform::HkeyCurrentUser);
  // The longest known path the key is at or below, and the rest as the child's path.
  std::uint8_t Known = PathGiven;
  for (std::uint8_t K = 0; K < PathGiven; ++K) {
    const std::u16string_view P = KnownPaths[K];
    const bool Below =
        P.empty() ? Path.empty()
                  : Path == P || (Path.size() > P.size() && Path.compare(0, P.size(), P) == 0 &&
                                  Path[P.size()] == u'\\');
    if (Below && (Known == PathGiven || P.size() > KnownPaths[Known].size())) Known = K;
  }
  Out.Integral<std::uint8_t>(Known, 0, PathGiven);
  if (Known == PathGiven) {
    Out.Text16(Path);
    Out.Text16(u"");
  } else {
    const std::size_t Taken = KnownPaths[Known].size();
    Out.Text16(Path.size() > Taken ? Path.substr(Taken + 1) : u"");
  }
  for (const auto& [Upper, Value] : Key.Values) {
    Out.Integral<std::uint8_t>(SetValue, 0, LastOp);
    const auto* Name = std::find(KnownNames.begin(), KnownNames.end(), Value.Name);
    Out.Integral<std::uint8_t>(static_cast<std::uint8_t>(Name - KnownNames.begin()), 0, NameGiven);
    if (Name == KnownNames.end()) Out.Text16(Value.Name);
    Out.Integral<std::uint32_t>(std::min(Value.Type, TypeGiven), 0, TypeGiven);
    if (Value.Type >= TypeGiven) Out.Integral<std::uint32_t>(Value.Type);
    Out.RandomLengthString(Value.Data);
    Out.Bool(false);
  }
}

// The commands that rebuild the key Key (below Root, at Path) with its values and subkeys.
inline void EncodeKey(TSeedWriter& Out, platform::Hkey Root, const std::u16string& Path,
                      const platform::simulated::TRegKey& Key) {
  ForEachKeyToEncode(Path, Key,
                     [&](const std::u16string& P, const platform::simulated::TRegKey& K) {
                       EncodeKeyValues(Out, Root, P, K);
                     });
}

}  // namespace fuzz
