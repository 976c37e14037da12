#include "vst3/BrumeVst3Factory.h"

#include <atomic>
#include <cstring>
#include <new>

#include "framework/NumberFormat.h"
#include "vst3/BrumeVst3Controller.h"
#include "vst3/BrumeVst3Ids.h"
#include "vst3/BrumeVst3Processor.h"
#include "vst3/Vst3Object.h"
#include "vst3/Vst3Text.h"

namespace brume_vst3 {
namespace {

using namespace vst3;

constexpr uint32 kDistributable = 1;  // the two classes share no memory

struct ClassRow {
  const Uid* cid;
  const char* category;
  uint32 flags;
};
const ClassRow kClasses[] = {
    {&kProcessorCid, "Audio Module Class", kDistributable},
    {&kControllerCid, "Component Controller Class", 0},
};
constexpr int32 kClassCount = 2;

class Factory final : public IPluginFactory3 {
 public:
  tresult VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    if (iid && (FUnknown::iid.Is(iid) || IPluginFactory::iid.Is(iid) || IPluginFactory2::iid.Is(iid) ||
                IPluginFactory3::iid.Is(iid))) {
      *obj = static_cast<IPluginFactory3*>(this);
      addRef();
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 VST3_API addRef() override { return ++count_; }
  uint32 VST3_API release() override { return --count_; }

  tresult VST3_API getFactoryInfo(PFactoryInfo* info) override {
    if (!info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    CopyText(info->vendor, kVendor, sizeof info->vendor);
    info->flags = PFactoryInfo::kUnicode;
    return kResultOk;
  }
  int32 VST3_API countClasses() override { return kClassCount; }

  // The fields every class record version shares; false for a bad index.
  template <typename Info>
  static bool StartInfo(int32 index, Info* info) {
    if (!info || index < 0 || index >= kClassCount) return false;
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->cid, kClasses[index].cid->bytes, sizeof info->cid);
    info->cardinality = PClassInfo::kManyInstances;
    CopyText(info->category, kClasses[index].category, sizeof info->category);
    return true;
  }

  tresult VST3_API getClassInfo(int32 index, PClassInfo* info) override {
    if (!StartInfo(index, info)) return kInvalidArgument;
    CopyText(info->name, kName, sizeof info->name);
    return kResultOk;
  }

  tresult VST3_API getClassInfo2(int32 index, PClassInfo2* info) override {
    if (!StartInfo(index, info)) return kInvalidArgument;
    CopyText(info->name, kName, sizeof info->name);
    info->classFlags = kClasses[index].flags;
    CopyText(info->subCategories, kSubCategories, sizeof info->subCategories);
    CopyText(info->vendor, kVendor, sizeof info->vendor);
    CopyText(info->version, kVersion, sizeof info->version);
    CopyText(info->sdkVersion, kSdkVersion, sizeof info->sdkVersion);
    return kResultOk;
  }

  tresult VST3_API getClassInfoUnicode(int32 index, PClassInfoW* info) override {
    if (!StartInfo(index, info)) return kInvalidArgument;
    ToUtf16(kName, info->name, 64);
    info->classFlags = kClasses[index].flags;
    CopyText(info->subCategories, kSubCategories, sizeof info->subCategories);
    ToUtf16(kVendor, info->vendor, 64);
    ToUtf16(kVersion, info->version, 64);
    ToUtf16(kSdkVersion, info->sdkVersion, 64);
    return kResultOk;
  }

  tresult VST3_API setHostContext(FUnknown*) override { return kResultOk; }

  tresult VST3_API createInstance(FIDString cid, FIDString iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    *obj = nullptr;
    if (!cid || !iid) return kInvalidArgument;
    FUnknown* object = nullptr;
    if (kProcessorCid.Is(cid))
      object = static_cast<IComponent*>(new (std::nothrow) BrumeVst3Processor);
    else if (kControllerCid.Is(cid))
      object = static_cast<IEditController*>(new (std::nothrow) BrumeVst3Controller);
    else
      return kInvalidArgument;
    if (!object) return kOutOfMemory;
    const tresult result = object->queryInterface(iid, obj);
    object->release();  // the caller holds the queried reference, or nothing is left
    return result;
  }

 private:
  std::atomic<uint32> count_{0};
};

Factory factory;

}  // namespace

IPluginFactory* AcquireFactory() {
  factory.addRef();
  return &factory;
}

}  // namespace brume_vst3
