#include "probes/probes.h"

// Machine identity is not read yet: every probe answers its fallback.

std::u16string GetComputerNetName() { return u"DESCONHECIDO"; }

std::u16string GetOSInfo(std::u16string& VersionStr, std::u16string& BuildStr) {
  VersionStr.clear();
  BuildStr.clear();
  return u"Windows Desconhecido";
}

std::u16string GetCPUName() { return u"Desconhecido"; }

std::u16string GetWindowsProductId() { return u"N\u00E3o encontrado"; }
