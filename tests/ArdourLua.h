#pragma once
// Running Ardour 7 without a screen for the session tests: a Lua script in
// its own ardour7-lua process on the dummy backend, with private settings
// and cache folders, and the "<tag> <index> <value>" lines it prints.
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

// What a shell command printed on both streams.
inline std::string RunCommand(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

// HOME, XDG_CACHE_HOME and XDG_CONFIG_HOME inside `scratch`, so a test never
// touches a user's Ardour settings; `extra` is added to the environment.
inline std::string ArdourEnvironment(const std::string& scratch, const std::string& extra = "") {
  return "env HOME='" + scratch + "' XDG_CACHE_HOME='" + scratch + "/cache' XDG_CONFIG_HOME='" + scratch +
         "/config' " + extra + " ";
}

// Writes `lua` after the dummy backend's set-up as scratch/name.lua and runs
// it; returns what it printed.
inline std::string RunArdourLua(const std::string& scratch, const std::string& name, const std::string& lua,
                                const std::string& extraEnvironment = "") {
  const std::string script = scratch + "/" + name + ".lua";
  std::ofstream(script) << "ARDOUR.config():set_hide_dummy_backend(false)\n"
                           "AudioEngine:set_backend(\"None (Dummy)\", \"\", \"\")\n"
                        << lua;
  return RunCommand("cd '" + scratch + "' && " + ArdourEnvironment(scratch, extraEnvironment) +
                    "timeout 120 ardour7-lua '" + script + "'");
}

// "<tag> <index> <value>" lines of a script's output.
inline std::map<int, double> TaggedValues(const std::string& out, const std::string& tag) {
  std::map<int, double> values;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string word;
    int index;
    double value;
    if (words >> word && word == tag && words >> index >> value) values[index] = value;
  }
  return values;
}
