#include "tools/brume-render/AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

std::string LowerExtension(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

int OutputFormat(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == "wav") return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  if (ext == "flac") return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
  return 0;
}

constexpr sf_count_t kChunkFrames = 4096;

}  // namespace

bool IsSupportedOutputPath(const std::string& path) { return OutputFormat(path) != 0; }

bool ReadAudioFile(const std::string& path, StereoAudio& audio, std::string& error) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) {
    error = "cannot read '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.channels > 2) {
    sf_close(file);
    error = "'" + path + "' has " + std::to_string(info.channels) + " channels; only mono and stereo files can be rendered";
    return false;
  }
  audio.rate = info.samplerate;
  audio.left.clear();
  audio.right.clear();
  std::vector<double> chunk(static_cast<std::size_t>(kChunkFrames * info.channels));
  // Read in chunks rather than trusting the header's frame count, which a
  // damaged file may overstate.
  for (;;) {
    const sf_count_t got = sf_readf_double(file, chunk.data(), kChunkFrames);
    if (got <= 0) break;
    for (sf_count_t i = 0; i < got; ++i) {
      const double l = chunk[static_cast<std::size_t>(i * info.channels)];
      audio.left.push_back(l);
      audio.right.push_back(info.channels == 2 ? chunk[static_cast<std::size_t>(i * 2 + 1)] : l);
    }
  }
  const int status = sf_error(file);
  sf_close(file);
  if (status != SF_ERR_NO_ERROR) {
    error = "error while reading '" + path + "': " + sf_error_number(status);
    return false;
  }
  return true;
}

bool WriteAudioFile(const std::string& path, const StereoAudio& audio, std::string& error) {
  const int format = OutputFormat(path);
  if (!format) {
    error = "cannot write '" + path + "': the output must end in .wav or .flac";
    return false;
  }
  SF_INFO info{};
  info.samplerate = audio.rate;
  info.channels = 2;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) {
    error = "cannot write '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  std::vector<double> chunk(static_cast<std::size_t>(kChunkFrames * 2));
  bool ok = true;
  for (std::size_t done = 0; ok && done < audio.Frames();) {
    const std::size_t n = std::min<std::size_t>(kChunkFrames, audio.Frames() - done);
    for (std::size_t i = 0; i < n; ++i) {
      chunk[i * 2] = audio.left[done + i];
      chunk[i * 2 + 1] = audio.right[done + i];
    }
    ok = sf_writef_double(file, chunk.data(), static_cast<sf_count_t>(n)) == static_cast<sf_count_t>(n);
    done += n;
  }
  if (!ok) error = "error while writing '" + path + "': " + sf_strerror(file);
  if (sf_close(file) != 0 && ok) {
    error = "error while finishing '" + path + "'";
    ok = false;
  }
  return ok;
}
