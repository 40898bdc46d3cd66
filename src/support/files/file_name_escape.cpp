#include "support/files/file_name_escape.h"

namespace cmdpredict {
namespace {

bool NeedsEscape(WChar unit) {
  switch (unit) {
    case u'<': case u'>': case u':': case u'"': case u'/': case u'\\': case u'|': case u'?': case u'*': case u'%':
      return true;
    default:
      return unit < 0x20;
  }
}

}  // namespace

WString EscapeFileName(const WString& name) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  WString escaped;
  escaped.reserve(name.size());
  for (const WChar unit : name) {
    if (NeedsEscape(unit)) {
      escaped.push_back(u'%');
      escaped.push_back(static_cast<WChar>(kHexDigits[(unit >> 4) & 0xF]));
      escaped.push_back(static_cast<WChar>(kHexDigits[unit & 0xF]));
    } else {
      escaped.push_back(unit);
    }
  }
  return escaped;
}

}  // namespace cmdpredict
