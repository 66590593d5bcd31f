// WinHTTP: forwarding to winhttp.dll, bound on first use from the system folder, so that sending
// adds nothing to the exe's import table and no DLL beside the exe can stand in for it.
#include "platform/win32/windows_api.h"

#include <winhttp.h>
#include <cstddef>

#include "platform/win32/system_library.h"

namespace platform {

static_assert(sizeof(TWinHttpProxyInfo) == sizeof(WINHTTP_PROXY_INFO));
static_assert(offsetof(TWinHttpProxyInfo, Proxy) == offsetof(WINHTTP_PROXY_INFO, lpszProxy));
static_assert(offsetof(TWinHttpProxyInfo, ProxyBypass) ==
              offsetof(WINHTTP_PROXY_INFO, lpszProxyBypass));
static_assert(sizeof(TWinHttpCurrentUserIeProxyConfig) ==
              sizeof(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG));
static_assert(offsetof(TWinHttpCurrentUserIeProxyConfig, AutoConfigUrl) ==
              offsetof(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG, lpszAutoConfigUrl));
static_assert(offsetof(TWinHttpCurrentUserIeProxyConfig, ProxyBypass) ==
              offsetof(WINHTTP_CURRENT_USER_IE_PROXY_CONFIG, lpszProxyBypass));
static_assert(sizeof(TWinHttpAutoproxyOptions) == sizeof(WINHTTP_AUTOPROXY_OPTIONS));
static_assert(offsetof(TWinHttpAutoproxyOptions, AutoConfigUrl) ==
              offsetof(WINHTTP_AUTOPROXY_OPTIONS, lpszAutoConfigUrl));
static_assert(offsetof(TWinHttpAutoproxyOptions, ReservedWord) ==
              offsetof(WINHTTP_AUTOPROXY_OPTIONS, dwReserved));
static_assert(offsetof(TWinHttpAutoproxyOptions, AutoLogonIfChallenged) ==
              offsetof(WINHTTP_AUTOPROXY_OPTIONS, fAutoLogonIfChallenged));
static_assert(WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY == WinhttpAccessTypeAutomaticProxy);
static_assert(WINHTTP_ACCESS_TYPE_DEFAULT_PROXY == WinhttpAccessTypeDefaultProxy);
static_assert(WINHTTP_ACCESS_TYPE_NAMED_PROXY == WinhttpAccessTypeNamedProxy);
static_assert(WINHTTP_FLAG_SECURE == WinhttpFlagSecure);
static_assert(WINHTTP_OPTION_PROXY == WinhttpOptionProxy);
static_assert(WINHTTP_OPTION_SECURE_PROTOCOLS == WinhttpOptionSecureProtocols);
static_assert(WINHTTP_OPTION_REDIRECT_POLICY == WinhttpOptionRedirectPolicy);
static_assert(WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 == WinhttpFlagSecureProtocolTls12);
static_assert(WINHTTP_QUERY_STATUS_CODE == WinhttpQueryStatusCode);
static_assert(WINHTTP_QUERY_LOCATION == WinhttpQueryLocation);
static_assert(WINHTTP_QUERY_FLAG_NUMBER == WinhttpQueryFlagNumber);
static_assert(WINHTTP_AUTH_SCHEME_BASIC == WinhttpAuthSchemeBasic);
static_assert(WINHTTP_AUTH_TARGET_SERVER == WinhttpAuthTargetServer);
static_assert(WINHTTP_AUTOPROXY_AUTO_DETECT == WinhttpAutoproxyAutoDetect);
static_assert(WINHTTP_AUTOPROXY_CONFIG_URL == WinhttpAutoproxyConfigUrl);
static_assert(WINHTTP_CALLBACK_FLAG_SECURE_FAILURE == WinhttpCallbackFlagSecureFailure);
static_assert(WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA == WinhttpCallbackStatusFlagInvalidCa);
static_assert(WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID ==
              WinhttpCallbackStatusFlagCertCnInvalid);
static_assert(WINHTTP_CALLBACK_STATUS_FLAG_SECURITY_CHANNEL_ERROR ==
              WinhttpCallbackStatusFlagSecurityChannelError);
static_assert(ERROR_WINHTTP_SECURE_FAILURE == ErrorWinhttpSecureFailure);
static_assert(ERROR_WINHTTP_CANNOT_CONNECT == ErrorWinhttpCannotConnect);
static_assert(ERROR_WINHTTP_HEADER_NOT_FOUND == ErrorWinhttpHeaderNotFound);
static_assert(ERROR_WINHTTP_SECURE_CHANNEL_ERROR == ErrorWinhttpSecureChannelError);

namespace {

HINTERNET Native(Hinternet Value) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  return reinterpret_cast<HINTERNET>(static_cast<std::uintptr_t>(Value));
}
Hinternet Portable(HINTERNET Value) { return Hinternet{reinterpret_cast<std::uintptr_t>(Value)}; }

// The bound function, or nullptr with the loader's error left as the last error: the call then
// fails as it would itself.
template <typename TFunction>
TFunction* Bind(const win32::TSystemFunction<TFunction>& Bound) {
  if (Bound.Get() == nullptr) ::SetLastError(Bound.Error());
  return Bound.Get();
}

#define INVENTARIO_WINHTTP(Name)                                                      \
  static const win32::TSystemFunction<decltype(::Name)> Bound(L"winhttp.dll", #Name); \
  const auto Proc = Bind(Bound)

// The program's callback takes the portable handle in the portable calling convention; WinHTTP
// calls this one, which hands the notification on. One callback serves the whole run.
TWinHttpStatusCallback ProgramCallback = nullptr;

void CALLBACK NativeCallback(HINTERNET Internet, DWORD_PTR Context, DWORD Status,
                             LPVOID Information, DWORD Length) {
  if (ProgramCallback != nullptr)
    ProgramCallback(Portable(Internet), Context, Status, Information, Length);
}

}  // namespace

Hinternet WinHttpOpen(const char16_t* Agent, std::uint32_t AccessType, const char16_t* ProxyName,
                      const char16_t* ProxyBypass, std::uint32_t Flags) {
  INVENTARIO_WINHTTP(WinHttpOpen);
  if (Proc == nullptr) return NullHinternet;
  return Portable(Proc(win32::Wide(Agent), AccessType, win32::Wide(ProxyName),
                       win32::Wide(ProxyBypass), Flags));
}

Hinternet WinHttpConnect(Hinternet Session, const char16_t* ServerName, std::uint16_t ServerPort,
                         std::uint32_t Reserved) {
  INVENTARIO_WINHTTP(WinHttpConnect);
  if (Proc == nullptr) return NullHinternet;
  return Portable(Proc(Native(Session), win32::Wide(ServerName), ServerPort, Reserved));
}

Hinternet WinHttpOpenRequest(Hinternet Connect, const char16_t* Verb, const char16_t* ObjectName,
                             const char16_t* Version, const char16_t* Referrer,
                             const char16_t** AcceptTypes, std::uint32_t Flags) {
  INVENTARIO_WINHTTP(WinHttpOpenRequest);
  if (Proc == nullptr) return NullHinternet;
  return Portable(Proc(Native(Connect), win32::Wide(Verb), win32::Wide(ObjectName),
                       win32::Wide(Version), win32::Wide(Referrer),
                       reinterpret_cast<LPCWSTR*>(AcceptTypes), Flags));
}

Bool WinHttpSetTimeouts(Hinternet Internet, int ResolveTimeout, int ConnectTimeout, int SendTimeout,
                        int ReceiveTimeout) {
  INVENTARIO_WINHTTP(WinHttpSetTimeouts);
  if (Proc == nullptr) return 0;
  return Proc(Native(Internet), ResolveTimeout, ConnectTimeout, SendTimeout, ReceiveTimeout);
}

Bool WinHttpSetOption(Hinternet Internet, std::uint32_t Option, void* Buffer,
                      std::uint32_t BufferLength) {
  INVENTARIO_WINHTTP(WinHttpSetOption);
  if (Proc == nullptr) return 0;
  return Proc(Native(Internet), Option, Buffer, BufferLength);
}

TWinHttpStatusCallback WinHttpSetStatusCallback(Hinternet Internet, TWinHttpStatusCallback Callback,
                                                std::uint32_t NotificationFlags,
                                                std::uintptr_t Reserved) {
  INVENTARIO_WINHTTP(WinHttpSetStatusCallback);
  // WINHTTP_INVALID_STATUS_CALLBACK, as the call itself answers a failure.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  const auto Invalid = reinterpret_cast<TWinHttpStatusCallback>(~std::uintptr_t{0});
  if (Proc == nullptr) return Invalid;
  const TWinHttpStatusCallback Previous = ProgramCallback;
  const auto Result = Proc(Native(Internet), Callback != nullptr ? NativeCallback : nullptr,
                           NotificationFlags, Reserved);
  if (Result == WINHTTP_INVALID_STATUS_CALLBACK) return Invalid;
  ProgramCallback = Callback;
  return Result == NativeCallback ? Previous : nullptr;
}

Bool WinHttpSendRequest(Hinternet Request, const char16_t* Headers, std::uint32_t HeadersLength,
                        const void* Optional, std::uint32_t OptionalLength,
                        std::uint32_t TotalLength, std::uintptr_t Context) {
  INVENTARIO_WINHTTP(WinHttpSendRequest);
  if (Proc == nullptr) return 0;
  // The body is only read, though the call's parameter is not const.
  return Proc(Native(Request), win32::Wide(Headers), HeadersLength, const_cast<void*>(Optional),
              OptionalLength, TotalLength, Context);
}

Bool WinHttpReceiveResponse(Hinternet Request, void* Reserved) {
  INVENTARIO_WINHTTP(WinHttpReceiveResponse);
  if (Proc == nullptr) return 0;
  return Proc(Native(Request), Reserved);
}

Bool WinHttpQueryHeaders(Hinternet Request, std::uint32_t InfoLevel, const char16_t* Name,
                         void* Buffer, std::uint32_t* BufferLength, std::uint32_t* Index) {
  INVENTARIO_WINHTTP(WinHttpQueryHeaders);
  if (Proc == nullptr) return 0;
  DWORD Length = BufferLength != nullptr ? *BufferLength : 0;
  DWORD At = Index != nullptr ? *Index : 0;
  const BOOL Result =
      Proc(Native(Request), InfoLevel, win32::Wide(Name), Buffer,
           BufferLength != nullptr ? &Length : nullptr, Index != nullptr ? &At : nullptr);
  if (BufferLength != nullptr) *BufferLength = Length;
  if (Index != nullptr) *Index = At;
  return Result;
}

Bool WinHttpQueryDataAvailable(Hinternet Request, std::uint32_t* NumberOfBytesAvailable) {
  INVENTARIO_WINHTTP(WinHttpQueryDataAvailable);
  if (Proc == nullptr) return 0;
  DWORD Available = 0;
  const BOOL Result = Proc(Native(Request), &Available);
  if (NumberOfBytesAvailable != nullptr) *NumberOfBytesAvailable = Available;
  return Result;
}

Bool WinHttpReadData(Hinternet Request, void* Buffer, std::uint32_t NumberOfBytesToRead,
                     std::uint32_t* NumberOfBytesRead) {
  INVENTARIO_WINHTTP(WinHttpReadData);
  if (Proc == nullptr) return 0;
  DWORD Read = 0;
  const BOOL Result = Proc(Native(Request), Buffer, NumberOfBytesToRead, &Read);
  if (NumberOfBytesRead != nullptr) *NumberOfBytesRead = Read;
  return Result;
}

Bool WinHttpQueryAuthSchemes(Hinternet Request, std::uint32_t* SupportedSchemes,
                             std::uint32_t* FirstScheme, std::uint32_t* AuthTarget) {
  INVENTARIO_WINHTTP(WinHttpQueryAuthSchemes);
  if (Proc == nullptr) return 0;
  DWORD Supported = 0;
  DWORD First = 0;
  DWORD Target = 0;
  const BOOL Result = Proc(Native(Request), &Supported, &First, &Target);
  *SupportedSchemes = Supported;
  *FirstScheme = First;
  *AuthTarget = Target;
  return Result;
}

Bool WinHttpSetCredentials(Hinternet Request, std::uint32_t AuthTargets, std::uint32_t AuthScheme,
                           const char16_t* UserName, const char16_t* Password, void* Reserved) {
  INVENTARIO_WINHTTP(WinHttpSetCredentials);
  if (Proc == nullptr) return 0;
  return Proc(Native(Request), AuthTargets, AuthScheme, win32::Wide(UserName),
              win32::Wide(Password), Reserved);
}

Bool WinHttpCloseHandle(Hinternet Internet) {
  INVENTARIO_WINHTTP(WinHttpCloseHandle);
  if (Proc == nullptr) return 0;
  return Proc(Native(Internet));
}

Bool WinHttpGetIEProxyConfigForCurrentUser(TWinHttpCurrentUserIeProxyConfig* ProxyConfig) {
  INVENTARIO_WINHTTP(WinHttpGetIEProxyConfigForCurrentUser);
  if (Proc == nullptr) return 0;
  return Proc(reinterpret_cast<WINHTTP_CURRENT_USER_IE_PROXY_CONFIG*>(ProxyConfig));
}

Bool WinHttpGetProxyForUrl(Hinternet Session, const char16_t* Url,
                           TWinHttpAutoproxyOptions* AutoProxyOptions,
                           TWinHttpProxyInfo* ProxyInfo) {
  INVENTARIO_WINHTTP(WinHttpGetProxyForUrl);
  if (Proc == nullptr) return 0;
  return Proc(Native(Session), win32::Wide(Url),
              reinterpret_cast<WINHTTP_AUTOPROXY_OPTIONS*>(AutoProxyOptions),
              reinterpret_cast<WINHTTP_PROXY_INFO*>(ProxyInfo));
}

#undef INVENTARIO_WINHTTP

void* GlobalFree(void* Memory) {
  static const auto Proc = win32::Kernel32Function<HGLOBAL(WINAPI*)(HGLOBAL)>("GlobalFree");
  return Proc != nullptr ? Proc(Memory) : Memory;
}

}  // namespace platform
