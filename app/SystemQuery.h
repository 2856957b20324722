#pragma once

#include "ui/Platform.h"

namespace zamo {

// Memory, processor and system name of this Linux machine (the screen is the toolkit's).
SystemInfo QueryLinuxSystem();

// The processor type number of an x86 family: 3 -> 386, 4 -> 486, 5 -> 586, 6 and above
// -> 686 (every later processor reports family 6 or more); 0 when unknown.
int ProcessorTypeOfFamily(int family);

}  // namespace zamo
