#include "framework/ITrace.h"

#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <mutex>

namespace {
// Kept as an integer: the va_list in the sink's type carries attributes
// that std::atomic of the pointer type would drop on some targets.
std::atomic<std::uintptr_t> gSink{0};
std::mutex gTimeStampMutex;
char gTimeStamp[160];
}  // namespace

void SetTraceSink(TraceSink sink) { gSink.store(reinterpret_cast<std::uintptr_t>(sink)); }

void TracePoint(const char* function, int line, const char* format, ...) {
  const TraceSink sink = reinterpret_cast<TraceSink>(gSink.load());
  if (!sink) return;  // the default sink discards everything
  va_list args;
  va_start(args, format);
  sink(function, line, format, args);
  va_end(args);
}

const char* TimeStamp() {
  // std::localtime shares one static record; the lock keeps two callers from
  // reading it at once.
  std::lock_guard<std::mutex> guard(gTimeStampMutex);
  char when[64] = "";
  char zone[64] = "";
  const std::time_t now = std::time(nullptr);
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(when, sizeof when, "%Y%m%d %H:%M ", local);
    std::strftime(zone, sizeof zone, "%Z", local);
  }
  // Keep only the capitals of the zone name ("Central European Time" -> CET).
  size_t n = std::strlen(when);
  std::memcpy(gTimeStamp, when, n);
  for (const char* z = zone; *z && n + 1 < sizeof gTimeStamp; ++z)
    if (std::isupper(static_cast<unsigned char>(*z))) gTimeStamp[n++] = *z;
  gTimeStamp[n] = '\0';
  return gTimeStamp;
}
