#pragma once

#include "canvas.h"

// The large backgrounds: the main window, its eight pages and the dialogs.
namespace skin {

void DrawMainBackground(Canvas& c);

enum class Page { Devices, Password, Settings, Disks, DriveMapping, Results, ConnectionFailed, Finish };
void DrawPageBackground(Canvas& c, Page page);

struct DialogLook {
  double corner_radius;
  bool mark;  // the product mark in the header band (the reachability test has its title there)
};
void DrawDialogBackground(Canvas& c, const DialogLook& look);

}  // namespace skin
