#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// A top-level window of this program, in this process or in another of the same user.
struct HWND__;
using HWND = HWND__*;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// What a registered window does when it is asked. The calls come from the thread that asks:
// the registry's own thread for a request of another process. The owner hands the work to its
// main thread.
struct WindowActions {
  std::function<void(int show_command)> show;
  std::function<void()> bring_to_front;
};

// The program's live top-level windows by class name and title. Registered windows of this
// process are found by its own lookups at once and, while the window server runs, by every
// other process of the same user on the same display (one display is one desktop).
HWND RegisterWindow(const std::string& class_name, const std::string& title, WindowActions actions);
void SetRegisteredWindowTitle(HWND window, const std::string& title);
void UnregisterWindow(HWND window);

// Answers the lookups and requests of the user's other processes for this process's windows,
// on a thread of its own that never waits on the program's clock, through a socket in the user's
// private temporary folder (HostTempFolder: the runtime folder when the session has one), which
// no other user can enter, so none can hold its name or flood it. Starting it twice changes
// nothing; it ends with StopWindowServer or at exit and takes its socket along. Never raises:
// without a private folder, or when the socket cannot be set up, the process runs on without
// being found by others, and a line on the standard error says so.
void StartWindowServer();
void StopWindowServer();

// The platform calls. Names compare without regard to ASCII case; a null name matches any.
// Lookups and requests to another process give up after a second without an answer.
HWND FindWindowA(const char* class_name, const char* window_name);
// Whether the window exists (and was asked).
bool ShowWindow(HWND window, int show_command);
bool SetForegroundWindow(HWND window);

// What this process's window server answers to one request of another process (the message
// as it was read, window_messages.h).
std::string AnswerWindowRequest(std::string_view request);

}  // namespace platform
