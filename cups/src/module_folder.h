// Where an installed filter finds the chain's modules: the filter lives in
// the scheduler's filter folder (lib/cups/filter), the modules in lib/tav.
#pragma once

namespace tav::cups {

// Points the module loader at lib/tav beside the filter's lib/cups when
// that folder holds the modules and TAV_MODULE_DIR is not set; in the build
// tree, where the modules are in lib beside bin, nothing changes.
void UseInstalledModuleFolder();

}  // namespace tav::cups
