// The decimal integer at the start of a text, read by the rules the C library and formatted stream
// extraction share for an int: white space first, then an optional sign and decimal digits, up to
// the first byte that cannot continue the number. No locale is consulted and nothing is thrown.
#pragma once

#include <cstddef>
#include <string_view>

namespace cmdpredict {

// White space as the "C" locale classifies it: space, tab, line feed, vertical tab, form feed and
// carriage return.
bool IsCWhiteSpace(char c);

struct LeadingInteger {
  enum class Outcome {
    kNumber,    // `value` is the number
    kNoDigits,  // no digit follows the white space and the sign; `value` is 0
    kOverflow,  // the number lies outside the range of int; `value` is the end of the range on its side
  };
  Outcome outcome = Outcome::kNoDigits;
  int value = 0;
  // The position of the first byte not read: after the white space, the sign and every digit read,
  // however many digits there were.
  std::size_t end = 0;
};

LeadingInteger ReadLeadingInteger(std::string_view text);

}  // namespace cmdpredict
