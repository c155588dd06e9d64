// Date values and mask-driven date formatting.
//
// A DateValue counts the seconds from 1970-01-01 00:00:00 to a date and time of the local clock,
// with every day 86400 seconds long: the calendar fields are read as if they were UTC, so no time
// zone or daylight-saving shift ever enters a value, and taking a value apart gives back exactly
// the fields that made it. -1 stands for no valid date.
#pragma once

#include <cstdint>
#include <string>

using DateValue = int32_t;

// The current local date and time, whole seconds (Windows only: reads GetLocalTime).
DateValue date_now();

// The value of the given fields, or -1 when they name no valid date or lie before
// 1970-01-01 00:00:00 or after 2038-01-19 03:14:07.
DateValue date_make(int32_t year, int32_t month, int32_t day, int32_t hour, int32_t minute,
                    int32_t second);

// Fields of a value; every accessor gives 0 for a negative value.
int32_t date_year(DateValue date);    // e.g. 2012
int32_t date_month(DateValue date);   // 1-12
int32_t date_day(DateValue date);     // 1-31
int32_t date_hour(DateValue date);    // 0-23
int32_t date_minute(DateValue date);  // 0-59
int32_t date_second(DateValue date);  // 0-59

// Replaces the %-tokens of mask (nullptr counts as "") by the fields of date, matching letters
// without regard to case and in this order: %yyyy (four-digit year), %yy (year modulo 100),
// %mm (month), %dd (day), %hh (hour), %ii (minute), %ss (second), each zero-padded to two
// digits. A "%" that starts no token is copied as it is. A negative date prints zeros.
std::string date_format(const char* mask, DateValue date);
