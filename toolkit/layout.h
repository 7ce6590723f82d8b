#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/exception.h"
#include "toolkit/form.h"
#include "toolkit/picture.h"
#include "toolkit/types.h"

// One of the framework's exceptions: the program main shows its message.
class ELayoutError : public platform::Exception {
 public:
  using platform::Exception::Exception;
};

// The event handlers that a form class offers to its layout, by name.
class THandlerTable {
 public:
  using Handler = std::variant<TNotifyEvent, TKeyPressEvent, TMouseEvent, TMouseMoveEvent, TDrawCellEvent, TCloseEvent>;

  template <class Object, class F>
  void Add(const std::string& name, Object* object, void (F::*method)(TObject*)) {
    F* self = object;
    Put(name, TNotifyEvent([self, method](TObject* s) { (self->*method)(s); }));
  }
  template <class Object, class F>
  void Add(const std::string& name, Object* object, void (F::*method)(TObject*, char16_t&)) {
    F* self = object;
    Put(name, TKeyPressEvent([self, method](TObject* s, char16_t& k) { (self->*method)(s, k); }));
  }
  template <class Object, class F>
  void Add(const std::string& name, Object* object, void (F::*method)(TObject*, TMouseButton, TShiftState, int, int)) {
    F* self = object;
    Put(name, TMouseEvent([self, method](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
          (self->*method)(s, b, sh, x, y);
        }));
  }
  template <class Object, class F>
  void Add(const std::string& name, Object* object, void (F::*method)(TObject*, TShiftState, int, int)) {
    F* self = object;
    Put(name,
        TMouseMoveEvent([self, method](TObject* s, TShiftState sh, int x, int y) { (self->*method)(s, sh, x, y); }));
  }
  template <class Object, class F>
  void Add(const std::string& name, Object* object, void (F::*method)(TObject*, int, int, TRect, TGridDrawState)) {
    F* self = object;
    Put(name, TDrawCellEvent([self, method](TObject* s, int c, int r, TRect rect, TGridDrawState st) {
          (self->*method)(s, c, r, rect, st);
        }));
  }
  template <class Object, class F>
  void Add(const std::string& name, Object* object, void (F::*method)(TObject*, TCloseAction&)) {
    F* self = object;
    Put(name, TCloseEvent([self, method](TObject* s, TCloseAction& a) { (self->*method)(s, a); }));
  }

  const Handler* Find(const std::string& name) const {
    auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : &it->second;
  }

 private:
  void Put(const std::string& name, Handler handler);
  std::map<std::string, Handler> handlers_;
};

// Where a layout's picture file names lead to their pictures.
using TPictureSource = std::function<std::shared_ptr<const TPictureFile>(const std::string& file)>;

// Builds the form's components from a layout (JSON text): the root is the form itself (its
// class must be the form's class), every other node a component with its class, name,
// properties, handler names and children. Fails with ELayoutError naming the file and the
// control on an unknown class, property, picture or handler, a handler of the wrong kind, or a
// name used twice.
void LoadLayout(TForm& form, std::string_view json_text, const std::string& file_name, const THandlerTable& handlers,
                const TPictureSource& pictures);

// The fonts that a layout's controls will have (a control without a font of its own takes its
// parent's), each with the characters of the captions and texts shown in it, for loading the
// fonts ahead. Needs no form and builds nothing; ELayoutError when the text is not JSON.
std::vector<TTextSample> LayoutTextSamples(std::string_view json_text);

// A picture source of the embedded resources under `folder`: one picture per file, whose pixels
// are decoded once, when something first draws it.
TPictureSource ResourcePictures(const std::string& folder);

// The component of that name owned by the form, as a T; ELayoutError when it is missing or of
// another class. Form classes bind their control fields with it after loading.
template <class T>
T* BindComponent(TForm& form, const std::string& name) {
  TComponent* c = form.FindComponent(name);
  if (!c) throw ELayoutError(form.Name() + ": the layout has no component " + name);
  T* typed = dynamic_cast<T*>(c);
  if (!typed) throw ELayoutError(form.Name() + ": component " + name + " is a " + c->ClassName());
  return typed;
}
