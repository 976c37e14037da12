#pragma once
// Hosts switch the process locale. ScopedCommaLocale sets LC_NUMERIC to one
// whose decimal point is a comma for one scope and restores the previous
// one after. On Linux scripts/install-deps.sh generates de_DE.UTF-8; Windows
// (and Wine) carry German_Germany.1252 themselves. Tests require it with
// ASSERT_TRUE(locale.Active()) << ScopedCommaLocale::kMissing: a machine
// without it is set up wrongly, and a skip would hide that.

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
      if (std::setlocale(LC_NUMERIC, name) && CommaIsTheDecimalPoint()) {
        name_ = name;
        return;
      }
    }
    std::setlocale(LC_NUMERIC, previous_.c_str());
  }
  ~ScopedCommaLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
  ScopedCommaLocale(const ScopedCommaLocale&) = delete;
  ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

  bool Active() const { return name_ != nullptr; }
  const char* Name() const { return name_ ? name_ : "none"; }

 private:
  static bool CommaIsTheDecimalPoint() {
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    return std::strcmp(probe, "1,5") == 0;
  }

  std::string previous_;
  const char* name_ = nullptr;
};
