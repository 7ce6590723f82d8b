#pragma once

#include <string>

#include "device_page_support.h"

// The main window's pages after a login to a box with two disks in RAID 1 (ext3), so that every
// skinned control of the pages has its values; and the pointer's ways across them.
class SkinnedPageTest : public DevicePageTest {
 protected:
  void LogIn() {
    sim::BoxConfig box;
    box.disks = sim::Disks::Raid1(sim::FileSystem::kExt3);
    AddBox(box);
    Start();
    WaitForRoundEnd();
    ClickDeviceRow(0);
    form_Main->btn_NextClick(form_Main->btn_Next);
    ASSERT_EQ(form_Main->PageControl1->ActivePage(), form_Main->tab_UserPassValid);
  }
  void ShowPage(TTabSheet* page) { form_Main->PageControl1->SetActivePage(page); }

  // A point of the window where `control` takes the mouse, searched over the page area.
  TPoint PointOn(const TControl* control) const {
    for (int y = 0; y < form_Main->Height(); y += 3) {
      for (int x = 0; x < form_Main->Width(); x += 3) {
        if (form_Main->ControlAt(x, y) == control) return {x, y};
      }
    }
    ADD_FAILURE() << control->Name() << " takes the mouse nowhere";
    return {-1, -1};
  }
  // Each followed by a turn of the message loop, as the program's loop turns between events.
  void MoveOnto(const TControl* control) {
    const TPoint p = PointOn(control);
    driver_.MoveTo(p.X, p.Y);
    app_.ProcessMessages();
  }
  void ClickOn(const TControl* control) {
    const TPoint p = PointOn(control);
    driver_.ClickAt(p.X, p.Y);
    app_.ProcessMessages();
  }
};
