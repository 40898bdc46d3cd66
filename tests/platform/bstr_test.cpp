#include "cmdpredict/bstr.h"

#include <gtest/gtest.h>

#include <map>

namespace {

TEST(BstrStandIn, DistinguishesNullFromEmpty) {
  const _bstr_t null;
  const _bstr_t empty(u"");
  EXPECT_TRUE(!null);
  EXPECT_EQ(static_cast<const cmdpredict::WChar*>(null), nullptr);
  EXPECT_FALSE(!empty);
  EXPECT_NE(static_cast<const cmdpredict::WChar*>(empty), nullptr);
  EXPECT_EQ(empty.length(), 0U);
}

TEST(BstrStandIn, CopiesShareTheText) {
  const _bstr_t original(u"Drill");
  const _bstr_t copy = original;
  EXPECT_EQ(static_cast<const cmdpredict::WChar*>(copy), static_cast<const cmdpredict::WChar*>(original));
  EXPECT_EQ(copy.length(), 5U);
}

TEST(BstrStandIn, OrdersByCodeUnitsWithAPrefixFirst) {
  std::map<_bstr_t, int> lists;
  lists[_bstr_t(u"ab")] = 2;
  lists[_bstr_t(u"a")] = 1;
  lists[_bstr_t(u"B")] = 0;
  lists[_bstr_t(cmdpredict::WString{0xD83D, 0xDE00})] = 4;
  lists[_bstr_t(u"\uFFFF")] = 3;
  std::vector<int> order;
  for (const auto& [key, value] : lists) order.push_back(value);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 4, 3}));
  EXPECT_EQ(lists.count(_bstr_t(u"ab")), 1U);
}

}  // namespace
