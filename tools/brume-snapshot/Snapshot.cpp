#include "tools/brume-snapshot/Snapshot.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "effect/Kestrel.h"
#include "effect/ParameterIds.h"
#include "gui/EditorScale.h"
#include "gui/headless/HeadlessEditor.h"
#include "raster/Bitmap.h"
#include "tools/common/PngWriter.h"
#include "tools/common/ProgramMatch.h"

namespace {
const char kUsage[] =
    "usage: brume-snapshot [--program NAME|NUMBER] [--page audio|mod] [--scale S] [--out FILE.png]\n"
    "Draws Brume's editor as the program leaves it and writes it as a PNG.\n"
    "  --program P  program by name or number 0-127 (default: start-up settings)\n"
    "  --page X     matrix page to show (default: the one the program stores)\n"
    "  --scale S    display scale: 100-300 in steps of 25, or a factor (1.5)\n"
    "  --out FILE   output PNG (default: brume-editor.png)\n";

// The slot a program name or number names, as brume-render finds them;
// -1 when none does.
int FindProgram(Kestrel& plugin, const std::string& text) {
  std::vector<std::string> names;
  for (int i = 0; i < plugin.PresetCount(); ++i) names.emplace_back(plugin.PresetName(i));
  return FindPreset(names, text);
}
}  // namespace

bool ParseSnapshotOptions(int argc, const char* const* argv, SnapshotOptions* options, std::string* error,
                          bool* helpOnly) {
  *helpOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      *helpOnly = true;
      *error = kUsage;
      return false;
    }
    if (arg != "--program" && arg != "--page" && arg != "--out" && arg != "--scale") {
      *error = "unknown option '" + arg + "'\n" + kUsage;
      return false;
    }
    if (i + 1 >= argc) {
      *error = "option " + arg + " needs a value\n" + kUsage;
      return false;
    }
    const std::string value = argv[++i];
    if (arg == "--program") options->program = value;
    else if (arg == "--out") options->out = value;
    else if (arg == "--scale") {
      // Only exact steps: a snapshot at a scale other than the one asked for
      // would mislead.
      options->scale = EditorScale::ParseExact(value.c_str());
      if (!options->scale) {
        *error = "--scale takes 100-300 in steps of 25 (or 1-3 in steps of 0.25), not '" + value + "'\n";
        return false;
      }
    }
    else if (value == "audio" || value == "mod") options->page = value;
    else {
      *error = "--page takes audio or mod, not '" + value + "'\n";
      return false;
    }
  }
  return true;
}

bool WriteEditorSnapshot(const SnapshotOptions& options, std::string* error) {
  Kestrel plugin(nullptr, HeadlessEditor::Create);
  auto* editor = static_cast<HeadlessEditor*>(plugin.Editor());
  if (!editor) {
    *error = "the editor could not be made\n";
    return false;
  }
  {
    Kestrel::LockGuard lock(plugin);
    plugin.NotifyAllParametersChanged();  // as a host's effOpen does
    if (!options.program.empty()) {
      const int slot = FindProgram(plugin, options.program);
      if (slot < 0) {
        *error = "no program '" + options.program + "'\n";
        return false;
      }
      plugin.LoadPreset(slot);
    }
    if (!options.page.empty()) {
      const double page = options.page == "mod" ? 1.0 : 0.0;  // two pages: 0..1 normalised
      plugin.SetParameterFromHost(kMatrixTab, page);
    }
  }
  // The asked scale, or Auto: never the size a user picked in a plug-in.
  editor->SetUserScale(options.scale);
  editor->RedrawAll();
  raster::Bitmap* image = editor->BackingStore();
  if (!image || !WritePng(*image, options.out.c_str())) {
    *error = "cannot write " + options.out + "\n";
    return false;
  }
  return true;
}
