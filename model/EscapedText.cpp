#include "model/EscapedText.h"

namespace zamo {

namespace {

void AppendEscaped(std::string& out, unsigned char byte) {
  constexpr const char* kHex = "0123456789abcdef";
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0x0F];
}

// Length of the valid UTF-8 sequence at the start of `text`, 0 when there is none. Overlong
// forms, surrogates and code points above U+10FFFF are not valid.
std::size_t Utf8SequenceLength(std::string_view text, char32_t& codePoint) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  char32_t lowest = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
    lowest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
    lowest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
    lowest = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(i) & 0x3F);
  }
  if (codePoint < lowest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return length;
}

bool IsControl(char32_t codePoint) { return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F); }

}  // namespace

std::string EscapeControlCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    char32_t codePoint = 0;
    const std::size_t length = Utf8SequenceLength(text, codePoint);
    if (length == 0 || IsControl(codePoint)) {
      // An invalid byte alone; a control character with every byte of its encoding.
      const std::size_t count = length == 0 ? 1 : length;
      for (std::size_t i = 0; i < count; ++i) AppendEscaped(out, static_cast<unsigned char>(text[i]));
      text.remove_prefix(count);
    } else {
      out.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return out;
}

std::string Excerpt(std::string_view text) {
  if (text.size() <= kMaxQuotedBytes) return std::string(text);
  std::size_t cut = kMaxQuotedBytes;
  // Back over at most three continuation bytes of a UTF-8 sequence.
  for (int i = 0; i < 3 && cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80; ++i) --cut;
  return std::string(text.substr(0, cut)) + "...";
}

}  // namespace zamo
