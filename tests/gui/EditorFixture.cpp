#include "tests/gui/EditorFixture.h"

#include "raster/Bitmap.h"

void EditorFixture::SetUp() {
  plugin_ = std::make_unique<Kestrel>(&RecordingHost::Callback, HeadlessEditor::Create);
  editor_ = static_cast<HeadlessEditor*>(plugin_->Editor());
  ASSERT_NE(editor_, nullptr);
  {
    Kestrel::LockGuard lock(*plugin_);
    plugin_->NotifyAllParametersChanged();
  }
  editor_->RedrawAll();
  host_.Clear();
}

void EditorFixture::TearDown() { plugin_.reset(); }

void EditorFixture::Click(int x, int y, bool shift) {
  IMouseMods mods;
  mods.left = true;
  mods.shift = shift;
  editor_->OnMouseDown(x, y, mods);
  editor_->OnMouseUp(x, y, mods);
}

void EditorFixture::Drag(int x, int y, int toX, int toY, bool shift) {
  IMouseMods mods;
  mods.left = true;
  mods.shift = shift;
  editor_->OnMouseDown(x, y, mods);
  editor_->OnMouseDrag((x + toX) / 2, (y + toY) / 2, mods);
  editor_->OnMouseDrag(toX, toY, mods);
  editor_->OnMouseUp(toX, toY, mods);
}

int EditorFixture::InkIn(const IBounds& bounds) {
  raster::Bitmap* image = editor_->BackingStore();
  int ink = 0;
  for (int y = bounds.T; y < bounds.B && y < image->Height(); ++y)
    for (int x = bounds.L; x < bounds.R && x < image->Width(); ++x) {
      const raster::Pixel p = image->Row(y)[x];
      if (((p >> 16) & 0xFF) > 0xB0 && ((p >> 8) & 0xFF) > 0xB0 && (p & 0xFF) > 0xB0) ++ink;
    }
  return ink;
}

std::string EditorFixture::Gestures() {
  std::string out;
  for (const HostCall& call : host_.Calls()) {
    if (call.opcode == audioMasterBeginEdit) out += 'B';
    else if (call.opcode == audioMasterAutomate) out += 'A';
    else if (call.opcode == audioMasterEndEdit) out += 'E';
  }
  return out;
}
