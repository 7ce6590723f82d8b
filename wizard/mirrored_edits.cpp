#include "platform/log_debug.h"
#include "wizard/main_form.h"

// The main window's text fields: hidden edits mirrored by labels over skin pictures, with a caret
// that blinks every 500 ms while the edit has the focus.

namespace {

enum class Kind { kPassword, kDeviceName, kOctet };

struct Mirror {
  TEdit* edit;
  TLabel* label;
  Kind kind;
};

std::string Stars(const TEdit* edit) { return std::string(static_cast<size_t>(edit->Length()), '*'); }

// The rendering after a change of the text.
std::string ChangeRendering(const Mirror& m) {
  const std::string t = m.edit->Text();
  switch (m.kind) {
    case Kind::kPassword:
      return Stars(m.edit);
    case Kind::kDeviceName:
      return t;
    case Kind::kOctet:
      switch (m.edit->Length()) {
        case 0:
          return "   ";
        case 1:
          return " " + t + " ";
        case 2:
          return t + " ";
        default:
          return t;
      }
  }
  return t;
}

std::string ExitRendering(const Mirror& m) { return m.kind == Kind::kPassword ? Stars(m.edit) : m.edit->Text(); }

}  // namespace

// The mirrored-edit table; the index is what FakeEditIndex holds.
static std::vector<Mirror> MirrorTable(const Tform_Main& f) {
  return {{f.edit_NewPassword1, f.lab_editNewPassword1, Kind::kPassword},
          {f.edit_NewPassword2, f.lab_editNewPassword2, Kind::kPassword},
          {f.edit_DeviceName, f.lab_editDeviceName, Kind::kDeviceName},
          {f.edit_IPAddr1, f.lab_IPAddr1, Kind::kOctet},
          {f.edit_IPAddr2, f.lab_IPAddr2, Kind::kOctet},
          {f.edit_IPAddr3, f.lab_IPAddr3, Kind::kOctet},
          {f.edit_IPAddr4, f.lab_IPAddr4, Kind::kOctet},
          {f.edit_IPMask1, f.lab_IPMask1, Kind::kOctet},
          {f.edit_IPMask2, f.lab_IPMask2, Kind::kOctet},
          {f.edit_IPMask3, f.lab_IPMask3, Kind::kOctet},
          {f.edit_IPMask4, f.lab_IPMask4, Kind::kOctet},
          {f.edit_IPGateway1, f.lab_IPGateway1, Kind::kOctet},
          {f.edit_IPGateway2, f.lab_IPGateway2, Kind::kOctet},
          {f.edit_IPGateway3, f.lab_IPGateway3, Kind::kOctet},
          {f.edit_IPGateway4, f.lab_IPGateway4, Kind::kOctet},
          {f.edit_IPDNS1_1, f.lab_IPDNS1_1, Kind::kOctet},
          {f.edit_IPDNS1_2, f.lab_IPDNS1_2, Kind::kOctet},
          {f.edit_IPDNS1_3, f.lab_IPDNS1_3, Kind::kOctet},
          {f.edit_IPDNS1_4, f.lab_IPDNS1_4, Kind::kOctet},
          {f.edit_IPDNS2_1, f.lab_IPDNS2_1, Kind::kOctet},
          {f.edit_IPDNS2_2, f.lab_IPDNS2_2, Kind::kOctet},
          {f.edit_IPDNS2_3, f.lab_IPDNS2_3, Kind::kOctet},
          {f.edit_IPDNS2_4, f.lab_IPDNS2_4, Kind::kOctet}};
}

// The table index of the sender, found by its name; -1 for a name not in the table.
static int MirrorIndex(const std::vector<Mirror>& table, TObject* sender) {
  const auto* component = dynamic_cast<const TComponent*>(sender);
  if (!component) return -1;
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].edit->Name() == component->Name()) return static_cast<int>(i);
  }
  return -1;
}

void Tform_Main::RegisterMirroredEditHandlers() {
  handlers_.Add("FakeEditOnChange", this, &Tform_Main::FakeEditOnChange);
  handlers_.Add("FakeEditOnEnter", this, &Tform_Main::FakeEditOnEnter);
  handlers_.Add("FakeEditOnExit", this, &Tform_Main::FakeEditOnExit);
  handlers_.Add("timer_FakeEditTimer", this, &Tform_Main::timer_FakeEditTimer);
  handlers_.Add("lab_editNewPassword1Click", this, &Tform_Main::lab_editNewPassword1Click);
  handlers_.Add("lab_editNewPassword2Click", this, &Tform_Main::lab_editNewPassword2Click);
  handlers_.Add("lab_editDeviceNameClick", this, &Tform_Main::lab_editDeviceNameClick);
}

void Tform_Main::RenderNewPassword1Mask() {
  lab_editNewPassword1->SetCaption("");
  lab_editNewPassword1->SetCaption(Stars(edit_NewPassword1));
}

void Tform_Main::RenderNewPassword2Mask() {
  lab_editNewPassword2->SetCaption("");
  lab_editNewPassword2->SetCaption(Stars(edit_NewPassword2));
}

void Tform_Main::FakeEditOnEnter(TObject* Sender) {
  CaretBlinkCounter = 1;
  const std::vector<Mirror> table = MirrorTable(*this);
  const int i = MirrorIndex(table, Sender);
  if (i >= 0) {
    FakeEditIndex = i;
    if (table[static_cast<size_t>(i)].kind == Kind::kOctet)
      table[static_cast<size_t>(i)].label->Font()->SetStyle(fsUnderline);
  }
  timer_FakeEdit->SetEnabled(true);
}

void Tform_Main::FakeEditOnExit(TObject* Sender) {
  timer_FakeEdit->SetEnabled(false);
  const std::vector<Mirror> table = MirrorTable(*this);
  const int i = MirrorIndex(table, Sender);
  if (i < 0) return;
  const Mirror& m = table[static_cast<size_t>(i)];
  m.label->SetCaption(ExitRendering(m));
  if (m.kind == Kind::kOctet) m.label->Font()->SetStyle(0);
}

void Tform_Main::FakeEditOnChange(TObject* Sender) {
  const std::vector<Mirror> table = MirrorTable(*this);
  const int i = MirrorIndex(table, Sender);
  if (i < 0) return;
  table[static_cast<size_t>(i)].label->SetCaption(ChangeRendering(table[static_cast<size_t>(i)]));
}

void Tform_Main::timer_FakeEditTimer(TObject*) {
  if (CaretBlinkCounter < 0) CaretBlinkCounter = 0;
  const std::vector<Mirror> table = MirrorTable(*this);
  if (FakeEditIndex < 0 || FakeEditIndex >= static_cast<int>(table.size())) return;
  const Mirror& m = table[static_cast<size_t>(FakeEditIndex)];
  const bool caret = CaretBlinkCounter % 2 == 1;
  const std::string t = m.edit->Text();
  switch (m.kind) {
    case Kind::kPassword:
      if (FakeEditIndex == 0) {
        RenderNewPassword1Mask();
      } else {
        RenderNewPassword2Mask();
      }
      m.label->SetCaption(m.label->Caption() + (caret ? "|" : ""));
      break;
    case Kind::kDeviceName:
      m.label->SetCaption(t + (caret ? "|" : ""));
      break;
    case Kind::kOctet:
      // A full octet shows its digits and makes no caret decision.
      if (m.edit->Length() >= 3) {
        m.label->SetCaption(t);
        return;
      }
      if (m.edit->Length() == 0) m.label->SetCaption(caret ? "  |" : "   ");
      if (m.edit->Length() == 1) m.label->SetCaption(" " + t + (caret ? "|" : " "));
      if (m.edit->Length() == 2) m.label->SetCaption(t + (caret ? "|" : " "));
      break;
  }
  // The counter runs on past its largest value into the negative ones, which the next tick
  // turns back to 0; the step is taken unsigned so that the wrap is defined.
  CaretBlinkCounter = static_cast<int32_t>(static_cast<uint32_t>(CaretBlinkCounter) + 1u);
}

void Tform_Main::lab_editNewPassword1Click(TObject*) {
  if (!checkBox_UseOriginalPassword->Checked()) edit_NewPassword1->SetFocus();
}

void Tform_Main::lab_editNewPassword2Click(TObject*) {
  if (!checkBox_UseOriginalPassword->Checked()) edit_NewPassword2->SetFocus();
}

void Tform_Main::lab_editDeviceNameClick(TObject*) {
  CloseDropDownLists();
  if (!checkBox_UseDefaultDNTZandNetwork->Checked()) edit_DeviceName->SetFocus();
}
