#pragma once
#include <cstdint>

namespace ob {

// Step length of a track rate code in sixteenths (numerator / denominator)
// and the entry of the swing table (steps per whole note). Codes outside
// 0..5 play as sixteenths.
struct RateInfo {
  int numerator;
  int denominator;
  int swingEntry;
};

RateInfo rateInfo(std::uint8_t rate);

// Beats per step of a rate code.
double rateBeats(std::uint8_t rate);

// Moves time t (beats) within pairs of steps of length s so that the second
// step of each pair starts at amount a of the pair: a = 0.5 moves nothing.
double swingWarp(double t, double s, double a);

// The deterministic hash of one step: project seed a, pattern seed b,
// position t in beats within the bar, track name hash n and bar index.
std::uint64_t stepHash(std::uint64_t a, std::uint64_t b, double t, std::uint64_t n, std::uint64_t bar);

}  // namespace ob
