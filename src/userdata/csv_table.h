// The comma-separated text of a named training sequence's table.
#pragma once

#include <string>
#include <vector>

#include "cmdpredict/platform_types.h"

namespace cmdpredict {

// The header line, then one line per row up to the longest column, with CR LF between lines and
// none after the last. A column shorter than the longest leaves its cells of the later rows empty,
// so every row has as many commas as the header. Each character becomes one byte: those above
// U+007F become '?'. A cell holding a comma, a double quote, CR or LF is enclosed in double quotes
// with its quotes doubled; every other cell is written as it is. Columns beyond the header's
// entries are written too; the caller keeps both the same length.
std::string FormatCsvTable(const std::vector<WString>& header,
                           const std::vector<std::vector<WString>>& columns);

}  // namespace cmdpredict
