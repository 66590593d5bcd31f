// The SMBIOS parser on any bytes: what GetSystemFirmwareTable could hand over from broken or
// hostile firmware, cut anywhere.
//
// Properties: the parser reads only the bytes given (ASan), and everything it gives is in its
// documented form: texts shown as they are (no trailing blanks, never a placeholder), a UUID of
// 8-4-4-4-12 upper-case hex digits, a date of YYYY-MM-DD, memory modules with a capacity, at
// increasing places among the table's memory devices.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "probes/smbios.h"

namespace {

void CheckText(const std::u16string& Text, const char* What) {
  fuzz::Check(Text.empty() || SmbiosValue(Text) == Text, What, Text);
}

bool Shaped(const std::u16string& Text, std::u16string_view Shape) {
  if (Text.size() != Shape.size()) return false;
  for (std::size_t I = 0; I < Text.size(); ++I) {
    const char16_t C = Text[I];
    const bool Digit = C >= u'0' && C <= u'9';
    const bool Hex = Digit || (C >= u'A' && C <= u'F');
    if (Shape[I] == u'x' ? !Hex : Shape[I] == u'9' ? !Digit : C != Shape[I]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const TSmbiosFacts F = ParseSmbios(Data, Size);
  for (const std::u16string* Text :
       {&F.BiosVendor, &F.BiosVersion, &F.SystemManufacturer, &F.SystemProduct, &F.SystemSerial,
        &F.SystemSku, &F.BoardManufacturer, &F.BoardProduct, &F.BoardSerial, &F.ChassisType,
        &F.ChassisSerial, &F.ChassisAssetTag}) {
    CheckText(*Text, "a text is not as shown");
  }
  fuzz::Check(F.SystemUuid.empty() || Shaped(F.SystemUuid, u"xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx"),
              "the UUID is not 8-4-4-4-12 upper-case hex", F.SystemUuid);
  fuzz::Check(F.BiosDate.empty() || Shaped(F.BiosDate, u"9999-99-99"),
              "the BIOS date is not YYYY-MM-DD", F.BiosDate);
  std::uint32_t Previous = 0;
  for (const TSmbiosMemory& M : F.Memories) {
    fuzz::Check(M.CapacityMiB > 0, "a memory module without a capacity");
    fuzz::Check(M.Slot > Previous && M.Slot <= F.MemorySlots, "a memory module's place");
    fuzz::Check(!M.SpeedMTs || *M.SpeedMTs > 0, "a speed of 0");
    for (const std::u16string* Text :
         {&M.Type, &M.Manufacturer, &M.SerialNumber, &M.PartNumber, &M.Locator}) {
      CheckText(*Text, "a memory module's text is not as shown");
    }
    Previous = M.Slot;
  }
  return 0;
}
