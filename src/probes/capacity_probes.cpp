#include "probes/probes.h"
#include "text/format.h"

// Memory, disks and uptime are not read yet: every probe answers its fallback.

double GetTotalRAM() { return 0.0; }

std::u16string FormatRAM(double Gigabytes) { return Format(u"%.2f GB", {Gigabytes}); }

std::u16string GetDisksInfo() { return u"Nenhum disco encontrado."; }

std::u16string GetUptime() { return Format(u"%d dias, %d horas", {std::int64_t{0}, std::int64_t{0}}); }
