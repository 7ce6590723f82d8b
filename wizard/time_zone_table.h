#pragma once

#include "platform/ansi.h"

// The box's time zones: per row the box's own code for the zone and the stem of the Windows
// time-zone key name (without " Standard Time"). The box is sent the row number (index plus 1).
// Once a key of the PC matches a row, the row's code is replaced by that key's display text,
// which is how the chosen list entry finds its row again.
constexpr int kTimeZoneCount = 94;

struct TimeZoneTableRow {
  platform::AnsiString code;
  platform::AnsiString stem;
};
extern TimeZoneTableRow TimeZoneTable[kTimeZoneCount];

// The row whose code equals the text (-1 for none), 94 rows searched in order.
int FindTimeZoneRow(const platform::AnsiString& text);
