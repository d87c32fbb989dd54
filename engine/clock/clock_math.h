#pragma once
#include <cstdint>

namespace ob {

// Moves time t (beats) within pairs of steps of length s so that the second
// step of each pair starts at amount a of the pair: a = 0.5 moves nothing.
double swingWarp(double t, double s, double a);

// The deterministic hash of one step: project seed a, pattern seed b,
// position t in beats within the bar, track name hash n and bar index.
std::uint64_t stepHash(std::uint64_t a, std::uint64_t b, double t, std::uint64_t n, std::uint64_t bar);

}  // namespace ob
