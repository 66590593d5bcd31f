// A move-only owner for a platform resource, released exactly once on every path.
#pragma once

#include <utility>

#include "platform/platform.h"

namespace platform {

template <typename TTraits>
class TScopedResource {
 public:
  using TValue = typename TTraits::TValue;

  TScopedResource() = default;
  explicit TScopedResource(TValue Value) : FValue(Value) {}
  TScopedResource(TScopedResource&& Other) noexcept : FValue(Other.Release()) {}
  TScopedResource& operator=(TScopedResource&& Other) noexcept {
    if (this != &Other) Reset(Other.Release());
    return *this;
  }
  TScopedResource(const TScopedResource&) = delete;
  TScopedResource& operator=(const TScopedResource&) = delete;
  ~TScopedResource() { Reset(); }

  [[nodiscard]] TValue Get() const { return FValue; }
  [[nodiscard]] bool IsValid() const { return TTraits::IsValid(FValue); }

  TValue Release() { return std::exchange(FValue, TTraits::Invalid()); }
  // For a call that hands a resource out through a pointer: the one held is released first.
  TValue* Put() {
    Reset();
    return &FValue;
  }
  void Reset(TValue Value = TTraits::Invalid()) {
    const TValue Old = std::exchange(FValue, Value);
    if (TTraits::IsValid(Old)) TTraits::Close(Old);
  }

 private:
  TValue FValue = TTraits::Invalid();
};

struct TFileHandleTraits {
  using TValue = Handle;
  static TValue Invalid() { return InvalidHandleValue; }
  static bool IsValid(TValue Value) { return Value != InvalidHandleValue && Value != NullHandle; }
  static void Close(TValue Value) { CloseHandle(Value); }
};

using ScopedFileHandle = TScopedResource<TFileHandleTraits>;

// A block that the system allocated for us (FormatMessageW with an allocated buffer).
struct TLocalBlockTraits {
  using TValue = void*;
  static TValue Invalid() { return nullptr; }
  static bool IsValid(TValue Value) { return Value != nullptr; }
  static void Close(TValue Value) { LocalFree(Value); }
};

using ScopedLocalBlock = TScopedResource<TLocalBlockTraits>;

// A block the network management calls allocated (NetGetJoinInformation's name).
struct TNetApiBlockTraits {
  using TValue = void*;
  static TValue Invalid() { return nullptr; }
  static bool IsValid(TValue Value) { return Value != nullptr; }
  static void Close(TValue Value) { NetApiBufferFree(Value); }
};

using ScopedNetApiBlock = TScopedResource<TNetApiBlockTraits>;

struct TRegKeyTraits {
  using TValue = Hkey;
  static TValue Invalid() { return Hkey{0}; }
  static bool IsValid(TValue Value) { return Value != Hkey{0}; }
  static void Close(TValue Value) { RegCloseKey(Value); }
};

using ScopedRegKey = TScopedResource<TRegKeyTraits>;

struct TDevinfoTraits {
  using TValue = Hdevinfo;
  static TValue Invalid() { return InvalidDevinfo; }
  static bool IsValid(TValue Value) { return Value != InvalidDevinfo; }
  static void Close(TValue Value) { SetupDiDestroyDeviceInfoList(Value); }
};

using ScopedDevinfo = TScopedResource<TDevinfoTraits>;

// An interface pointer a COM call handed out.
struct TComObjectTraits {
  using TValue = ComObject;
  static TValue Invalid() { return NullComObject; }
  static bool IsValid(TValue Value) { return Value != NullComObject; }
  static void Close(TValue Value) { IUnknownRelease(Value); }
};

using ScopedComObject = TScopedResource<TComObjectTraits>;

// A BSTR a COM method handed out.
struct TBstrTraits {
  using TValue = char16_t*;
  static TValue Invalid() { return nullptr; }
  static bool IsValid(const char16_t* Value) { return Value != nullptr; }
  static void Close(TValue Value) { SysFreeString(Value); }
};

using ScopedBstr = TScopedResource<TBstrTraits>;

}  // namespace platform
