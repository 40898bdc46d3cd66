#include "support/files/file_name_escape.h"

#include <cctype>
#include <string>

namespace cmdpredict {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool NeedsEscape(WChar unit) {
  switch (unit) {
    case u'<': case u'>': case u':': case u'"': case u'/': case u'\\': case u'|': case u'?': case u'*': case u'%':
      return true;
    default:
      return unit < 0x20;
  }
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
    upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(unit))));
  }
  if (upper.size() == 3) return upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL";
  const std::string stem = upper.substr(0, 3);
  return (stem == "COM" || stem == "LPT") && upper[3] >= '1' && upper[3] <= '9';
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
  return escaped;
}

}  // namespace cmdpredict
