#include "wizard/dialogs/message_box.h"

#include "platform/log_debug.h"
#include "platform/processes.h"
#include "text/language_strings.h"
#include "wizard/layout_loading.h"
#include "wizard/main_form.h"

Tform_MessageBox* form_MessageBox = nullptr;

Tform_MessageBox::~Tform_MessageBox() {
  if (form_MessageBox == this) form_MessageBox = nullptr;
}

Tform_MessageBox::Tform_MessageBox(TComponent* owner) : TForm(owner) {
  handlers_.Add("FormCreate", this, &Tform_MessageBox::FormCreate);
  handlers_.Add("FormShow", this, &Tform_MessageBox::FormShow);
  handlers_.Add("FormKeyPress", this, &Tform_MessageBox::FormKeyPress);
  handlers_.Add("lab_btnOKClick", this, &Tform_MessageBox::lab_btnOKClick);
  handlers_.Add("lab_btnCancelClick", this, &Tform_MessageBox::lab_btnCancelClick);
  handlers_.Add("lab_GoToWebSetupClick", this, &Tform_MessageBox::lab_GoToWebSetupClick);
  handlers_.Add("lab_btnOKMouseEnter", this, &Tform_MessageBox::lab_btnOKMouseEnter);
  handlers_.Add("lab_btnOKMouseLeave", this, &Tform_MessageBox::lab_btnOKMouseLeave);
  handlers_.Add("lab_btnCancelMouseEnter", this, &Tform_MessageBox::lab_btnCancelMouseEnter);
  handlers_.Add("lab_btnCancelMouseLeave", this, &Tform_MessageBox::lab_btnCancelMouseLeave);
  handlers_.Add("lab_GoToWebSetupMouseEnter", this, &Tform_MessageBox::lab_GoToWebSetupMouseEnter);
  handlers_.Add("lab_GoToWebSetupMouseLeave", this, &Tform_MessageBox::lab_GoToWebSetupMouseLeave);
  handlers_.Add("img_formBGMouseMove", this, &Tform_MessageBox::img_formBGMouseMove);
  handlers_.Add("lab_MessageMouseMove", this, &Tform_MessageBox::lab_MessageMouseMove);
  handlers_.Add("img_formBGMouseDown", this, &Tform_MessageBox::img_formBGMouseDown);
  LoadWizardLayout(*this, "form_MessageBox", handlers_);
#define ORVO_FIELD(cls, name) name = BindComponent<cls>(*this, #name);
#include "wizard/forms/form_MessageBox_fields.inc"
#undef ORVO_FIELD
}

void Tform_MessageBox::FormCreate(TObject*) {
  ShapeDialog(*this, 253, 220, 20);
  lab_GoToWebSetup->SetCaption(platform::FromAnsi(str_Msg23));
}

void Tform_MessageBox::FormShow(TObject*) {
  lab_GoToWebSetup->SetVisible(lab_Message->Caption() == platform::FromAnsi(str_Msg22));
  TImage* icons[] = {img_ICONINFORMATION, img_ICONWARNING, img_ICONERROR};
  if (msgType < 0 || msgType > 2) return;
  for (int i = 0; i < 3; ++i) icons[i]->SetVisible(i == msgType);
  img_btnCancel_Normal->SetVisible(msgType == 0);
  img_btnCancel_Over->Hide();
  lab_btnCancel->SetVisible(msgType == 0);
}

void Tform_MessageBox::FormKeyPress(TObject*, char16_t& Key) {
  if (Key == 13 && !lab_btnCancel->Visible()) lab_btnOKClick(this);
}

void Tform_MessageBox::lab_btnOKClick(TObject*) {
  if (msgType == 0) form_Main->msgBoxResultOK = 1;
  Close();
}

void Tform_MessageBox::lab_btnCancelClick(TObject*) { Close(); }

void Tform_MessageBox::lab_GoToWebSetupClick(TObject*) {
  // The link needs a chosen device; without one there is no address to open.
  if (form_Main->ListView1->ItemIndex() < 0) {
    LogDebug("Tform_MessageBox::lab_GoToWebSetupClick- no device is selected, nothing to open");
    return;
  }
  const std::string url = "http://" + form_Main->ListView1->Selected()->SubItems()[0];
  LogDebug("Tform_MessageBox::lab_GoToWebSetupClick- " + url);
  platform::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, 5);
}

void Tform_MessageBox::lab_btnOKMouseEnter(TObject*) { OkButton().Enter(); }
void Tform_MessageBox::lab_btnOKMouseLeave(TObject*) { OkButton().Leave(); }
void Tform_MessageBox::lab_btnCancelMouseEnter(TObject*) { CancelButton().Enter(); }
void Tform_MessageBox::lab_btnCancelMouseLeave(TObject*) { CancelButton().Leave(); }

void Tform_MessageBox::lab_GoToWebSetupMouseEnter(TObject*) { Screen->SetCursor(crHandPoint); }
void Tform_MessageBox::lab_GoToWebSetupMouseLeave(TObject*) { Screen->SetCursor(crDefault); }

void Tform_MessageBox::img_formBGMouseMove(TObject*, TShiftState, int, int) {
  OkButton().Leave();
  CancelButton().Leave();
}

void Tform_MessageBox::lab_MessageMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
  img_formBGMouseMove(Sender, Shift, X, Y);
}

void Tform_MessageBox::img_formBGMouseDown(TObject*, TMouseButton, TShiftState, int, int) { MoveByCaption(*this); }

void Tform_Main::ShowWizardMessage(const platform::AnsiString& text, int kind) {
  form_MessageBox->lab_Message->SetCaption(platform::FromAnsi(text));
  form_MessageBox->msgType = kind;
  form_MessageBox->ShowModal();
}
