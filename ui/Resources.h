#pragma once

namespace zamo {

// Registers the pictures and the help file compiled into the windows library; a static
// library's resources are not registered on their own. Safe to call more than once.
void InitResources();

}  // namespace zamo
