#include "probes/probes.h"

// The spooler is not asked yet.
std::u16string GetInstalledPrinters() { return u"Nenhuma impressora encontrada."; }
