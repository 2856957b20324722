#pragma once

#include "document/TextLines.h"

namespace zamo {

// The project every session starts with: the TMCP/ICP system at 210.1 degrees Celsius.
const TextLines& ExampleProjectText();

// The name the example is offered under in the save dialogs.
inline constexpr const char* kExampleFileName = "TMCP-ICP Kinetic System for Zamo.zam";

}  // namespace zamo
