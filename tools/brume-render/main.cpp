// brume-render: renders audio through the Brume VST 2.4 plug-in from the
// command line (see RenderUsage for the options).

#include <iostream>

#include "tools/brume-render/BrumeRender.h"

int main(int argc, char** argv) {
  return RunBrumeRender(argc, argv, std::cout, std::cerr, KESTREL_DEFAULT_PLUGIN);
}
