#include "framework/IStateChunk.h"

#include <climits>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

// Little-endian regardless of the machine, byte by byte.
void PutLE(uint8_t* p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t GetLE(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
  return v;
}

}  // namespace

bool IStateChunk::Fits(int pos, int64_t count) const {
  // 64-bit so that pos + count cannot wrap for any int32 inputs.
  return pos >= 0 && count >= 0 && static_cast<int64_t>(pos) + count <= static_cast<int64_t>(bytes_.size());
}

bool IStateChunk::Resize(int size) {
  if (size < 0) return false;
  try {
    if (static_cast<size_t>(size) > bytes_.capacity()) {
      const size_t rounded =
          (static_cast<size_t>(size) + kGranularity - 1) / kGranularity * kGranularity;
      bytes_.reserve(rounded);
    }
    bytes_.resize(static_cast<size_t>(size), 0);
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  return true;
}

bool IStateChunk::AppendBytes(const void* data, int count) {
  if (count < 0) return false;
  if (count == 0) return true;
  const int64_t newSize = static_cast<int64_t>(bytes_.size()) + count;
  if (newSize > INT_MAX) return false;
  const int old = Size();
  if (!Resize(static_cast<int>(newSize))) return false;
  if (data) std::memcpy(bytes_.data() + old, data, static_cast<size_t>(count));
  return true;
}

bool IStateChunk::AppendInt32(int32_t v) {
  uint8_t b[4];
  PutLE(b, static_cast<uint32_t>(v), 4);
  return AppendBytes(b, 4);
}

bool IStateChunk::AppendDouble(double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  uint8_t b[8];
  PutLE(b, bits, 8);
  return AppendBytes(b, 8);
}

bool IStateChunk::AppendBool(bool v) {
  const uint8_t b = v ? 1 : 0;
  return AppendBytes(&b, 1);
}

bool IStateChunk::AppendText(const char* text) {
  const size_t length = text ? std::strlen(text) : 0;
  if (length > static_cast<size_t>(INT_MAX - 4)) return false;
  const int size = Size();
  if (!AppendInt32(static_cast<int32_t>(length))) return false;
  if (!AppendBytes(text, static_cast<int>(length))) {
    Resize(size);  // leave no half-written item behind
    return false;
  }
  return true;
}

int IStateChunk::ReadInt32(int pos, int32_t* out) const {
  if (!Fits(pos, 4)) return -1;
  if (out) *out = static_cast<int32_t>(static_cast<uint32_t>(GetLE(bytes_.data() + pos, 4)));
  return pos + 4;
}

int IStateChunk::ReadDouble(int pos, double* out) const {
  if (!Fits(pos, 8)) return -1;
  if (out) {
    const uint64_t bits = GetLE(bytes_.data() + pos, 8);
    std::memcpy(out, &bits, sizeof bits);
  }
  return pos + 8;
}

int IStateChunk::ReadBool(int pos, bool* out) const {
  if (!Fits(pos, 1)) return -1;
  if (out) *out = bytes_[static_cast<size_t>(pos)] != 0;
  return pos + 1;
}

int IStateChunk::ReadText(int pos, char* out, int capacity) const {
  int32_t length = 0;
  const int start = ReadInt32(pos, &length);
  // A negative length or one running past the end is corrupt: stop here
  // rather than jump backwards or beyond the data.
  if (start < 0 || length < 0 || !Fits(start, length)) return -1;
  if (out && capacity > 0) {
    const int copied = length < capacity - 1 ? length : capacity - 1;
    std::memcpy(out, bytes_.data() + start, static_cast<size_t>(copied));
    out[copied] = '\0';
  }
  return start + length;
}

int ReadChunkHeader(const IStateChunk& chunk, int32_t* version) {
  *version = 0;
  int32_t magic = 0;
  if (chunk.ReadInt32(0, &magic) >= 0 && magic == kChunkMagic) return chunk.ReadInt32(4, version);
  return 0;
}

bool WriteChunkHeader(IStateChunk& chunk) {
  chunk.Clear();
  return chunk.AppendInt32(kChunkMagic) && chunk.AppendInt32(kChunkFormatVersion);
}
