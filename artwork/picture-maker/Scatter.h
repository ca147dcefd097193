#pragma once

#include <cstdint>
#include <random>

// Pseudo-random numbers from a fixed seed. The engine's output sequence is fixed by the C++
// standard (unlike the standard distributions), so every run draws identical pictures.
class Scatter
{
public:
    explicit Scatter(std::uint32_t seed) : m_engine(seed) {}

    double uniform(double low, double high)
    {
        return low + (high - low) * (static_cast<double>(m_engine()) / 4294967296.0);
    }

    bool chance(double probability) { return uniform(0.0, 1.0) < probability; }

private:
    std::mt19937 m_engine;
};
