#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/ansi.h"

// The PC's drive letters for the box's volumes: the letters that may take a volume (free ones and
// ones in use by network connections), the share each one is connected to, and connecting and
// disconnecting a letter.

// One entry of the main window's drive table: a letter ("Z") and the share connected on it.
struct DriveTableEntry {
  platform::AnsiString letter;      // empty: the entry is not in use
  platform::AnsiString remoteName;  // empty: no network connection
};
constexpr size_t kDriveTableSize = 26;
using DriveTableEntries = std::array<DriveTableEntry, kDriveTableSize>;

// The drive type of a letter's root ("x:\" for a letter of either case, the empty root for
// anything else).
uint32_t GetDriveTypeByLetter(char letter);

// Fills the remote names of the entries whose letter has a network connection.
void EnumConnectedNetworkDrives(DriveTableEntries& DriveTable);

// Connects `remote` ("\\name\Volume_1") to the letter, remembered across restarts when
// `persistent`: 0, or the system error code.
uint32_t MapNetworkDrive(const platform::AnsiString& remote, char letter, bool persistent);
// Disconnects the letter even with files open; `updateProfile` also forgets it for later
// restarts: 0, or the system error code.
uint32_t UnmapNetworkDrive(char letter, bool updateProfile);

// What the main window's RefreshDriveList does besides its trace and its controls: empties the
// table, takes the letters Z down to E whose drive is free, unknown or remote (entries from 0 on),
// fills their remote names, and returns the item text of each used entry in order, the same for
// both drive-letter lists: the letter, ":  " and the remote name.
std::vector<platform::AnsiString> RebuildDriveTable(DriveTableEntries& DriveTable);
