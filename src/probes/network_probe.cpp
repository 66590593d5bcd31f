#include "probes/probes.h"

// The adapter table is not read yet: the fallbacks of a machine without a usable adapter.
void GetNetworkDetails(std::u16string& NetName, std::u16string& IPLocal, std::u16string& Gateway,
                       std::u16string& MAC, std::u16string& TipoIP, std::u16string& SpeedStr) {
  NetName = u"Desconhecida (N\u00E3o conectada)";
  IPLocal = u"N\u00E3o obtido";
  Gateway = u"N\u00E3o obtido";
  MAC = u"N\u00E3o obtido";
  TipoIP = u"IP Est\u00E1tico (Fixo)";
  SpeedStr = u"N\u00E3o conectada";
}
