#include "toolkit/layout.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <set>
#include <vector>

#include "toolkit/grid.h"
#include "toolkit/image_list.h"
#include "toolkit/list_view.h"
#include "toolkit/page_control.h"
#include "toolkit/resources.h"
#include "toolkit/std_controls.h"
#include "toolkit/timer.h"

using Json = nlohmann::ordered_json;

void THandlerTable::Put(const std::string& name, Handler handler) {
  if (!handlers_.emplace(name, std::move(handler)).second) {
    throw ELayoutError("handler " + name + " is registered twice");
  }
}

namespace {

using Factory = std::function<TComponent*(TComponent* owner)>;

const std::map<std::string, Factory>& Classes() {
  static const std::map<std::string, Factory> classes = {
      {"TLabel", [](TComponent* o) { return new TLabel(o); }},
      {"TImage", [](TComponent* o) { return new TImage(o); }},
      {"TEdit", [](TComponent* o) { return new TEdit(o); }},
      {"TButton", [](TComponent* o) { return new TButton(o); }},
      {"TCheckBox", [](TComponent* o) { return new TCheckBox(o); }},
      {"TRadioButton", [](TComponent* o) { return new TRadioButton(o); }},
      {"TComboBox", [](TComponent* o) { return new TComboBox(o); }},
      {"TPanel", [](TComponent* o) { return new TPanel(o); }},
      {"TGroupBox", [](TComponent* o) { return new TGroupBox(o); }},
      {"TProgressBar", [](TComponent* o) { return new TProgressBar(o); }},
      {"TListView", [](TComponent* o) { return new TListView(o); }},
      {"TStringGrid", [](TComponent* o) { return new TStringGrid(o); }},
      {"TPageControl", [](TComponent* o) { return new TPageControl(o); }},
      {"TTabSheet", [](TComponent* o) { return new TTabSheet(o); }},
      {"TImageList", [](TComponent* o) { return new TImageList(o); }},
      {"TTimer", [](TComponent* o) { return new TTimer(o); }},
  };
  return classes;
}

const std::map<std::string, TColor>& ColorNames() {
  static const std::map<std::string, TColor> names = {
      {"clBtnFace", clBtnFace},
      {"clBtnShadow", clBtnShadow},
      {"clBtnHighlight", clBtnHighlight},
      {"clWindow", clWindow},
      {"clWindowText", clWindowText},
      {"clBlack", clBlack},
      {"clWhite", clWhite},
      {"clRed", clRed},
      {"clBlue", clBlue},
      {"clSilver", clSilver},
      {"clNone", clNone},
  };
  return names;
}

struct PendingEvent {
  TComponent* component;
  std::string property;
  std::string handler;
};

struct PendingReference {
  TComponent* component;
  std::string property;
  std::string target;
};

class Loader {
 public:
  Loader(TForm& form, const std::string& file, const THandlerTable& handlers, const TPictureSource& pictures)
      : form_(form), file_(file), handlers_(handlers), pictures_(pictures) {}

  void Load(std::string_view text) {
    Json root;
    try {
      root = Json::parse(text);
    } catch (const Json::parse_error& e) {
      throw ELayoutError(file_ + ": " + e.what());
    }
    if (!root.is_object()) Fail("the layout is not an object");
    const std::string cls = root.value("class", "");
    if (cls != form_.ClassName()) Fail("the root is a " + cls + ", the form is a " + form_.ClassName());
    const std::string name = root.value("name", "");
    if (name.empty()) Fail("the form has no name");
    form_.SetName(name);
    Apply(form_, root);
    AddChildren(form_, &form_, root);
    for (const PendingEvent& e : events_) BindEvent(e);
    for (const PendingReference& r : references_) Resolve(r);
    for (TComponent* c : form_.Components()) {
      if (auto* control = dynamic_cast<TControl*>(c)) control->RecordLayoutBounds();
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const { throw ELayoutError(file_ + ": " + what); }
  [[noreturn]] void Fail(const TComponent& c, const std::string& what) const {
    throw ELayoutError(file_ + ": " + c.ClassName() + " " + c.Name() + ": " + what);
  }

  void AddChildren(TComponent& node, TWinControl* parent, const Json& json) {
    if (!json.contains("children")) return;
    if (!json["children"].is_array()) Fail(node, "children is not a list");
    for (const Json& child : json["children"]) {
      const std::string cls = child.value("class", "");
      const std::string name = child.value("name", "");
      auto factory = Classes().find(cls);
      if (factory == Classes().end()) Fail("unknown class '" + cls + "' of " + name);
      if (name.empty()) Fail("a " + cls + " without a name");
      if (!names_.insert(name).second) Fail("the name " + name + " is used twice");
      TComponent* component = factory->second(&form_);
      component->SetName(name);
      auto* control = dynamic_cast<TControl*>(component);
      if (control) control->SetParent(parent);
      Apply(*component, child);
      auto* container = dynamic_cast<TWinControl*>(component);
      if (child.contains("children") && !container) Fail(*component, "cannot hold children");
      AddChildren(*component, container, child);
    }
  }

  int Int(const TComponent& c, const std::string& key, const Json& v) const {
    if (!v.is_number_integer()) Fail(c, key + " must be an integer");
    return v.get<int>();
  }
  bool Bool(const TComponent& c, const std::string& key, const Json& v) const {
    if (!v.is_boolean()) Fail(c, key + " must be true or false");
    return v.get<bool>();
  }
  std::string Text(const TComponent& c, const std::string& key, const Json& v) const {
    if (!v.is_string()) Fail(c, key + " must be a text");
    return v.get<std::string>();
  }
  TColor Color(const TComponent& c, const std::string& key, const Json& v) const {
    if (v.is_number_integer()) return v.get<TColor>();
    const std::string name = Text(c, key, v);
    auto it = ColorNames().find(name);
    if (it == ColorNames().end()) Fail(c, "unknown colour " + name);
    return it->second;
  }
  std::vector<std::string> Texts(const TComponent& c, const std::string& key, const Json& v) const {
    if (!v.is_array()) Fail(c, key + " must be a list of texts");
    std::vector<std::string> out;
    for (const Json& item : v) out.push_back(Text(c, key, item));
    return out;
  }
  std::shared_ptr<const TPictureFile> Picture(const TComponent& c, const std::string& file) const {
    try {
      return pictures_(file);
    } catch (const std::exception& e) {
      Fail(c, e.what());
    }
  }
  template <class E>
  E Enum(const TComponent& c, const std::string& key, const Json& v, const std::map<std::string, E>& values) const {
    const std::string name = Text(c, key, v);
    auto it = values.find(name);
    if (it == values.end()) Fail(c, "unknown value " + name + " of " + key);
    return it->second;
  }

  void ApplyFont(TControl& c, const Json& v) {
    if (!v.is_object()) Fail(c, "Font must be an object");
    for (const auto& [key, value] : v.items()) {
      if (key == "Name") {
        c.Font()->SetName(Text(c, "Font.Name", value));
      } else if (key == "Height") {
        c.Font()->SetHeight(Int(c, "Font.Height", value));
      } else if (key == "Color") {
        c.Font()->SetColor(Color(c, "Font.Color", value));
      } else if (key == "Style") {
        static const std::map<std::string, TFontStyle> styles = {
            {"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}};
        TFontStyles style = 0;
        for (const std::string& s : Texts(c, "Font.Style", value)) style |= Enum(c, "Font.Style", Json(s), styles);
        c.Font()->SetStyle(style);
      } else {
        Fail(c, "unknown font property " + key);
      }
    }
  }

  static bool IsEvent(const std::string& key) { return key.size() > 2 && key[0] == 'O' && key[1] == 'n'; }

  void Apply(TComponent& component, const Json& node) {
    for (const auto& [key, value] : node.items()) {
      if (key == "class" || key == "name" || key == "children") continue;
      if (IsEvent(key)) {
        events_.push_back({&component, key, Text(component, key, value)});
        continue;
      }
      if (!ApplyProperty(component, key, value)) Fail(component, "unknown property " + key);
    }
  }

  bool ApplyProperty(TComponent& component, const std::string& key, const Json& v) {
    if (auto* timer = dynamic_cast<TTimer*>(&component)) {
      if (key == "Interval") return timer->SetInterval(static_cast<uint32_t>(Int(component, key, v))), true;
      if (key == "Enabled") return timer->SetEnabled(Bool(component, key, v)), true;
      return false;
    }
    if (auto* list = dynamic_cast<TImageList*>(&component)) {
      if (key == "Width") return list->SetSize(Int(component, key, v), list->Height()), true;
      if (key == "Height") return list->SetSize(list->Width(), Int(component, key, v)), true;
      if (key == "Images") {
        for (const std::string& file : Texts(component, key, v)) {
          try {
            list->Add(Picture(component, file));
          } catch (const std::invalid_argument& e) {
            Fail(component, std::string(e.what()) + ": " + file);
          }
        }
        return true;
      }
      return false;
    }
    auto* c = dynamic_cast<TControl*>(&component);
    if (!c) return false;
    if (ApplySpecific(*c, key, v)) return true;
    if (key == "Left") return c->SetLeft(Int(*c, key, v)), true;
    if (key == "Top") return c->SetTop(Int(*c, key, v)), true;
    if (key == "Width") return c->SetWidth(Int(*c, key, v)), true;
    if (key == "Height") return c->SetHeight(Int(*c, key, v)), true;
    if (key == "Visible") return c->SetVisible(Bool(*c, key, v)), true;
    if (key == "Enabled") return c->SetEnabled(Bool(*c, key, v)), true;
    if (key == "Caption") return c->SetCaption(Text(*c, key, v)), true;
    if (key == "Color") return c->SetColor(Color(*c, key, v)), true;
    if (key == "Font") return ApplyFont(*c, v), true;
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (key == "TabOrder") return w->SetTabOrder(Int(*c, key, v)), true;
      if (key == "TabStop") return w->SetTabStop(Bool(*c, key, v)), true;
    }
    return false;
  }

  bool ApplySpecific(TControl& c, const std::string& key, const Json& v) {
    if (auto* form = dynamic_cast<TForm*>(&c)) {
      if (key == "ClientWidth") return form->SetClientSize(Int(c, key, v), form->ClientHeight()), true;
      if (key == "ClientHeight") return form->SetClientSize(form->ClientWidth(), Int(c, key, v)), true;
      if (key == "KeyPreview") return form->SetKeyPreview(Bool(c, key, v)), true;
      if (key == "BorderStyle") return Enum<int>(c, key, v, {{"bsNone", 0}}), true;
      if (key == "Position") {
        form->SetPosition(Enum<TPosition>(c, key, v,
                                          {{"poDesigned", TPosition::poDesigned},
                                           {"poScreenCenter", TPosition::poScreenCenter},
                                           {"poMainFormCenter", TPosition::poMainFormCenter},
                                           {"poOwnerFormCenter", TPosition::poOwnerFormCenter}}));
        return true;
      }
      if (key == "Visible") Fail(c, "a form's visibility is not part of its layout");
      return false;
    }
    if (auto* label = dynamic_cast<TLabel*>(&c)) {
      if (key == "Alignment") {
        label->SetAlignment(Enum<TAlignment>(c, key, v,
                                             {{"taLeftJustify", TAlignment::taLeftJustify},
                                              {"taRightJustify", TAlignment::taRightJustify},
                                              {"taCenter", TAlignment::taCenter}}));
        return true;
      }
      if (key == "Layout") {
        label->SetLayout(Enum<TTextLayout>(
            c, key, v,
            {{"tlTop", TTextLayout::tlTop}, {"tlCenter", TTextLayout::tlCenter}, {"tlBottom", TTextLayout::tlBottom}}));
        return true;
      }
      if (key == "Transparent") return label->SetTransparent(Bool(c, key, v)), true;
      if (key == "AutoSize") return label->SetAutoSize(Bool(c, key, v)), true;
      if (key == "WordWrap") return label->SetWordWrap(Bool(c, key, v)), true;
      return false;
    }
    if (auto* image = dynamic_cast<TImage*>(&c)) {
      if (key == "Picture") {
        TPicture picture;
        picture.SetFile(Picture(c, Text(c, key, v)));
        image->SetPicture(std::move(picture));
        return true;
      }
      if (key == "Transparent") return image->SetTransparent(Bool(c, key, v)), true;
      if (key == "Stretch") return image->SetStretch(Bool(c, key, v)), true;
      return false;
    }
    if (auto* edit = dynamic_cast<TEdit*>(&c)) {
      if (key == "Text") return edit->SetText(Text(c, key, v)), true;
      if (key == "MaxLength") return edit->SetMaxLength(Int(c, key, v)), true;
      if (key == "AutoSelect") return edit->SetAutoSelect(Bool(c, key, v)), true;
      if (key == "PasswordChar") {
        const std::string s = Text(c, key, v);
        if (s.size() != 1) Fail(c, "PasswordChar must be one character");
        edit->SetPasswordChar(static_cast<char16_t>(s[0]));
        return true;
      }
      return false;
    }
    if (auto* box = dynamic_cast<TCheckBox*>(&c)) {
      if (key == "Checked") return box->SetChecked(Bool(c, key, v)), true;
      return false;
    }
    if (auto* radio = dynamic_cast<TRadioButton*>(&c)) {
      if (key == "Checked") return radio->SetChecked(Bool(c, key, v)), true;
      return false;
    }
    if (auto* combo = dynamic_cast<TComboBox*>(&c)) {
      if (key == "Items") return combo->Items().Assign(Texts(c, key, v)), true;
      if (key == "ItemIndex") return combo->SetItemIndex(Int(c, key, v)), true;
      if (key == "Style") return Enum<int>(c, key, v, {{"csDropDownList", 0}}), true;
      return false;
    }
    if (auto* panel = dynamic_cast<TPanel*>(&c)) {
      if (key == "BevelOuter") return Enum<int>(c, key, v, {{"bvNone", 0}}), true;
      if (key == "ParentBackground") return panel->SetParentBackground(Bool(c, key, v)), true;
      return false;
    }
    if (auto* bar = dynamic_cast<TProgressBar*>(&c)) {
      if (key == "Min") return bar->SetMin(Int(c, key, v)), true;
      if (key == "Max") return bar->SetMax(Int(c, key, v)), true;
      if (key == "Position") return bar->SetPosition(Int(c, key, v)), true;
      return false;
    }
    if (auto* list = dynamic_cast<TListView*>(&c)) {
      if (key == "Columns") return list->Columns().Assign(Texts(c, key, v)), true;
      if (key == "ViewStyle") return Enum<int>(c, key, v, {{"vsReport", 0}}), true;
      return false;
    }
    if (auto* grid = dynamic_cast<TStringGrid*>(&c)) {
      if (key == "ColCount") return grid->SetColCount(Int(c, key, v)), true;
      if (key == "RowCount") return grid->SetRowCount(Int(c, key, v)), true;
      if (key == "DefaultColWidth") return grid->SetDefaultColWidth(Int(c, key, v)), true;
      if (key == "DefaultRowHeight") return grid->SetDefaultRowHeight(Int(c, key, v)), true;
      if (key == "GridLineWidth") return grid->SetGridLineWidth(Int(c, key, v)), true;
      if (key == "ColWidths") {
        if (!v.is_array() || static_cast<int>(v.size()) != grid->ColCount())
          Fail(c, "ColWidths needs one width a column");
        for (int i = 0; i < grid->ColCount(); ++i) grid->SetColWidth(i, Int(c, key, v[static_cast<size_t>(i)]));
        return true;
      }
      if (key == "FixedCols" || key == "FixedRows") {
        if (Int(c, key, v) != 0) Fail(c, key + " other than 0 is not supported");
        return true;
      }
      if (key == "DefaultDrawing") {
        if (Bool(c, key, v)) Fail(c, "grids are drawn by their owner only");
        return true;
      }
      return false;
    }
    if (dynamic_cast<TPageControl*>(&c)) {
      if (key == "ActivePage") return references_.push_back({&c, key, Text(c, key, v)}), true;
      return false;
    }
    if (auto* sheet = dynamic_cast<TTabSheet*>(&c)) {
      if (key == "TabVisible") return sheet->SetTabVisible(Bool(c, key, v)), true;
      return false;
    }
    return false;
  }

  template <class E>
  E Event(const PendingEvent& e) const {
    const THandlerTable::Handler* h = handlers_.Find(e.handler);
    if (!h) Fail(*e.component, "unknown handler " + e.handler + " for " + e.property);
    const E* typed = std::get_if<E>(h);
    if (!typed) Fail(*e.component, "handler " + e.handler + " does not fit " + e.property);
    return *typed;
  }

  void BindEvent(const PendingEvent& e) {
    TComponent& comp = *e.component;
    const std::string& p = e.property;
    if (auto* timer = dynamic_cast<TTimer*>(&comp)) {
      if (p == "OnTimer") return void(timer->OnTimer = Event<TNotifyEvent>(e));
      Fail(comp, "unknown event " + p);
    }
    auto* c = dynamic_cast<TControl*>(&comp);
    if (!c) Fail(comp, "unknown event " + p);
    if (auto* form = dynamic_cast<TForm*>(c)) {
      if (p == "OnCreate") return void(form->OnCreate = Event<TNotifyEvent>(e));
      if (p == "OnShow") return void(form->OnShow = Event<TNotifyEvent>(e));
      if (p == "OnHide") return void(form->OnHide = Event<TNotifyEvent>(e));
      if (p == "OnClose") return void(form->OnClose = Event<TCloseEvent>(e));
    }
    if (auto* sheet = dynamic_cast<TTabSheet*>(c)) {
      if (p == "OnShow") return void(sheet->OnShow = Event<TNotifyEvent>(e));
      if (p == "OnHide") return void(sheet->OnHide = Event<TNotifyEvent>(e));
    }
    if (auto* edit = dynamic_cast<TEdit*>(c); edit && p == "OnChange")
      return void(edit->OnChange = Event<TNotifyEvent>(e));
    if (auto* combo = dynamic_cast<TComboBox*>(c); combo && p == "OnChange") {
      return void(combo->OnChange = Event<TNotifyEvent>(e));
    }
    if (auto* grid = dynamic_cast<TStringGrid*>(c); grid && p == "OnDrawCell") {
      return void(grid->OnDrawCell = Event<TDrawCellEvent>(e));
    }
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
      if (p == "OnEnter") return void(w->OnEnter = Event<TNotifyEvent>(e));
      if (p == "OnExit") return void(w->OnExit = Event<TNotifyEvent>(e));
      if (p == "OnKeyPress") return void(w->OnKeyPress = Event<TKeyPressEvent>(e));
    }
    if (p == "OnClick") return void(c->OnClick = Event<TNotifyEvent>(e));
    if (p == "OnDblClick") return void(c->OnDblClick = Event<TNotifyEvent>(e));
    if (p == "OnMouseDown") return void(c->OnMouseDown = Event<TMouseEvent>(e));
    if (p == "OnMouseUp") return void(c->OnMouseUp = Event<TMouseEvent>(e));
    if (p == "OnMouseMove") return void(c->OnMouseMove = Event<TMouseMoveEvent>(e));
    if (p == "OnMouseEnter") return void(c->OnMouseEnter = Event<TNotifyEvent>(e));
    if (p == "OnMouseLeave") return void(c->OnMouseLeave = Event<TNotifyEvent>(e));
    Fail(comp, "unknown event " + p);
  }

  void Resolve(const PendingReference& r) {
    auto* pages = dynamic_cast<TPageControl*>(r.component);
    auto* sheet = dynamic_cast<TTabSheet*>(form_.FindComponent(r.target));
    if (!pages || !sheet || sheet->Parent() != pages)
      Fail(*r.component, "ActivePage " + r.target + " is not one of its pages");
    pages->SetActivePage(sheet);
  }

  TForm& form_;
  const std::string& file_;
  const THandlerTable& handlers_;
  const TPictureSource& pictures_;
  std::set<std::string> names_;
  std::vector<PendingEvent> events_;
  std::vector<PendingReference> references_;
};

}  // namespace

void LoadLayout(TForm& form, std::string_view json_text, const std::string& file_name, const THandlerTable& handlers,
                const TPictureSource& pictures) {
  Loader(form, file_name, handlers, pictures).Load(json_text);
}

namespace {

// The font of a control: its parent's, changed by the properties it gives.
TFont FontOf(const Json& node, const TFont& parent) {
  TFont font;
  font.Assign(parent);
  if (!node.contains("Font") || !node["Font"].is_object()) return font;
  const Json& given = node["Font"];
  if (given.contains("Name") && given["Name"].is_string()) font.SetName(given["Name"].get<std::string>());
  if (given.contains("Height") && given["Height"].is_number_integer()) font.SetHeight(given["Height"].get<int>());
  if (given.contains("Style") && given["Style"].is_array()) {
    static const std::map<std::string, TFontStyle> styles = {
        {"fsBold", fsBold}, {"fsItalic", fsItalic}, {"fsUnderline", fsUnderline}, {"fsStrikeOut", fsStrikeOut}};
    TFontStyles style = 0;
    for (const Json& s : given["Style"]) {
      if (auto it = s.is_string() ? styles.find(s.get<std::string>()) : styles.end(); it != styles.end()) {
        style |= it->second;
      }
    }
    font.SetStyle(style);
  }
  return font;
}

void CollectSamples(const Json& node, const TFont& parent, std::vector<TTextSample>& samples) {
  const TFont font = FontOf(node, parent);
  auto sample = std::find_if(samples.begin(), samples.end(), [&](const TTextSample& s) {
    return s.font.Name() == font.Name() && s.font.Height() == font.Height() && s.font.Style() == font.Style();
  });
  if (sample == samples.end()) sample = samples.insert(samples.end(), TTextSample{font, std::string()});
  // Each character once: a font loads a glyph once, whatever text it is in.
  for (const char* key : {"Caption", "Text"}) {
    if (!node.contains(key) || !node[key].is_string()) continue;
    const std::string text = node[key].get<std::string>();
    for (size_t at = 0; at < text.size();) {
      size_t end = at + 1;
      while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
      const std::string_view character(text.data() + at, end - at);
      if (sample->text.find(character) == std::string::npos) sample->text.append(character);
      at = end;
    }
  }
  if (node.contains("children") && node["children"].is_array()) {
    for (const Json& child : node["children"]) CollectSamples(child, font, samples);
  }
}

}  // namespace

std::vector<TTextSample> LayoutTextSamples(std::string_view json_text) {
  Json root;
  try {
    root = Json::parse(json_text);
  } catch (const Json::parse_error& e) {
    throw ELayoutError(std::string("a layout: ") + e.what());
  }
  std::vector<TTextSample> samples;
  CollectSamples(root, TFont(), samples);
  return samples;
}

TPictureSource ResourcePictures(const std::string& folder) {
  struct Cache {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<const TPictureFile>> pictures;
  };
  auto cache = std::make_shared<Cache>();
  return [folder, cache](const std::string& file) {
    const std::string path = folder + "/" + file;
    std::lock_guard<std::mutex> lock(cache->mutex);
    auto it = cache->pictures.find(path);
    if (it != cache->pictures.end()) return it->second;
    const std::optional<std::string_view> bytes = FindEmbeddedFile(path);
    if (!bytes) throw EPictureError("picture " + path + " is not embedded");
    auto picture = TPictureFile::Embedded(*bytes, path);
    cache->pictures.emplace(path, picture);
    return picture;
  };
}
