// Turns host-given names (environments, sequence groups and records) into file names that stay
// inside their folder on every platform.
#pragma once

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// The name unchanged, except that each UTF-16 unit that is one of < > : " / \ | ? * % or below
// U+0020 becomes '%' and two upper-case hex digits ("a/b" -> "a%2Fb", "a%2Fb" -> "a%252Fb"), so
// that no two names share a file name.
WString EscapeFileName(const WString& name);

}  // namespace cmdpredict
