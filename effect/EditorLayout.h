#pragma once
#include <memory>

#include "gui/EditorFactory.h"

class IEditorView;
class IEditorDelegate;

// Brume's editor: the background, the two stacked matrix pages, the page
// selector, the module read-outs and the bottom row, added to the view in
// the order the page switch relies on.
namespace EditorLayout {
constexpr int kWidth = 815;
constexpr int kHeight = 500;
constexpr int kBackgroundId = 100;
constexpr int kSelectorId = 101;
constexpr const char* kBackgroundFile = "resources/img/brume_background.png";
constexpr const char* kSelectorFile = "resources/img/matrix_selector.png";

// Control indexes of the two matrix pages (inclusive).
constexpr int kAudioPageFirst = 1, kAudioPageLast = 36;
constexpr int kModPageFirst = 37, kModPageLast = 72;
constexpr int kSelectorIndex = 73;

// Brume's editor for any format: the window layer's view from `factory`,
// its controls, the values `delegate` holds, the page they select, drawn
// ready to open. Null when the layer makes no view (no window system).
std::unique_ptr<IEditorView> BuildEditor(IEditorDelegate& delegate, EditorFactory factory = CreatePlatformEditor);

void Build(IEditorView& view, IEditorDelegate& plugin);
// Shows the audio page (modPage false) or the modulation page.
void ShowMatrixPage(IEditorView& view, bool modPage);
}  // namespace EditorLayout
