#pragma once
// The module's class factory: Brume's processor and its controller, as two
// classes a host creates separately.
#include "vst3/Vst3Abi.h"

namespace brume_vst3 {

// The module's one factory with a reference added for the caller. It lives
// as long as the module; its count only tells when every host is done.
vst3::IPluginFactory* AcquireFactory();

}  // namespace brume_vst3
