#pragma once

// Host applications the plug-in can tell apart by their product string.
enum IHostKind {
  kHostUnasked = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostCakewalk = 5,
  kHostFruity = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVstManLib = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSawStudio = 20,
  kHostLogic = 21,
  kHostDigital = 22,
  kHostStandalone = 23,
  kHostAudioMulch = 24,
  kHostPresonus = 25,
};

// Host id for a product string (case-insensitive substring match against a
// fixed table, first match wins); kHostUnknown for none or null.
int LookupHostId(const char* product);

// Decimal host version (major*10000 + minor*100 + patch) to the packed form
// major<<16 | minor<<8 | patch. Negative input gives 0.
int PackDecimalVersion(int decimal);

// "v%d.%d.%d" of a packed version; out holds at least 32 characters.
void FormatVersionText(int packed, char* out, int capacity);
