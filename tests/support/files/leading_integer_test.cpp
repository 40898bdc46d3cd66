#include "support/files/leading_integer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace cmdpredict {
namespace {

using namespace std::string_literals;
using Outcome = LeadingInteger::Outcome;

struct Row {
  const char* what;
  std::string text;
  Outcome outcome;
  int value;
  std::size_t end;
};

void ExpectReads(const Row& row) {
  SCOPED_TRACE(row.what);
  const LeadingInteger read = ReadLeadingInteger(row.text);
  EXPECT_EQ(read.outcome, row.outcome);
  EXPECT_EQ(read.value, row.value);
  EXPECT_EQ(read.end, row.end);
}

TEST(LeadingInteger, ReadsTheNumberAfterWhiteSpaceAndASign) {
  for (const Row& row : {Row{"digits", "42", Outcome::kNumber, 42, 2},
                         Row{"every white space", " \t\n\v\f\r-17", Outcome::kNumber, -17, 9},
                         Row{"plus sign", "+8", Outcome::kNumber, 8, 2},
                         Row{"leading zeros", "-007", Outcome::kNumber, -7, 4}}) {
    ExpectReads(row);
  }
}

TEST(LeadingInteger, StopsAtTheFirstByteThatCannotContinueTheNumber) {
  for (const Row& row : {Row{"sign", "5-6", Outcome::kNumber, 5, 1},
                         Row{"zero byte", "9"s + '\0' + "1", Outcome::kNumber, 9, 1}}) {
    ExpectReads(row);
  }
}

TEST(LeadingInteger, ReadsBothEndsOfTheRangeOfInt) {
  for (const Row& row : {Row{"largest", "2147483647", Outcome::kNumber, INT_MAX, 10},
                         Row{"smallest", "-2147483648", Outcome::kNumber, INT_MIN, 11}}) {
    ExpectReads(row);
  }
}

TEST(LeadingInteger, ReportsOverflowWithTheEndOfTheRangeOnTheNumbersSideAfterEveryDigit) {
  for (const Row& row : {Row{"one above", "2147483648", Outcome::kOverflow, INT_MAX, 10},
                         Row{"one below", "-2147483649", Outcome::kOverflow, INT_MIN, 11},
                         Row{"forty digits", std::string(40, '9') + "x", Outcome::kOverflow, INT_MAX, 40}}) {
    ExpectReads(row);
  }
}

TEST(LeadingInteger, FindsNoDigitsAfterTheWhiteSpaceAndTheSign) {
  for (const Row& row :
       {Row{"empty", "", Outcome::kNoDigits, 0, 0}, Row{"white space only", "  ", Outcome::kNoDigits, 0, 2},
        Row{"sign only", " -", Outcome::kNoDigits, 0, 2}, Row{"two signs", "+-5", Outcome::kNoDigits, 0, 1},
        Row{"space after the sign", "- 5", Outcome::kNoDigits, 0, 1},
        Row{"letter", "x1", Outcome::kNoDigits, 0, 0},
        Row{"zero byte", '\0' + "1"s, Outcome::kNoDigits, 0, 0}}) {
    ExpectReads(row);
  }
}

TEST(LeadingInteger, TakesOnlyTheCLocalesWhiteSpaceForWhiteSpace) {
  for (const char c : " \t\n\v\f\r"s) EXPECT_TRUE(IsCWhiteSpace(c)) << static_cast<int>(c);
  for (const char c : "\x08\x0e\x1c\xa0x_"s + '\0') EXPECT_FALSE(IsCWhiteSpace(c)) << static_cast<int>(c);
}

}  // namespace
}  // namespace cmdpredict
