#include "wizard/dialogs/confirm_format.h"

#include "platform/log_debug.h"
#include "wizard/layout_loading.h"
#include "wizard/main_form.h"

Tform_ConfirmFormat* form_ConfirmFormat = nullptr;

Tform_ConfirmFormat::~Tform_ConfirmFormat() {
  if (form_ConfirmFormat == this) form_ConfirmFormat = nullptr;
}

Tform_ConfirmFormat::Tform_ConfirmFormat(TComponent* owner) : TForm(owner) {
  handlers_.Add("FormCreate", this, &Tform_ConfirmFormat::FormCreate);
  handlers_.Add("FormShow", this, &Tform_ConfirmFormat::FormShow);
  handlers_.Add("checkBox_FormatDiskClick", this, &Tform_ConfirmFormat::checkBox_FormatDiskClick);
  handlers_.Add("lab_checkBoxFormatDiskClick", this, &Tform_ConfirmFormat::lab_checkBoxFormatDiskClick);
  handlers_.Add("btn_OKClick", this, &Tform_ConfirmFormat::btn_OKClick);
  handlers_.Add("btn_CancelClick", this, &Tform_ConfirmFormat::btn_CancelClick);
  handlers_.Add("lab_btnOKMouseEnter", this, &Tform_ConfirmFormat::lab_btnOKMouseEnter);
  handlers_.Add("lab_btnOKMouseLeave", this, &Tform_ConfirmFormat::lab_btnOKMouseLeave);
  handlers_.Add("lab_btnCancelMouseEnter", this, &Tform_ConfirmFormat::lab_btnCancelMouseEnter);
  handlers_.Add("lab_btnCancelMouseLeave", this, &Tform_ConfirmFormat::lab_btnCancelMouseLeave);
  handlers_.Add("lab_checkBoxFormatDiskMouseEnter", this, &Tform_ConfirmFormat::lab_checkBoxFormatDiskMouseEnter);
  handlers_.Add("lab_checkBoxFormatDiskMouseLeave", this, &Tform_ConfirmFormat::lab_checkBoxFormatDiskMouseLeave);
  handlers_.Add("img_formBGMouseMove", this, &Tform_ConfirmFormat::img_formBGMouseMove);
  handlers_.Add("img_formBGMouseDown", this, &Tform_ConfirmFormat::img_formBGMouseDown);
  LoadWizardLayout(*this, "form_ConfirmFormat", handlers_);
#define ORVO_FIELD(cls, name) name = BindComponent<cls>(*this, #name);
#include "wizard/forms/form_ConfirmFormat_fields.inc"
#undef ORVO_FIELD
}

void Tform_ConfirmFormat::FormCreate(TObject*) { ShapeDialog(*this, 253, 220, 15); }

void Tform_ConfirmFormat::FormShow(TObject*) {
  btn_OK->SetEnabled(false);
  if (checkBox_FormatDisk->Checked()) {
    checkBox_FormatDisk->SetChecked(false);  // its click handler gives the unticked look
  } else {
    // A box that is unticked already runs no click: the look is put right the same way.
    checkBox_FormatDiskClick(checkBox_FormatDisk);
  }
}

void Tform_ConfirmFormat::ShowOnlyBoxPicture(TImage* shown) {
  for (TImage* picture : {img_checkBoxFormatDisk_checkedNormal, img_checkBoxFormatDisk_checkedOver,
                          img_checkBoxFormatDisk_uncheckedNormal, img_checkBoxFormatDisk_uncheckedOver}) {
    picture->SetVisible(picture == shown);
  }
}

void Tform_ConfirmFormat::checkBox_FormatDiskClick(TObject*) {
  const bool ticked = checkBox_FormatDisk->Checked();
  btn_OK->SetEnabled(ticked);
  img_btnOK_Normal->Show();
  img_btnOK_Over->Hide();
  lab_btnOK->Font()->SetColor(ticked ? clBtnFace : clBtnShadow);
  Screen->SetCursor(crDefault);
  ShowOnlyBoxPicture(ticked ? img_checkBoxFormatDisk_checkedNormal : img_checkBoxFormatDisk_uncheckedNormal);
}

void Tform_ConfirmFormat::lab_checkBoxFormatDiskClick(TObject*) {
  checkBox_FormatDisk->SetChecked(!checkBox_FormatDisk->Checked());
}

void Tform_ConfirmFormat::btn_OKClick(TObject*) {
  if (!checkBox_FormatDisk->Checked()) return;
  LogDebug("Tform_ConfirmFormat::btn_OKClick");
  form_Main->formatConfirmed = 1;
  Close();
}

void Tform_ConfirmFormat::btn_CancelClick(TObject*) { Close(); }

void Tform_ConfirmFormat::lab_btnOKMouseEnter(TObject*) {
  if (checkBox_FormatDisk->Checked()) OkButton().Enter();
}
void Tform_ConfirmFormat::lab_btnOKMouseLeave(TObject*) {
  if (checkBox_FormatDisk->Checked()) OkButton().Leave();
}
void Tform_ConfirmFormat::lab_btnCancelMouseEnter(TObject*) { CancelButton().Enter(); }
void Tform_ConfirmFormat::lab_btnCancelMouseLeave(TObject*) { CancelButton().Leave(); }

void Tform_ConfirmFormat::lab_checkBoxFormatDiskMouseEnter(TObject*) {
  if (img_checkBoxFormatDisk_uncheckedNormal->Visible()) {
    ShowOnlyBoxPicture(img_checkBoxFormatDisk_uncheckedOver);
  } else if (img_checkBoxFormatDisk_checkedNormal->Visible()) {
    ShowOnlyBoxPicture(img_checkBoxFormatDisk_checkedOver);
  }
  lab_checkBoxFormatDisk->Font()->SetColor(clBtnHighlight);
  Screen->SetCursor(crHandPoint);
}

void Tform_ConfirmFormat::lab_checkBoxFormatDiskMouseLeave(TObject*) {
  if (img_checkBoxFormatDisk_uncheckedOver->Visible()) {
    ShowOnlyBoxPicture(img_checkBoxFormatDisk_uncheckedNormal);
  } else if (img_checkBoxFormatDisk_checkedOver->Visible()) {
    ShowOnlyBoxPicture(img_checkBoxFormatDisk_checkedNormal);
  }
  lab_checkBoxFormatDisk->Font()->SetColor(clBtnFace);
  Screen->SetCursor(crDefault);
}

void Tform_ConfirmFormat::img_formBGMouseMove(TObject* Sender, TShiftState, int, int) {
  lab_btnOKMouseLeave(Sender);
  CancelButton().Leave();
  lab_checkBoxFormatDiskMouseLeave(Sender);
}

void Tform_ConfirmFormat::img_formBGMouseDown(TObject*, TMouseButton, TShiftState, int, int) { MoveByCaption(*this); }
