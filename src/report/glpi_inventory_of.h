// The GLPI inventory of a run, made of the report's fields and the probes' records.
#pragma once

#include "probes/glpi_facts.h"
#include "report/glpi_inventory.h"
#include "report/report_fields.h"

// Every report field the machine gave, none at its probe's fallback text (that text is no value
// of the machine), with the probes' records moved in.
TGlpiInventory GlpiInventoryOf(const TReportFields& F, TProbeExtras& X);
