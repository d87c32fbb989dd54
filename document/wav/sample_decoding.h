#pragma once
// Samples as a WAV file stores them, turned into the floats the pool
// holds: PCM left-justified in its container (the bits below the valid
// ones are padding; 8-bit PCM unsigned), IEEE float as stored. A float
// sample that is no number decodes as silence; one past
// kMaxSampleMagnitude decodes as silence too and is reported, since the
// file is then refused whole. A run at a time, in loops the compiler
// widens to the machine's vectors.

#include <cstddef>
#include <cstdint>

#include "engine/pool/sample_coding.h"

namespace ob {

// How every sample of a file is stored.
struct StoredSamples {
  SampleCoding coding = SampleCoding::Float32;
  std::uint32_t validBits = 32;  // of each PCM container, the top ones carry its value
};

// What a run of samples decoded to beside its floats.
struct DecodedRun {
  bool pastLimit = false;  // a sample was past the limit
  bool givesBack = true;   // every sample, coded again (see encodeSamplesAs), gives back its bytes
  float peak = 0.0f;       // the largest magnitude among the floats decoded
};

// Decodes `frames` frames of two interleaved channels into left and right,
// or of one into left where right is null. Runs the widest vectors the CPU
// has (asked once).
DecodedRun decodeFrames(const StoredSamples& stored, const std::uint8_t* from, std::size_t frames,
                        float* left, float* right);
// The same in the vectors every CPU of the architecture has.
DecodedRun portableDecodeFrames(const StoredSamples& stored, const std::uint8_t* from, std::size_t frames,
                                float* left, float* right);
// The largest magnitude past the sample limit among count float samples
// (0 when none is): what a file's refusal names.
double magnitudePastLimit(SampleCoding coding, const std::uint8_t* from, std::size_t count);

}  // namespace ob
