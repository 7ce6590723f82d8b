#pragma once

#include <string>

#include "platform/ansi.h"
#include "toolkit/form.h"
#include "toolkit/layout.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"
#include "wizard/dialogs/dialog_traits.h"

// The login dialog: asks for the administrator's user name and password when the first login
// attempt (with an empty password) did not succeed, and tries again with them.
class Tform_UsernamePassValid : public TForm {
 public:
  explicit Tform_UsernamePassValid(TComponent* owner);
  ~Tform_UsernamePassValid() override;
  std::string ClassName() const override { return "Tform_UsernamePassValid"; }

#define ORVO_FIELD(cls, name) cls* name = nullptr;
#include "wizard/forms/form_UsernamePassValid_fields.inc"
#undef ORVO_FIELD

  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void btn_OKClick(TObject* Sender);
  void btn_CancelClick(TObject* Sender);
  void edit_UsernameKeyPress(TObject* Sender, char16_t& Key);
  void edit_PasswordKeyPress(TObject* Sender, char16_t& Key);
  void editOnEnter(TObject* Sender);
  void editOnLeave(TObject* Sender);
  void editOnChange(TObject* Sender);
  void timer_EditTimer(TObject* Sender);
  void lab_editUsernameClick(TObject* Sender);
  void lab_editPasswordClick(TObject* Sender);
  void btnOnEnter(TObject* Sender);
  void btnOnLeave(TObject* Sender);
  void lab_btnOKMouseEnter(TObject* Sender);
  void lab_btnOKMouseLeave(TObject* Sender);
  void lab_btnCancelMouseEnter(TObject* Sender);
  void lab_btnCancelMouseLeave(TObject* Sender);
  void img_formBGMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void img_formBGMouseLeave(TObject* Sender);
  void img_formBGMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

  void ShowWizardMessage(const platform::AnsiString& text, int kind);
  void RefreshPasswordMask();

  int FakeEditIndex = 0;
  int CaretBlinkCounter = 0;

 private:
  TImageButton OkButton() const { return {img_btnOK_Normal, img_btnOK_Over, lab_btnOK}; }
  TImageButton CancelButton() const { return {img_btnCancel_Normal, img_btnCancel_Over, lab_btnCancel}; }
  void SetButtonsEnabled(bool enabled);
  void ClearEdits();
  THandlerTable handlers_;
};

extern Tform_UsernamePassValid* form_UsernamePassValid;
