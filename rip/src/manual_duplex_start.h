// StartManualDuplex, run by the print UI host in the user's session: the
// manual duplex program named in the argument string, started from this
// module's folder with the system's language identifier and the file list's
// path, and waited for.
#pragma once

#include <string>

#include "platform/types.h"

// Starts the program and waits for it to end. Returns at once when the
// arguments do not name a program and a list (their stated name length is
// checked against them) or the program cannot be started; *failure (when
// given) then says why.
void RunManualDuplexProgram(const WCHAR* arguments, std::string* failure = nullptr);
