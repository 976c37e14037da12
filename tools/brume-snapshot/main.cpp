#include <cstdio>
#include <string>

#include "tools/brume-snapshot/Snapshot.h"

int main(int argc, char** argv) {
  SnapshotOptions options;
  std::string error;
  bool helpOnly = false;
  if (!ParseSnapshotOptions(argc, argv, &options, &error, &helpOnly)) {
    std::fputs(error.c_str(), helpOnly ? stdout : stderr);
    return helpOnly ? 0 : 2;
  }
  if (!WriteEditorSnapshot(options, &error)) {
    std::fprintf(stderr, "brume-snapshot: %s", error.c_str());
    return 1;
  }
  std::printf("wrote %s\n", options.out.c_str());
  return 0;
}
