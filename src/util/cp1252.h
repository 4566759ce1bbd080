#pragma once
// The controller's code page, Windows-1252, as UTF-8: names are bytes in
// that code page everywhere but in JSON, which must be UTF-8.

#include <string>
#include <string_view>

namespace util {

// Every byte as the character Windows-1252 gives it; the five bytes that
// code page leaves undefined become the control characters of their value,
// as Windows itself converts them, so that no byte is lost.
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace util
