#include "framework/IParameter.h"

#include <cmath>
#include <cstring>

#include "framework/NumberFormat.h"

IParameter::IParameter(const IParameter& other) { *this = other; }

IParameter& IParameter::operator=(const IParameter& other) {
  if (this == &other) return *this;
  kind_ = other.kind_;
  value_.store(other.Value(), std::memory_order_relaxed);
  minimum_ = other.minimum_;
  maximum_ = other.maximum_;
  step_ = other.step_;
  curveExponent_ = other.curveExponent_;
  default_ = other.default_;
  displayDecimals_ = other.displayDecimals_;
  std::memcpy(name_, other.name_, sizeof name_);
  std::memcpy(label_, other.label_, sizeof label_);
  valueTexts_ = other.valueTexts_;
  return *this;
}

void IParameter::DefineDouble(const char* name, double def, double min, double max, double step,
                              const char* label) {
  if (kind_ == kNone) kind_ = kDouble;
  CopyText(name_, name, kTextSize);
  CopyText(label_, label, kTextSize);
  minimum_ = min;
  value_ = def;
  default_ = def;
  step_ = step;
  maximum_ = (max >= min + step) ? max : min + step;
  // One display decimal per decimal digit of the step, at most six.
  displayDecimals_ = 0;
  for (double x = step; x != std::floor(x) && displayDecimals_ < 6; x *= 10.0) ++displayDecimals_;
}

void IParameter::DefineBool(const char* name, bool def) {
  if (kind_ == kNone) kind_ = kBool;
  DefineDouble(name, def ? 1.0 : 0.0, 0.0, 1.0, 1.0, "");
  AddValueText(0, "off");
  AddValueText(1, "on");
}

void IParameter::DefineEnum(const char* name, int def, int count) {
  if (kind_ == kNone) kind_ = kEnum;
  DefineDouble(name, def, 0.0, count - 1.0, 1.0, "");
}

void IParameter::SetCurveExponent(double exponent) {
  if (exponent != 0.0) curveExponent_ = exponent;
}

void IParameter::AddValueText(int value, const char* text) {
  ValueTextEntry entry;
  entry.value = value;
  CopyText(entry.text, text, kTextSize);
  valueTexts_.push_back(entry);
}

const char* IParameter::ValueText(int value) const {
  for (const ValueTextEntry& entry : valueTexts_)
    if (entry.value == value) return entry.text;
  return "";
}

bool IParameter::FindValueText(const char* text, int* out) const {
  if (!text) return false;
  for (const ValueTextEntry& entry : valueTexts_) {
    if (std::strcmp(entry.text, text) == 0) {
      if (out) *out = entry.value;
      return true;
    }
  }
  return false;
}

double IParameter::NormalisedOf(double v) const {
  if (!(v > minimum_)) v = minimum_;  // NaN too
  if (v > maximum_) v = maximum_;
  const double range = maximum_ - minimum_;
  if (!(range > 0.0)) return 0.0;
  return std::pow((v - minimum_) / range, 1.0 / curveExponent_);
}

double IParameter::ValueOfNormalised(double n) const {
  // Hosts and controls may send anything; outside [0, 1] the curve would
  // leave the range (or give NaN for fractional exponents).
  if (std::isnan(n)) return n;
  if (n < 0.0) n = 0.0;
  if (n > 1.0) n = 1.0;
  double v = minimum_ + (maximum_ - minimum_) * std::pow(n, curveExponent_);
  // Integral kinds snap to the nearest multiple of the step, halves upward.
  if (kind_ != kDouble && step_ > 0.0) v = std::floor(v / step_ + 0.5) * step_;
  return (v < maximum_) ? v : maximum_;
}

double IParameter::ClampedValueOf(double v) const {
  if (std::isnan(v)) return v;
  if (v < minimum_) v = minimum_;
  if (v > maximum_) v = maximum_;
  return v;
}

void IParameter::SetFromNormalised(double n) {
  const double v = ValueOfNormalised(n);
  if (!std::isnan(v)) value_.store(v, std::memory_order_relaxed);
}

void IParameter::SetClamped(double v) {
  v = ClampedValueOf(v);
  if (!std::isnan(v)) value_.store(v, std::memory_order_relaxed);  // corrupt state must not poison the value
}

namespace {

// Hosts keep normalised values as floats: 24 significant bits, so a round
// trip moves n by up to 2^-24 of itself, and v = min + span * n^e by up to
// e * (v - min) times that; the mapping's double roundings add a few units
// of the range's last place. Twice that is the margin.
double RoundTripError(double v, double minimum, double maximum, double exponent) {
  return std::fabs(exponent) * std::fabs(v - minimum) * 0x1p-23 +
         (std::fabs(minimum) + std::fabs(maximum)) * 0x1p-48;
}

// A value within `error` of a multiple of the display step (one unit of the
// last shown decimal) becomes that multiple, so that a value restored just
// below a whole step is not truncated or rounded to the step beneath. Zero
// comes out as +0.
double SnapToDisplayStep(double v, int decimals, double error) {
  if (!std::isfinite(v)) return v;
  const double step = std::pow(10.0, -decimals);
  const double nearest = std::round(v / step) * step;
  if (std::fabs(v - nearest) <= error) v = nearest;
  return v == 0.0 ? 0.0 : v;
}

// "-0.0" and the like: a negative value too small to show reads as zero.
void DropNegativeZeroSign(char* text) {
  if (text[0] != '-' || text[1 + std::strspn(text + 1, "0.")] != '\0') return;
  std::memmove(text, text + 1, std::strlen(text));
}

}  // namespace

void IParameter::DisplayText(double v, bool isNormalised, char* out, bool useValueTexts) const {
  if (!out) return;
  if (isNormalised) v = minimum_ + (maximum_ - minimum_) * std::pow(v, curveExponent_);
  v = SnapToDisplayStep(v, displayDecimals_, RoundTripError(v, minimum_, maximum_, curveExponent_));
  if (useValueTexts && !valueTexts_.empty()) {
    const char* text = ValueText(TruncateToInt(v));
    if (text[0] != '\0') {
      CopyText(out, text, kTextSize);
      return;
    }
  }
  if (displayDecimals_ == 0)
    FormatTruncated(v, out, kTextSize);
  else
    FormatFixed(v, displayDecimals_, out, kTextSize);
  DropNegativeZeroSign(out);
}

double IParameter::DecibelsToAmplitude() const { return std::exp(Value() * 0.1151292546497); }
