#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_tree.h"

namespace platform {

// A line of a registry file that was skipped, with its reason.
struct RegFileProblem {
  int line = 0;
  std::string reason;
  friend bool operator==(const RegFileProblem&, const RegFileProblem&) = default;
};

// Applies a file in the registry editor's export format (version 5.00) to `tree`, in order:
//   Windows Registry Editor Version 5.00      the first line; without it nothing is applied
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Vendor]      a key, made with the keys on the way
//   [-HKEY_LOCAL_MACHINE\SOFTWARE\Old]        a key deleted with everything below it
//   "Name"="text"  @="text"                   a string value (@: the key's default value)
//   "Name"=dword:0000002a                     a 32-bit number
//   "Name"=hex:01,02  "Name"=hex(2):41,00     bytes of type REG_BINARY or the type given in
//                                             hex; a line ending in "\" goes on in the next one
//   "Name"=-                                  a value deleted
// Within quotes "\\" stands for "\" and "\"" for a quote; blanks around "=" are allowed. Blank
// lines and lines starting with ";" are skipped. Any other line is a problem: it is skipped and
// returned with its number (the first line of a value that goes on over several lines). The
// values below a key line that was skipped, or below a deleted key, are skipped with it.
std::vector<RegFileProblem> ApplyRegText(std::u16string_view text, RegistryTree& tree);

}  // namespace platform
