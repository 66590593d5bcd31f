#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/platform.h"
#include "platform/scoped_resource.h"
#include "probes/antivirus.h"
#include "text/string_routines.h"

namespace {

using platform::ComObject;
using platform::HResult;

using platform::ScopedBstr;
using platform::ScopedComObject;

// The name a method handed out, fit for the report's line.
std::u16string NameIn(const ScopedBstr& Name) {
  return Name.IsValid() ? CleanName(Name.Get()) : u"";
}

constexpr std::int32_t WmiItemTimeout = 1000;  // milliseconds for each object WMI hands over

TAntivirusList Answered(std::vector<TAntivirusProduct> Products) {
  return {TSecurityCenterAnswer::Listed, std::move(Products)};
}

// One product of the list; one without a readable name is left out, as no line could say what
// it is. A state or signature status outside the documented values is not known.
void AddProduct(ComObject Item, std::vector<TAntivirusProduct>& Products) {
  TAntivirusProduct Product;
  {
    ScopedBstr Name;
    if (platform::IWscProductGetProductName(Item, Name.Put()) != platform::SOk) return;
    Product.Name = NameIn(Name);
  }
  if (Product.Name.empty()) return;
  std::uint32_t Value = 0;
  if (platform::IWscProductGetProductState(Item, &Value) == platform::SOk &&
      Value <= platform::WscSecurityProductStateExpired) {
    Product.State = Value;
  }
  if (platform::IWscProductGetSignatureStatus(Item, &Value) == platform::SOk &&
      Value <= platform::WscSecurityProductUpToDate) {
    Product.Signature = Value;
  }
  Products.push_back(std::move(Product));
}

TAntivirusList FromProductList(ComObject List) {
  if (platform::IWSCProductListInitialize(List, platform::WscSecurityProviderAntivirus) !=
      platform::SOk) {
    return {};
  }
  std::int32_t Count = 0;
  if (platform::IWSCProductListGetCount(List, &Count) != platform::SOk || Count < 0) return {};
  std::vector<TAntivirusProduct> Products;
  for (std::int32_t Index = 0; Index < Count; ++Index) {
    ScopedComObject Item;
    if (platform::IWSCProductListGetItem(List, static_cast<std::uint32_t>(Index), Item.Put()) ==
        platform::SOk) {
      AddProduct(Item.Get(), Products);
    }
  }
  return Answered(std::move(Products));
}

// Windows 7 lists the names only, through WMI; its productState is not documented.
TAntivirusList FromWmi() {
  ScopedComObject Locator;
  if (platform::CoCreateInstance(platform::ClsidWbemLocator, platform::NullComObject,
                                 platform::ClsctxInprocServer, platform::IidIWbemLocator,
                                 Locator.Put()) != platform::SOk) {
    return {};
  }
  ScopedComObject Services;
  if (platform::IWbemLocatorConnectServer(Locator.Get(), u"ROOT\\SecurityCenter2",
                                          Services.Put()) != platform::SOk ||
      platform::CoSetProxyBlanket(Services.Get(), platform::RpcCAuthnWinnt, platform::RpcCAuthzNone,
                                  nullptr, platform::RpcCAuthnLevelCall,
                                  platform::RpcCImpLevelImpersonate, nullptr,
                                  platform::EoacNone) < 0) {
    return {};
  }
  ScopedComObject Results;
  if (platform::IWbemServicesExecQuery(
          Services.Get(), u"WQL", u"SELECT displayName FROM AntiVirusProduct",
          platform::WbemFlagForwardOnly | platform::WbemFlagReturnImmediately,
          Results.Put()) != platform::SOk) {
    return {};
  }
  std::vector<TAntivirusProduct> Products;
  for (;;) {
    ScopedComObject Object;
    std::uint32_t Returned = 0;
    const HResult Code =
        platform::IEnumWbemClassObjectNext(Results.Get(), WmiItemTimeout, Object.Put(), &Returned);
    if (Returned == 0) {
      if (Code == platform::WbemSFalse) return Answered(std::move(Products));
      return {Code == platform::WbemSTimedOut ? TSecurityCenterAnswer::NoAnswer
                                              : TSecurityCenterAnswer::Absent,
              {}};
    }
    platform::TVariant Value;
    if (platform::IWbemClassObjectGet(Object.Get(), u"displayName", &Value) != platform::SOk)
      continue;
    const ScopedBstr Name(Value.BstrVal);
    if (std::u16string Text = NameIn(Name); !Text.empty())
      Products.push_back({std::move(Text), {}, {}});
  }
}

TAntivirusList AskSecurityCenter() {
  ScopedComObject List;
  const HResult Created = platform::CoCreateInstance(
      platform::ClsidWscProductList, platform::NullComObject, platform::ClsctxInprocServer,
      platform::IidIWscProductList, List.Put());
  if (Created == platform::SOk) return FromProductList(List.Get());
  // The product list came with Windows 8; before it, Security Center answers through WMI.
  if (Created == platform::RegdbEClassNotReg) return FromWmi();
  return {};
}

TAntivirusList ProbeSecurityCenter() {
  // The cheap question first: where Security Center does not run (a server edition, a stopped
  // service), nothing else is asked.
  std::uint32_t Health = 0;
  if (platform::WscGetSecurityProviderHealth(platform::WscSecurityProviderAntivirus, &Health) !=
      platform::SOk) {
    return {};
  }
  if (platform::CoInitializeEx(nullptr, platform::CoinitMultithreaded) < 0) return {};
  TAntivirusList List = AskSecurityCenter();  // every interface released before COM ends
  platform::CoUninitialize();
  std::stable_partition(List.Products.begin(), List.Products.end(), [](const TAntivirusProduct& P) {
    return P.State == platform::WscSecurityProductStateOn;
  });
  return List;
}

// What the worker and the run share: whichever lets go last frees it, so a worker that answers
// after the deadline writes into memory that is still its own.
struct TProbeState {
  TAntivirusList Result;
};

std::uint32_t ProbeWorker(void* Parameter) {
  const std::unique_ptr<std::shared_ptr<TProbeState>> State(
      static_cast<std::shared_ptr<TProbeState>*>(Parameter));
  try {
    (*State)->Result = ProbeSecurityCenter();
  } catch (...) {  // NOLINT(bugprone-empty-catch): out of memory leaves it absent
  }
  return 0;
}

std::u16string StateText(std::uint32_t State) {
  switch (State) {
    case platform::WscSecurityProductStateOn: return u"ativo";
    case platform::WscSecurityProductStateOff: return u"desativado";
    case platform::WscSecurityProductStateSnoozed: return u"pausado";
    default: return u"expirado";
  }
}

std::u16string ProductText(const TAntivirusProduct& Product) {
  std::u16string Details;
  if (Product.State) Details = StateText(*Product.State);
  if (Product.Signature) {
    if (!Details.empty()) Details += u", ";
    Details += *Product.Signature == platform::WscSecurityProductUpToDate ? u"atualizado"
                                                                          : u"desatualizado";
  }
  return Details.empty() ? Product.Name : Product.Name + u" (" + Details + u")";
}

}  // namespace

TAntivirusList GetAntivirusProducts() {
  auto State = std::make_shared<TProbeState>();
  auto Shared = std::make_unique<std::shared_ptr<TProbeState>>(State);
  const platform::Handle Thread =
      platform::CreateThread(nullptr, 0, ProbeWorker, Shared.get(), 0, nullptr);
  if (Thread == platform::NullHandle) return {};
  static_cast<void>(Shared.release());  // the worker's now
  const std::uint32_t Wait = platform::WaitForSingleObject(Thread, AntivirusDeadline);
  platform::CloseHandle(Thread);
  if (Wait != platform::WaitObject0) return {TSecurityCenterAnswer::NoAnswer, {}};
  return std::move(State->Result);
}

std::u16string FormatAntivirus(const TAntivirusList& List) {
  switch (List.Answer) {
    case TSecurityCenterAnswer::Absent: return u"N\u00E3o dispon\u00EDvel";
    case TSecurityCenterAnswer::NoAnswer: return u"N\u00E3o dispon\u00EDvel (sem resposta)";
    case TSecurityCenterAnswer::Listed: break;
  }
  if (List.Products.empty()) return u"Nenhum registrado";
  std::u16string Text;
  for (const TAntivirusProduct& Product : List.Products) {
    if (!Text.empty()) Text += u" | ";
    Text += ProductText(Product);
  }
  return Text;
}
