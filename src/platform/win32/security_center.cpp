// The worker thread, COM, Windows Security Center and WMI: forwarding to kernel32, and to ole32,
// oleaut32 and wscapi bound on first use from the system folder. The headers declare no Security
// Center interfaces, so their tables are laid out here, slot by slot.
#include "platform/win32/windows_api.h"

#include <objbase.h>
#include <oleauto.h>
#include <wbemcli.h>
#include <new>

#include "platform/win32/system_library.h"

namespace platform {

namespace {

static_assert(sizeof(TGuid) == sizeof(GUID));

const GUID& Native(const TGuid& Guid) { return *reinterpret_cast<const GUID*>(&Guid); }

template <typename TInterface>
TInterface* As(ComObject Object) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the opaque value is the interface pointer
  return reinterpret_cast<TInterface*>(static_cast<std::uintptr_t>(Object));
}

ComObject FromNative(void* Object) { return ComObject{reinterpret_cast<std::uintptr_t>(Object)}; }

// Both interfaces derive from IDispatch: IUnknown's three methods and IDispatch's four come
// first, then each interface's own methods in the order of its declaration.
constexpr int InheritedSlots = 7;

struct TWscProductList {
  struct TTable {
    void* Inherited[InheritedSlots];
    HRESULT(STDMETHODCALLTYPE* Initialize)(TWscProductList* This, ULONG Provider);
    HRESULT(STDMETHODCALLTYPE* GetCount)(TWscProductList* This, LONG* Count);
    HRESULT(STDMETHODCALLTYPE* GetItem)(TWscProductList* This, ULONG Index, void** Product);
  };
  const TTable* Table;
};

struct TWscProduct {
  struct TTable {
    void* Inherited[InheritedSlots];
    HRESULT(STDMETHODCALLTYPE* GetProductName)(TWscProduct* This, BSTR* Name);
    HRESULT(STDMETHODCALLTYPE* GetProductState)(TWscProduct* This, int* State);
    HRESULT(STDMETHODCALLTYPE* GetSignatureStatus)(TWscProduct* This, int* Status);
  };
  const TTable* Table;
};

// A function of ole32 or oleaut32; E_FAIL's place is taken by the loader's error.
template <typename TFunction>
using TBound = win32::TSystemFunction<TFunction>;

HRESULT Unbound(DWORD Error) { return HRESULT_FROM_WIN32(Error); }

BSTR AllocString(const char16_t* Text) {
  static const TBound<decltype(::SysAllocString)> Bound(L"oleaut32.dll", "SysAllocString");
  return Bound.Get() != nullptr ? Bound.Get()(win32::Wide(Text)) : nullptr;
}

void FreeString(BSTR Text) {
  static const TBound<decltype(::SysFreeString)> Bound(L"oleaut32.dll", "SysFreeString");
  if (Bound.Get() != nullptr && Text != nullptr) Bound.Get()(Text);
}

// A text argument as the BSTR the method wants, freed when the call is done.
class TBstr {
 public:
  explicit TBstr(const char16_t* Text) : FText(Text != nullptr ? AllocString(Text) : nullptr) {}
  ~TBstr() { FreeString(FText); }
  TBstr(const TBstr&) = delete;
  TBstr& operator=(const TBstr&) = delete;
  [[nodiscard]] BSTR Get() const { return FText; }
  [[nodiscard]] bool Missing(const char16_t* Text) const {
    return Text != nullptr && FText == nullptr;
  }

 private:
  BSTR FText;
};

// The thread's routine is the portable one; Windows calls a WINAPI function with one pointer.
struct TThreadStart {
  ThreadStartRoutine Routine;
  void* Parameter;
};

DWORD WINAPI ThreadMain(LPVOID Start) {
  const TThreadStart Copy = *static_cast<TThreadStart*>(Start);
  delete static_cast<TThreadStart*>(Start);
  return Copy.Routine(Copy.Parameter);
}

}  // namespace

Handle CreateThread(void* ThreadAttributes, std::size_t StackSize, ThreadStartRoutine StartAddress,
                    void* Parameter, std::uint32_t CreationFlags, std::uint32_t* ThreadId) {
  auto* Start = new (std::nothrow) TThreadStart{StartAddress, Parameter};
  if (Start == nullptr) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return NullHandle;
  }
  DWORD Id = 0;
  HANDLE Thread = ::CreateThread(static_cast<LPSECURITY_ATTRIBUTES>(ThreadAttributes), StackSize,
                                 ThreadMain, Start, CreationFlags, &Id);
  if (Thread == nullptr) {
    const DWORD Error = ::GetLastError();
    delete Start;
    ::SetLastError(Error);
    return NullHandle;
  }
  if (ThreadId != nullptr) *ThreadId = Id;
  return win32::FromNative(Thread);
}

std::uint32_t WaitForSingleObject(Handle Object, std::uint32_t Milliseconds) {
  return ::WaitForSingleObject(win32::ToNative(Object), Milliseconds);
}

HResult CoInitializeEx(void* Reserved, std::uint32_t CoInit) {
  static const TBound<decltype(::CoInitializeEx)> Bound(L"ole32.dll", "CoInitializeEx");
  if (Bound.Get() == nullptr) return Unbound(Bound.Error());
  return Bound.Get()(Reserved, CoInit);
}

void CoUninitialize() {
  static const TBound<decltype(::CoUninitialize)> Bound(L"ole32.dll", "CoUninitialize");
  if (Bound.Get() != nullptr) Bound.Get()();
}

HResult CoCreateInstance(const TGuid& Clsid, ComObject Outer, std::uint32_t ClsContext,
                         const TGuid& Iid, ComObject* Object) {
  static const TBound<decltype(::CoCreateInstance)> Bound(L"ole32.dll", "CoCreateInstance");
  *Object = NullComObject;
  if (Bound.Get() == nullptr) return Unbound(Bound.Error());
  void* Result = nullptr;
  const HRESULT Code =
      Bound.Get()(Native(Clsid), As<IUnknown>(Outer), ClsContext, Native(Iid), &Result);
  if (SUCCEEDED(Code)) *Object = FromNative(Result);
  return Code;
}

std::uint32_t IUnknownRelease(ComObject Object) {
  return Object == NullComObject ? 0 : As<IUnknown>(Object)->Release();
}

void SysFreeString(char16_t* String) { FreeString(reinterpret_cast<BSTR>(String)); }

HResult WscGetSecurityProviderHealth(std::uint32_t Providers, std::uint32_t* Health) {
  using TFunction = HRESULT WINAPI(DWORD, int*);
  static const TBound<TFunction> Bound(L"wscapi.dll", "WscGetSecurityProviderHealth");
  if (Bound.Get() == nullptr) return Unbound(Bound.Error());
  int Value = 0;
  const HRESULT Code = Bound.Get()(Providers, &Value);
  *Health = static_cast<std::uint32_t>(Value);
  return Code;
}

HResult IWSCProductListInitialize(ComObject List, std::uint32_t Provider) {
  auto* This = As<TWscProductList>(List);
  return This->Table->Initialize(This, Provider);
}

HResult IWSCProductListGetCount(ComObject List, std::int32_t* Count) {
  auto* This = As<TWscProductList>(List);
  LONG Value = 0;
  const HRESULT Code = This->Table->GetCount(This, &Value);
  *Count = Value;
  return Code;
}

HResult IWSCProductListGetItem(ComObject List, std::uint32_t Index, ComObject* Product) {
  auto* This = As<TWscProductList>(List);
  void* Result = nullptr;
  const HRESULT Code = This->Table->GetItem(This, Index, &Result);
  *Product = SUCCEEDED(Code) ? FromNative(Result) : NullComObject;
  return Code;
}

HResult IWscProductGetProductName(ComObject Product, char16_t** Name) {
  auto* This = As<TWscProduct>(Product);
  BSTR Result = nullptr;
  const HRESULT Code = This->Table->GetProductName(This, &Result);
  *Name = reinterpret_cast<char16_t*>(Result);
  return Code;
}

HResult IWscProductGetProductState(ComObject Product, std::uint32_t* State) {
  auto* This = As<TWscProduct>(Product);
  int Value = 0;
  const HRESULT Code = This->Table->GetProductState(This, &Value);
  *State = static_cast<std::uint32_t>(Value);
  return Code;
}

HResult IWscProductGetSignatureStatus(ComObject Product, std::uint32_t* Status) {
  auto* This = As<TWscProduct>(Product);
  int Value = 0;
  const HRESULT Code = This->Table->GetSignatureStatus(This, &Value);
  *Status = static_cast<std::uint32_t>(Value);
  return Code;
}

HResult IWbemLocatorConnectServer(ComObject Locator, const char16_t* NetworkResource,
                                  ComObject* Services) {
  *Services = NullComObject;
  const TBstr Resource(NetworkResource);
  if (Resource.Missing(NetworkResource)) return E_OUTOFMEMORY;
  IWbemServices* Result = nullptr;
  const HRESULT Code = As<IWbemLocator>(Locator)->ConnectServer(
      Resource.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &Result);
  if (SUCCEEDED(Code)) *Services = FromNative(Result);
  return Code;
}

HResult CoSetProxyBlanket(ComObject Proxy, std::uint32_t AuthnSvc, std::uint32_t AuthzSvc,
                          const char16_t* ServerPrincipalName, std::uint32_t AuthnLevel,
                          std::uint32_t ImpLevel, void* AuthInfo, std::uint32_t Capabilities) {
  static const TBound<decltype(::CoSetProxyBlanket)> Bound(L"ole32.dll", "CoSetProxyBlanket");
  if (Bound.Get() == nullptr) return Unbound(Bound.Error());
  return Bound.Get()(As<IUnknown>(Proxy), AuthnSvc, AuthzSvc,
                     const_cast<OLECHAR*>(win32::Wide(ServerPrincipalName)), AuthnLevel, ImpLevel,
                     AuthInfo, Capabilities);
}

HResult IWbemServicesExecQuery(ComObject Services, const char16_t* QueryLanguage,
                               const char16_t* Query, std::int32_t Flags, ComObject* Enumerator) {
  *Enumerator = NullComObject;
  const TBstr Language(QueryLanguage);
  const TBstr Text(Query);
  if (Language.Missing(QueryLanguage) || Text.Missing(Query)) return E_OUTOFMEMORY;
  IEnumWbemClassObject* Result = nullptr;
  const HRESULT Code =
      As<IWbemServices>(Services)->ExecQuery(Language.Get(), Text.Get(), Flags, nullptr, &Result);
  if (SUCCEEDED(Code)) *Enumerator = FromNative(Result);
  return Code;
}

HResult IEnumWbemClassObjectNext(ComObject Enumerator, std::int32_t Timeout, ComObject* Object,
                                 std::uint32_t* Returned) {
  IWbemClassObject* Result = nullptr;
  ULONG Count = 0;
  const HRESULT Code = As<IEnumWbemClassObject>(Enumerator)->Next(Timeout, 1, &Result, &Count);
  *Object = Count == 1 ? FromNative(Result) : NullComObject;
  *Returned = Count;
  return Code;
}

HResult IWbemClassObjectGet(ComObject Object, const char16_t* Name, TVariant* Value) {
  static const TBound<decltype(::VariantClear)> Clear(L"oleaut32.dll", "VariantClear");
  *Value = TVariant{};
  VARIANT Result{};  // VT_EMPTY, as VariantInit leaves it
  const HRESULT Code =
      As<IWbemClassObject>(Object)->Get(win32::Wide(Name), 0, &Result, nullptr, nullptr);
  if (FAILED(Code)) return Code;
  Value->Vt = Result.vt;
  if (Result.vt == VT_BSTR) {
    Value->BstrVal = reinterpret_cast<char16_t*>(Result.bstrVal);  // the caller's to free now
  } else if (Clear.Get() != nullptr) {
    Clear.Get()(&Result);
  }
  return Code;
}

}  // namespace platform
