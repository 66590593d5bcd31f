// Simulated worker threads, COM, Windows Security Center and its WMI namespace.
//
// A worker runs on a real thread, so that a call that never answers really blocks it while the
// run goes on. The machine is not shared: while a worker runs, the program waits for it, and a
// call that never answers touches the machine no more once it blocks.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform::simulated {

struct TMachine::TThread {
  std::mutex Lock;
  std::condition_variable Changed;
  bool Finished = false;
};

}  // namespace platform::simulated

namespace platform {

using simulated::Machine;
using simulated::TMachine;

namespace {

constexpr std::string_view ProductListInterface = "IWSCProductList";
constexpr std::string_view ProductInterface = "IWscProduct";
constexpr std::string_view LocatorInterface = "IWbemLocator";
constexpr std::string_view ServicesInterface = "IWbemServices";
constexpr std::string_view EnumeratorInterface = "IEnumWbemClassObject";
constexpr std::string_view ClassObjectInterface = "IWbemClassObject";
constexpr HResult EInvalidArg = static_cast<HResult>(0x80070057);
constexpr HResult CoENotInitialized = static_cast<HResult>(0x800401F0);
constexpr HResult WbemENotFound = static_cast<HResult>(0x80041002);
constexpr std::uint32_t ErrorAlreadyInitialized = 1247;
constexpr std::u16string_view SecurityCenter2 = u"ROOT\\SECURITYCENTER2";
constexpr std::u16string_view AntivirusQuery = u"SELECT displayName FROM AntiVirusProduct";

bool SameGuid(const TGuid& A, const TGuid& B) { return std::memcmp(&A, &B, sizeof(TGuid)) == 0; }

// Blocks the calling thread for good, as a call into a hung service does.
[[noreturn]] void NeverReturn() {
  // Never destroyed: the thread may still wait on them while the process ends.
  static auto* const Lock = new std::mutex;
  static auto* const Never = new std::condition_variable;
  std::unique_lock Held(*Lock);
  for (;;) Never->wait(Held);
}

// Counts the call; true, with the failure's HRESULT in Result, when it is to fail. A call the
// machine is told never answers blocks here.
bool Failing(std::string_view Call, HResult& Result) {
  TMachine& M = Machine();
  const bool Failed = M.Failing(Call);
  if (M.SecurityCenter.NeverAnswers == Call) NeverReturn();
  if (Failed) Result = HResultFromWin32(M.LastError);
  return Failed;
}

ComObject NewObject(std::string_view Interface, std::size_t Index = 0) {
  TMachine& M = Machine();
  const std::uintptr_t Key = M.NextHandle++;
  M.ComObjects[Key] = TMachine::TComObject{Interface, Index, false};
  return ComObject{Key};
}

// The object behind a pointer the program holds, if it is of that interface.
TMachine::TComObject* Find(ComObject Object, std::string_view Interface) {
  const auto Found = Machine().ComObjects.find(static_cast<std::uintptr_t>(Object));
  if (Found == Machine().ComObjects.end() || Found->second.Interface != Interface) return nullptr;
  return &Found->second;
}

}  // namespace

Handle CreateThread(void* /*ThreadAttributes*/, std::size_t /*StackSize*/,
                    ThreadStartRoutine StartAddress, void* Parameter,
                    std::uint32_t /*CreationFlags*/, std::uint32_t* ThreadId) {
  TMachine& M = Machine();
  if (M.Failing("CreateThread")) return NullHandle;
  auto Thread = std::make_shared<TMachine::TThread>();
  try {
    std::thread([Thread, StartAddress, Parameter] {
      StartAddress(Parameter);
      const std::lock_guard Held(Thread->Lock);
      Thread->Finished = true;
      Thread->Changed.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    M.LastError = ErrorNotEnoughMemory;
    return NullHandle;
  }
  const std::uintptr_t Key = M.NextHandle++;
  M.Threads[Key] = Thread;
  if (ThreadId != nullptr) *ThreadId = static_cast<std::uint32_t>(Key);
  return Handle{Key};
}

std::uint32_t WaitForSingleObject(Handle Object, std::uint32_t Milliseconds) {
  TMachine& M = Machine();
  const bool Failed = M.Failing("WaitForSingleObject");
  const auto Found = M.Threads.find(static_cast<std::uintptr_t>(Object));
  if (Found == M.Threads.end()) {
    M.LastError = ErrorInvalidHandle;
    return WaitFailed;
  }
  const std::shared_ptr<TMachine::TThread> Thread = Found->second;
  std::unique_lock Held(Thread->Lock);
  const bool Finished = Thread->Changed.wait_for(Held, std::chrono::milliseconds(Milliseconds),
                                                 [&] { return Thread->Finished; });
  // A wait that fails still lets the worker finish first, so that no two threads share the
  // machine; what the program sees is the failure.
  if (Failed) return WaitFailed;
  return Finished ? WaitObject0 : WaitTimeout;
}

HResult CoInitializeEx(void* /*Reserved*/, std::uint32_t /*CoInit*/) {
  HResult Result = SOk;
  if (Failing("CoInitializeEx", Result)) return Result;
  ++Machine().ComInitializations;
  return SOk;
}

void CoUninitialize() { --Machine().ComInitializations; }

HResult CoCreateInstance(const TGuid& Clsid, ComObject /*Outer*/, std::uint32_t /*ClsContext*/,
                         const TGuid& Iid, ComObject* Object) {
  *Object = NullComObject;
  HResult Result = SOk;
  if (Failing("CoCreateInstance", Result)) return Result;
  TMachine& M = Machine();
  if (M.ComInitializations <= 0) return CoENotInitialized;
  if (SameGuid(Clsid, ClsidWscProductList)) {
    if (!M.SecurityCenter.ProductListRegistered) return RegdbEClassNotReg;
    if (!SameGuid(Iid, IidIWscProductList)) return ENoInterface;
    *Object = NewObject(ProductListInterface);
    return SOk;
  }
  if (SameGuid(Clsid, ClsidWbemLocator)) {
    if (!SameGuid(Iid, IidIWbemLocator)) return ENoInterface;
    *Object = NewObject(LocatorInterface);
    return SOk;
  }
  return RegdbEClassNotReg;
}

std::uint32_t IUnknownRelease(ComObject Object) {
  Machine().ComObjects.erase(static_cast<std::uintptr_t>(Object));
  return 0;
}

void SysFreeString(char16_t* String) { Machine().FreeBlock(String); }

HResult WscGetSecurityProviderHealth(std::uint32_t /*Providers*/, std::uint32_t* Health) {
  HResult Result = SOk;
  if (Failing("WscGetSecurityProviderHealth", Result)) return Result;
  const HResult Answer = Machine().SecurityCenter.Health;
  *Health = Answer == SOk ? 0 : 3;  // WSC_SECURITY_PROVIDER_HEALTH_GOOD, else _POOR
  return Answer;
}

HResult IWSCProductListInitialize(ComObject List, std::uint32_t Provider) {
  HResult Result = SOk;
  if (Failing("IWSCProductListInitialize", Result)) return Result;
  TMachine::TComObject* This = Find(List, ProductListInterface);
  if (This == nullptr || Provider != WscSecurityProviderAntivirus) return EInvalidArg;
  if (This->Initialized) return HResultFromWin32(ErrorAlreadyInitialized);
  This->Initialized = true;
  return SOk;
}

HResult IWSCProductListGetCount(ComObject List, std::int32_t* Count) {
  HResult Result = SOk;
  if (Failing("IWSCProductListGetCount", Result)) return Result;
  const TMachine::TComObject* This = Find(List, ProductListInterface);
  if (This == nullptr || !This->Initialized) return EFail;
  *Count = static_cast<std::int32_t>(Machine().SecurityCenter.Products.size());
  return SOk;
}

HResult IWSCProductListGetItem(ComObject List, std::uint32_t Index, ComObject* Product) {
  *Product = NullComObject;
  HResult Result = SOk;
  if (Failing("IWSCProductListGetItem", Result)) return Result;
  const TMachine::TComObject* This = Find(List, ProductListInterface);
  if (This == nullptr || !This->Initialized) return EFail;
  if (Index >= Machine().SecurityCenter.Products.size()) return EInvalidArg;
  *Product = NewObject(ProductInterface, Index);
  return SOk;
}

namespace {

// The product an IWscProduct method is asked about; nullptr, with the method's result set, when
// the call fails or the pointer is no product's.
const simulated::TSecurityProduct* AskedProduct(std::string_view Call, ComObject Item,
                                                HResult& Result) {
  Result = SOk;
  if (Failing(Call, Result)) return nullptr;
  const TMachine::TComObject* This = Find(Item, ProductInterface);
  const auto& Products = Machine().SecurityCenter.Products;
  if (This != nullptr && This->Index < Products.size()) return &Products[This->Index];
  Result = EInvalidArg;
  return nullptr;
}

}  // namespace

HResult IWscProductGetProductName(ComObject Product, char16_t** Name) {
  *Name = nullptr;
  HResult Result = SOk;
  if (const auto* P = AskedProduct("IWscProductGetProductName", Product, Result))
    *Name = Machine().NewBlock(P->Name);
  return Result;
}

HResult IWscProductGetProductState(ComObject Product, std::uint32_t* State) {
  HResult Result = SOk;
  if (const auto* P = AskedProduct("IWscProductGetProductState", Product, Result))
    *State = P->State;
  return Result;
}

HResult IWscProductGetSignatureStatus(ComObject Product, std::uint32_t* Status) {
  HResult Result = SOk;
  if (const auto* P = AskedProduct("IWscProductGetSignatureStatus", Product, Result))
    *Status = P->Signature;
  return Result;
}

HResult IWbemLocatorConnectServer(ComObject Locator, const char16_t* NetworkResource,
                                  ComObject* Services) {
  *Services = NullComObject;
  HResult Result = SOk;
  if (Failing("IWbemLocatorConnectServer", Result)) return Result;
  if (Find(Locator, LocatorInterface) == nullptr || NetworkResource == nullptr) return EInvalidArg;
  if (!Machine().SecurityCenter.WmiProducts ||
      simulated::ToUpperAscii(NetworkResource) != SecurityCenter2) {
    return WbemEInvalidNamespace;
  }
  *Services = NewObject(ServicesInterface);
  return SOk;
}

HResult CoSetProxyBlanket(ComObject Proxy, std::uint32_t /*AuthnSvc*/, std::uint32_t /*AuthzSvc*/,
                          const char16_t* /*ServerPrincipalName*/, std::uint32_t /*AuthnLevel*/,
                          std::uint32_t /*ImpLevel*/, void* /*AuthInfo*/,
                          std::uint32_t /*Capabilities*/) {
  HResult Result = SOk;
  if (Failing("CoSetProxyBlanket", Result)) return Result;
  return Find(Proxy, ServicesInterface) != nullptr ? SOk : EInvalidArg;
}

HResult IWbemServicesExecQuery(ComObject Services, const char16_t* QueryLanguage,
                               const char16_t* Query, std::int32_t /*Flags*/,
                               ComObject* Enumerator) {
  *Enumerator = NullComObject;
  HResult Result = SOk;
  if (Failing("IWbemServicesExecQuery", Result)) return Result;
  if (Find(Services, ServicesInterface) == nullptr || QueryLanguage == nullptr || Query == nullptr)
    return EInvalidArg;
  if (std::u16string_view(QueryLanguage) != u"WQL" || std::u16string_view(Query) != AntivirusQuery)
    return static_cast<HResult>(0x80041017);  // WBEM_E_INVALID_QUERY
  *Enumerator = NewObject(EnumeratorInterface);
  return SOk;
}

HResult IEnumWbemClassObjectNext(ComObject Enumerator, std::int32_t /*Timeout*/, ComObject* Object,
                                 std::uint32_t* Returned) {
  *Object = NullComObject;
  *Returned = 0;
  HResult Result = SOk;
  if (Failing("IEnumWbemClassObjectNext", Result)) return Result;
  TMachine::TComObject* This = Find(Enumerator, EnumeratorInterface);
  if (This == nullptr) return EInvalidArg;
  const std::size_t Index = This->Index;
  if (Index >= Machine().SecurityCenter.WmiProducts->size()) return WbemSFalse;
  ++This->Index;
  *Object = NewObject(ClassObjectInterface, Index);
  *Returned = 1;
  return SOk;
}

HResult IWbemClassObjectGet(ComObject Object, const char16_t* Name, TVariant* Value) {
  *Value = TVariant{};
  HResult Result = SOk;
  if (Failing("IWbemClassObjectGet", Result)) return Result;
  const TMachine::TComObject* This = Find(Object, ClassObjectInterface);
  if (This == nullptr || Name == nullptr) return EInvalidArg;
  if (std::u16string_view(Name) != u"displayName") return WbemENotFound;
  Value->Vt = VtBstr;
  Value->BstrVal = Machine().NewBlock(Machine().SecurityCenter.WmiProducts->at(This->Index));
  return SOk;
}

}  // namespace platform
