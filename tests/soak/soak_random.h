// The soak's random numbers: splitmix64, so a seed gives the same events on
// every machine and compiler (the standard distributions do not promise that).
#ifndef QUILLMARCH_SOAK_RANDOM_H
#define QUILLMARCH_SOAK_RANDOM_H

#include <stdint.h>

#include <string>
#include <vector>

struct SoakRandom {
    uint64_t state;

    uint64_t Next()
    {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. count - 1.
    int Below(int count) { return count <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(count)); }

    // low .. high, both included.
    int Between(int low, int high) { return low + Below(high - low + 1); }

    bool Percent(int chance) { return Below(100) < chance; }

    template <typename T>
    const T& Pick(const std::vector<T>& items) { return items[Below(static_cast<int>(items.size()))]; }
};

// A stream of its own for each part of a run (an event, the n-th dialog
// answered in it, a restart), drawn from the seed and the part's place
// alone: how many numbers one part happened to take never shifts another.
inline SoakRandom MakeSoakStream(uint64_t seed, uint64_t event, uint64_t part)
{
    SoakRandom mixer = {seed};
    mixer.state ^= mixer.Next() + event;
    mixer.state ^= mixer.Next() + (part << 32);
    return SoakRandom{mixer.Next()};
}

#endif
