#pragma once
#include "gui/IGraphicsTypes.h"

// The editor's display scale, in percent. The layout is in logical pixels;
// every logical coordinate becomes a physical one through Physical (rounded
// half up, so 815 at 150 % is 1223), and every physical point goes back
// through Logical, its exact inverse on the mapped grid: a physical pixel
// inside the mapping of [a, b) maps back to a logical value inside [a, b).
namespace EditorScale {
constexpr int kMin = 100;
constexpr int kMax = 300;
constexpr int kStep = 25;
constexpr int kStepCount = (kMax - kMin) / kStep + 1;
// The artwork masters are drawn at this scale and only ever reduced.
constexpr int kMaster = 300;

int StepPercent(int step);  // step 0 .. kStepCount - 1
int Physical(int logical, int percent);
int Logical(int physical, int percent);
IBounds Physical(const IBounds& logical, int percent);
// The smallest logical rectangle whose mapping covers the physical one.
IBounds LogicalCover(const IBounds& physical, int percent);
// The nearest step to a factor (1.5 -> 150); 0 for no usable factor (not a
// number, not positive). Factors beyond the range give its ends.
int Snap(double factor);
// A scale as text: a factor ("1.5") or a percentage ("150", "150%"),
// snapped; 0 when the text is none of these. Locale independent.
int Parse(const char* text);
// The same, but 0 unless the text names a step exactly ("150", "1.25").
int ParseExact(const char* text);

// Where a scale comes from, highest first: the environment override, the
// user's choice, the host's value, the system's value, else 100 %. Each is
// a percentage, 0 when absent.
struct Sources {
  int environment = 0;
  int user = 0;
  int host = 0;
  int system = 0;
  int Resolve() const;
};
// BRUME_UI_SCALE, parsed; 0 when unset or unusable.
int FromEnvironment();
}  // namespace EditorScale
