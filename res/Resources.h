#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Resources compiled into the executable, found by numeric id and type, in place of the
// resource section of a platform executable. Nothing here reads from disk.
namespace res {

inline constexpr std::string_view kTypeWave = "WAVE";
inline constexpr std::string_view kTypeBitmap = "BITMAP";
// The same bitmap at twice the size, for screens of two device pixels to a pixel.
inline constexpr std::string_view kTypeBitmap2x = "BITMAP@2X";
// A button bitmap's glyph alone, on transparency (PNG), at 1x and 2x.
inline constexpr std::string_view kTypeGlyph = "GLYPH";
inline constexpr std::string_view kTypeGlyph2x = "GLYPH@2X";
inline constexpr std::string_view kTypeIcon = "ICON";
inline constexpr std::string_view kTypeString = "STRING";

using Bytes = std::span<const std::uint8_t>;

struct ResourceEntry {
  int id;
  std::string_view type;
  Bytes bytes;
};

// The bytes of the resource with this id and type; empty when there is none.
Bytes FindResource(int id, std::string_view type);

// For tests: while it lives, FindResource answers `bytes` for this id and type instead of
// the embedded resource. The bytes must outlive the override. Overrides nest.
class ScopedResourceOverride {
 public:
  ScopedResourceOverride(int id, std::string_view type, Bytes bytes);
  ~ScopedResourceOverride();
  ScopedResourceOverride(const ScopedResourceOverride&) = delete;
  ScopedResourceOverride& operator=(const ScopedResourceOverride&) = delete;

 private:
  ResourceEntry entry_;
  const ScopedResourceOverride* previous_;
  friend Bytes FindResource(int, std::string_view);
};

// Provided by the generated table.
extern const ResourceEntry kEmbeddedResources[];
extern const std::size_t kEmbeddedResourceCount;

}  // namespace res
