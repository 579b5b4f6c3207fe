#include <gtest/gtest.h>

#include "service/described/sales_status_reader.h"

namespace service {

namespace {

constexpr const char* kBadge = "<span class=\"salesStatus\">";
constexpr const char* kIconArea = "<div class=\"iconArea clfx\">";

std::string Page(const std::string& inner) {
  return "<html><body><div>検索結果</div>" + inner + "</body></html>";
}

TEST(ParseSalesStatus, TheFirstBadgeDecides) {
  EXPECT_EQ(ParseSalesStatus(Page(std::string(kBadge) + "販売終了</span>")), -2);
  EXPECT_EQ(ParseSalesStatus(
                Page(std::string(kBadge) + "残りわずか</span>" + kBadge + "販売終了</span>")),
            0);
  EXPECT_EQ(ParseSalesStatus(Page(std::string(kBadge) + "</span>")), 0);
  EXPECT_EQ(ParseSalesStatus(Page(std::string(kBadge) + "残りわずか</span>" + kIconArea)), 0);
}

TEST(ParseSalesStatus, TheBadgeTextMustBeExact) {
  EXPECT_EQ(ParseSalesStatus(Page(std::string(kBadge) + " 販売終了</span>")), 0);
  EXPECT_EQ(ParseSalesStatus(Page(std::string(kBadge) + "販売終了\n</span>")), 0);
  EXPECT_EQ(ParseSalesStatus(Page(std::string(kBadge) + "<b>販売終了</b></span>")), 0);
  EXPECT_EQ(ParseSalesStatus(Page(std::string(kBadge) + "販売終了")), 0);  // no "</span>" after
  EXPECT_EQ(ParseSalesStatus("</span>" + std::string(kBadge) + "販売終了"), 0);
}

TEST(ParseSalesStatus, WithoutABadgeTheIconAreaDecides) {
  EXPECT_EQ(ParseSalesStatus(Page(kIconArea)), 1);
  EXPECT_EQ(ParseSalesStatus(Page("<div class=\"iconArea\">")), -1);
  EXPECT_EQ(ParseSalesStatus(""), -1);
  EXPECT_EQ(ParseSalesStatus(std::string("\xFF\xFE\0", 3)), -1);
}

}  // namespace

}  // namespace service
