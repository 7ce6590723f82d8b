// form-screenshot: draws a window layout to a PNG without a display.
//
//   form-screenshot <layout.json> <picture folder> <out.png>
//
// The layout's pictures are read from the folder; its event handlers are accepted and do
// nothing, so the window shows as the layout leaves it. Programs that own real windows call
// SaveFormScreenshot (toolkit/screenshot.h) on their forms in any state instead.
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "platform/thread.h"
#include "toolkit/application.h"
#include "toolkit/layout.h"
#include "toolkit/screenshot.h"

namespace {

class LayoutForm : public TForm {
 public:
  LayoutForm(TComponent* owner, std::string class_name) : TForm(owner), class_name_(std::move(class_name)) {}
  std::string ClassName() const override { return class_name_; }

 private:
  std::string class_name_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

// A handler that does nothing, of the kind the event property takes.
void AcceptHandler(THandlerTable& table, const std::string& event, const std::string& name) {
  static const std::map<std::string, int> kinds = {{"OnKeyPress", 1},  {"OnMouseDown", 2}, {"OnMouseUp", 2},
                                                   {"OnMouseMove", 3}, {"OnDrawCell", 4},  {"OnClose", 5}};
  struct Nothing {
    void Notify(TObject*) {}
    void Key(TObject*, char16_t&) {}
    void Mouse(TObject*, TMouseButton, TShiftState, int, int) {}
    void Move(TObject*, TShiftState, int, int) {}
    void Cell(TObject*, int, int, TRect, TGridDrawState) {}
    void Close(TObject*, TCloseAction&) {}
  };
  static Nothing nothing;
  if (table.Find(name)) return;
  const auto kind = kinds.find(event);
  switch (kind == kinds.end() ? 0 : kind->second) {
    case 1:
      return table.Add(name, &nothing, &Nothing::Key);
    case 2:
      return table.Add(name, &nothing, &Nothing::Mouse);
    case 3:
      return table.Add(name, &nothing, &Nothing::Move);
    case 4:
      return table.Add(name, &nothing, &Nothing::Cell);
    case 5:
      return table.Add(name, &nothing, &Nothing::Close);
    default:
      return table.Add(name, &nothing, &Nothing::Notify);
  }
}

void AcceptHandlers(THandlerTable& table, const nlohmann::json& node) {
  if (!node.is_object()) return;
  for (const auto& [key, value] : node.items()) {
    if (key.size() > 2 && key.compare(0, 2, "On") == 0 && value.is_string()) {
      AcceptHandler(table, key, value.get<std::string>());
    }
  }
  if (node.contains("children") && node["children"].is_array()) {
    for (const auto& child : node["children"]) AcceptHandlers(table, child);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: form-screenshot <layout.json> <picture folder> <out.png>\n";
    return 2;
  }
  platform::MarkMainThread();
  try {
    const std::string layout = ReadFile(argv[1]);
    const nlohmann::json root = nlohmann::json::parse(layout);
    THandlerTable handlers;
    AcceptHandlers(handlers, root);
    const std::string folder = argv[2];
    TApplication app;
    auto* form = new LayoutForm(&app, root.value("class", ""));
    LoadLayout(*form, layout, argv[1], handlers, [&folder](const std::string& file) {
      return TPictureFile::Owning(ReadFile(folder + "/" + file), file);
    });
    SaveFormScreenshot(*form, argv[3]);
  } catch (const std::exception& e) {
    std::cerr << "form-screenshot: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
