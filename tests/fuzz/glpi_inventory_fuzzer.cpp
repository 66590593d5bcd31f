// The GLPI inventory document of any texts a machine can hand over: arbitrary UTF-16, unpaired
// surrogates, NULs and control characters included, and any numbers and clock readings.
//
// Properties: the document is always JSON that the library parses back; every text found comes
// back as exactly its UTF-8 (ICU's conversion, unpaired surrogates replaced by U+FFFD), in its
// place and order; a text not found is left out; sizes come back as whole MiB.
#include <unicode/ustring.h>

#include <algorithm>
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
    Inv.Drives.push_back({In.ConsumeIntegral<char16_t>(),
                          In.ConsumeIntegral<std::uint64_t>(),
                          In.ConsumeIntegral<std::uint64_t>(),
                          In.ConsumeBool(),
                          {},
                          {},
                          {}});
  }
  Inv.NetDescription = Text();
  Inv.IpAddress = Text();
  Inv.IpGateway = Text();
  Inv.Mac = Text();
  // Each list read (perhaps empty) or not.
  if (In.ConsumeBool()) Inv.Printers.emplace();
  if (In.ConsumeBool()) Inv.Softwares.emplace();
  if (In.ConsumeBool()) Inv.Devices.Networks.emplace();
  if (In.ConsumeBool()) Inv.Devices.Videos.emplace();
  if (In.ConsumeBool()) Inv.Devices.Monitors.emplace();
  for (int I = In.ConsumeIntegralInRange(0, 4); Inv.Printers && I > 0; --I)
    Inv.Printers->push_back(Text());
  while (Inv.Softwares && In.remaining_bytes() > 0 && Inv.Softwares->size() < 16)
    Inv.Softwares->push_back({Text(), Text(), Text(), {}, {}, {}, {}, {}, {}, false});

  json Doc;
  try {
    Doc = json::parse(GlpiInventoryJson(Inv));
  } catch (const json::exception& Error) {
    const std::string_view What = Error.what();
    fuzz::Finding("the document is not JSON the library reads back",
                  std::u16string(What.begin(), What.end()));
  }
  // Where each text must come back; an empty one must be absent, unless the entry needs it.
  struct TPlace {
    std::string Pointer;
    std::u16string Text;
    bool Always = false;
  };
  std::vector<TPlace> Places{{"/content/versionclient", Inv.VersionClient, true},
                             {"/content/hardware/name", Inv.Name},
                             {"/content/hardware/winprodid", Inv.WinProdId},
                             {"/content/hardware/defaultgateway", Inv.IpGateway},
                             {"/content/operatingsystem/full_name", Inv.OSFullName},
                             {"/content/operatingsystem/version", Inv.OSVersion},
                             {"/content/operatingsystem/kernel_version", Inv.KernelVersion},
                             {"/content/operatingsystem/arch", Inv.Arch},
                             {"/content/cpus/0/name", Inv.CpuName}};
  if (!Inv.IpAddress.empty() && !Inv.Devices.Networks) {
    Places.push_back({"/content/networks/0/description", Inv.NetDescription, true});
    Places.push_back({"/content/networks/0/ipgateway", Inv.IpGateway});
    // An address of zeros is an adapter's placeholder for none, and no address to GLPI.
    const bool NoMac = Inv.Mac.find_first_not_of(u"0-") == std::u16string::npos;
    Places.push_back({"/content/networks/0/mac", NoMac ? u"" : Mac(Inv.Mac)});
    const json::json_pointer Address("/content/networks/0/ipaddress");
    fuzz::Check(!Doc.contains(Address) || Doc[Address] == Utf8(Inv.IpAddress), "ipaddress");
  } else if (!Inv.Devices.Networks) {
    fuzz::Check(!Doc["content"].contains("networks"), "a network without an address");
  }
  for (std::size_t I = 0; Inv.Printers && I < Inv.Printers->size(); ++I) {
    Places.push_back(
        {"/content/printers/" + std::to_string(I) + "/name", (*Inv.Printers)[I], true});
  }
  for (std::size_t I = 0; Inv.Softwares && I < Inv.Softwares->size(); ++I) {
    const std::string Entry = "/content/softwares/" + std::to_string(I);
    Places.push_back({Entry + "/name", (*Inv.Softwares)[I].Name, true});
    Places.push_back({Entry + "/version", (*Inv.Softwares)[I].Version});
    Places.push_back({Entry + "/publisher", (*Inv.Softwares)[I].Publisher});
  }
  for (const TPlace& P : Places) {
    const json::json_pointer Pointer(P.Pointer);
    const bool Expected = P.Always || !P.Text.empty();
    fuzz::Check(Doc.contains(Pointer) == Expected && (!Expected || Doc[Pointer] == Utf8(P.Text)),
                P.Pointer.c_str(), P.Text);
  }
  fuzz::Check(Doc["deviceid"].get<std::string>().rfind(Utf8(Inv.DeviceName) + "-", 0) == 0,
              "deviceid does not start with the name");
  const json& Content = Doc["content"];
  // A list read is a section, however short; one not read is left out and named as such.
  const std::vector<std::string> Unread = GlpiUnreadSections(Inv);
  const auto Named = [&](const char* Section) {
    return std::find(Unread.begin(), Unread.end(), Section) != Unread.end();
  };
  const auto Section = [&](const char* Name, const auto& List) {
    fuzz::Check(List
                    ? Content.contains(Name) && Content[Name].size() == List->size() && !Named(Name)
                    : !Content.contains(Name) && Named(Name),
                Name);
  };
  Section("printers", Inv.Printers);
  Section("softwares", Inv.Softwares);
  fuzz::Check(Content.contains("drives") && Content["drives"].size() == Inv.Drives.size(),
              "one entry per drive");
  Section("videos", Inv.Devices.Videos);
  Section("monitors", Inv.Devices.Monitors);
  fuzz::Check(Doc.contains("partial") == !Inv.Devices.Monitors,
              "partial is not said exactly when the monitors could not be read");
  fuzz::Check(Inv.MemoryBytes ? Content["hardware"]["memory"] == *Inv.MemoryBytes / 1048576
                              : !Content.value("hardware", json::object()).contains("memory"),
              "memory is not the whole MiB found");
  for (std::size_t I = 0; I < Inv.Drives.size(); ++I) {
    const json& Drive = Content["drives"][I];
    fuzz::Check(Drive["letter"] == Utf8(std::u16string{Inv.Drives[I].Letter, u':'}) &&
                    Drive["total"] == Inv.Drives[I].TotalBytes / 1048576 &&
                    Drive["free"] == Inv.Drives[I].FreeBytes / 1048576 &&
                    Drive["systemdrive"] == Inv.Drives[I].SystemDrive,
                "a drive does not come back as given");
  }
  return 0;
}
