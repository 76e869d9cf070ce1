// The card sizes a restore file can be meant for, with the usable bytes of such a card
// and the cluster size its file system allocates in. The restore-file transfer charges
// every folder and file whole clusters against the chosen card, so that it stops where
// a real card of that size would be full.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lw {

struct CardSize {
    int megabytes;
    std::string_view text; // as the card-size options show it (fixed, with its blanks)
    std::int32_t capacity; // usable bytes
    int clusterOption;     // index into kClusterSizes selected with it
};

inline constexpr std::array<CardSize, 8> kCardSizes = {{
    {8, "      8 MB", 6676592, 2},
    {16, "    16 MB", 13910000, 3},
    {32, "    32 MB", 29910000, 3},
    {64, "    64 MB", 63318128, 3},
    {128, "  128 MB", 128262256, 3},
    {256, "  256 MB", 251910000, 3},
    {512, "  512 MB", 505910000, 3},
    {1024, "1024 MB", 999910000, 3},
}};

struct ClusterSize {
    std::string_view text;
    std::int32_t bytes;
};

inline constexpr std::array<ClusterSize, 5> kClusterSizes = {{
    {"2   kByte/Cluster", 2048},
    {"4   kByte/Cluster", 4096},
    {"8   kByte/Cluster", 8192},
    {"16 kByte/Cluster", 16384},
    {"32 kByte/Cluster", 32768},
}};

// The choice when the card-size dialog opens: 64 MB with 16 kByte clusters.
inline constexpr int kDefaultCardSizeIndex = 3;
inline constexpr int kDefaultClusterIndex = 3;

// The card size with the given number of megabytes, if it is one of the list.
inline std::optional<CardSize> cardSizeByMegabytes(int megabytes) {
    for (const auto& s : kCardSizes)
        if (s.megabytes == megabytes)
            return s;
    return std::nullopt;
}

inline bool isClusterSize(std::int32_t bytes) {
    for (const auto& c : kClusterSizes)
        if (c.bytes == bytes)
            return true;
    return false;
}

} // namespace lw
