// The machine's printer list, as the spooler gives it, and the position of the default printer.
// One shared instance serves the process.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/exceptions.h"
#include "text/string_list.h"

INVENTARIO_DECLARE_ERROR(EPrinter, Exception);

class TPrinterDevice : public TObject {
 public:
  TPrinterDevice(std::u16string ADriver, std::u16string ADevice, std::u16string APort)
      : Driver(std::move(ADriver)), Device(std::move(ADevice)), Port(std::move(APort)) {}

  std::u16string Driver;
  std::u16string Device;
  std::u16string Port;
};

class TPrinter {
 public:
  TPrinter() = default;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;
  ~TPrinter() = default;

  // Forgets the name list, so that the next read enumerates the spooler again.
  void Refresh();
  // The printer names in spooler order, each line carrying its TPrinterDevice.
  const TStringList& Printers();
  // The selected printer's position; the first read selects the default printer, which raises
  // EPrinter when there is none in the list, or EOSError when the spooler cannot say.
  std::int32_t PrinterIndex();
  // Whether the spooler answered the last enumeration: an empty list then means no printers,
  // not that they could not be listed.
  [[nodiscard]] bool Enumerated() const { return FEnumerated; }

 private:
  void FreePrinters();
  void SetToDefaultPrinter();
  std::u16string DefaultPrinterName();

  std::unique_ptr<TStringList> FPrinters;
  std::vector<std::unique_ptr<TPrinterDevice>> FDevices;  // the objects FPrinters' lines carry
  std::int32_t FPrinterIndex = -1;
  bool FEnumerated = false;
};

// The shared instance, created on first use.
TPrinter& Printer();
// Releases the shared instance; the next Printer() starts afresh.
void ReleasePrinter();
