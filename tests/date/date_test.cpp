#include "date/date.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

TEST(DateMake, EpochAndFirstDayDoNotDependOnTheZone) {
  EXPECT_EQ(date_make(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(date_make(1970, 1, 2, 0, 0, 0), 24 * 3600);
  EXPECT_EQ(date_make(2012, 12, 2, 14, 5, 9), 1354457109);
}

TEST(DateMake, RangeEnds) {
  EXPECT_EQ(date_make(2038, 1, 19, 3, 14, 7), 2147483647);
  EXPECT_EQ(date_make(2038, 1, 19, 3, 14, 8), -1);
  EXPECT_EQ(date_make(2038, 1, 20, 0, 0, 0), -1);
  EXPECT_EQ(date_make(1969, 12, 31, 23, 59, 59), -1);
  EXPECT_EQ(date_make(2100, 1, 1, 0, 0, 0), -1);
  EXPECT_EQ(date_make(2147483647, 12, 31, 23, 59, 59), -1);
}

TEST(DateMake, LeapYearRules) {
  EXPECT_NE(date_make(2012, 2, 29, 0, 0, 0), -1);  // divisible by 4
  EXPECT_NE(date_make(2000, 2, 29, 0, 0, 0), -1);  // divisible by 400
  EXPECT_EQ(date_make(2013, 2, 29, 0, 0, 0), -1);  // not divisible by 4
  EXPECT_EQ(date_make(2100, 2, 29, 0, 0, 0), -1);  // divisible by 100, not by 400
  EXPECT_EQ(date_make(2012, 2, 30, 0, 0, 0), -1);
  EXPECT_EQ(date_make(2012, 3, 1, 0, 0, 0) - date_make(2012, 2, 28, 0, 0, 0), 2 * 86400);
  EXPECT_EQ(date_make(2013, 3, 1, 0, 0, 0) - date_make(2013, 2, 28, 0, 0, 0), 86400);
}

TEST(DateMake, InvalidFieldsGiveMinusOne) {
  const int bad[][6] = {
      {2012, 4, 31, 0, 0, 0},  {2012, 6, 31, 0, 0, 0}, {2012, 9, 31, 0, 0, 0},
      {2012, 11, 31, 0, 0, 0}, {2012, 13, 1, 0, 0, 0}, {2012, 0, 1, 0, 0, 0},
      {2012, 1, 0, 0, 0, 0},   {2012, 1, 32, 0, 0, 0}, {2012, 1, 1, 24, 0, 0},
      {2012, 1, 1, 0, 60, 0},  {2012, 1, 1, 0, 0, 60}, {2012, 1, 1, -1, 0, 0},
      {2012, 1, 1, 0, -1, 0},  {2012, 1, 1, 0, 0, -1}, {2012, -1, 1, 0, 0, 0},
      {2012, 1, -5, 0, 0, 0},  {0, 1, 1, 0, 0, 0},     {-2012, 1, 1, 0, 0, 0},
  };
  for (const auto& f : bad) {
    EXPECT_EQ(date_make(f[0], f[1], f[2], f[3], f[4], f[5]), -1)
        << f[0] << "-" << f[1] << "-" << f[2] << " " << f[3] << ":" << f[4] << ":" << f[5];
  }
  EXPECT_NE(date_make(2012, 1, 31, 23, 59, 59), -1);
  EXPECT_NE(date_make(2012, 12, 31, 0, 0, 0), -1);
}

// Every day of the range and a spread of times come back as the fields that made them, and
// agree with the C library's UTC conversion.
TEST(DateFields, RoundTripAgreesWithUtcConversion) {
  int checked = 0;
  for (int64_t t = 0; t <= 2147483647; t += 86400 * 7 + 3671) {
    const time_t tt = static_cast<time_t>(t);
    const std::tm* g = std::gmtime(&tt);
    ASSERT_NE(g, nullptr);
    const DateValue v =
        date_make(g->tm_year + 1900, g->tm_mon + 1, g->tm_mday, g->tm_hour, g->tm_min, g->tm_sec);
    ASSERT_EQ(v, t);
    ASSERT_EQ(date_year(v), g->tm_year + 1900);
    ASSERT_EQ(date_month(v), g->tm_mon + 1);
    ASSERT_EQ(date_day(v), g->tm_mday);
    ASSERT_EQ(date_hour(v), g->tm_hour);
    ASSERT_EQ(date_minute(v), g->tm_min);
    ASSERT_EQ(date_second(v), g->tm_sec);
    ++checked;
  }
  EXPECT_GT(checked, 3000);
}

TEST(DateFields, SummerTimeDatesKeepTheirFields) {
  // 02:30 on the last Sunday of March does not exist in central Europe; 02:30 on the last
  // Sunday of October exists twice. Neither may move.
  const DateValue spring = date_make(2012, 3, 25, 2, 30, 0);
  EXPECT_EQ(date_hour(spring), 2);
  EXPECT_EQ(date_minute(spring), 30);
  const DateValue autumn = date_make(2012, 10, 28, 2, 30, 0);
  EXPECT_EQ(date_day(autumn), 28);
  EXPECT_EQ(date_hour(autumn), 2);
  EXPECT_EQ(date_make(2012, 3, 25, 3, 0, 0) - date_make(2012, 3, 25, 2, 0, 0), 3600);
}

TEST(DateFields, NegativeValuesGiveZero) {
  for (DateValue v : {-1, -86400, static_cast<DateValue>(-2147483647 - 1)}) {
    EXPECT_EQ(date_year(v), 0);
    EXPECT_EQ(date_month(v), 0);
    EXPECT_EQ(date_day(v), 0);
    EXPECT_EQ(date_hour(v), 0);
    EXPECT_EQ(date_minute(v), 0);
    EXPECT_EQ(date_second(v), 0);
  }
  EXPECT_EQ(date_year(2147483647), 2038);
  EXPECT_EQ(date_second(2147483647), 7);
}

TEST(DateFormat, BackupMasks) {
  const DateValue d = date_make(2012, 12, 2, 14, 5, 9);
  EXPECT_EQ(date_format("%dd_%mm_%yyyy_", d), "02_12_2012_");
  EXPECT_EQ(date_format("%hh_%ii_%ss", d), "14_05_09");
  const DateValue e = date_make(2012, 12, 24, 18, 5, 9);
  EXPECT_EQ(date_format("%dd_%mm_%yyyy_", e) + date_format("%hh_%ii_%ss", e),
            "24_12_2012_18_05_09");
}

TEST(DateFormat, TokensIgnoreCase) {
  const DateValue d = date_make(2009, 3, 7, 8, 1, 2);
  EXPECT_EQ(date_format("%YYYY-%Mm-%dD %HH:%iI:%Ss %yY", d), "2009-03-07 08:01:02 09");
  EXPECT_EQ(date_format("%yYyY", d), "2009");
}

TEST(DateFormat, PercentWithoutToken) {
  const DateValue d = date_make(2012, 12, 2, 14, 5, 9);
  EXPECT_EQ(date_format("%yyy", d), "12y");
  EXPECT_EQ(date_format("%y %m %", d), "%y %m %");
  EXPECT_EQ(date_format("%%dd", d), "%02");
  EXPECT_EQ(date_format("100%", d), "100%");
  EXPECT_EQ(date_format("%", d), "%");
  EXPECT_EQ(date_format("%i%s%h%d", d), "%i%s%h%d");
  EXPECT_EQ(date_format("%mmm%ddd", d), "12m02d");
}

TEST(DateFormat, EmptyOrMissingMask) {
  EXPECT_EQ(date_format(nullptr, 0), "");
  EXPECT_EQ(date_format("", 0), "");
  EXPECT_EQ(date_format("plain text", 0), "plain text");
}

TEST(DateFormat, InvalidDatePrintsZeros) {
  EXPECT_EQ(date_format("%yyyy-%yy-%mm-%dd %hh:%ii:%ss", -1), "0000-00-00-00 00:00:00");
  EXPECT_EQ(date_format("%dd_%mm_%yyyy_", -5000), "00_00_0000_");
}

TEST(DateFormat, RangeEndsAndFirstCentury) {
  EXPECT_EQ(date_format("%yyyy-%mm-%dd %hh:%ii:%ss", 0), "1970-01-01 00:00:00");
  EXPECT_EQ(date_format("%yyyy-%mm-%dd %hh:%ii:%ss", 2147483647), "2038-01-19 03:14:07");
  EXPECT_EQ(date_format("%yy", date_make(2000, 6, 1, 0, 0, 0)), "00");
  EXPECT_EQ(date_format("%yy", date_make(2005, 6, 1, 0, 0, 0)), "05");
}

TEST(DateFormat, LongMasksAreFormattedWhole) {
  const DateValue d = date_make(2012, 12, 2, 14, 5, 9);
  std::string mask;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    mask += "%dd.%mm.%yyyy|";
    expected += "02.12.2012|";
  }
  EXPECT_EQ(date_format(mask.c_str(), d), expected);

  // Output much longer than the mask, crossing many growth steps.
  std::string tokens(20000, ' ');
  for (size_t i = 0; i + 4 < tokens.size(); i += 5) tokens.replace(i, 5, "%yyyy");
  const std::string out = date_format(tokens.c_str(), d);
  EXPECT_EQ(out.size(), 16000u);
  EXPECT_EQ(out.substr(15996), "2012");
}

#ifdef _WIN32
TEST(DateNow, MatchesTheLocalClock) {
  SYSTEMTIME before;
  GetLocalTime(&before);
  const DateValue now = date_now();
  SYSTEMTIME after;
  GetLocalTime(&after);
  ASSERT_NE(now, -1);
  const DateValue lo = date_make(before.wYear, before.wMonth, before.wDay, before.wHour,
                                 before.wMinute, before.wSecond);
  const DateValue hi =
      date_make(after.wYear, after.wMonth, after.wDay, after.wHour, after.wMinute, after.wSecond);
  EXPECT_GE(now, lo);
  EXPECT_LE(now, hi);
}
#endif

// Run by the build with TZ set to a zone with a half-hour offset and summer time: makes sure
// the zone really is in effect, so the tests above prove independence from it.
TEST(DateZone, ForeignZoneIsActiveWhenRequested) {
  if (std::getenv("PELMORA_EXPECT_FOREIGN_ZONE") == nullptr)
    GTEST_SKIP() << "run in the machine's zone";
#ifdef _WIN32
  TIME_ZONE_INFORMATION info;
  GetTimeZoneInformation(&info);
  EXPECT_NE(info.Bias, 0);
#else
  const time_t t = 0;
  std::tm local{};
  ASSERT_NE(localtime_r(&t, &local), nullptr);
  EXPECT_NE(local.tm_hour * 60 + local.tm_min, 0);
#endif
}

}  // namespace
