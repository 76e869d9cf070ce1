// Where a transfer puts the songs: straight onto a card in a card reader, or into one
// restore file that the Song Manager later puts onto a card.
#pragma once

#include <cstdint>

namespace lw {

enum class OutputMode : std::int16_t { Card = 1, RestoreFile = 2 };

} // namespace lw
