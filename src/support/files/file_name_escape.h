// Turns host-given names (environments, sequence groups and records) into file names that stay
// inside their folder on every platform.
#pragma once

#include <cstddef>

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// The name unchanged, except that each UTF-16 unit that is one of < > : " / \ | ? * % or below
// U+0020 becomes '%' and two upper-case hex digits ("a/b" -> "a%2Fb", "a%2Fb" -> "a%252Fb"), so
// that no two names share a file name. When the name's part before its first '.' is one that
// Windows takes for a device (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9, in any case), its
// first character is written in the same way ("con" -> "%63on", "Lpt1.x" -> "%4Cpt1.x"), on every
// platform, so that a folder of such files means the same everywhere.
//
// A result longer than kMaxEscapedNameBytes in UTF-8 is shortened: its longest start of whole
// characters (an escape and a surrogate pair count as one) that fits kMaxEscapedNameBytes - 18 bytes,
// then "%~" and the 16 upper-case hex digits of the 64-bit FNV-1a hash of the whole result's UTF-8
// bytes. No escaped name holds "%~", so a shortened name never meets a name that was not shortened.
WString EscapeFileName(const WString& name);

// The longest name, in UTF-8 bytes, that EscapeFileName gives. It leaves room for all that the library
// adds to such a name (".ContextTree", a backup's "_<version>_<time>.backup", a record's time and
// ".csv", a temporary's dot, number and ".tmp") within the 255 bytes (or UTF-16 units) that file
// systems allow in a name.
inline constexpr std::size_t kMaxEscapedNameBytes = 128;

}  // namespace cmdpredict
