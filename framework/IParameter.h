#pragma once
#include <atomic>
#include <vector>

// One automatable plug-in parameter: a real value inside a range, its
// mapping to and from the normalised 0..1 scale used by hosts and editor
// controls, a name and unit label, and optional texts for given values.
//
// Threads: the definition (kind, range, names, texts) is written once while
// the effect is built and only read afterwards. The value is an atomic, so
// any thread may read or set it without a lock; the plug-in's parameter
// store decides who hears of a change.
class IParameter {
 public:
  IParameter() = default;
  IParameter(const IParameter& other);
  IParameter& operator=(const IParameter& other);

  enum Kind { kNone = 0, kBool = 1, kInt = 2, kEnum = 3, kDouble = 4 };
  static constexpr int kTextSize = 32;  // name, label and value texts, NUL included

  // Definition; each normally called once from the effect's constructor.
  // A Define call sets the kind only when none is set yet.
  void DefineDouble(const char* name, double def, double min, double max, double step,
                    const char* label);
  void DefineBool(const char* name, bool def);
  void DefineEnum(const char* name, int def, int count);
  // 0.0 is ignored (it would make the mapping degenerate).
  void SetCurveExponent(double exponent);
  // Appends a text for an integer value; the first entry for a value wins.
  void AddValueText(int value, const char* text);

  int Kind() const { return kind_; }
  // bool, int and enum are stepped, dumped and read from presets as integers.
  bool IsIntegral() const { return kind_ == kBool || kind_ == kInt || kind_ == kEnum; }
  double Value() const { return value_.load(std::memory_order_relaxed); }
  double Minimum() const { return minimum_; }
  double Maximum() const { return maximum_; }
  double Step() const { return step_; }
  double CurveExponent() const { return curveExponent_; }
  double Default() const { return default_; }
  int DisplayDecimals() const { return displayDecimals_; }
  const char* Name() const { return name_; }
  const char* Label() const { return label_; }

  int ValueTextCount() const { return static_cast<int>(valueTexts_.size()); }
  // Text of the first entry for `value`; empty text when there is none.
  const char* ValueText(int value) const;
  // Value of the first entry whose text equals `text` exactly.
  bool FindValueText(const char* text, int* out) const;

  double Normalised() const { return NormalisedOf(Value()); }
  double NormalisedOf(double v) const;
  // The value SetFromNormalised(n) stores; NaN gives NaN (which it ignores).
  double ValueOfNormalised(double n) const;
  // The value SetClamped(v) stores; NaN gives NaN (which it ignores).
  double ClampedValueOf(double v) const;
  // Host automation and editor controls. n is limited to [0, 1].
  void SetFromNormalised(double n);
  // State loading and host text entry: limited to the range, not stepped.
  // NaN is ignored.
  void SetClamped(double v);

  // Display text of v (normalised when isNormalised) into out, which holds
  // kTextSize characters. Decimal point is always '.', whatever the locale.
  void DisplayText(double v, bool isNormalised, char* out, bool useValueTexts) const;

  // The value read as decibels, as a linear gain.
  double DecibelsToAmplitude() const;

 private:
  struct ValueTextEntry {
    int value;
    char text[kTextSize];
  };

  int kind_ = kNone;
  std::atomic<double> value_{0.0};
  double minimum_ = 0.0;
  double maximum_ = 1.0;
  double step_ = 1.0;
  double curveExponent_ = 1.0;
  double default_ = 0.0;
  int displayDecimals_ = 0;
  char name_[kTextSize] = {};
  char label_[kTextSize] = {};
  std::vector<ValueTextEntry> valueTexts_;
};
