#include <cstdio>

#include "platform/convert.h"
#include "platform/exception.h"
#include "platform/log_debug.h"
#include "wizard/main_form.h"

// The address fields, four octet edits to an address: digits only, space or "." moves on, a
// completed octet moves on, a value beyond 0..255 is clamped, and an octet holding anything but
// digits keeps the focus.

namespace {

struct OctetGroup {
  std::array<TEdit*, 4> edits;
  std::array<TLabel*, 4> labels;
  bool fixed_ip_group;  // address, mask, gateway; else a DNS group
};

bool AllDigits(const std::string& text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

static std::array<OctetGroup, 5> OctetGroups(const Tform_Main& f) {
  return {{{{f.edit_IPAddr1, f.edit_IPAddr2, f.edit_IPAddr3, f.edit_IPAddr4},
            {f.lab_IPAddr1, f.lab_IPAddr2, f.lab_IPAddr3, f.lab_IPAddr4},
            true},
           {{f.edit_IPMask1, f.edit_IPMask2, f.edit_IPMask3, f.edit_IPMask4},
            {f.lab_IPMask1, f.lab_IPMask2, f.lab_IPMask3, f.lab_IPMask4},
            true},
           {{f.edit_IPGateway1, f.edit_IPGateway2, f.edit_IPGateway3, f.edit_IPGateway4},
            {f.lab_IPGateway1, f.lab_IPGateway2, f.lab_IPGateway3, f.lab_IPGateway4},
            true},
           {{f.edit_IPDNS1_1, f.edit_IPDNS1_2, f.edit_IPDNS1_3, f.edit_IPDNS1_4},
            {f.lab_IPDNS1_1, f.lab_IPDNS1_2, f.lab_IPDNS1_3, f.lab_IPDNS1_4},
            false},
           {{f.edit_IPDNS2_1, f.edit_IPDNS2_2, f.edit_IPDNS2_3, f.edit_IPDNS2_4},
            {f.lab_IPDNS2_1, f.lab_IPDNS2_2, f.lab_IPDNS2_3, f.lab_IPDNS2_4},
            false}}};
}

void Tform_Main::RegisterOctetEditHandlers() {
  handlers_.Add("edit_IPOnKeyPress", this, &Tform_Main::edit_IPOnKeyPress);
  handlers_.Add("edit_IPOnChange", this, &Tform_Main::edit_IPOnChange);
  handlers_.Add("edit_IPOnExit", this, &Tform_Main::edit_IPOnExit);
  handlers_.Add("lab_IPClick", this, &Tform_Main::lab_IPClick);
}

void Tform_Main::AdvanceOctet(TObject* Sender) {
  SelectNext(ActiveControl(), true);
  FocusNextOctet(Sender);
}

void Tform_Main::edit_IPOnKeyPress(TObject* Sender, char16_t& Key) {
  char trace[64];
  std::snprintf(trace, sizeof trace, "Tform_Main::edit_IPOnKeyPress- Key code: %x", static_cast<unsigned>(Key));
  LogDebug(trace);
  auto* edit = static_cast<TEdit*>(Sender);
  if ((Key == u' ' || Key == u'.') && edit->Length() > 0) {
    LogDebug("Tform_Main::edit_IPOnKeyPress 1");
    Key = 0;
    AdvanceOctet(Sender);
    return;
  }
  if (Key >= u'0' && Key <= u'9') {
    const int n = edit->Length();
    const int s = edit->SelLength();
    if (n > 2 && s == 1) {
      LogDebug("Tform_Main::edit_IPOnKeyPress 2");
      AdvanceOctet(Sender);
    } else if (n >= 2 && s == 0) {
      LogDebug("Tform_Main::edit_IPOnKeyPress 3 - " + edit->Name());
      AdvanceOctet(Sender);
    }
    return;
  }
  if (Key == 8) return;
  LogDebug("Tform_Main::edit_IPOnKeyPress 4");
  Key = 0;
}

void Tform_Main::FocusNextOctet(TObject* Sender) {
  for (const OctetGroup& g : OctetGroups(*this)) {
    for (int k = 0; k < 3; ++k) {
      if (g.edits[k] != Sender) continue;
      g.edits[k + 1]->SetFocus();
      g.edits[k + 1]->SelectAll();
      return;
    }
  }
}

void Tform_Main::edit_IPOnChange(TObject* Sender) {
  auto* edit = static_cast<TEdit*>(Sender);
  const std::string text = edit->Text();
  if (!text.empty()) {
    // Text that is no number (it can only be pasted) stays for the exit rule to refuse.
    int value = 0;
    bool number = true;
    try {
      value = platform::StrToInt(text);
    } catch (const platform::EConvertError&) {
      number = false;
    }
    if (number && (value < 0 || value > 255)) {
      LogDebug("Tform_Main::edit_IPOnChange");
      edit->SetText(value < 0 ? "0" : "255");
      if (PageControl1->ActivePage() == tab_CurrentSettings) {
        edit->SetFocus();
        edit->SelectAll();
      }
    }
  }
  FakeEditOnChange(Sender);
}

void Tform_Main::edit_IPOnExit(TObject* Sender) {
  auto* edit = static_cast<TEdit*>(Sender);
  if (!AllDigits(edit->Text())) {
    edit->SetFocus();
    edit->SelectAll();
    return;
  }
  FakeEditOnExit(Sender);
}

void Tform_Main::lab_IPClick(TObject* Sender) {
  CloseDropDownLists();
  if (checkBox_UseDefaultDNTZandNetwork->Checked()) return;
  for (const OctetGroup& g : OctetGroups(*this)) {
    for (int k = 0; k < 4; ++k) {
      if (g.labels[k] != Sender) continue;
      const bool open = g.fixed_ip_group ? radio_FixedIP->Checked() : radio_FixedDNS->Checked();
      if (open) g.edits[k]->SetFocus();
      return;
    }
  }
}

bool Tform_Main::FocusedOctetRefusesToLeave() {
  for (const OctetGroup& g : OctetGroups(*this)) {
    for (TEdit* e : g.edits) {
      if (e != ActiveControl() || AllDigits(e->Text())) continue;
      e->SelectAll();
      return true;
    }
  }
  return false;
}
