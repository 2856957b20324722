#pragma once

#include <string>
#include <string_view>

namespace zamo {

// Text from input made safe to show on a terminal or in a message box: control characters
// (codes 0..31, 127 and the C1 range 128..159) and every byte that is not part of valid UTF-8
// are written as "\xNN" (lowercase hex); everything else stays as it is. The result is
// valid UTF-8, so a Latin-1 byte in a file name cannot turn the rest of a German message
// into mojibake either.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace zamo
