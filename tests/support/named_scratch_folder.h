#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>

// A fresh folder "orvo-<name>-<random number>" in the system's temporary folder (or in `base`),
// removed with everything in it at the end: when the object goes, or when the process ends
// through exit() first (a death test's child, a program path that ends the process, a fuzzer's
// run), by the process that made it.
class NamedScratchFolder {
 public:
  explicit NamedScratchFolder(std::string_view name, std::filesystem::path base = {}) {
    std::random_device random;
    if (base.empty()) base = std::filesystem::temp_directory_path();
    path_ = base / std::string("orvo-").append(name).append("-").append(std::to_string(random()));
    std::filesystem::create_directories(path_);
    Leftovers::Get().Add(path_);
  }
  ~NamedScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    Leftovers::Get().Remove(path_);
  }
  NamedScratchFolder(const NamedScratchFolder&) = delete;
  NamedScratchFolder& operator=(const NamedScratchFolder&) = delete;

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
