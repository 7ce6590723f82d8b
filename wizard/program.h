#pragma once

// The program's title: the application's, and the one a second start looks for.
constexpr const char* kProductTitle = "Orvo NAS Setup Wizard";

// The program main: hands over to a running instance (restores it, brings it to the front and
// shows its main window) and returns 0, or creates the six windows in their order and runs the
// message loop until the main window closes. An exception that escapes is shown by the
// application object. Returns the exit code, 0.
int WinMain();

// The six windows, each stored in its global, in the order of start-up: form_Main,
// form_ApplyProgress, form_UsernamePassValid, form_ConfirmFormat, form_MessageBox,
// form_ConnectionTest.
void CreateWizardWindows();
