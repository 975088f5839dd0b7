// Looking up the compiled-in picture resources.
#include "gfx/resources.h"

#include <map>

namespace mw {

namespace {

std::map<int32_t, std::vector<uint8_t>>& overrides() {
  static std::map<int32_t, std::vector<uint8_t>> table;
  return table;
}

ResourceBytes find(const EmbeddedResource* table, int32_t number) {
  for (const EmbeddedResource* entry = table; entry->number != -1; ++entry) {
    if (entry->number == number) return ResourceBytes{entry->bytes, entry->size};
  }
  return ResourceBytes{};
}

}  // namespace

ResourceBytes imageResource(int32_t number) {
  const auto& table = overrides();
  if (const auto it = table.find(number); it != table.end()) return ResourceBytes{it->second.data(), it->second.size()};
  return find(EMBEDDED_IMAGES, number);
}

ResourceBytes iconResource(int32_t number) { return find(EMBEDDED_ICONS, number); }

void overrideImageResource(int32_t number, std::vector<uint8_t> bytes) { overrides()[number] = std::move(bytes); }

void clearImageResourceOverrides() { overrides().clear(); }

}  // namespace mw
