#pragma once

#include <string_view>

namespace zamo::fuzz {

// Reads arbitrary bytes as a project text over the built-in example and checks what must
// hold for any input: a failed read leaves the project as it was; a successful one stays in
// range, recalculates or fails with a typed error, and its written text reads back to the
// same structure. A broken rule aborts with a message.
void CheckProjectText(std::string_view bytes);

// The same for arbitrary bytes imported as the left and as the right data file, each read
// both as the program's own data file and as a delimited table.
void CheckDataFile(std::string_view bytes);

}  // namespace zamo::fuzz
