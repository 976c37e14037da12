#pragma once

class Engine;

// Turns the value of one parameter into engine state: routing-matrix rows,
// modulator base values (converted to the target's unit), delay quarter
// counts, envelope times, the control rate and the effect-level fields.
//
// Each matrix row is set only from its own three parameters and every other
// setting from its own parameter, so after a whole parameter set has been
// applied the engine state does not depend on the order of the calls.
// Values outside a choice list leave the row or setting as it was; indexes
// outside 0..105 and kMatrixTab (an editor matter) change nothing here.
//
// Runs on the audio thread at the start of a block (or under the processing
// lock). Never allocates.
void ApplyParameterChange(Engine& engine, int index, double value);
