#pragma once
#include <cstdint>
#include <vector>

// Growable little-endian byte buffer for program and bank state.
//
// Readers take untrusted data: every read is bounds-checked and returns the
// position after the item, or -1 when the item does not fit (or the position
// is negative). Appends return false instead of throwing when memory or the
// int32 size limit runs out.
class IStateChunk {
 public:
  static constexpr int kGranularity = 4096;

  int Size() const { return static_cast<int>(bytes_.size()); }
  const uint8_t* Data() const { return bytes_.data(); }
  uint8_t* Data() { return bytes_.data(); }

  // Longer: new bytes are zero. 0 empties the buffer. Negative is refused.
  bool Resize(int size);
  void Clear() { bytes_.clear(); }

  bool AppendBytes(const void* data, int count);
  bool AppendInt32(int32_t v);
  bool AppendDouble(double v);
  bool AppendBool(bool v);
  // int32 length, then the bytes without terminator. Null counts as empty.
  bool AppendText(const char* text);

  int ReadInt32(int pos, int32_t* out) const;
  int ReadDouble(int pos, double* out) const;
  int ReadBool(int pos, bool* out) const;
  // Reads a text item into out (capacity bytes, always NUL-terminated when
  // capacity > 0; longer texts are truncated). A negative length or a text
  // running past the end gives -1 and leaves out unchanged; a zero length
  // gives an empty text.
  int ReadText(int pos, char* out, int capacity) const;

 private:
  bool Fits(int pos, int64_t count) const;
  std::vector<uint8_t> bytes_;
};

// Every chunk handed to a host starts with this header.
constexpr int32_t kChunkMagic = 0x70666674;
constexpr int32_t kChunkFormatVersion = 0x00010000;

// Empties the chunk, then appends the magic and the format version.
bool WriteChunkHeader(IStateChunk& chunk);
// Where the body starts: after the header when the chunk has one (its
// version in *version), else 0 (a headerless chunk, version 0); negative
// when a header is cut short.
int ReadChunkHeader(const IStateChunk& chunk, int32_t* version);
