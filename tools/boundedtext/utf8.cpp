#include "utf8.h"

#include <cwchar>
#include <type_traits>

namespace boundedtext {

namespace {

const wchar_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::wstring utf8ToWide(const char* text, std::size_t length) {
  std::wstring out;
  out.reserve(length);
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  std::size_t i = 0;
  while (i < length) {
    unsigned char c = p[i];
    if (c < 0x80) {
      out.push_back(static_cast<wchar_t>(c));
      ++i;
      continue;
    }
    std::size_t need;
    unsigned long value;
    unsigned long minimum;
    if ((c & 0xE0) == 0xC0) {
      need = 1;
      value = c & 0x1F;
      minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      need = 2;
      value = c & 0x0F;
      minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      need = 3;
      value = c & 0x07;
      minimum = 0x10000;
    } else {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    bool ok = true;
    for (std::size_t k = 1; k <= need; ++k) {
      if (i + k >= length || !isContinuation(p[i + k])) {
        ok = false;
        break;
      }
      value = (value << 6) | (p[i + k] & 0x3F);
    }
    if (!ok || value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(value));
    i += need + 1;
  }
  return out;
}

std::wstring utf8ToWide(const std::string& text) { return utf8ToWide(text.data(), text.size()); }

std::string wideToUtf8(const wchar_t* text, std::size_t length) {
  std::string out;
  out.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    unsigned long v =
        static_cast<unsigned long>(static_cast<std::make_unsigned_t<wchar_t>>(text[i]));
    if (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) v = 0xFFFD;
    if (v < 0x80) {
      out.push_back(static_cast<char>(v));
    } else if (v < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (v >> 6)));
      out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    } else if (v < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (v >> 12)));
      out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (v >> 18)));
      out.push_back(static_cast<char>(0x80 | ((v >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    }
  }
  return out;
}

std::string wideToUtf8(const std::wstring& text) { return wideToUtf8(text.data(), text.size()); }

}  // namespace boundedtext
