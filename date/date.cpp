// Date arithmetic and formatting on the proleptic Gregorian calendar, independent of the
// machine's time zone: values are built and taken apart with plain day counting, never through
// the C library's local-time conversions.
#include "date/date.h"

#include <cstring>

namespace {

constexpr int64_t kSecondsPerDay = 24 * 3600;
constexpr int64_t kLastValue = 2147483647;  // 2038-01-19 03:14:07

bool is_leap_year(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// Days from 1970-01-01 to the given date (valid fields, year 1 or later).
int64_t days_from_civil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = year / 400;  // year >= 0 here
  const int64_t year_of_era = year - era * 400;
  const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

struct DateFields {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
};

// The calendar fields of a value read as UTC; all zero for a negative value.
DateFields split(DateValue date) {
  DateFields f;
  if (date < 0) return f;
  const int64_t days = date / kSecondsPerDay;
  const int64_t rest = date % kSecondsPerDay;
  f.hour = static_cast<int32_t>(rest / 3600);
  f.minute = static_cast<int32_t>(rest / 60 % 60);
  f.second = static_cast<int32_t>(rest % 60);

  const int64_t z = days + 719468;
  const int64_t era = z / 146097;
  const int64_t day_of_era = z - era * 146097;
  const int64_t year_of_era =
      (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int64_t day_of_year =
      day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int64_t mp = (5 * day_of_year + 2) / 153;
  const int64_t month = mp < 10 ? mp + 3 : mp - 9;
  f.day = static_cast<int32_t>(day_of_year - (153 * mp + 2) / 5 + 1);
  f.month = static_cast<int32_t>(month);
  f.year = static_cast<int32_t>(year_of_era + era * 400 + (month <= 2));
  return f;
}

bool starts_with_token(const char* text, const char* token) {
  for (; *token; ++text, ++token) {
    char c = *text;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != *token) return false;  // also stops at the terminating zero
  }
  return true;
}

void append_number(std::string& out, int32_t value, int digits) {
  char buffer[12];
  int n = 0;
  uint32_t v = value < 0 ? 0u : static_cast<uint32_t>(value);
  do {
    buffer[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n < digits) buffer[n++] = '0';
  while (n > 0) out.push_back(buffer[--n]);
}

}  // namespace

DateValue date_make(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                    int32_t second) {
  if (day == 31 && (month == 4 || month == 6 || month == 9 || month == 11)) return -1;
  if (month == 2 && (day > 29 || (day == 29 && !is_leap_year(year)))) return -1;
  if (second < 0 || second > 59 || minute < 0 || minute > 59 || hour < 0 || hour > 23 || day < 1 ||
      day > 31 || month < 1 || month > 12 || year <= 0) {
    return -1;
  }
  if (year < 1970 || year > 2038) return -1;  // keeps the day count far from overflow
  const int64_t value =
      days_from_civil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
  if (value < 0 || value > kLastValue) return -1;
  return static_cast<DateValue>(value);
}

int32_t date_year(DateValue date) { return split(date).year; }
int32_t date_month(DateValue date) { return split(date).month; }
int32_t date_day(DateValue date) { return split(date).day; }
int32_t date_hour(DateValue date) { return split(date).hour; }
int32_t date_minute(DateValue date) { return split(date).minute; }
int32_t date_second(DateValue date) { return split(date).second; }

std::string date_format(const char* mask, DateValue date) {
  std::string out;
  if (mask == nullptr || *mask == '\0') return out;
  const DateFields f = split(date);
  out.reserve(std::strlen(mask) + 8);
  const char* p = mask;
  while (*p != '\0') {
    if (*p != '%') {
      out.push_back(*p++);
      continue;
    }
    const char* t = p + 1;
    if (starts_with_token(t, "yyyy")) {
      append_number(out, f.year, 4);
      p = t + 4;
    } else if (starts_with_token(t, "yy")) {
      append_number(out, f.year % 100, 2);
      p = t + 2;
    } else if (starts_with_token(t, "mm")) {
      append_number(out, f.month, 2);
      p = t + 2;
    } else if (starts_with_token(t, "dd")) {
      append_number(out, f.day, 2);
      p = t + 2;
    } else if (starts_with_token(t, "hh")) {
      append_number(out, f.hour, 2);
      p = t + 2;
    } else if (starts_with_token(t, "ii")) {
      append_number(out, f.minute, 2);
      p = t + 2;
    } else if (starts_with_token(t, "ss")) {
      append_number(out, f.second, 2);
      p = t + 2;
    } else {
      out.push_back('%');
      p = t;
    }
  }
  return out;
}
