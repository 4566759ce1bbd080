#include "app/json_text.h"

#include "util/cp1252.h"

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char c : util::Cp1252ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7F) {
      const char* hex = "0123456789abcdef";
      out += "\\u00";
      out += hex[byte >> 4];
      out += hex[byte & 0xf];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string JsonStringOrNull(const std::string& text) {
  return text.empty() ? std::string("null") : JsonString(text);
}

std::string JsonStringList(const std::vector<std::string>& items) {
  std::string text = "[";
  for (const std::string& item : items) text += (text.size() > 1 ? ", " : "") + JsonString(item);
  return text + "]";
}
