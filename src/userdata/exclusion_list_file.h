// The two text formats of the command exclusion lists, without any file access.
//
// Both are single-byte text of signed decimal identifiers separated by commas, read line by line.
// A number is read the way formatted stream extraction reads an int ("istream >> int"): white
// space first, then an optional sign and decimal digits, stopping at the first byte that cannot
// continue the number ("5-6" is 5 then -6). A number outside the signed 32-bit range, or text that
// is not a number at all, ends the reading of its line; after each number one comma may be skipped.
// No locale is consulted.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// Command identifier to flag, ascending by identifier.
using CommandFlags = std::map<LONG, bool>;

// Adds every identifier of a training-exclusion list with the value true; other entries are kept.
// False when some text was not used (a line that goes on after what could be read).
bool ReadTrainingExclusionList(std::string_view text, CommandFlags& excluded);

// Sets the flag (a nonzero number: excluded) of every complete identifier,flag pair of a
// user-excluded list; other entries are kept. A pair may continue on the next line only when its
// identifier ends the line with a comma; an identifier not followed directly by a comma is dropped
// with the rest of its line. False when some text was not used: such a line, a line that goes on
// after what could be read, or an identifier without a flag at the end.
bool ReadUserExclusionList(std::string_view text, CommandFlags& userExcluded);

// The user-excluded list as one line without a line end: "id,flag" per entry in ascending order,
// flags 1 or 0, joined with ",". Empty for an empty list.
std::string FormatUserExclusionList(const CommandFlags& commands);

}  // namespace cmdpredict
