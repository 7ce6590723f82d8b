#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/virtual_clock.h"
#include "toolkit/application.h"
#include "toolkit/driver.h"
#include "toolkit/form.h"
#include "toolkit/layout.h"

// A shown form built from a layout text, on the virtual clock, with handlers that log their
// calls by name.
class TestForm : public TForm {
 public:
  using TForm::TForm;
  std::string ClassName() const override { return "TestForm"; }
};

class ToolkitTest : public ::testing::Test {
 public:
  ToolkitTest() : form_(new TestForm(&app_)), driver_(form_) {}

  // Handlers named "log:<text>" are not needed; every handler name a test uses is registered here.
  void Handler(const std::string& name) {
    handlers_.Add(name, this, &ToolkitTest::Log);
    names_.push_back(name);
  }
  void Log(TObject* sender) { log_.push_back(dynamic_cast<TComponent*>(sender)->Name()); }

  void Load(const std::string& children_json, const std::string& form_props = "") {
    const std::string text = R"({"class": "TestForm", "name": "form_Test", "Width": 400, "Height": 300)" +
                             (form_props.empty() ? "" : ", " + form_props) + R"(, "children": [)" + children_json +
                             "]}";
    LoadLayout(*form_, text, "test.json", handlers_, [](const std::string& f) -> std::shared_ptr<const TPictureFile> {
      throw EPictureError("no picture " + f);
    });
    form_->Show();
  }
  template <class T>
  T* Get(const std::string& name) {
    return driver_.Get<T>(name);
  }

  platform::ScopedVirtualClock clock_;
  TApplication app_;
  THandlerTable handlers_;
  TestForm* form_;
  TDriver driver_;
  std::vector<std::string> log_;
  std::vector<std::string> names_;
};
