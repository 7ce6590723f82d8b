#pragma once

#include <gtest/gtest.h>

#include <string>

#include "named_scratch_folder.h"

// A scratch folder for the files of one test, named after it.
class ScratchFolder : public NamedScratchFolder {
 public:
  ScratchFolder() : NamedScratchFolder(TestName()) {}

 private:
  static std::string TestName() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "scratch";
    // Parameterised tests are named "Cases/Suite.Test/case": one folder, not a tree.
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    return name;
  }
};
