// Turns host-given names (environments, sequence groups and records) into file names that stay
// inside their folder on every platform.
#pragma once

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// The name unchanged, except that each UTF-16 unit that is one of < > : " / \ | ? * or below
// U+0020 becomes '%' and two upper-case hex digits ("a/b" -> "a%2Fb"). '%' itself is kept, so two
// names can map to one file name ("a:b" and "a%3Ab"); names that contain none of these units map
// to themselves, which keeps the files of existing installations where they are.
WString EscapeFileName(const WString& name);

}  // namespace cmdpredict
