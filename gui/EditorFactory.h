#pragma once

class IEditorDelegate;
class IEditorView;

// Makes the editor view of the platform this library is built for (the
// native window layer); the caller owns it.
IEditorView* CreatePlatformEditor(IEditorDelegate* plugin, int width, int height, int frameRate);

// The same signature, for effects built with another window layer (tests,
// command-line tools).
using EditorFactory = IEditorView* (*)(IEditorDelegate* plugin, int width, int height, int frameRate);
