// Turns host-given names (environments, sequence groups and records) into file names that stay
// inside their folder on every platform.
#pragma once

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// The name unchanged, except that each UTF-16 unit that is one of < > : " / \ | ? * % or below
// U+0020 becomes '%' and two upper-case hex digits ("a/b" -> "a%2Fb", "a%2Fb" -> "a%252Fb"), so
// that no two names share a file name. When the name's part before its first '.' is one that
// Windows takes for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in any case), its
// first character is written in the same way ("con" -> "%63on", "Lpt1.x" -> "%4Cpt1.x"), on every
// platform, so that a folder of such files means the same everywhere.
WString EscapeFileName(const WString& name);

}  // namespace cmdpredict
