#include "effect/ParameterIds.h"

const char* const kParameterIdentifiers[kParameterCount] = {
#define KESTREL_ID_TEXT(id) #id,
    KESTREL_PARAMETER_IDS(KESTREL_ID_TEXT)
#undef KESTREL_ID_TEXT
};
