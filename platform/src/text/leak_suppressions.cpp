// Built only with the sanitizers. fontconfig loses a few hundred bytes
// while it parses its configuration files, once per process, outside
// anything this layer can free; the leak checker is told so, to keep its
// reports about our own code.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
