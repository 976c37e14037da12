#include "gui/EditorScale.h"

#include <cmath>
#include <cstdlib>

int EditorScale::StepPercent(int step) { return kMin + kStep * step; }

int EditorScale::Physical(int logical, int percent) {
  // Floor division that also holds for points left of or above the panel.
  const long long scaled = static_cast<long long>(logical) * percent + 50;
  return static_cast<int>(scaled >= 0 ? scaled / 100 : -((-scaled + 99) / 100));
}

int EditorScale::Logical(int physical, int percent) {
  // The largest x with Physical(x) <= physical: x * percent < 100 * physical + 50.
  const long long limit = 100LL * physical + 50;
  const long long below = limit > 0 ? (limit + percent - 1) / percent : -((-limit) / percent);
  return static_cast<int>(below - 1);
}

IBounds EditorScale::Physical(const IBounds& b, int percent) {
  if (b.Empty()) return b;
  return IBounds{Physical(b.L, percent), Physical(b.T, percent), Physical(b.R, percent), Physical(b.B, percent)};
}

IBounds EditorScale::LogicalCover(const IBounds& b, int percent) {
  if (b.Empty()) return b;
  return IBounds{Logical(b.L, percent), Logical(b.T, percent), Logical(b.R - 1, percent) + 1,
                 Logical(b.B - 1, percent) + 1};
}

int EditorScale::Snap(double factor) {
  if (!(factor > 0.0) || !std::isfinite(factor)) return 0;
  const double steps = std::round((factor * 100.0 - kMin) / kStep);
  if (steps <= 0) return kMin;
  if (steps >= kStepCount - 1) return kMax;
  return StepPercent(static_cast<int>(steps));
}

namespace {
// Digits, an optional '.' fraction and an optional '%', as a factor: read
// by hand, so no locale's decimal comma gets in the way. 0 for other text.
double ReadFactor(const char* text) {
  if (!text) return 0;
  double whole = 0, fraction = 0, unit = 1;
  const char* p = text;
  bool digits = false;
  for (; *p >= '0' && *p <= '9' && whole < 1e6; ++p) whole = whole * 10 + (*p - '0'), digits = true;
  if (*p == '.')
    for (++p; *p >= '0' && *p <= '9'; ++p) unit /= 10, fraction += (*p - '0') * unit, digits = true;
  const bool percent = *p == '%';
  if (percent) ++p;
  if (!digits || *p != '\0') return 0;
  const double value = whole + fraction;
  return percent || value >= 10 ? value / 100 : value;
}
}  // namespace

int EditorScale::Parse(const char* text) { return Snap(ReadFactor(text)); }

int EditorScale::ParseExact(const char* text) {
  const double factor = ReadFactor(text);
  const int percent = Snap(factor);
  return percent && std::fabs(percent - factor * 100) < 1e-9 ? percent : 0;
}

int EditorScale::Sources::Resolve() const {
  for (int percent : {environment, user, host, system})
    if (percent >= kMin && percent <= kMax) return percent;
  return kMin;
}

int EditorScale::FromEnvironment() { return Parse(std::getenv("BRUME_UI_SCALE")); }
