// Where tavrip's own module file lies: the encoder library and the manual
// duplex program are found beside it.
#pragma once

#include <string>

// The folder of this module's file, up to and including its last '/' (or
// ':'), or "" when the module path cannot be had.
std::u16string OwnModuleFolder();
