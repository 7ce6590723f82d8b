// What the sanitizers are told to ignore in every test program: reports from inside the system
// libraries that are not faults of ours.
//  - fontconfig keeps its caches behind offset-encoded pointers, which LeakSanitizer cannot follow;
//    libdbus (used by SDL for the screen saver and input methods) keeps its connection's buffers
//    until the process ends.
//  - pango resolves fonts on a glib worker thread and hands the result back through glib's own
//    locks, which ThreadSanitizer does not see in the uninstrumented libraries.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\nleak:libdbus-1.so\n"; }
extern "C" const char* __tsan_default_suppressions() {
  return "race:libfontconfig.so\nrace:libglib-2.0.so\nrace:libpango-1.0.so\nrace:libpangoft2-1.0.so\n";
}
