#include "support/files/leading_integer.h"

#include <cstdint>
#include <limits>

namespace cmdpredict {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsCWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

LeadingInteger ReadLeadingInteger(std::string_view text) {
  LeadingInteger read;
  std::size_t i = 0;
  while (i < text.size() && IsCWhiteSpace(text[i])) ++i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  read.end = i;
  if (i == text.size() || !IsDigit(text[i])) return read;

  // The magnitude stops growing once it is beyond every int's, so that no run of digits overflows it.
  constexpr std::int64_t kBeyondRange = std::int64_t{std::numeric_limits<int>::max()} + 2;
  std::int64_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (magnitude < kBeyondRange) magnitude = magnitude * 10 + (text[i] - '0');
  }
  read.end = i;
  const std::int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) {
    read.outcome = LeadingInteger::Outcome::kOverflow;
    read.value = negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    return read;
  }
  read.outcome = LeadingInteger::Outcome::kNumber;
  read.value = static_cast<int>(value);
  return read;
}

}  // namespace cmdpredict
