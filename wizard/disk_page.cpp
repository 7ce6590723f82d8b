#include "platform/log_debug.h"
#include "text/language_strings.h"
#include "wizard/main_form.h"

// The disk page (keep the box's disk configuration, or choose a RAID level and file system) and
// the drive-letter lists of the network-drive page.

namespace {

struct Radio {
  TRadioButton* radio;
  TImage* selected;
  TImage* unselected_normal;
  TImage* unselected_over;
  TLabel* caption;
};

void Chosen(const Radio& r) {
  r.selected->Show();
  r.unselected_normal->Hide();
  r.unselected_over->Hide();
}

void Unchosen(const Radio& r) {
  r.unselected_normal->Show();
  r.selected->Hide();
  r.unselected_over->Hide();
}

void LabelEnabled(TLabel* label, bool enabled) { label->Font()->SetColor(enabled ? clBtnFace : clBtnShadow); }

}  // namespace

std::array<Radio, 4> RaidLevelRadios(const Tform_Main& f) {
  return {{{f.radio_Standard, f.img_radioSTANDARD_selected, f.img_radioSTANDARD_unselectedNormal,
            f.img_radioSTANDARD_unselectedOver, f.lab_radioSTANDARD},
           {f.radio_JBOD, f.img_radioJBOD_selected, f.img_radioJBOD_unselectedNormal, f.img_radioJBOD_unselectedOver,
            f.lab_radioJBOD},
           {f.radio_RAID0, f.img_radioRAID0_selected, f.img_radioRAID0_unselectedNormal,
            f.img_radioRAID0_unselectedOver, f.lab_radioRAID0},
           {f.radio_RAID1, f.img_radioRAID1_selected, f.img_radioRAID1_unselectedNormal,
            f.img_radioRAID1_unselectedOver, f.lab_radioRAID1}}};
}

std::array<Radio, 2> FileSystemRadios(const Tform_Main& f) {
  return {{{f.radio_Ext2, f.img_radioExt2_selected, f.img_radioExt2_unselectedNormal, f.img_radioExt2_unselectedOver,
            f.lab_radioExt2},
           {f.radio_Ext3, f.img_radioExt3_selected, f.img_radioExt3_unselectedNormal, f.img_radioExt3_unselectedOver,
            f.lab_radioExt3}}};
}

void Tform_Main::RegisterDiskPageHandlers() {
  handlers_.Add("checkBox_UseDefaultDiskSettingClick", this, &Tform_Main::checkBox_UseDefaultDiskSettingClick);
  handlers_.Add("radio_StandardClick", this, &Tform_Main::radio_StandardClick);
  handlers_.Add("radio_JBODClick", this, &Tform_Main::radio_JBODClick);
  handlers_.Add("radio_RAID0Click", this, &Tform_Main::radio_RAID0Click);
  handlers_.Add("radio_RAID1Click", this, &Tform_Main::radio_RAID1Click);
  handlers_.Add("cb_DriveList1Change", this, &Tform_Main::cb_DriveList1Change);
  handlers_.Add("cb_DriveList2Change", this, &Tform_Main::cb_DriveList2Change);
}

void Tform_Main::ShowDiskConfigOptions(bool show) {
  TLabel* labels[] = {lab_TitleFileSystem, lab_TitleRAIDLevel};
  for (TLabel* l : labels) l->SetVisible(show);
  auto all = [&](const auto& radios) {
    for (const Radio& r : radios) {
      r.caption->SetVisible(show);
      if (show) {
        Unchosen(r);
      } else {
        r.selected->Hide();
        r.unselected_normal->Hide();
        r.unselected_over->Hide();
      }
    }
  };
  all(FileSystemRadios(*this));
  all(RaidLevelRadios(*this));
}

void Tform_Main::SetUseDefaultDiskSettingLabelEnabled(bool e) { LabelEnabled(lab_checkBoxUseDefaultDiskSetting, e); }
void Tform_Main::SetExt2LabelEnabled(bool e) { LabelEnabled(lab_radioExt2, e); }
void Tform_Main::SetExt3LabelEnabled(bool e) { LabelEnabled(lab_radioExt3, e); }
void Tform_Main::SetStandardLabelEnabled(bool e) { LabelEnabled(lab_radioSTANDARD, e); }
void Tform_Main::SetJBODLabelEnabled(bool e) { LabelEnabled(lab_radioJBOD, e); }
void Tform_Main::SetRAID0LabelEnabled(bool e) { LabelEnabled(lab_radioRAID0, e); }
void Tform_Main::SetRAID1LabelEnabled(bool e) { LabelEnabled(lab_radioRAID1, e); }

void Tform_Main::ShowDiskBoxPicture(TImage* shown) {
  for (TImage* p :
       {img_checkBoxUseDefaultDiskSetting_checkedNormal, img_checkBoxUseDefaultDiskSetting_checkedOver,
        img_checkBoxUseDefaultDiskSetting_uncheckedNormal, img_checkBoxUseDefaultDiskSetting_uncheckedOver}) {
    p->SetVisible(p == shown);
  }
}

void Tform_Main::checkBox_UseDefaultDiskSettingClick(TObject*) {
  const NasDiskLayout& disks = SelectedNasRecord.diskLayout;
  if (checkBox_UseDefaultDiskSetting->Checked()) {
    btn_Next->SetCaption(platform::FromAnsi(str_BtnApply));
    lab_btnNext->SetCaption(platform::FromAnsi(str_BtnApply));
    lab_HDAmount->SetCaption(platform::FromAnsi(str_LabDiskAmount) + " " + std::to_string(disks.diskAmount));
    radio_Ext3->SetChecked(true);
    radio_Ext3Click(radio_Ext3);
    if (disks.diskAmount == 1) {
      radio_Standard->SetChecked(true);
      radio_StandardClick(radio_Standard);
    } else if (disks.diskAmount == 2) {
      radio_RAID1->SetChecked(true);
      radio_RAID1Click(radio_RAID1);
    }
    // The current configuration wins where no present disk lacks a file system.
    if (disks.disk1FileSystem != 1 && disks.disk2FileSystem != 1) {
      if (disks.diskAmount == 1) {
        radio_Standard->SetChecked(true);
        (disks.disk1FileSystem == 2 || disks.disk2FileSystem == 2 ? radio_Ext2 : radio_Ext3)->SetChecked(true);
      } else if (disks.diskAmount == 2) {
        TRadioButton* by_kind[] = {radio_Standard, radio_JBOD, radio_RAID0, radio_RAID1};
        if (disks.disk1Kind >= 0 && disks.disk1Kind <= 3) by_kind[disks.disk1Kind]->SetChecked(true);
        if (disks.disk2FileSystem == 2) radio_Ext2->SetChecked(true);
        if (disks.disk2FileSystem == 3) radio_Ext3->SetChecked(true);
      }
    }
    radio_Ext2->SetEnabled(false);
    SetExt2LabelEnabled(false);
    radio_Ext3->SetEnabled(false);
    SetExt3LabelEnabled(false);
    radio_Standard->SetEnabled(false);
    SetStandardLabelEnabled(false);
    radio_JBOD->SetEnabled(false);
    SetJBODLabelEnabled(false);
    radio_RAID0->SetEnabled(false);
    SetRAID0LabelEnabled(false);
    radio_RAID1->SetEnabled(false);
    SetRAID1LabelEnabled(false);
    ShowDiskBoxPicture(img_checkBoxUseDefaultDiskSetting_checkedNormal);
    lab_TitleFileSystem->Font()->SetColor(clBtnShadow);
    lab_TitleRAIDLevel->Font()->SetColor(clBtnShadow);
  } else {
    btn_Next->SetCaption(platform::FromAnsi(str_BtnNext));
    lab_btnNext->SetCaption(platform::FromAnsi(str_BtnNext));
    ShowDiskBoxPicture(img_checkBoxUseDefaultDiskSetting_uncheckedNormal);
    lab_TitleFileSystem->Font()->SetColor(clBtnFace);
    lab_TitleRAIDLevel->Font()->SetColor(clBtnFace);
    if (disks.diskAmount == 2) {
      radio_Standard->SetEnabled(true);
      SetStandardLabelEnabled(true);
      radio_JBOD->SetEnabled(true);
      SetJBODLabelEnabled(true);
      radio_RAID0->SetEnabled(true);
      SetRAID0LabelEnabled(true);
      radio_RAID1->SetEnabled(true);
      SetRAID1LabelEnabled(true);
    }
    radio_Ext2->SetEnabled(true);
    SetExt2LabelEnabled(true);
    radio_Ext3->SetEnabled(true);
    SetExt3LabelEnabled(true);
  }
}

void Tform_Main::ChooseRaidLevelLook(TRadioButton* chosen) {
  for (const Radio& r : RaidLevelRadios(*this)) {
    if (r.radio == chosen) {
      Chosen(r);
    } else {
      Unchosen(r);
    }
    r.caption->Font()->SetColor(clBtnFace);
  }
  Screen->SetCursor(crDefault);
}

void Tform_Main::ShowSecondDriveLetter(bool show) {
  for (TControl* c :
       std::initializer_list<TControl*>{lab_And, cb_DriveList2, lab_CBDriveList2, img_CBDriveList2_Normal}) {
    c->SetVisible(show);
  }
  img_CBDriveList2_Over->Hide();
  img_CBDriveList2_Selected->Hide();
}

void Tform_Main::radio_StandardClick(TObject* Sender) {
  if (SelectedNasRecord.diskLayout.diskAmount == 2 && radio_Standard->Checked()) {
    ShowSecondDriveLetter(true);
    cb_DriveList1Change(Sender);
  } else {
    ShowSecondDriveLetter(false);
  }
  if (radio_Standard->Checked()) ChooseRaidLevelLook(radio_Standard);
}

void Tform_Main::RaidLevelClick(TRadioButton* radio) {
  if (!radio->Checked()) return;
  ShowSecondDriveLetter(false);
  ChooseRaidLevelLook(radio);
}

void Tform_Main::radio_JBODClick(TObject*) { RaidLevelClick(radio_JBOD); }
void Tform_Main::radio_RAID0Click(TObject*) { RaidLevelClick(radio_RAID0); }
void Tform_Main::radio_RAID1Click(TObject*) { RaidLevelClick(radio_RAID1); }

void Tform_Main::cb_DriveList1Change(TObject*) {
  if (cb_DriveList1->ItemIndex() != cb_DriveList2->ItemIndex()) return;
  const int count = cb_DriveList2->Items().Count();
  const int next = cb_DriveList2->ItemIndex() + 1;
  cb_DriveList2->SetItemIndex(next >= count ? 0 : next);
  SelectDriveList2Item(cb_DriveList2->ItemIndex());
}

void Tform_Main::cb_DriveList2Change(TObject*) {
  if (cb_DriveList1->ItemIndex() != cb_DriveList2->ItemIndex()) return;
  const int count = cb_DriveList1->Items().Count();
  const int previous = cb_DriveList1->ItemIndex() - 1;
  cb_DriveList1->SetItemIndex(previous < 0 ? count - 1 : previous);
  SelectDriveList1Item(cb_DriveList1->ItemIndex());
}

void Tform_Main::RefreshDriveList() {
  LogDebug("Tform_Main::RefreshDriveList");
  cb_DriveList1->Clear();
  cb_DriveList2->Clear();
  for (const platform::AnsiString& item : RebuildDriveTable(DriveTable)) {
    cb_DriveList1->Items().Add(platform::FromAnsi(item));
    cb_DriveList2->Items().Add(platform::FromAnsi(item));
  }
  const std::pair<TComboBox*, TStringGrid*> lists[] = {{cb_DriveList1, sg_CBDriveList1},
                                                       {cb_DriveList2, sg_CBDriveList2}};
  for (const auto& [list, grid] : lists) {
    grid->SetRowCount(list->Items().Count());
    for (int r = 0; r < list->Items().Count(); ++r) grid->SetCell(0, r, list->Items()[r]);
  }
  if (cb_DriveList1->Items().Count() > 0) {
    cb_DriveList1->SetItemIndex(0);
    sg_CBDriveList1->SetRow(0);
    DriveList1Index = 0;
    lab_CBDriveList1->SetCaption(cb_DriveList1->Items()[0]);
  }
  if (cb_DriveList2->Items().Count() > 0) {
    cb_DriveList2->SetItemIndex(0);
    sg_CBDriveList2->SetRow(0);
    DriveList2Index = 0;
    lab_CBDriveList2->SetCaption(cb_DriveList2->Items()[0]);
  }
}
