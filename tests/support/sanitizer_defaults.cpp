// Laying out or measuring text goes through pango. Fontconfig keeps its caches for the life of
// the process, and pango initialises fontconfig on a thread of its own whose hand-over goes
// through glib's uninstrumented locks; neither is a fault of ours, so the sanitizers are told to
// ignore reports that stem from fontconfig.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
extern "C" const char* __tsan_default_suppressions() { return "race:libfontconfig.so\n"; }
