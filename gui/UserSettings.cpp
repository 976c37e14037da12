#include "gui/UserSettings.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <system_error>
#include <thread>

#include "gui/EditorScale.h"

namespace {
namespace fs = std::filesystem;

constexpr const char* kScaleKey = "scale=";
constexpr std::streamsize kMaxFileBytes = 4096;

// ".new-" and a number no other save in this or another process picks.
std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  static const unsigned long long process = [] {
    try {
      std::random_device device;
      return (static_cast<unsigned long long>(device()) << 32) ^ device();
    } catch (...) {
      return static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    }
  }();
  const size_t thread = std::hash<std::thread::id>()(std::this_thread::get_id());
  return ".new-" + std::to_string(process) + "-" + std::to_string(thread) + "-" +
         std::to_string(counter.fetch_add(1, std::memory_order_relaxed));
}

// Whether another save's temporary file lies beside `path`.
bool SaveInProgress(const fs::path& path) {
  std::error_code error;
  const std::string prefix = path.filename().string() + ".new-";
  for (fs::directory_iterator it(path.parent_path(), error), end; !error && it != end; it.increment(error))
    if (it->path().filename().string().rfind(prefix, 0) == 0) return true;
  return false;
}

fs::path SettingsFile() {
#ifdef _WIN32
  // The wide variable: a user name outside the ANSI code page survives.
  const wchar_t* appData = _wgetenv(L"APPDATA");
  if (!appData || !*appData) return {};
  return fs::path(appData) / L"Orvendale" / L"Brume" / L"settings";
#else
  const char* config = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  if (config && *config == '/') base = config;  // relative values are to be ignored
  else if (const char* home = std::getenv("HOME"); home && *home) base = fs::path(home) / ".config";
  else return {};
  return base / "Brume" / "settings";
#endif
}
}  // namespace

std::string UserSettings::FilePath() { return SettingsFile().string(); }

int UserSettings::LoadScale() {
  const fs::path path = SettingsFile();
  if (path.empty()) return 0;
  // On Windows a save replacing the file makes it refuse to open for a
  // moment (or leaves none): while it is there, or another save's temporary
  // file is, try again for a little while.
  std::ifstream in;
  for (int attempt = 0; attempt < 100; ++attempt) {
    in.open(path, std::ios::binary);
    std::error_code error;
    if (in || !(fs::is_regular_file(path, error) || SaveInProgress(path))) break;
    in.clear();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (!in) return 0;
  std::string text(static_cast<size_t>(kMaxFileBytes), '\0');
  in.read(&text[0], kMaxFileBytes);
  text.resize(static_cast<size_t>(in.gcount()));
  // One "key=value" a line; the last scale line counts.
  int percent = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(kScaleKey, 0) != 0) continue;
    const std::string value = line.substr(std::char_traits<char>::length(kScaleKey));
    const int parsed = EditorScale::Parse(value.c_str());
    // Only an exact step: anything else is a garbled file, and Auto.
    percent = value == std::to_string(parsed) ? parsed : 0;
  }
  return percent;
}

bool UserSettings::SaveScale(int percent) {
  const fs::path path = SettingsFile();
  if (path.empty()) return false;
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  if (error) return false;
  // Written aside under a name no other save uses (editors of several
  // instances, even processes, save at once) and renamed over: a reader
  // finds the old file or the new one, never part of one.
  fs::path temporary = path;
  temporary += UniqueSuffix();
  bool written = false;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << kScaleKey << (percent >= EditorScale::kMin && percent <= EditorScale::kMax ? std::to_string(percent) : "auto")
        << '\n';
    out.close();
    written = static_cast<bool>(out);
  }
  if (written) fs::rename(temporary, path, error);
  const bool saved = written && !error;
  if (!saved) fs::remove(temporary, error);
  return saved;
}
