// Conversions between the host's UTF-16 names and the narrow UTF-8 text used for paths and items.
#pragma once

#include <string>
#include <string_view>

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// Strict UTF-8 to UTF-16: code points above U+FFFF become surrogate pairs; a byte-order mark is
// converted like any other character. Overlong forms, encoded surrogates, code points above
// U+10FFFF and truncated or stray bytes throw std::range_error("bad conversion").
WString Utf8ToWide(std::string_view utf8);

// Path text: each 16-bit unit is encoded as one code point in UTF-8, so a lone (or even a paired)
// surrogate unit becomes a three-byte sequence. Never fails.
std::string WideToUtf8Path(const WString& wide);

// Path text back to the units the system's wide calls take: the inverse of WideToUtf8Path, which
// also takes UTF-8 as other sources write it (a four-byte sequence becomes a surrogate pair).
// Anything else that is not UTF-8 throws std::range_error("bad conversion").
WString Utf8PathToWide(std::string_view path);

}  // namespace cmdpredict
