// The GLPI inventory document of any texts a machine can hand over: arbitrary UTF-16, unpaired
// surrogates, NULs and control characters included, and any numbers and clock readings.
//
// Properties: the document is always JSON that the library parses back; every text found comes
// back as exactly its UTF-8 (ICU's conversion, unpaired surrogates replaced by U+FFFD), in its
// place and order; a text not found is left out; sizes come back as whole MiB.
#include <unicode/ustring.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "fuzz_support.h"
#include "report/glpi_inventory.h"

namespace {

using nlohmann::json;

constexpr std::size_t MaxUnits = 256;

// The reference conversion: ICU's, with U+FFFD for what is not a character.
std::string Utf8(std::u16string_view Text) {
  if (Text.empty()) return {};
  std::string Out(Text.size() * 3, '\0');
  int32_t Length = 0;
  int32_t Substitutions = 0;
  UErrorCode Status = U_ZERO_ERROR;
  u_strToUTF8WithSub(Out.data(), static_cast<int32_t>(Out.size()), &Length, Text.data(),
                     static_cast<int32_t>(Text.size()), 0xFFFD, &Substitutions, &Status);
  fuzz::Check(U_SUCCESS(Status), "ICU could not convert the text", Text);
  Out.resize(static_cast<std::size_t>(Length));
  return Out;
}

void CheckText(const json& Object, const char* Key, std::u16string_view Text) {
  if (Text.empty()) {
    fuzz::Check(!Object.contains(Key), "a text not found is in the document",
                std::u16string(Key, Key + std::char_traits<char>::length(Key)));
  } else {
    fuzz::Check(Object.contains(Key) && Object[Key].is_string() &&
                    Object[Key].get<std::string>() == Utf8(Text),
                "a text does not come back as its UTF-8", Text);
  }
}

std::u16string Mac(std::u16string Text) {
  for (char16_t& C : Text) {
    if (C == u'-') C = u':';
    if (C >= u'A' && C <= u'Z') C = static_cast<char16_t>(C + 32);
  }
  return Text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  FuzzedDataProvider In(Data, Size);
  TGlpiInventory Inv;
  const auto Text = [&] { return fuzz::ConsumeText16(In, MaxUnits); };
  Inv.DeviceName = Text();
  Inv.RunTime = {In.ConsumeIntegral<std::uint16_t>(),
                 In.ConsumeIntegral<std::uint16_t>(),
                 0,
                 In.ConsumeIntegral<std::uint16_t>(),
                 In.ConsumeIntegral<std::uint16_t>(),
                 In.ConsumeIntegral<std::uint16_t>(),
                 In.ConsumeIntegral<std::uint16_t>(),
                 In.ConsumeIntegral<std::uint16_t>()};
  Inv.VersionClient = Text();
  Inv.Name = Text();
  if (In.ConsumeBool()) Inv.MemoryBytes = In.ConsumeIntegral<std::uint64_t>();
  Inv.WinProdId = Text();
  Inv.OSFullName = Text();
  Inv.OSVersion = Text();
  Inv.KernelVersion = Text();
  if (In.ConsumeBool()) Inv.UptimeMilliseconds = In.ConsumeIntegral<std::uint64_t>();
  Inv.Arch = Text();
  Inv.CpuName = Text();
  for (int I = In.ConsumeIntegralInRange(0, 3); I > 0; --I) {
    Inv.Drives.push_back({In.ConsumeIntegral<char16_t>(), In.ConsumeIntegral<std::uint64_t>(),
                          In.ConsumeIntegral<std::uint64_t>(), In.ConsumeBool()});
  }
  Inv.NetDescription = Text();
  Inv.IpAddress = Text();
  Inv.IpGateway = Text();
  Inv.Mac = Text();
  for (int I = In.ConsumeIntegralInRange(0, 4); I > 0; --I) Inv.Printers.push_back(Text());
  while (In.remaining_bytes() > 0 && Inv.Softwares.size() < 16)
    Inv.Softwares.push_back({Text(), Text(), Text()});

  json Doc;
  try {
    Doc = json::parse(GlpiInventoryJson(Inv));
  } catch (const json::exception& Error) {
    const std::string_view What = Error.what();
    fuzz::Finding("the document is not JSON the library reads back",
                  std::u16string(What.begin(), What.end()));
  }
  fuzz::Check(Doc["deviceid"].get<std::string>().rfind(Utf8(Inv.DeviceName) + "-", 0) == 0,
              "deviceid does not start with the name");
  const json& Content = Doc["content"];
  fuzz::Check(Content["versionclient"] == Utf8(Inv.VersionClient), "versionclient");
  const json Hardware = Content.value("hardware", json::object());
  CheckText(Hardware, "name", Inv.Name);
  CheckText(Hardware, "winprodid", Inv.WinProdId);
  CheckText(Hardware, "defaultgateway", Inv.IpGateway);
  fuzz::Check(Inv.MemoryBytes ? Hardware["memory"] == *Inv.MemoryBytes / 1048576
                              : !Hardware.contains("memory"),
              "memory is not the whole MiB found");
  const json& Os = Content["operatingsystem"];
  CheckText(Os, "full_name", Inv.OSFullName);
  CheckText(Os, "version", Inv.OSVersion);
  CheckText(Os, "kernel_version", Inv.KernelVersion);
  CheckText(Os, "arch", Inv.Arch);
  fuzz::Check(Inv.CpuName.empty() ? !Content.contains("cpus")
                                  : Content["cpus"][0]["name"] == Utf8(Inv.CpuName),
              "cpu name");
  fuzz::Check(Content.value("drives", json::array()).size() == Inv.Drives.size(),
              "one entry per drive");
  for (std::size_t I = 0; I < Inv.Drives.size(); ++I) {
    const json& Drive = Content["drives"][I];
    fuzz::Check(Drive["letter"] == Utf8(std::u16string{Inv.Drives[I].Letter, u':'}) &&
                    Drive["total"] == Inv.Drives[I].TotalBytes / 1048576 &&
                    Drive["free"] == Inv.Drives[I].FreeBytes / 1048576 &&
                    Drive["systemdrive"] == Inv.Drives[I].SystemDrive,
                "a drive does not come back as given");
  }
  if (Inv.IpAddress.empty()) {
    fuzz::Check(!Content.contains("networks"), "a network without an address");
  } else {
    const json& Net = Content["networks"][0];
    fuzz::Check(Net["description"] == Utf8(Inv.NetDescription), "network description");
    if (Net.contains("ipaddress")) CheckText(Net, "ipaddress", Inv.IpAddress);
    CheckText(Net, "ipgateway", Inv.IpGateway);
    CheckText(Net, "mac", Mac(Inv.Mac));
  }
  fuzz::Check(Content.value("printers", json::array()).size() == Inv.Printers.size(),
              "one entry per printer");
  for (std::size_t I = 0; I < Inv.Printers.size(); ++I) {
    // A listed printer is there even when its name is empty: the name is what an entry must have.
    fuzz::Check(Content["printers"][I]["name"] == Utf8(Inv.Printers[I]), "printer name",
                Inv.Printers[I]);
  }
  fuzz::Check(Content.value("softwares", json::array()).size() == Inv.Softwares.size(),
              "one entry per program");
  for (std::size_t I = 0; I < Inv.Softwares.size(); ++I) {
    const json& Entry = Content["softwares"][I];
    fuzz::Check(Entry["name"] == Utf8(Inv.Softwares[I].Name), "program name",
                Inv.Softwares[I].Name);
    CheckText(Entry, "version", Inv.Softwares[I].Version);
    CheckText(Entry, "publisher", Inv.Softwares[I].Publisher);
  }
  return 0;
}
