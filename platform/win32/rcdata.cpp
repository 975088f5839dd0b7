// Finding RCDATA resources in the running executable.
#include "platform/win32/rcdata.h"

#include <windows.h>

namespace mw {

EmbeddedResource rcdataResource(int32_t number) {
  EmbeddedResource entry{number, nullptr, 0};
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(number), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) return entry;
  const DWORD size = SizeofResource(self, found);
  HGLOBAL loaded = size > 0 ? LoadResource(self, found) : nullptr;
  // A loaded resource is mapped with the executable: the bytes stay valid while it runs.
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return entry;
  entry.bytes = static_cast<const uint8_t*>(bytes);
  entry.size = size;
  return entry;
}

}  // namespace mw
