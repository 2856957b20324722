#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace zamo {

// Text the core keeps as bytes (project fields as the file holds them, messages, paths)
// for display: UTF-8 where the bytes are valid UTF-8, else Latin-1, so that files written
// by older 8-bit programs still show their umlauts.
QString FromBytes(std::string_view bytes);

// What the user typed, as the bytes the core keeps (UTF-8).
std::string ToBytes(const QString& text);

}  // namespace zamo
