#include "platform/unicode.h"

#include <cstdint>
#include <stdexcept>

namespace cmdpredict {
namespace {

[[noreturn]] void BadConversion() { throw std::range_error("bad conversion"); }

bool IsContinuation(unsigned char byte) { return (byte & 0xC0U) == 0x80U; }

enum class Surrogates { kRefused, kAccepted };

// Decodes the sequence that starts at utf8[i] and advances i past it.
char32_t DecodeOne(std::string_view utf8, std::size_t& i, Surrogates surrogates) {
  const auto lead = static_cast<unsigned char>(utf8[i]);
  int extra = 0;
  char32_t minimum = 0;
  char32_t code = 0;
  if (lead < 0x80U) {
    ++i;
    return lead;
  } else if ((lead & 0xE0U) == 0xC0U) {
    extra = 1, minimum = 0x80, code = lead & 0x1FU;
  } else if ((lead & 0xF0U) == 0xE0U) {
    extra = 2, minimum = 0x800, code = lead & 0x0FU;
  } else if ((lead & 0xF8U) == 0xF0U) {
    extra = 3, minimum = 0x10000, code = lead & 0x07U;
  } else {
    BadConversion();
  }
  if (utf8.size() - i <= static_cast<std::size_t>(extra)) BadConversion();
  for (int k = 1; k <= extra; ++k) {
    const auto byte = static_cast<unsigned char>(utf8[i + k]);
    if (!IsContinuation(byte)) BadConversion();
    code = (code << 6) | (byte & 0x3FU);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  if (code < minimum || code > 0x10FFFF || (surrogate && surrogates == Surrogates::kRefused)) BadConversion();
  i += extra + 1;
  return code;
}

WString DecodeAll(std::string_view utf8, Surrogates surrogates) {
  WString wide;
  wide.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t code = DecodeOne(utf8, i, surrogates);
    if (code < 0x10000) {
      wide.push_back(static_cast<WChar>(code));
    } else {
      const char32_t offset = code - 0x10000;
      wide.push_back(static_cast<WChar>(0xD800 + (offset >> 10)));
      wide.push_back(static_cast<WChar>(0xDC00 + (offset & 0x3FF)));
    }
  }
  return wide;
}

}  // namespace

WString Utf8ToWide(std::string_view utf8) { return DecodeAll(utf8, Surrogates::kRefused); }

WString Utf8PathToWide(std::string_view path) { return DecodeAll(path, Surrogates::kAccepted); }

std::string WideToUtf8Path(const WString& wide) {
  std::string narrow;
  narrow.reserve(wide.size());
  for (const WChar unit : wide) {
    const auto code = static_cast<std::uint16_t>(unit);
    if (code < 0x80) {
      narrow.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      narrow.push_back(static_cast<char>(0xC0 | (code >> 6)));
      narrow.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      narrow.push_back(static_cast<char>(0xE0 | (code >> 12)));
      narrow.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      narrow.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return narrow;
}

}  // namespace cmdpredict
