// The antivirus products Windows Security Center knows, as the report's line and the GLPI
// inventory's section show them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TAntivirusProduct {
  std::u16string Name;
  // WSC_SECURITY_PRODUCT_STATE and WSC_SECURITY_SIGNATURE_STATUS; none where the system does not
  // say (Windows 7 names its products only).
  std::optional<std::uint32_t> State;
  std::optional<std::uint32_t> Signature;
};

enum class TSecurityCenterAnswer {
  Listed,    // Security Center answered: Products, perhaps none
  Absent,    // there is no Security Center to ask, or it refused
  NoAnswer,  // it did not answer in time
};

struct TAntivirusList {
  TSecurityCenterAnswer Answer = TSecurityCenterAnswer::Absent;
  std::vector<TAntivirusProduct>
      Products;  // those that are on first, else in Security Center's order
};

// How long the run waits for Security Center, in milliseconds.
inline constexpr std::uint32_t AntivirusDeadline = 3000;

// Asks Security Center on a worker thread and waits for it at most AntivirusDeadline; past it,
// the worker is left to finish on its own (its calls are into other processes, which may hang).
TAntivirusList GetAntivirusProducts();

// The report's text after the label.
std::u16string FormatAntivirus(const TAntivirusList& List);
