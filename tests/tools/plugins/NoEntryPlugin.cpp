// A shared library that is not a VST plug-in: it exports no entry point.
extern "C" int NotAPlugin() { return 42; }
