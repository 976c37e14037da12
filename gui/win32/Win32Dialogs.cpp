// The native services of the Windows editor that no control of this
// editor calls, but that the view offers: colour chooser, file dialogs,
// opening a link, and the folders of the host and of the plug-in.
#include "gui/win32/Win32Dialogs.h"

#include "gui/win32/IEditorWindow.h"

#include <commdlg.h>
#include <shlobj.h>
#include <wininet.h>

#include <cstring>
#include <sstream>

namespace win32dialogs {

std::string FileFilter(const char* extensions) {
  std::istringstream words(extensions ? extensions : "");
  std::string pattern, word;
  while (words >> word) pattern += (pattern.empty() ? "*." : ";*.") + word;
  return pattern + '\0' + pattern + '\0' + '\0';
}

std::string FirstExtension(const char* extensions) {
  std::istringstream words(extensions ? extensions : "");
  std::string word;
  words >> word;
  return word;
}

std::string FolderOf(const char* path) {
  const char* slash = path ? std::strrchr(path, '\\') : nullptr;
  return slash ? std::string(path, static_cast<size_t>(slash - path + 1)) : std::string();
}

}  // namespace win32dialogs

namespace {
std::string ModuleFolder(HMODULE module) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return win32dialogs::FolderOf(path);
}

UINT_PTR CALLBACK ColourHook(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* choice = reinterpret_cast<const CHOOSECOLORA*>(lParam);
    if (const char* title = reinterpret_cast<const char*>(choice->lCustData)) SetWindowTextA(dialog, title);
  }
  return 0;  // the dialog's own handling goes on
}
}  // namespace

void IEditorWindow::GetHostPath(std::string& out) { out = ModuleFolder(nullptr); }

void IEditorWindow::GetPluginPath(std::string& out) { out = ModuleFolder(module_); }

bool IEditorWindow::PickColor(IRgba& colour, const char* title) {
  if (!window_) return false;
  if (!customColours_) customColours_.reset(new COLORREF[16]());
  CHOOSECOLORA choice{};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = window_;
  choice.rgbResult = RGB(colour.R, colour.G, colour.B);
  choice.lpCustColors = customColours_.get();
  choice.Flags = CC_FULLOPEN | CC_ANYCOLOR | CC_SOLIDCOLOR | CC_RGBINIT | CC_ENABLEHOOK;
  choice.lpfnHook = ColourHook;
  choice.lCustData = reinterpret_cast<LPARAM>(title);
  if (!ChooseColorA(&choice)) return false;
  colour.R = GetRValue(choice.rgbResult);
  colour.G = GetGValue(choice.rgbResult);
  colour.B = GetBValue(choice.rgbResult);
  return true;
}

void IEditorWindow::ChooseFile(std::string& fileName, int action, std::string& directory, const char* extensions) {
  if (!window_) {
    fileName.clear();
    return;
  }
  char path[MAX_PATH] = {};
  fileName.copy(path, 255);
  if (directory.empty()) {
    char desktop[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop))) directory = desktop;
  }
  const std::string filter = win32dialogs::FileFilter(extensions);
  const std::string defaultExtension = win32dialogs::FirstExtension(extensions);
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrInitialDir = directory.c_str();
  dialog.lpstrDefExt = defaultExtension.c_str();
  bool chosen;
  if (action == kFileSave) {
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    chosen = GetSaveFileNameA(&dialog);
  } else {
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    chosen = GetOpenFileNameA(&dialog);
  }
  if (chosen) fileName = path;
}

bool IEditorWindow::OpenLink(const char* url, const char* windowTitle, const char* confirmText,
                             const char* errorText) {
  if (confirmText && MessageBoxA(window_, confirmText, windowTitle, MB_YESNO) != IDYES) return false;
  DWORD connection = 0;
  if (url && InternetGetConnectedState(&connection, 0) &&
      reinterpret_cast<INT_PTR>(ShellExecuteA(window_, "open", url, nullptr, nullptr, SW_SHOWNORMAL)) > 32)
    return true;
  if (errorText) MessageBoxA(window_, errorText, windowTitle, MB_OK);
  return false;
}
