#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/thread.h"

// The progress window's status line and bar, set on the main thread. Each change is traced, so
// that the debug log shows the run's steps as the user saw them.
void ShowApplyStatus(const std::string& text);
void ShowApplyProgress(int position);

// The apply sequence: carries every choice of the wizard to the box while the progress dialog is
// shown modally. Every change of a control is carried out on the main thread; the thread reads
// the pages there too.
class thread_RAIDCreateApply : public TThread {
 public:
  thread_RAIDCreateApply() : TThread("apply") {}
  bool WaitForDeviceReboot();

 protected:
  void Execute() override;

 private:
  void Status(const std::string& text);
  void StatusPercent(const std::string& text, int percent);
  void Progress(int position);
  int CurrentProgress();
  void Run(int32_t command);
  // Polls a create, share-folder or reboot command: an error resends at once, up to `limit`
  // errors; false when the limit is reached.
  bool RunUntilAnswered(int32_t command, int limit, const std::function<void()>& sent = nullptr);
  // The busy check and the format progress: passes until the progress reaches `end`; false after
  // three errors in a row.
  bool FollowFormatStatus(int32_t command, const std::string& status, int base, int end);
  // Maps the box's volumes on the chosen letters; true when every one was mapped.
  bool MapVolumes();
};
