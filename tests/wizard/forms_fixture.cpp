#include "forms_fixture.h"

#include <map>
#include <stdexcept>

#include "toolkit/resources.h"
#include "wizard/forms/forms.h"

void RegisterFormBindings();

namespace {

enum class Kind { Notify, Key, Mouse, MouseMove, DrawCell, Close };

Kind KindOf(const std::string& event) {
  static const std::map<std::string, Kind> kinds = {
      {"OnKeyPress", Kind::Key},        {"OnMouseDown", Kind::Mouse},   {"OnMouseUp", Kind::Mouse},
      {"OnMouseMove", Kind::MouseMove}, {"OnDrawCell", Kind::DrawCell}, {"OnClose", Kind::Close},
  };
  auto it = kinds.find(event);
  return it == kinds.end() ? Kind::Notify : it->second;
}

void CollectHandlers(const Json& node, std::map<std::string, Kind>& handlers) {
  for (const auto& [key, value] : node.items()) {
    if (key.size() <= 2 || key.compare(0, 2, "On") != 0 || !value.is_string()) continue;
    const Kind kind = KindOf(key);
    auto [it, fresh] = handlers.emplace(value.get<std::string>(), kind);
    if (!fresh && it->second != kind) {
      ADD_FAILURE() << "handler " << it->first << " is bound to events of different signatures (" << key << ")";
    }
  }
  if (node.contains("children")) {
    for (const Json& child : node["children"]) CollectHandlers(child, handlers);
  }
}

Json Parse(const std::string& path) {
  const auto text = FindEmbeddedFile(path);
  if (!text) throw std::runtime_error(path + " is not embedded");
  return Json::parse(*text);
}

}  // namespace

void FormsTest::SetUpTestSuite() {
  RegisterWizardForms();
  RegisterFormBindings();
}

Json FormsTest::LayoutJson(const std::string& form) {
  return Parse(std::string(kWizardFormsFolder) + "/" + form + ".json");
}

Json FormsTest::PendingBindings() { return Parse(std::string(kWizardFormsFolder) + "/bindings.json"); }

LayoutForm* FormsTest::Load(const WindowLayout& window, const Json& layout) {
  std::map<std::string, Kind> names;
  CollectHandlers(layout, names);
  THandlerTable handlers;
  for (const auto& [name, kind] : names) {
    switch (kind) {
      case Kind::Notify:
        handlers.Add(name, this, &FormsTest::Notify);
        break;
      case Kind::Key:
        handlers.Add(name, this, &FormsTest::Key);
        break;
      case Kind::Mouse:
        handlers.Add(name, this, &FormsTest::Mouse);
        break;
      case Kind::MouseMove:
        handlers.Add(name, this, &FormsTest::MouseMove);
        break;
      case Kind::DrawCell:
        handlers.Add(name, this, &FormsTest::DrawCell);
        break;
      case Kind::Close:
        handlers.Add(name, this, &FormsTest::Close);
        break;
    }
  }
  auto* form = new LayoutForm(&app_, window.class_name);
  LoadLayout(*form, layout.dump(), std::string(window.form) + ".json", handlers,
             ResourcePictures(kWizardPicturesFolder));
  return form;
}
