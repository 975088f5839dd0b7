// The JSON type of the simulator's dumps: keys keep their order, floats print as the shortest text
// that reads back to the same single-precision value.
#pragma once
#include <cstdint>
#include <nlohmann/json.hpp>

namespace mw {

using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t, std::uint64_t, float>;

}  // namespace mw
