#pragma once

#include <cstdint>

namespace platform {

// The PC's local date and time, as GetLocalTime gives it.
struct LocalTime {
  int year = 1601;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
  int day_of_week = 1;  // 0 Sunday .. 6 Saturday
};

// Milliseconds since 1970-01-01 00:00 of the same (local) reckoning, and back. Used to move a
// local time forward by elapsed clock time without any time-zone rule.
int64_t LocalTimeToEpochMs(const LocalTime& t);
LocalTime EpochMsToLocalTime(int64_t ms);

}  // namespace platform
