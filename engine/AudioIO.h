#pragma once
#include "engine/AudioModule.h"

// Input tap: the sample loop writes the host's input sample into `output`;
// the routing rows read it from there. Never ticked.
class AudioIO final : public AudioModule {};
