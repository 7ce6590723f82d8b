#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>

// A fresh folder for the files of one test, removed with everything in it at the end: when the
// object goes, or when the process ends through exit() first (a death test's child, a program
// path that ends the process), by the process that made it.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::random_device random;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "scratch";
    // Parameterised tests are named "Cases/Suite.Test/case": one folder, not a tree.
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = std::filesystem::temp_directory_path() / ("orvo-" + name + "-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
    Leftovers::Get().Add(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    Leftovers::Get().Remove(path_);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }
  // Writes the bytes to a file of the folder and returns its path.
  std::string Write(std::string_view name, std::string_view bytes) const {
    const std::string file = File(name);
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

 private:
  // The folders of this process that still exist; removed when the process exits. A forked
  // child inherits the list but leaves its parent's folders alone.
  class Leftovers {
   public:
    static Leftovers& Get() {
      static Leftovers leftovers;
      return leftovers;
    }
    void Add(const std::filesystem::path& path) {
      std::lock_guard<std::mutex> lock(mutex_);
      paths_.insert({path, getpid()});
    }
    void Remove(const std::filesystem::path& path) {
      std::lock_guard<std::mutex> lock(mutex_);
      paths_.erase({path, getpid()});
    }
    ~Leftovers() {
      std::error_code ignored;
      for (const auto& [path, owner] : paths_) {
        if (owner == getpid()) std::filesystem::remove_all(path, ignored);
      }
    }

   private:
    std::mutex mutex_;
    std::set<std::pair<std::filesystem::path, pid_t>> paths_;
  };

  std::filesystem::path path_;
};
