// The inventory of one run: one text per piece of the report, each written once by its probe.
#pragma once

#include <string>

struct TReportFields {
  std::u16string ComputerName;
  std::u16string OSName;
  std::u16string OSVer;
  std::u16string OSBuild;
  std::u16string CPU;
  std::u16string RAMStr;
  std::u16string GraphicsStr;  // the graphics line after its label
  std::u16string Disks;
  std::u16string Uptime;
  std::u16string ProductID;
  std::u16string PrintersStr;
  std::u16string Programs;
  std::u16string NetName;
  std::u16string IPLocal;
  std::u16string Gateway;
  std::u16string MAC;
  std::u16string TipoIP;
  std::u16string SpeedStr;
  std::u16string AntivirusStr;  // the antivirus line after its label
};
