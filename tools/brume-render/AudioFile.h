#pragma once
// Reading and writing audio files through libsndfile.

#include <string>

#include "tools/brume-render/StereoAudio.h"

// Reads any file libsndfile understands (WAV, FLAC, ...). Mono files are
// copied to both channels; more than two channels is an error.
bool ReadAudioFile(const std::string& path, StereoAudio& audio, std::string& error);

// Writes a stereo file whose format follows the extension: .wav as 32-bit
// float, .flac as 24-bit (samples beyond full scale are clipped).
bool WriteAudioFile(const std::string& path, const StereoAudio& audio, std::string& error);

// True when WriteAudioFile knows the extension of `path`.
bool IsSupportedOutputPath(const std::string& path);
