#include "report/report.h"

namespace {

constexpr std::u16string_view Rule = u"----------------------------------";

}  // namespace

void ComposeReport(const TReportFields& F, TStringList& ReportText) {
  const std::u16string R{Rule};
  ReportText.Add(u"*RELAT\u00D3RIO DE HARDWARE E REDE*");
  ReportText.Add(R);
  ReportText.Add(u"\U0001F4BB *Dispositivo:* " + F.ComputerName);
  ReportText.Add(u"\U0001FA9F *Sistema:* " + F.OSName + u" (Vers\u00E3o: " + F.OSVer + u" | Build:" +
                 F.OSBuild + u")");
  ReportText.Add(u"\u2699\uFE0F *Processador:* " + F.CPU);
  ReportText.Add(u"\U0001F9E0 *RAM:* " + F.RAMStr);
  ReportText.Add(u"\U0001F3AE *Placa Gr\u00E1fica:* " + F.GraphicsStr);
  ReportText.Add(u"\U0001F4BE *Discos:* " + F.Disks);
  ReportText.Add(u"\u23F3 *Tempo ligado:* " + F.Uptime);
  ReportText.Add(u"\U0001F6E1\uFE0F *Antiv\u00EDrus:* " + F.AntivirusStr);
  ReportText.Add(u"\U0001F511 *ID do Windows:* " + F.ProductID);
  ReportText.Add(u"\U0001F6DC *Rede:* " + F.NetName + u" (" + F.SpeedStr + u")");
  ReportText.Add(u"\U0001F310 *Modo IP:* " + F.TipoIP);
  ReportText.Add(u"\U0001F4CD *IP Local / Gateway:* " + F.IPLocal + u" / " + F.Gateway);
  ReportText.Add(u"\U0001F4CC *MAC:* " + F.MAC);
  ReportText.Add(u"");
  ReportText.Add(u"*SOFTWARE E DISPOSITIVOS*");
  ReportText.Add(R);
  ReportText.Add(u"\U0001F5A8\uFE0F *Impressoras Instaladas:*");
  ReportText.Add(F.PrintersStr);
  ReportText.Add(u"");
  ReportText.Add(u"\U0001F4E6 *Programas Instalados:*");
  ReportText.Add(F.Programs);
  ReportText.Add(R);
}
