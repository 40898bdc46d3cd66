// The process-wide error report: code ranges registered with a handler that supplies a text, and
// ReportError, which writes one line-less report to standard output through the SysLogger when the
// code falls into a range whose handler gives a text.
//
// Threading: the registry is process-wide and unsynchronised.
#pragma once

#include <cstdint>

#include "support/format_attribute.h"

namespace cmdpredict {

// Supplies the text that ends a report of `code`, or null to suppress the report.
using ErrorTextHandler = const char* (*)(int code, void* context);

// The JSON layer's own range, registered without a handler when the registry is first used, so
// that its reports write nothing until a host installs a handler for it.
inline constexpr std::int32_t kJsonErrorRangeFirstCode = 4570000;
inline constexpr std::int32_t kJsonErrorRangeCount = 5000;

// Chooses the range with the lowest first code for which first code < code <= first code + count,
// and when its handler gives a text writes
//   "File: " file " ," (only when `file` is not null) "Line: " line " ," message " . " text
// where the message is the printf format applied to the arguments. Writes nothing otherwise.
void ReportError(const char* file, int line, int code, const char* format, ...)
    CMDPREDICT_PRINTF_FORMAT(4, 5);

// Registers a range; an entry with the same first code is replaced.
void RegisterErrorRange(std::int32_t firstCode, std::int32_t count, ErrorTextHandler handler, void* context);

// Removes the range with that first code, when there is one.
void UnregisterErrorRange(std::int32_t firstCode);

}  // namespace cmdpredict
