#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The files in which the emulated services (drives, services, firewall) keep what the real system
// would remember: readable UTF-8 text that a user may edit, one record a line.
namespace platform {

// The path of a state file in `folder`, or in the user's state folder when `folder` is empty;
// empty when there is no home for it.
std::string StateFilePath(const std::string& folder, const char* name);

// The lines of a state file, without their line ends. Nothing when it is missing or unreadable.
std::optional<std::vector<std::string>> ReadStateLines(const std::string& path);

// Writes the whole file at once (a temporary file renamed over it), so that a reader never sees
// half of it; the folder is created for the user alone when it is missing. False on failure.
bool WriteStateFile(const std::string& path, const std::string& text);

// Reports a line of a state file that the service cannot read, on the standard error, once per
// file, line and text: "<service>: <file>:<line>: <reason>; line skipped".
void ReportSkippedLine(std::string_view service, const std::string& file, size_t line, std::string_view text,
                       std::string_view reason);

// The text without blanks (space, tab) at its ends.
std::string_view TrimBlanks(std::string_view text);

// Whether the line carries no record: empty, blanks only, or a comment starting with "#".
bool IsStateComment(std::string_view line);

}  // namespace platform
