// Room on a card, as a transfer judges it: on a real card in whole allocation units of its
// file system, against its free space; for a restore file, on a simulated card of the chosen
// size, in whole clusters. A run and the plan of a run judge with these same rules.
#pragma once

#include "card/CardLayout.h"

#include <cstdint>

namespace lw {

// The bytes a file of this size takes on a medium: whole allocation units.
inline std::uint64_t wholeUnits(std::uint64_t bytes, std::uint64_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

// Whether a file fits on a real card with `free` bytes, keeping `reserve` bytes free.
inline bool fitsOnCard(std::uint64_t free, std::uint64_t size, std::uint64_t unit, std::uint64_t reserve) {
    return free >= wholeUnits(size, unit) + reserve;
}

// The card a restore file is meant for. It starts with its three folders (PRIVATE,
// TECHNICS, KN7000) charged one cluster each; every song folder costs a cluster, every file
// one cluster more than its size fills (an empty file one cluster, a file filling its last
// cluster exactly one more). A file is taken only when, after its charge, more than its
// size remains; the charge stays made either way.
class SimulatedCard {
public:
    SimulatedCard(std::int64_t capacity, std::int64_t cluster)
        : m_capacity(capacity), m_cluster(cluster),
          m_remaining(capacity - static_cast<std::int64_t>(kKn7000FolderParts.size()) * cluster) {}
    void openFolder() { m_remaining -= m_cluster; }
    bool takeFile(std::int64_t size) {
        m_remaining -= m_cluster * (size / m_cluster + 1);
        return m_remaining > size;
    }
    std::int64_t capacity() const { return m_capacity; }
    std::int64_t remaining() const { return m_remaining; }

private:
    std::int64_t m_capacity;
    std::int64_t m_cluster;
    std::int64_t m_remaining;
};

} // namespace lw
