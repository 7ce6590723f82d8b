#include "wizard/dialogs/login_dialog.h"

#include <cstring>

#include "platform/log_debug.h"
#include "text/language_strings.h"
#include "wizard/layout_loading.h"
#include "wizard/main_form.h"

Tform_UsernamePassValid* form_UsernamePassValid = nullptr;

Tform_UsernamePassValid::~Tform_UsernamePassValid() {
  if (form_UsernamePassValid == this) form_UsernamePassValid = nullptr;
}

Tform_UsernamePassValid::Tform_UsernamePassValid(TComponent* owner) : TForm(owner) {
  handlers_.Add("FormCreate", this, &Tform_UsernamePassValid::FormCreate);
  handlers_.Add("FormShow", this, &Tform_UsernamePassValid::FormShow);
  handlers_.Add("btn_OKClick", this, &Tform_UsernamePassValid::btn_OKClick);
  handlers_.Add("btn_CancelClick", this, &Tform_UsernamePassValid::btn_CancelClick);
  handlers_.Add("edit_UsernameKeyPress", this, &Tform_UsernamePassValid::edit_UsernameKeyPress);
  handlers_.Add("edit_PasswordKeyPress", this, &Tform_UsernamePassValid::edit_PasswordKeyPress);
  handlers_.Add("editOnEnter", this, &Tform_UsernamePassValid::editOnEnter);
  handlers_.Add("editOnLeave", this, &Tform_UsernamePassValid::editOnLeave);
  handlers_.Add("editOnChange", this, &Tform_UsernamePassValid::editOnChange);
  handlers_.Add("timer_EditTimer", this, &Tform_UsernamePassValid::timer_EditTimer);
  handlers_.Add("lab_editUsernameClick", this, &Tform_UsernamePassValid::lab_editUsernameClick);
  handlers_.Add("lab_editPasswordClick", this, &Tform_UsernamePassValid::lab_editPasswordClick);
  handlers_.Add("btnOnEnter", this, &Tform_UsernamePassValid::btnOnEnter);
  handlers_.Add("btnOnLeave", this, &Tform_UsernamePassValid::btnOnLeave);
  handlers_.Add("lab_btnOKMouseEnter", this, &Tform_UsernamePassValid::lab_btnOKMouseEnter);
  handlers_.Add("lab_btnOKMouseLeave", this, &Tform_UsernamePassValid::lab_btnOKMouseLeave);
  handlers_.Add("lab_btnCancelMouseEnter", this, &Tform_UsernamePassValid::lab_btnCancelMouseEnter);
  handlers_.Add("lab_btnCancelMouseLeave", this, &Tform_UsernamePassValid::lab_btnCancelMouseLeave);
  handlers_.Add("img_formBGMouseMove", this, &Tform_UsernamePassValid::img_formBGMouseMove);
  handlers_.Add("img_formBGMouseLeave", this, &Tform_UsernamePassValid::img_formBGMouseLeave);
  handlers_.Add("img_formBGMouseDown", this, &Tform_UsernamePassValid::img_formBGMouseDown);
  LoadWizardLayout(*this, "form_UsernamePassValid", handlers_);
#define ORVO_FIELD(cls, name) name = BindComponent<cls>(*this, #name);
#include "wizard/forms/form_UsernamePassValid_fields.inc"
#undef ORVO_FIELD
}

void Tform_UsernamePassValid::FormCreate(TObject*) { ShapeDialog(*this, 253, 220, 15); }

void Tform_UsernamePassValid::ClearEdits() {
  edit_Username->SetText("");
  edit_Password->SetText("");
}

void Tform_UsernamePassValid::SetButtonsEnabled(bool enabled) {
  btn_OK->SetEnabled(enabled);
  btn_Cancel->SetEnabled(enabled);
}

void Tform_UsernamePassValid::FormShow(TObject*) {
  SetButtonsEnabled(true);
  ClearEdits();
  edit_Username->SetFocus();
  // The row labels carry language texts: the fields are placed after the longer of them.
  const int w = std::max(lab_Username->Width(), lab_Password->Width());
  const int x = (248 - w - img_editUsername->Width()) / 2;
  lab_Username->SetLeft(x);
  lab_Password->SetLeft(x);
  img_editPassword->SetLeft(x + w + 5);
  img_editUsername->SetLeft(x + w + 5);
  lab_editUsername->SetLeft(x + w + 15);
  lab_editPassword->SetLeft(x + w + 15);
}

void Tform_UsernamePassValid::ShowWizardMessage(const platform::AnsiString& text, int kind) {
  form_Main->ShowWizardMessage(text, kind);
}

void Tform_UsernamePassValid::btn_OKClick(TObject*) {
  if (!btn_OK->Enabled()) return;
  SetButtonsEnabled(false);
  const platform::AnsiString user = platform::ToAnsi(edit_Username->Text());
  if (user.bytes() != "admin") {
    ShowWizardMessage(str_Msg16, 2);
    ClearEdits();
    edit_Username->SetFocus();
    SetButtonsEnabled(true);
    return;
  }
  SelectedNasRecordType& record = form_Main->SelectedNasRecord;
  const platform::AnsiString password = platform::ToAnsi(edit_Password->Text());
  record.userName.fill(0);
  record.adminPassword.fill(0);
  std::memcpy(record.userName.data(), user.c_str(), std::min(user.size(), record.userName.size() - 1));
  std::memcpy(record.adminPassword.data(), password.c_str(),
              std::min(password.size(), record.adminPassword.size() - 1));
  LogDebug("Tform_UsernamePassValid::btn_OKClick- User Name: " + user.bytes());
  LogDebug("Tform_UsernamePassValid::btn_OKClick- Password: " + password.bytes());
  const int32_t r = form_Main->GetNASInfo();
  if (r == 5) {
    form_Main->PageControl1->SetActivePage(form_Main->tab_UserPassValid);
    Close();
  } else if (r == 0) {
    ShowWizardMessage(str_Msg17, 2);
    edit_Password->SetText("");
    edit_Password->SetFocus();
    SetButtonsEnabled(true);
  } else {
    LogDebug("!!!!!!iGetNASInfoResult: " + std::to_string(r) + "!!!!!!!!");
    ShowWizardMessage(str_Msg15, 1);
    form_Main->tab_NASListShow(form_Main->tab_NASList);
    Close();
  }
}

void Tform_UsernamePassValid::btn_CancelClick(TObject*) {
  if (btn_OK->Enabled()) Close();
}

void Tform_UsernamePassValid::edit_UsernameKeyPress(TObject* Sender, char16_t& Key) {
  if (Key == 13) btn_OKClick(Sender);
}

void Tform_UsernamePassValid::edit_PasswordKeyPress(TObject* Sender, char16_t& Key) {
  if (Key == 13) btn_OKClick(Sender);
}

void Tform_UsernamePassValid::RefreshPasswordMask() {
  lab_editPassword->SetCaption(std::string(static_cast<size_t>(edit_Password->Length()), '*'));
}

void Tform_UsernamePassValid::editOnEnter(TObject* Sender) {
  const std::string& name = static_cast<TComponent*>(Sender)->Name();
  if (name == "edit_Username") FakeEditIndex = 0;
  if (name == "edit_Password") FakeEditIndex = 1;
  timer_Edit->SetEnabled(true);
}

void Tform_UsernamePassValid::timer_EditTimer(TObject*) {
  if (CaretBlinkCounter < 0) CaretBlinkCounter = 0;
  const bool caret = CaretBlinkCounter % 2 == 1;
  if (FakeEditIndex == 0) {
    lab_editUsername->SetCaption(edit_Username->Text() + (caret ? "|" : ""));
  } else if (FakeEditIndex == 1) {
    RefreshPasswordMask();
    if (caret) lab_editPassword->SetCaption(lab_editPassword->Caption() + "|");
  }
  ++CaretBlinkCounter;
}

void Tform_UsernamePassValid::editOnChange(TObject* Sender) {
  CaretBlinkCounter = 1;
  if (Sender == edit_Username) lab_editUsername->SetCaption(edit_Username->Text());
  if (Sender == edit_Password) RefreshPasswordMask();
}

void Tform_UsernamePassValid::editOnLeave(TObject* Sender) {
  timer_Edit->SetEnabled(false);
  if (Sender == edit_Username) lab_editUsername->SetCaption(edit_Username->Text());
  if (Sender == edit_Password) RefreshPasswordMask();
}

void Tform_UsernamePassValid::lab_editUsernameClick(TObject*) { edit_Username->SetFocus(); }
void Tform_UsernamePassValid::lab_editPasswordClick(TObject*) { edit_Password->SetFocus(); }

void Tform_UsernamePassValid::btnOnEnter(TObject* Sender) {
  TLabel* label = Sender == btn_OK ? lab_btnOK : lab_btnCancel;
  label->Font()->SetStyle(label->GetFont().Style() | fsUnderline);
}

void Tform_UsernamePassValid::btnOnLeave(TObject* Sender) {
  TLabel* label = Sender == btn_OK ? lab_btnOK : lab_btnCancel;
  label->Font()->SetStyle(label->GetFont().Style() & ~fsUnderline);
}

void Tform_UsernamePassValid::lab_btnOKMouseEnter(TObject*) { OkButton().Enter(); }
void Tform_UsernamePassValid::lab_btnOKMouseLeave(TObject*) { OkButton().Leave(); }
void Tform_UsernamePassValid::lab_btnCancelMouseEnter(TObject*) { CancelButton().Enter(); }
void Tform_UsernamePassValid::lab_btnCancelMouseLeave(TObject*) { CancelButton().Leave(); }

void Tform_UsernamePassValid::img_formBGMouseMove(TObject*, TShiftState, int, int) {
  OkButton().Leave();
  CancelButton().Leave();
}

void Tform_UsernamePassValid::img_formBGMouseLeave(TObject*) {
  OkButton().Leave();
  CancelButton().Leave();
}

void Tform_UsernamePassValid::img_formBGMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  MoveByCaption(*this);
}
