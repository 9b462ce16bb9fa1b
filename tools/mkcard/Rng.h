#pragma once

// Small deterministic random source (SplitMix64): the same seed gives the same
// sequence on every platform, unlike the standard distributions. One instance
// per thread.

#include <cstdint>

namespace mkcard {

class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [lo, hi].
    int range(int lo, int hi) {
        return lo + static_cast<int>(next() % static_cast<uint64_t>(hi - lo + 1));
    }
    // Roughly normal (sum of four uniforms), mean 0, standard deviation 1.
    double gauss() {
        const double s = uniform() + uniform() + uniform() + uniform();
        return (s - 2.0) * 1.7320508075688772;
    }

private:
    uint64_t state_;
};

}  // namespace mkcard
