// The network probe on any adapter table.
//
// Properties: of the adapters whose address text is usable, the first with a default gateway is
// the one reported, else the first of them, counting those that came up while the table was
// fetched; a table that kept growing reports none; an address length over the record's eight
// bytes is a range error (the only error the probe may raise) and any other length gives that
// many hex pairs; no text is longer than its record field.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "machine_input.h"
#include "probes/probes.h"
#include "text/exceptions.h"

namespace {

struct TDetails {
  std::u16string NetName, IPLocal, Gateway, MAC, TipoIP, SpeedStr;
};

const std::u16string NotObtained = u"N\u00E3o obtido";
const std::u16string Dhcp = u"DHCP (Autom\u00E1tico)";
const std::u16string Static = u"IP Est\u00E1tico (Fixo)";

// The address text as the table holds it: at most fifteen bytes, up to the first NUL. Only ASCII
// bytes decode to ASCII in every code page here, so the test for a usable address can be made on
// the bytes.
std::string_view FieldText(const std::string& Field) {
  std::string_view Text(Field);
  Text = Text.substr(0, 15);
  return Text.substr(0, Text.find('\0'));
}

bool Usable(const std::string& Ip) {
  const std::string_view Text = FieldText(Ip);
  return !Text.empty() && Text != "0.0.0.0" && Text.substr(0, 3) != "127";
}

bool HasGateway(const std::string& Gateway) {
  const std::string_view Text = FieldText(Gateway);
  return !Text.empty() && Text != "0.0.0.0";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  FuzzedDataProvider In(Data, Size);
  const fuzz::TAdapterInput Input = fuzz::DecodeAdapters(In);
  NoteDefaultSystemCodePage();

  TDetails D;
  bool Raised = false;
  try {
    GetNetworkDetails(D.NetName, D.IPLocal, D.Gateway, D.MAC, D.TipoIP, D.SpeedStr);
  } catch (const Exception& E) {
    fuzz::Check(E.ClassName() == u"ERangeError", "the network probe raised an unexpected error",
                E.Message);
    Raised = true;
  }
  if (Input.Faulted) return 0;  // a failing call may hide any adapter; no crash is all there is

  // The choice is made among the adapters of the table as last fetched.
  const platform::simulated::TAdapter* Reported = nullptr;
  for (const auto& A : platform::simulated::Machine().Adapters) {
    if (Input.Unreadable) break;
    if (!Usable(A.IpAddress)) continue;
    if (Reported == nullptr) Reported = &A;
    if (HasGateway(A.Gateway)) {
      Reported = &A;
      break;
    }
  }
  if (Reported == nullptr) {
    fuzz::Check(!Raised && D.IPLocal == NotObtained && D.MAC == NotObtained && D.TipoIP == Static,
                "no usable adapter, yet something was reported", D.IPLocal);
    return 0;
  }
  fuzz::Check(Raised == (Reported->AddressLength > 8), "range error for the wrong address length");
  if (Raised) return 0;
  const std::size_t Pairs = Reported->AddressLength;
  fuzz::Check(D.MAC.size() == (Pairs == 0 ? 0 : 3 * Pairs - 1), "MAC text of the wrong length",
              D.MAC);
  fuzz::Check(!D.IPLocal.empty() && D.IPLocal.size() <= 15, "address text out of its field",
              D.IPLocal);
  fuzz::Check(D.Gateway.size() <= 15, "gateway text out of its field", D.Gateway);
  fuzz::Check(D.NetName.size() <= 132, "description out of its field", D.NetName);
  fuzz::Check(D.TipoIP == (Reported->DhcpEnabled == 1 ? Dhcp : Static), "DHCP flag misread",
              D.TipoIP);
  return 0;
}
