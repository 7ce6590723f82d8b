#pragma once

#include <string>

#include "wizard/main_form.h"
#include "wizard_fixture.h"

// The device page as the user meets it: boxes at given addresses, rounds, Refresh and the grid's
// rows.
class DevicePageTest : public WizardTest {
 protected:
  // A box at the next free address from 192.168.1.20 on; returns the address.
  std::string AddNextBox(sim::BoxConfig box) {
    box.address = sim::Ipv4Of("192.168.1." + std::to_string(20 + next_host_++));
    AddBox(box);
    return sim::FormatIpv4(box.address);
  }
  sim::BoxNode& AddBoxAt(const std::string& address, std::string model, uint32_t reply_delay_ms = 0) {
    sim::BoxConfig box;
    box.model_name = std::move(model);
    box.address = sim::Ipv4Of(address);
    box.faults.reply_delay_ms = reply_delay_ms;
    return AddBox(box);
  }
  void ClickRefresh() { driver_.Click("lab_btnDeviceDiscovery"); }
  // The centre of a cell of the device grid, in window coordinates.
  TPoint DeviceCell(int col, int row) const {
    const TRect cell = form_Main->sg_NASList->CellRect(col, row);
    return form_Main->sg_NASList->ClientToForm({(cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2});
  }

 private:
  int next_host_ = 0;
};
