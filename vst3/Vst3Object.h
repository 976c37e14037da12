#pragma once
// Reference counting and interface lookup for the objects Brume hands to a
// host. Every object starts with one reference (the creator's); the last
// release deletes it.
#include <atomic>

#include "vst3/Vst3Abi.h"

namespace brume_vst3 {

class RefCounted {
 public:
  virtual ~RefCounted() = default;
  vst3::uint32 AddRef() { return ++count_; }
  vst3::uint32 Release() {
    const vst3::uint32 left = --count_;
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<vst3::uint32> count_{1};
};

// Answers a query for interface I (reached from `self` through Path, the
// base through which I is unambiguous) with an added reference.
template <typename I, typename Path = I, typename Self>
bool Offer(Self* self, const vst3::TUID iid, void** obj) {
  if (!I::iid.Is(iid)) return false;
  *obj = static_cast<I*>(static_cast<Path*>(self));
  self->addRef();
  return true;
}

}  // namespace brume_vst3

// The three FUnknown methods of a class deriving RefCounted; queryInterface
// calls the class's Query(iid, obj), which returns whether it answered.
#define BRUME_VST3_UNKNOWN_METHODS                                                     \
  vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** obj) override { \
    if (!obj) return vst3::kInvalidArgument;                                         \
    if (iid && Query(iid, obj)) return vst3::kResultOk;                              \
    *obj = nullptr;                                                                  \
    return vst3::kNoInterface;                                                       \
  }                                                                                  \
  vst3::uint32 VST3_API addRef() override { return AddRef(); }                       \
  vst3::uint32 VST3_API release() override { return Release(); }
