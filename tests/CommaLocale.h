#pragma once
// Hosts switch the process locale. ScopedCommaLocale sets LC_NUMERIC to one
// whose decimal point is a comma and restores the previous one when it goes.
// scripts/install-deps.sh generates de_DE.UTF-8 on Linux; Windows and Wine
// know German_Germany.1252. A machine without either is set up wrongly, so
// tests fail (ASSERT_TRUE(Active()) << kMissing) rather than skip.

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

class ScopedCommaLocale {
 public:
  static constexpr const char* kMissing =
      "no locale with a decimal comma: scripts/install-deps.sh generates de_DE.UTF-8";

  ScopedCommaLocale() {
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    previous_ = current ? current : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"}) {
      char probe[16];
      if (std::setlocale(LC_NUMERIC, name) && std::snprintf(probe, sizeof probe, "%.1f", 1.5) > 0 &&
          std::strcmp(probe, "1,5") == 0) {
        name_ = name;
        return;
      }
    }
    std::setlocale(LC_NUMERIC, previous_.c_str());
  }
  ~ScopedCommaLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }

  bool Active() const { return name_ != nullptr; }
  const char* Name() const { return name_ ? name_ : "none"; }

 private:
  std::string previous_;
  const char* name_ = nullptr;
};
