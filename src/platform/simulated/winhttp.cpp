// Simulated WinHTTP: a scriptable web server. Each request sent takes the next of the machine's
// answers; the exchange takes the answer's time on the machine's clock, bounded by the timeouts
// the program set, as a real exchange is. Redirects are never followed, whatever the policy.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;
using simulated::TMachine;
using TObject = TMachine::TInternetObject;
using TKind = TObject::TKind;
using simulated::THttpAnswer;
using simulated::THttpRequest;

namespace {

constexpr std::uint32_t ErrorWinhttpIncorrectHandleType = 12018;
constexpr std::uint32_t ErrorWinhttpInvalidOption = 12009;
constexpr std::uint32_t ErrorWinhttpIncorrectHandleState = 12019;
constexpr std::uint32_t ErrorInvalidOperation = 4317;

std::uint32_t Fail(std::uint32_t Error) {
  Machine().LastError = Error;
  return 0;
}

// The open handle Internet, of Kind when one is given; nullptr, with the error set, otherwise.
TObject* Find(Hinternet Internet, std::optional<TKind> Kind = std::nullopt) {
  TMachine& M = Machine();
  const auto Found = M.InternetHandles.find(static_cast<std::uintptr_t>(Internet));
  if (Found == M.InternetHandles.end()) return Fail(ErrorInvalidHandle), nullptr;
  if (Kind && Found->second.Kind != *Kind) return Fail(ErrorWinhttpIncorrectHandleType), nullptr;
  return &Found->second;
}

Hinternet Open(TObject Object) {
  TMachine& M = Machine();
  const std::uintptr_t Value = M.NextHandle++;
  M.InternetHandles.emplace(Value, std::move(Object));
  M.LastError = ErrorSuccess;
  return Hinternet{Value};
}

std::u16string Text(const char16_t* Value) { return Value != nullptr ? Value : u""; }

char16_t LowerAscii(char16_t C) {
  return C >= u'A' && C <= u'Z' ? static_cast<char16_t>(C + (u'a' - u'A')) : C;
}

bool StartsWithWord(std::u16string_view Value, std::u16string_view Word) {
  if (Value.size() < Word.size()) return false;
  for (std::size_t I = 0; I < Word.size(); ++I) {
    if (LowerAscii(Value[I]) != LowerAscii(Word[I])) return false;
  }
  return Value.size() == Word.size() || Value[Word.size()] == u' ';
}

const std::u16string* Header(const decltype(simulated::THttpAnswer::Headers)& Headers,
                             std::u16string_view Name) {
  for (const auto& [Key, Value] : Headers) {
    if (Key.size() == Name.size() && StartsWithWord(Key, Name)) return &Value;
  }
  return nullptr;
}

}  // namespace

Hinternet WinHttpOpen(const char16_t* Agent, std::uint32_t AccessType, const char16_t* ProxyName,
                      const char16_t* ProxyBypass, std::uint32_t Flags) {
  TMachine& M = Machine();
  if (M.Failing("WinHttpOpen")) return NullHinternet;
  static_cast<void>(ProxyBypass);
  const bool Known = AccessType == WinhttpAccessTypeDefaultProxy ||
                     AccessType == WinhttpAccessTypeNoProxy ||
                     (AccessType == WinhttpAccessTypeNamedProxy && ProxyName != nullptr) ||
                     (AccessType == WinhttpAccessTypeAutomaticProxy && M.Http.AutomaticProxy);
  if (!Known || Flags != 0) return Fail(ErrorInvalidParameter), NullHinternet;
  TObject Session;
  Session.Request.Agent = Text(Agent);
  Session.Request.AccessType = AccessType;
  // WinHTTP's own defaults: no limit on resolving, 60 s to connect, 30 s for each transfer.
  Session.Request.Timeouts = {0, 60000, 30000, 30000};
  return Open(std::move(Session));
}

Hinternet WinHttpConnect(Hinternet Session, const char16_t* ServerName, std::uint16_t ServerPort,
                         std::uint32_t Reserved) {
  if (Machine().Failing("WinHttpConnect")) return NullHinternet;
  const TObject* Parent = Find(Session, TKind::Session);
  if (Parent == nullptr) return NullHinternet;
  if (ServerName == nullptr || *ServerName == u'\0' || Reserved != 0)
    return Fail(ErrorInvalidParameter), NullHinternet;
  TObject Connection;
  Connection.Kind = TKind::Connection;
  Connection.Parent = static_cast<std::uintptr_t>(Session);
  Connection.Request = Parent->Request;
  Connection.Callback = Parent->Callback;
  Connection.Request.Server = ServerName;
  Connection.Request.Port = ServerPort;
  return Open(std::move(Connection));
}

Hinternet WinHttpOpenRequest(Hinternet Connect, const char16_t* Verb, const char16_t* ObjectName,
                             const char16_t* Version, const char16_t* Referrer,
                             const char16_t** AcceptTypes, std::uint32_t Flags) {
  if (Machine().Failing("WinHttpOpenRequest")) return NullHinternet;
  static_cast<void>(Version);
  static_cast<void>(Referrer);
  static_cast<void>(AcceptTypes);
  const TObject* Parent = Find(Connect, TKind::Connection);
  if (Parent == nullptr) return NullHinternet;
  TObject Request;
  Request.Kind = TKind::Request;
  Request.Parent = static_cast<std::uintptr_t>(Connect);
  Request.Request = Parent->Request;
  Request.Callback = Parent->Callback;
  Request.Request.Verb = Verb != nullptr ? Verb : u"GET";
  Request.Request.Path = ObjectName != nullptr ? ObjectName : u"/";
  Request.Request.Secure = (Flags & WinhttpFlagSecure) != 0;
  if (Request.Request.Port == InternetDefaultPort)
    Request.Request.Port = Request.Request.Secure ? 443 : 80;
  return Open(std::move(Request));
}

Bool WinHttpSetTimeouts(Hinternet Internet, int ResolveTimeout, int ConnectTimeout, int SendTimeout,
                        int ReceiveTimeout) {
  if (Machine().Failing("WinHttpSetTimeouts")) return 0;
  TObject* Object = Find(Internet);
  if (Object == nullptr) return 0;
  for (const int Value : {ResolveTimeout, ConnectTimeout, SendTimeout, ReceiveTimeout}) {
    if (Value < -1) return static_cast<Bool>(Fail(ErrorInvalidParameter));
  }
  Object->Request.Timeouts = {ResolveTimeout, ConnectTimeout, SendTimeout, ReceiveTimeout};
  return 1;
}

Bool WinHttpSetOption(Hinternet Internet, std::uint32_t Option, void* Buffer,
                      std::uint32_t BufferLength) {
  if (Machine().Failing("WinHttpSetOption")) return 0;
  TObject* Object = Find(Internet);
  if (Object == nullptr) return 0;
  if (Buffer == nullptr) return static_cast<Bool>(Fail(ErrorInvalidParameter));
  std::uint32_t Word = 0;
  if (Option == WinhttpOptionSecureProtocols || Option == WinhttpOptionRedirectPolicy ||
      Option == WinhttpOptionReceiveResponseTimeout) {
    if (BufferLength != sizeof Word) return static_cast<Bool>(Fail(ErrorInsufficientBuffer));
    std::memcpy(&Word, Buffer, sizeof Word);
  }
  if (Option == WinhttpOptionSecureProtocols) {
    if (Object->Kind != TKind::Session)
      return static_cast<Bool>(Fail(ErrorWinhttpIncorrectHandleType));
    Object->Request.SecureProtocols = Word;
  } else if (Option == WinhttpOptionRedirectPolicy) {
    Object->Request.RedirectPolicy = Word;
  } else if (Option == WinhttpOptionReceiveResponseTimeout) {
    Object->Request.ResponseTimeout = Word;
  } else if (Option == WinhttpOptionProxy) {
    if (BufferLength != sizeof(TWinHttpProxyInfo))
      return static_cast<Bool>(Fail(ErrorInsufficientBuffer));
    Object->Request.Proxy = Text(static_cast<const TWinHttpProxyInfo*>(Buffer)->Proxy);
  } else {
    return static_cast<Bool>(Fail(ErrorWinhttpInvalidOption));
  }
  return 1;
}

TWinHttpStatusCallback WinHttpSetStatusCallback(Hinternet Internet, TWinHttpStatusCallback Callback,
                                                std::uint32_t NotificationFlags,
                                                std::uintptr_t Reserved) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  const auto Invalid = reinterpret_cast<TWinHttpStatusCallback>(~std::uintptr_t{0});
  if (Machine().Failing("WinHttpSetStatusCallback")) return Invalid;
  static_cast<void>(NotificationFlags);
  static_cast<void>(Reserved);
  TObject* Object = Find(Internet);
  if (Object == nullptr) return Invalid;
  return std::exchange(Object->Callback, Callback);
}

Bool WinHttpSendRequest(Hinternet Request, const char16_t* Headers, std::uint32_t HeadersLength,
                        const void* Optional, std::uint32_t OptionalLength,
                        std::uint32_t TotalLength, std::uintptr_t Context) {
  TMachine& M = Machine();
  if (M.Failing("WinHttpSendRequest")) return 0;
  TObject* Object = Find(Request, TKind::Request);
  if (Object == nullptr) return 0;
  if (TotalLength < OptionalLength || (Optional == nullptr && OptionalLength > 0))
    return static_cast<Bool>(Fail(ErrorInvalidParameter));
  THttpRequest Sent = Object->Request;
  if (Headers != nullptr) {
    Sent.Headers = HeadersLength == ~std::uint32_t{0} ? std::u16string(Headers)
                                                      : std::u16string(Headers, HeadersLength);
  }
  if (OptionalLength > 0) Sent.Body.assign(static_cast<const char*>(Optional), OptionalLength);
  const std::size_t Number = M.Http.Requests.size();
  M.Http.Requests.push_back(std::move(Sent));
  Object->Answer.reset();
  Object->Pending.reset();
  THttpAnswer Answer;
  if (M.Http.Answers.empty()) {
    Answer.Error = ErrorWinhttpCannotConnect;  // nothing listens
  } else {
    Answer = M.Http.Answers[std::min(Number, M.Http.Answers.size() - 1)];
  }
  if (Answer.Error == 0) {
    Object->Pending = std::move(Answer);
    M.LastError = ErrorSuccess;
    return 1;
  }
  const int ConnectTimeout = Object->Request.Timeouts[1];
  if (ConnectTimeout > 0 && Answer.Milliseconds > static_cast<std::uint64_t>(ConnectTimeout)) {
    M.Ticks += static_cast<std::uint64_t>(ConnectTimeout);
    return static_cast<Bool>(Fail(ErrorWinhttpTimeout));
  }
  M.Ticks += Answer.Milliseconds;
  if (Answer.Error == ErrorWinhttpSecureFailure && Object->Callback != nullptr) {
    std::uint32_t Flags = Answer.SecureFlags;
    Object->Callback(Request, Context, WinhttpCallbackStatusSecureFailure, &Flags, sizeof Flags);
  }
  return static_cast<Bool>(Fail(Answer.Error));
}

Bool WinHttpReceiveResponse(Hinternet Request, void* Reserved) {
  TMachine& M = Machine();
  if (M.Failing("WinHttpReceiveResponse")) return 0;
  TObject* Object = Find(Request, TKind::Request);
  if (Object == nullptr) return 0;
  if (Reserved != nullptr) return static_cast<Bool>(Fail(ErrorInvalidParameter));
  if (!Object->Pending) return static_cast<Bool>(Fail(ErrorWinhttpIncorrectHandleState));
  THttpAnswer Answer = std::move(*Object->Pending);
  Object->Pending.reset();
  // Wine bounds the wait for the headers by the response timeout alone, so the simulated one
  // does too; 0 there would wait for ever as well.
  const std::optional<std::uint32_t> Limit = Object->Request.ResponseTimeout;
  if (Limit && *Limit > 0 && Answer.Milliseconds > *Limit) {
    M.Ticks += *Limit;
    return static_cast<Bool>(Fail(ErrorWinhttpTimeout));
  }
  M.Ticks += Answer.Milliseconds;
  Object->Answer = std::move(Answer);
  Object->Read = 0;
  M.LastError = ErrorSuccess;
  return 1;
}

// Each header is asked for once: Index, which walks repeated headers, is left as it is.
Bool WinHttpQueryHeaders(Hinternet Request, std::uint32_t InfoLevel, const char16_t* Name,
                         void* Buffer, std::uint32_t* BufferLength,
                         std::uint32_t* Index) {  // NOLINT(readability-non-const-parameter)
  if (Machine().Failing("WinHttpQueryHeaders")) return 0;
  static_cast<void>(Name);
  static_cast<void>(Index);
  const TObject* Object = Find(Request, TKind::Request);
  if (Object == nullptr) return 0;
  if (!Object->Answer) return static_cast<Bool>(Fail(ErrorWinhttpIncorrectHandleState));
  if (BufferLength == nullptr) return static_cast<Bool>(Fail(ErrorInvalidParameter));
  if (InfoLevel == (WinhttpQueryStatusCode | WinhttpQueryFlagNumber)) {
    if (Buffer == nullptr || *BufferLength < sizeof(std::uint32_t)) {
      *BufferLength = sizeof(std::uint32_t);
      return static_cast<Bool>(Fail(ErrorInsufficientBuffer));
    }
    std::memcpy(Buffer, &Object->Answer->Status, sizeof(std::uint32_t));
    *BufferLength = sizeof(std::uint32_t);
    return 1;
  }
  if (InfoLevel != WinhttpQueryLocation) return static_cast<Bool>(Fail(ErrorInvalidParameter));
  const std::u16string* Value = Header(Object->Answer->Headers, u"Location");
  if (Value == nullptr) return static_cast<Bool>(Fail(ErrorWinhttpHeaderNotFound));
  const auto Needed = static_cast<std::uint32_t>((Value->size() + 1) * sizeof(char16_t));
  if (Buffer == nullptr || *BufferLength < Needed) {
    *BufferLength = Needed;
    return static_cast<Bool>(Fail(ErrorInsufficientBuffer));
  }
  std::memcpy(Buffer, Value->c_str(), Needed);
  *BufferLength = Needed - static_cast<std::uint32_t>(sizeof(char16_t));
  return 1;
}

Bool WinHttpQueryDataAvailable(Hinternet Request, std::uint32_t* NumberOfBytesAvailable) {
  if (Machine().Failing("WinHttpQueryDataAvailable")) return 0;
  const TObject* Object = Find(Request, TKind::Request);
  if (Object == nullptr) return 0;
  if (!Object->Answer) return static_cast<Bool>(Fail(ErrorWinhttpIncorrectHandleState));
  // A network hands the body over in pieces.
  const std::size_t Left = Object->Answer->Body.size() - Object->Read;
  if (NumberOfBytesAvailable != nullptr)
    *NumberOfBytesAvailable = static_cast<std::uint32_t>(std::min<std::size_t>(Left, 1460));
  return 1;
}

Bool WinHttpReadData(Hinternet Request, void* Buffer, std::uint32_t NumberOfBytesToRead,
                     std::uint32_t* NumberOfBytesRead) {
  if (Machine().Failing("WinHttpReadData")) return 0;
  TObject* Object = Find(Request, TKind::Request);
  if (Object == nullptr) return 0;
  if (!Object->Answer) return static_cast<Bool>(Fail(ErrorWinhttpIncorrectHandleState));
  if (Buffer == nullptr || NumberOfBytesRead == nullptr)
    return static_cast<Bool>(Fail(ErrorInvalidParameter));
  const std::string& Body = Object->Answer->Body;
  const std::size_t Count = std::min<std::size_t>(NumberOfBytesToRead, Body.size() - Object->Read);
  std::memcpy(Buffer, Body.data() + Object->Read, Count);
  Object->Read += Count;
  *NumberOfBytesRead = static_cast<std::uint32_t>(Count);
  return 1;
}

Bool WinHttpQueryAuthSchemes(Hinternet Request, std::uint32_t* SupportedSchemes,
                             std::uint32_t* FirstScheme, std::uint32_t* AuthTarget) {
  if (Machine().Failing("WinHttpQueryAuthSchemes")) return 0;
  const TObject* Object = Find(Request, TKind::Request);
  if (Object == nullptr) return 0;
  if (!Object->Answer || (Object->Answer->Status != 401 && Object->Answer->Status != 407))
    return static_cast<Bool>(Fail(ErrorInvalidOperation));
  const bool Proxy = Object->Answer->Status == 407;
  const std::u16string_view Asked = Proxy ? u"Proxy-Authenticate" : u"WWW-Authenticate";
  static constexpr std::pair<std::u16string_view, std::uint32_t> Schemes[] = {{u"Basic", 0x1},
                                                                              {u"NTLM", 0x2},
                                                                              {u"Passport1.4", 0x4},
                                                                              {u"Digest", 0x8},
                                                                              {u"Negotiate", 0x10}};
  std::uint32_t Supported = 0;
  std::uint32_t First = 0;
  for (const auto& [Key, Value] : Object->Answer->Headers) {
    if (Key.size() != Asked.size() || !StartsWithWord(Key, Asked)) continue;
    for (const auto& [Scheme, Bit] : Schemes) {
      if (!StartsWithWord(Value, Scheme)) continue;
      Supported |= Bit;
      if (First == 0) First = Bit;
    }
  }
  if (Supported == 0) return static_cast<Bool>(Fail(ErrorInvalidOperation));
  *SupportedSchemes = Supported;
  *FirstScheme = First;
  *AuthTarget = Proxy ? WinhttpAuthTargetProxy : WinhttpAuthTargetServer;
  return 1;
}

Bool WinHttpSetCredentials(Hinternet Request, std::uint32_t AuthTargets, std::uint32_t AuthScheme,
                           const char16_t* UserName, const char16_t* Password, void* Reserved) {
  if (Machine().Failing("WinHttpSetCredentials")) return 0;
  TObject* Object = Find(Request, TKind::Request);
  if (Object == nullptr) return 0;
  if (AuthTargets > WinhttpAuthTargetProxy || AuthScheme == 0 || UserName == nullptr ||
      Reserved != nullptr)
    return static_cast<Bool>(Fail(ErrorInvalidParameter));
  Object->Request.User = UserName;
  Object->Request.Password = Text(Password);
  return 1;
}

Bool WinHttpCloseHandle(Hinternet Internet) {
  TMachine& M = Machine();
  if (M.Failing("WinHttpCloseHandle")) return 0;
  if (M.InternetHandles.erase(static_cast<std::uintptr_t>(Internet)) == 0)
    return static_cast<Bool>(Fail(ErrorInvalidHandle));
  return 1;
}

Bool WinHttpGetIEProxyConfigForCurrentUser(TWinHttpCurrentUserIeProxyConfig* ProxyConfig) {
  TMachine& M = Machine();
  if (M.Failing("WinHttpGetIEProxyConfigForCurrentUser")) return 0;
  if (ProxyConfig == nullptr) return static_cast<Bool>(Fail(ErrorInvalidParameter));
  ProxyConfig->AutoDetect = M.Http.IeAutoDetect ? 1 : 0;
  ProxyConfig->AutoConfigUrl =
      M.Http.IeAutoConfigUrl.empty() ? nullptr : M.NewBlock(M.Http.IeAutoConfigUrl);
  ProxyConfig->Proxy = M.Http.IeProxy.empty() ? nullptr : M.NewBlock(M.Http.IeProxy);
  ProxyConfig->ProxyBypass = nullptr;
  return 1;
}

Bool WinHttpGetProxyForUrl(Hinternet Session, const char16_t* Url,
                           TWinHttpAutoproxyOptions* AutoProxyOptions,
                           TWinHttpProxyInfo* ProxyInfo) {
  TMachine& M = Machine();
  if (M.Failing("WinHttpGetProxyForUrl")) return 0;
  if (Find(Session, TKind::Session) == nullptr) return 0;
  if (Url == nullptr || AutoProxyOptions == nullptr || ProxyInfo == nullptr ||
      (AutoProxyOptions->Flags & (WinhttpAutoproxyAutoDetect | WinhttpAutoproxyConfigUrl)) == 0)
    return static_cast<Bool>(Fail(ErrorInvalidParameter));
  M.Ticks += M.Http.DiscoveryMilliseconds;
  if (M.Http.DiscoveredProxy.empty())
    return static_cast<Bool>(Fail(ErrorWinhttpAutodetectionFailed));
  ProxyInfo->AccessType = WinhttpAccessTypeNamedProxy;
  ProxyInfo->Proxy = M.NewBlock(M.Http.DiscoveredProxy);
  ProxyInfo->ProxyBypass = nullptr;
  return 1;
}

// The model has one heap: a block is freed as LocalFree frees it.
void* GlobalFree(void* Memory) { return LocalFree(Memory); }

}  // namespace platform
