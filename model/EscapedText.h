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

// The longest part of a token or a line that a message quotes, in bytes.
inline constexpr std::size_t kMaxQuotedBytes = 200;

// A token or a line as a message quotes it: whole up to kMaxQuotedBytes, else its first
// kMaxQuotedBytes bytes (cut before a character rather than inside one) and "...", so that
// a message stays readable whatever the input holds. Escaping is left to the message.
std::string Excerpt(std::string_view text);

}  // namespace zamo
