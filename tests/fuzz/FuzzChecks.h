#pragma once

#include <string_view>

namespace zamo::fuzz {

// Reads arbitrary bytes as a project text over the built-in example: a read project stays in
// range, recalculates or fails with a typed error, and reads back the same once written. A
// broken rule aborts with a message.
void CheckProjectText(std::string_view bytes);
// The same for bytes imported as either data file, read as a data file and as a table.
void CheckDataFile(std::string_view bytes);

}  // namespace zamo::fuzz
