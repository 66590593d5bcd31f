#include "main/glpi_facts.h"

#include <string_view>
#include <utility>

namespace {

// A report text, or nothing when it is its probe's fallback.
std::u16string Found(const std::u16string& Text, std::u16string_view Fallback) {
  return Text == Fallback ? std::u16string{} : Text;
}

}  // namespace

TGlpiInventory GlpiInventoryOf(const TReportFields& F, TProbeExtras& X) {
  TGlpiInventory Inv;
  Inv.DeviceName = F.ComputerName;
  Inv.RunTime = X.RunTime;
  Inv.VersionClient = u"inventario-" INVENTARIO_VERSION;
  Inv.Name = Found(F.ComputerName, UnknownComputerName);
  if (X.MemoryBytes != 0) Inv.MemoryBytes = X.MemoryBytes;
  Inv.WinProdId = Found(F.ProductID, ProductIdNotFound);
  Inv.OSFullName = Found(F.OSName, UnknownOSName);
  Inv.OSVersion = F.OSVer;
  Inv.KernelVersion = F.OSBuild;
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
  for (TInstalledProgram& Program : X.Programs) {
    Inv.Softwares.push_back({std::move(Program.Name), std::move(Program.Version),
                             std::move(Program.Publisher), std::move(Program.InstallDate),
                             std::move(Program.Guid), std::move(Program.UninstallString),
                             std::move(Program.UrlInfoAbout), std::move(Program.HelpLink),
                             std::move(Program.Comments), Program.WideView});
  }
  AddDevices(Inv, X.Devices);
  return Inv;
}

