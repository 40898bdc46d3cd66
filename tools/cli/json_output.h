// The small pieces of JSON the replay tool prints: quoted texts and doubles that parse back to the
// same value.
#pragma once

#include <string>
#include <string_view>

namespace cmdpredict::cli {

// Appends the text as a JSON string (quotes, escapes for '"', '\' and control characters; other
// bytes as they are).
void AppendJsonString(std::string& out, std::string_view text);

// Appends the shortest decimal form that reads back as the same double, always with a decimal
// point or an exponent (1 is written "1.0").
void AppendJsonDouble(std::string& out, double value);

}  // namespace cmdpredict::cli
