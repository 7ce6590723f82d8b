// Paints every picture of the wizard's skin into a folder (wizard/forms/pictures in the
// project). Its output is committed, so a designer may also replace a file by hand.
//   skin_painter <output folder>

#include <cstdio>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "backgrounds.h"
#include "controls.h"
#include "icons.h"
#include "web_ui.h"
#include "writer.h"

namespace {

using namespace skin;

struct Picture {
  std::string file;  // .png or .jpg
  int width, height;
  std::function<void(Canvas&)> paint;
};

std::vector<Picture> Catalogue() {
  std::vector<Picture> all = {
      {"main_background.jpg", 709, 469, DrawMainBackground},
      {"page_devices.jpg", 667, 387, [](Canvas& c) { DrawPageBackground(c, Page::Devices); }},
      {"page_password.jpg", 667, 387, [](Canvas& c) { DrawPageBackground(c, Page::Password); }},
      {"page_settings.jpg", 667, 387, [](Canvas& c) { DrawPageBackground(c, Page::Settings); }},
      {"page_disks.jpg", 667, 387, [](Canvas& c) { DrawPageBackground(c, Page::Disks); }},
      {"page_drive_mapping.jpg", 667, 387, [](Canvas& c) { DrawPageBackground(c, Page::DriveMapping); }},
      {"page_results.jpg", 667, 387, [](Canvas& c) { DrawPageBackground(c, Page::Results); }},
      {"page_connection_failed.jpg", 667, 387, [](Canvas& c) { DrawPageBackground(c, Page::ConnectionFailed); }},
      {"page_finish.jpg", 667, 387, [](Canvas& c) { DrawPageBackground(c, Page::Finish); }},
      {"dialog_background.jpg", 253, 220,
       [](Canvas& c) {
         DrawDialogBackground(c, {7.5, true});
       }},
      {"dialog_message_background.jpg", 253, 220,
       [](Canvas& c) {
         DrawDialogBackground(c, {10, true});
       }},
      {"dialog_progress_background.jpg", 253, 135,
       [](Canvas& c) {
         DrawDialogBackground(c, {7.5, true});
       }},
      {"dialog_test_background.jpg", 253, 100,
       [](Canvas& c) {
         DrawDialogBackground(c, {7.5, false});
       }},
      {"button_normal.png", 135, 34, [](Canvas& c) { DrawButton(c, Look::Normal); }},
      {"button_over.png", 135, 34, [](Canvas& c) { DrawButton(c, Look::Hover); }},
      {"button_down.png", 135, 34, [](Canvas& c) { DrawButton(c, Look::Pressed); }},
      {"dialog_button_normal.png", 100, 30, [](Canvas& c) { DrawButton(c, Look::Normal); }},
      {"dialog_button_over.png", 100, 30, [](Canvas& c) { DrawButton(c, Look::Hover); }},
      {"checkbox_checked_normal.png", 16, 16, [](Canvas& c) { DrawCheckBox(c, true, false); }},
      {"checkbox_checked_over.png", 16, 16, [](Canvas& c) { DrawCheckBox(c, true, true); }},
      {"checkbox_unchecked_normal.png", 16, 16, [](Canvas& c) { DrawCheckBox(c, false, false); }},
      {"checkbox_unchecked_over.png", 16, 16, [](Canvas& c) { DrawCheckBox(c, false, true); }},
      {"radio_selected.png", 17, 16, [](Canvas& c) { DrawRadio(c, true, false); }},
      {"radio_unselected_normal.png", 17, 16, [](Canvas& c) { DrawRadio(c, false, false); }},
      {"radio_unselected_over.png", 17, 16, [](Canvas& c) { DrawRadio(c, false, true); }},
      {"dropdown_normal.png", 203, 34, [](Canvas& c) { DrawDropDown(c, Look::Normal); }},
      {"dropdown_over.png", 203, 34, [](Canvas& c) { DrawDropDown(c, Look::Hover); }},
      {"dropdown_open.png", 203, 34, [](Canvas& c) { DrawDropDown(c, Look::Pressed); }},
      {"list_row.png", 191, 24, [](Canvas& c) { DrawListRow(c, false); }},
      {"list_row_selected.png", 191, 24, [](Canvas& c) { DrawListRow(c, true); }},
      {"list_header.png", 389, 24, [](Canvas& c) { DrawListHeader(c, 3); }},
      {"edit_field.png", 134, 28, DrawEditField},
      {"address_field.png", 134, 28, DrawAddressField},
      {"icon_information.png", 48, 48, [](Canvas& c) { DrawMessageIcon(c, MessageKind::Information); }},
      {"icon_warning.png", 48, 48, [](Canvas& c) { DrawMessageIcon(c, MessageKind::Warning); }},
      {"icon_error.png", 48, 48, [](Canvas& c) { DrawMessageIcon(c, MessageKind::Error); }},
      {"close.png", 16, 15, DrawClose},
      {"minimize.png", 16, 15, DrawMinimize},
  };
  const std::vector<WebUiHint> hints = {
      {"EN", "Finish the setup in your browser", "More settings wait for you in the web interface of your NAS."},
      {"TC", "在瀏覽器中完成設定", "更多設定功能，請前往 NAS 的網頁管理介面。"},
      {"SC", "在浏览器中完成设置", "更多设置功能，请前往 NAS 的网页管理界面。"},
      {"DE", "Einrichtung im Browser abschließen", "Weitere Einstellungen finden Sie in der Weboberfläche Ihres NAS."},
      {"FR", "Terminez la configuration dans votre navigateur",
       "D'autres réglages vous attendent dans l'interface web de votre NAS."},
      {"IT", "Completa la configurazione nel browser", "Altre impostazioni ti aspettano nell'interfaccia web del NAS."},
      {"RU", "Завершите настройку в браузере", "Остальные параметры доступны в веб-интерфейсе вашего NAS."},
      {"CZ", "Dokončete nastavení v prohlížeči", "Další nastavení najdete ve webovém rozhraní vašeho NAS."},
      {"PL", "Dokończ konfigurację w przeglądarce", "Pozostałe ustawienia znajdziesz w interfejsie WWW serwera NAS."},
  };
  for (const WebUiHint& hint : hints) {
    std::string code = hint.code;
    for (char& ch : code) ch = static_cast<char>(ch - 'A' + 'a');
    all.push_back({"to_web_ui_" + code + ".png", 611, 150, [hint](Canvas& c) { DrawToWebUi(c, hint); }});
  }
  return all;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  try {
    for (const Picture& picture : Catalogue()) {
      Canvas canvas(picture.width, picture.height);
      picture.paint(canvas);
      const std::string path = folder + "/" + picture.file;
      if (picture.file.ends_with(".jpg")) {
        WriteJpeg(canvas, path, 92);
      } else {
        WritePng(canvas, path);
      }
      std::printf("%s\n", path.c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skin_painter: %s\n", e.what());
    return 1;
  }
  return 0;
}
