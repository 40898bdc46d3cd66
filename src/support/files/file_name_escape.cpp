#include "support/files/file_name_escape.h"

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/unicode.h"

namespace cmdpredict {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// What a shortened name ends with: a mark that no escaped name holds ('%' is always followed by
// two hex digits there), then 16 hex digits of the whole name's hash.
constexpr WChar kShortenedMark[] = {u'%', u'~'};
constexpr std::size_t kHashDigits = 16;
constexpr std::size_t kShortenedEndBytes = sizeof kShortenedMark / sizeof kShortenedMark[0] + kHashDigits;

bool NeedsEscape(WChar unit) {
  constexpr std::string_view kReserved = "<>:\"/\\|?*%";
  return unit < 0x20 || (unit < 0x80 && kReserved.find(static_cast<char>(unit)) != std::string_view::npos);
}

void AppendEscaped(WString& text, WChar unit) {
  text.push_back(u'%');
  text.push_back(static_cast<WChar>(kHexDigits[(unit >> 4) & 0xF]));
  text.push_back(static_cast<WChar>(kHexDigits[unit & 0xF]));
}

// True for CON, PRN, AUX, NUL, COM1 to COM9 and LPT1 to LPT9 in any case: names that Windows takes
// for devices, whatever extension follows them.
bool IsWindowsDeviceName(const WString& part) {
  if (part.size() != 3 && part.size() != 4) return false;
  std::string upper;
  for (const WChar unit : part) {
    if (unit > 0x7F) return false;
    upper.push_back(static_cast<char>(unit >= u'a' && unit <= u'z' ? unit - (u'a' - u'A') : unit));
  }
  if (upper.size() == 3) return upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL";
  const std::string stem = upper.substr(0, 3);
  return (stem == "COM" || stem == "LPT") && upper[3] >= '1' && upper[3] <= '9';
}

// The number of UTF-8 bytes of a unit in path text (each unit one code point).
std::size_t Utf8Bytes(WChar unit) { return unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3; }

// The number of units, from the start, of the character at the index: an escape is one character
// of three units, a surrogate pair one of two.
std::size_t CharacterUnits(const WString& text, std::size_t index) {
  if (text[index] == u'%') return 3;
  const bool pair = text[index] >= 0xD800 && text[index] <= 0xDBFF && index + 1 < text.size() &&
                    text[index + 1] >= 0xDC00 && text[index + 1] <= 0xDFFF;
  return pair ? 2 : 1;
}

// FNV-1a, 64 bits.
std::uint64_t HashOf(const std::string& bytes) {
  std::uint64_t hash = 0xCBF29CE484222325u;
  for (const char byte : bytes) {
    hash ^= static_cast<unsigned char>(byte);
    hash *= 0x100000001B3u;
  }
  return hash;
}

// The longest start of whole characters that fits the bytes left, then the mark and the hash of the
// whole name's UTF-8 text.
WString Shortened(const WString& escaped, const std::string& utf8) {
  const std::size_t prefixBytes = kMaxEscapedNameBytes - kShortenedEndBytes;
  std::size_t units = 0, bytes = 0;
  for (;;) {
    const std::size_t characterUnits = CharacterUnits(escaped, units);
    std::size_t characterBytes = 0;
    for (std::size_t i = 0; i < characterUnits; ++i) characterBytes += Utf8Bytes(escaped[units + i]);
    if (bytes + characterBytes > prefixBytes) break;
    units += characterUnits;
    bytes += characterBytes;
  }
  WString shortened = escaped.substr(0, units);
  shortened.append(std::begin(kShortenedMark), std::end(kShortenedMark));
  const std::uint64_t hash = HashOf(utf8);
  for (int shift = 60; shift >= 0; shift -= 4)
    shortened.push_back(static_cast<WChar>(kHexDigits[(hash >> shift) & 0xF]));
  return shortened;
}

}  // namespace

WString EscapeFileName(const WString& name) {
  WString escaped;
  escaped.reserve(name.size());
  for (const WChar unit : name) {
    if (NeedsEscape(unit)) {
      AppendEscaped(escaped, unit);
    } else {
      escaped.push_back(unit);
    }
  }
  if (IsWindowsDeviceName(escaped.substr(0, escaped.find(u'.')))) {
    WString first;
    AppendEscaped(first, escaped[0]);
    escaped.replace(0, 1, first);
  }
  const std::string utf8 = WideToUtf8Path(escaped);
  return utf8.size() > kMaxEscapedNameBytes ? Shortened(escaped, utf8) : escaped;
}

}  // namespace cmdpredict
