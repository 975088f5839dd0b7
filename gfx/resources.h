// The picture resources compiled into the executable: a table from resource number to PNG bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mw {

// One compiled-in file.
struct EmbeddedResource {
  int32_t number;
  const uint8_t* bytes;
  size_t size;
};

// The generated tables (assets/images and assets/icons), each ended by an entry of number -1.
extern const EmbeddedResource EMBEDDED_IMAGES[];
extern const EmbeddedResource EMBEDDED_ICONS[];

// Bytes of a resource; empty (null, 0) when there is none.
struct ResourceBytes {
  const uint8_t* bytes = nullptr;
  size_t size = 0;
};

// Picture resource `number` (assets/images/N.png), or an override set below.
ResourceBytes imageResource(int32_t number);
// Icon or cursor picture `number` (assets/icons/N.png), for the platform layer.
ResourceBytes iconResource(int32_t number);

// Adds or replaces a picture resource while the program runs, so tests can supply their own
// pictures. The bytes are kept until replaced or cleared.
void overrideImageResource(int32_t number, std::vector<uint8_t> bytes);
// Forgets every override.
void clearImageResourceOverrides();

}  // namespace mw
