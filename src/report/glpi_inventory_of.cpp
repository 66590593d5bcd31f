#include "report/glpi_inventory_of.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace {

// A report text, or nothing when it is its probe's fallback.
std::u16string Found(const std::u16string& Text, std::u16string_view Fallback) {
  return Text == Fallback ? std::u16string{} : Text;
}

constexpr std::u16string_view Microsoft = u"Microsoft";
constexpr std::uint64_t BytesPerMiB = 1048576;

// GLPI's own agent names Windows as its caption does, "Microsoft Windows 11 Pro"; a second
// spelling would open a second operating-system entry beside it.
std::u16string AgentsOSName(const std::u16string& Edition) {
  if (Edition.empty() || Edition.starts_with(Microsoft)) return Edition;
  return std::u16string(Microsoft) + u" " + Edition;
}

TGlpiBios BiosOf(const TSmbiosFacts& F) {
  TGlpiBios B;
  B.SystemManufacturer = F.SystemManufacturer;
  B.SystemModel = F.SystemProduct;
  // As GLPI's agent does: the serial GLPI matches PCs by, from wherever the firmware keeps it.
  B.SystemSerial = !F.SystemSerial.empty()    ? F.SystemSerial
                   : !F.ChassisSerial.empty() ? F.ChassisSerial
                                              : F.BoardSerial;
  B.SkuNumber = F.SystemSku;
  B.BiosManufacturer = F.BiosVendor;
  B.BiosVersion = F.BiosVersion;
  B.BiosDate = F.BiosDate;
  B.BoardManufacturer = F.BoardManufacturer;
  B.BoardModel = F.BoardProduct;
  B.BoardSerial = F.BoardSerial;
  B.EnclosureSerial = F.ChassisSerial;
  B.AssetTag = F.ChassisAssetTag;
  return B;
}

TGlpiIdentity IdentityOf(TMachineIdentity& M, std::uint64_t TotalMemoryBytes) {
  TGlpiIdentity I;
  I.Bios = BiosOf(M.Firmware);
  I.Uuid = M.Firmware.SystemUuid;
  I.ChassisType = M.Firmware.ChassisType;
  I.LastLoggedUser = std::move(M.LastLoggedUser);
  I.Workgroup = std::move(M.Domain);
  for (TSmbiosMemory& Module : M.Firmware.Memories) {
    I.Memories.push_back({Module.CapacityMiB, Module.SpeedMTs, std::move(Module.Type),
                          std::move(Module.Manufacturer), std::move(Module.SerialNumber),
                          std::move(Module.PartNumber), std::move(Module.Locator), Module.Slot,
                          std::move(Module.FormFactor)});
  }
  // GLPI shows a computer's memory only through its modules: one of the whole memory, at least.
  if (I.Memories.empty()) {
    const std::uint64_t Bytes =
        M.InstalledMemoryBytes != 0 ? M.InstalledMemoryBytes : TotalMemoryBytes;
    if (Bytes >= BytesPerMiB) {
      TGlpiMemory Whole;
      Whole.CapacityMiB = Bytes / BytesPerMiB;
      I.Memories.push_back(std::move(Whole));
    }
  }
  I.ServicePack = std::move(M.Installation.ServicePack);
  I.InstalledUtc = M.Installation.InstalledUtc;
  I.InstalledLocal = M.Installation.InstalledLocal;
  return I;
}

void AddLink(TGlpiNetwork& Network, const TLinkState& Link) {
  if (!Link.Read) return;
  Network.LinkUp = Link.Connected && Link.Up;
  Network.ReceiveBps = Link.ReceiveBps;
}

void AddDevices(TGlpiInventory& Inv, TDeviceExtras& Devices) {
  TGlpiDevices& D = Inv.Devices;
  D.Machine = Devices.Machine;
  if (Devices.Adapters) {
    D.Networks.emplace();
    for (TAdapterDetails& A : *Devices.Adapters) {
      if (A.Pci) {
        D.Controllers.push_back({A.Description, std::move(A.Pci->VendorId),
                                 std::move(A.Pci->ProductId), std::move(A.Pci->Subsystem),
                                 std::move(A.Pci->Revision)});
      }
      D.Networks->push_back({std::move(A.Description), std::move(A.Mac), A.Type, A.DhcpEnabled == 1,
                             std::move(A.IpAddress), std::move(A.IpMask), std::move(A.Gateway),
                             std::move(A.DhcpServer), A.Virtual, std::nullopt, 0});
      AddLink(D.Networks->back(), A.Link);
    }
  }
  const TProcessorDetails& P = Devices.Processor;
  D.Cpu = {P.Manufacturer,    P.Family,   P.Model, P.Stepping,
           P.Mhz.value_or(0), P.Packages, P.Cores, P.Threads};
  if (Devices.Videos) {
    D.Videos.emplace();
    for (TVideoController& V : *Devices.Videos)
      D.Videos->push_back({std::move(V.Name), std::move(V.Chipset), V.MemoryBytes});
  }
  if (Devices.Monitors) {
    D.Monitors.emplace();
    for (TEdidMonitor& M : *Devices.Monitors) {
      D.Monitors->push_back({std::move(M.Manufacturer), std::move(M.Name), std::move(M.Serial),
                             std::move(M.Description), std::move(M.Base64)});
    }
  }
}

std::optional<std::vector<TGlpiAntivirus>> AntivirusOf(const TAntivirusList& List) {
  if (List.Answer != TSecurityCenterAnswer::Listed) return std::nullopt;
  std::vector<TGlpiAntivirus> Products;
  for (const TAntivirusProduct& P : List.Products) {
    TGlpiAntivirus Entry{P.Name, std::nullopt, std::nullopt};
    if (P.State) Entry.Enabled = *P.State == platform::WscSecurityProductStateOn;
    if (P.Signature) Entry.UpToDate = *P.Signature == platform::WscSecurityProductUpToDate;
    Products.push_back(std::move(Entry));
  }
  return Products;
}

}  // namespace

TGlpiInventory GlpiInventoryOf(const TReportFields& F, TProbeExtras& X) {
  TGlpiInventory Inv;
  // The name the PC calls itself by, as GLPI's agent sends it; the report's where it is unknown.
  Inv.DeviceName = !X.Identity.DnsHostName.empty() ? X.Identity.DnsHostName : F.ComputerName;
  Inv.RunTime = X.RunTime;
  Inv.VersionClient = u"inventario-" INVENTARIO_VERSION;
  Inv.ProviderVersion = u"" INVENTARIO_VERSION;
  Inv.Name = !X.Identity.DnsHostName.empty() ? X.Identity.DnsHostName
                                             : Found(F.ComputerName, UnknownComputerName);
  if (X.MemoryBytes != 0) Inv.MemoryBytes = X.MemoryBytes;
  Inv.WinProdId = Found(F.ProductID, ProductIdNotFound);
  Inv.OSFullName = AgentsOSName(Found(F.OSName, UnknownOSName));
  Inv.OSVersion = F.OSVer;
  Inv.KernelVersion = X.Identity.Installation.KernelVersion;
  Inv.UptimeMilliseconds = X.UptimeMilliseconds;
  Inv.Arch = X.Arch;
  Inv.CpuName = Found(F.CPU, UnknownCPUName);
  for (const TDiskSpace& Disk : X.Disks) {
    Inv.Drives.push_back({Disk.Letter, Disk.TotalBytes, Disk.FreeBytes,
                          Disk.Letter == X.SystemDrive, Disk.FileSystem, Disk.Label, Disk.Serial});
  }
  if (F.IPLocal != AddressNotObtained) {
    Inv.NetDescription = F.NetName;
    Inv.IpAddress = F.IPLocal;
    Inv.IpGateway = Found(F.Gateway, GatewayNotFound);
    Inv.Mac = F.MAC;
  }
  Inv.Printers = std::move(X.Printers);
  if (X.Programs) {
    Inv.Softwares.emplace();
    for (TInstalledProgram& Program : *X.Programs) {
      Inv.Softwares->push_back({std::move(Program.Name), std::move(Program.Version),
                                std::move(Program.Publisher), std::move(Program.InstallDate),
                                std::move(Program.Guid), std::move(Program.UninstallString),
                                std::move(Program.UrlInfoAbout), std::move(Program.HelpLink),
                                std::move(Program.Comments), Program.WideView});
    }
  }
  Inv.Identity = IdentityOf(X.Identity, X.MemoryBytes);
  AddDevices(Inv, X.Devices);
  // The firmware counts every core and thread of every socket; the system shows a 32-bit process
  // at most 32 logical processors, and any process only its own processor group.
  const TSmbiosFacts& Firmware = X.Identity.Firmware;
  if (Firmware.ProcessorSockets != 0 && Firmware.ProcessorCores != 0) {
    Inv.Devices.Cpu.Packages = Firmware.ProcessorSockets;
    Inv.Devices.Cpu.Cores = Firmware.ProcessorCores;
    if (Firmware.ProcessorThreads != 0) Inv.Devices.Cpu.Threads = Firmware.ProcessorThreads;
  }
  Inv.Antivirus = AntivirusOf(X.Antivirus);
  return Inv;
}
