// Generated names of scene items: "lightwave_mesh_%d", "lightwave_helper_%d",
// "lightwave_camera_%d", "lightwave_light_%d". Each kind counts from 0 when the program starts and
// is never reset, so numbering continues from one scene file to the next and every item name is
// unique in the program. Main thread only.
#pragma once

#include <cstdint>
#include <string>

namespace cm {

// The next name for an item of the given LwsItemKind; the kind's counter moves on by one.
std::string NextItemName(std::int32_t lwsItemKind);
// The name the next item of that kind will get, without taking it.
std::string PeekItemName(std::int32_t lwsItemKind);

}  // namespace cm
