#include "res/Resources.h"

namespace res {
namespace {

// Overrides form a stack through `previous_`; only tests install them, before they start
// anything that reads resources, so no lock is needed.
const ScopedResourceOverride* g_topOverride = nullptr;

}  // namespace

ScopedResourceOverride::ScopedResourceOverride(int id, std::string_view type, Bytes bytes)
    : entry_{id, type, bytes}, previous_(g_topOverride) {
  g_topOverride = this;
}

ScopedResourceOverride::~ScopedResourceOverride() {
  g_topOverride = previous_;
}

Bytes FindResource(int id, std::string_view type) {
  for (auto* o = g_topOverride; o != nullptr; o = o->previous_) {
    if (o->entry_.id == id && o->entry_.type == type) return o->entry_.bytes;
  }
  for (std::size_t i = 0; i < kEmbeddedResourceCount; ++i) {
    const ResourceEntry& entry = kEmbeddedResources[i];
    if (entry.id == id && entry.type == type) return entry.bytes;
  }
  return {};
}

}  // namespace res
