// The ten probes, one per group of report fields. Each returns printable text: when the machine
// gives nothing, the probe's fixed fallback.
#pragma once

#include <string>

std::u16string GetComputerNetName();
std::u16string GetOSInfo(std::u16string& VersionStr, std::u16string& BuildStr);
std::u16string GetCPUName();
double GetTotalRAM();  // gigabytes
std::u16string FormatRAM(double Gigabytes);
std::u16string GetDisksInfo();
std::u16string GetUptime();
std::u16string GetWindowsProductId();
void GetNetworkDetails(std::u16string& NetName, std::u16string& IPLocal, std::u16string& Gateway,
                       std::u16string& MAC, std::u16string& TipoIP, std::u16string& SpeedStr);
std::u16string GetInstalledPrinters();
std::u16string GetInstalledPrograms();
