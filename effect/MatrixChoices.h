#pragma once

// Values of the four routing-matrix choice parameters. Value 0 of each list
// ("...") means nothing is selected; the order matches the value texts shown
// to the user and is stored in presets and states.

namespace AudioSource {
enum : int { None, In1, In2, Crusher1, Crusher2, Filter1, Filter2, Delay1, Delay2, Count };
}

namespace AudioDestination {
enum : int {
  None, Out1, Out2, Crusher1, Crusher2, Filter1, Filter2, Delay1, Delay2,
  DelayFb1, DelayFb2, Count
};
}

namespace ModSource {
enum : int { None, MidiGate, MidiNote, MidiVelocity, ModWheel, Envelope, Lfo1, Lfo2, Count };
}

namespace ModTarget {
enum : int {
  None,
  Pan1, Pan2, Master1, Master2, DelayTime1, DelayTime2, DelayFb1, DelayFb2,
  FilterFreq1, FilterFreq2, FilterRes1, FilterRes2, FilterShape1, FilterShape2,
  CrusherBits1, CrusherBits2, CrusherRate1, CrusherRate2,
  LfoRate1, LfoRate2, LfoShape1, LfoShape2, LfoPhase1, LfoPhase2,
  Count
};
}
