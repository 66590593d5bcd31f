#include "probes/probes.h"

// The Uninstall keys are not read yet.
std::u16string GetInstalledPrograms() { return u"Nenhum programa encontrado."; }
