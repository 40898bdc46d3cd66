// Writing a JSON value as compact text, the form of the model files.
#pragma once

#include <string>

#include "support/json/json_value.h"

namespace cmdpredict {

// The value as compact JSON text: no whitespace, members in their stored order, integers as
// integers, doubles in the shortest form that reads back as the same double, cut after 16 decimal
// places and always with a decimal point or an exponent (1.0 is "1.0", 1e-20 is "0.0"). A value
// holding a NaN or an infinite double cannot be written and gives the empty text.
std::string ToJsonText(const JsonValue& value);

}  // namespace cmdpredict
