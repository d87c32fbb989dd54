#include "content/tools/sample_split.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>
#include <vector>

#include "content/tools/hit_body_split.h"
#include "content/tools/pool_rollback.h"
#include "content/tools/utf8_fit.h"
#include "engine/model/project.h"
#include "engine/pool/sample_pool.h"

namespace ob {

namespace {

SplitResult fail(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return SplitResult{};
}

// One half of one or two channels, at the source's rate.
SampleAudio halfAudio(std::vector<float> left, std::vector<float> right, double sampleRate) {
  SampleAudio audio;
  audio.left = std::move(left);
  audio.right = std::move(right);
  audio.sampleRate = sampleRate;
  return audio;
}

std::string_view fieldText(const char* field, std::size_t capacity) {
  return std::string_view(field, strnlen(field, capacity));
}

}  // namespace

std::string splitBaseName(const SampleSlot& source) {
  std::string name(fieldText(source.name, sizeof source.name));
  if (name.size() > 4) {
    std::string suffix = name.substr(name.size() - 4);
    for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (suffix == ".wav") name.resize(name.size() - 4);
  }
  return name;
}

std::int32_t writeSplitHalfSlot(std::string_view baseName, const SampleSlot& source, Project& project,
                                std::int32_t slot, std::string_view word) {
  if (slot < 0 || slot >= kSampleSlots) return slot + 1;
  SampleSlot record{};

  // The base gives way so that the word always fits: a hit and a body of a
  // long name must still tell themselves apart.
  const std::size_t room = sizeof record.name - 1;
  const std::string_view wordPart = utf8Prefix(word, room);
  const std::size_t baseRoom = wordPart.size() + 1 <= room ? room - wordPart.size() - 1 : 0;
  std::string name(utf8Prefix(baseName, baseRoom));
  name += ' ';
  name += wordPart;
  copyText(record.name, name.c_str());

  const int tags = std::min<int>(source.tagCount, kTagCapacity);
  bool hasWord = false;
  for (int t = 0; t < tags; ++t) {
    std::memcpy(record.tags[t], source.tags[t], sizeof record.tags[t]);
    record.tags[t][sizeof record.tags[t] - 1] = '\0';
    if (fieldText(record.tags[t], sizeof record.tags[t]) == word) hasWord = true;
  }
  record.tagCount = static_cast<std::uint8_t>(tags);
  if (!hasWord && tags < kTagCapacity) {
    copyText(record.tags[tags], std::string(utf8Prefix(word, sizeof record.tags[0] - 1)).c_str());
    record.tagCount = static_cast<std::uint8_t>(tags + 1);
  }
  record.src = source.src;

  project.samples.slots[slot] = record;
  if (project.samples.count < slot + 1) project.samples.count = static_cast<std::uint8_t>(slot + 1);
  return slot + 1;
}

SplitResult addHitBodySlots(SamplePool& pool, Project& project, std::int32_t source, SampleAudio hitAudio,
                            SampleAudio bodyAudio, std::int32_t bodyStart, std::string* error) {
  if (source < 0 || source >= kSampleSlots) return fail(error, "that slot holds no sample");
  if (pool.slotCount() + 2 > kSampleSlots) return fail(error, "the sample pool is full");

  SampleRefusal refusal = SampleRefusal::None;
  const std::int32_t hit = pool.append(std::move(hitAudio), &refusal);
  if (hit < 0) return fail(error, sampleRefusalText(refusal, pool.limits()));
  const std::int32_t body = pool.append(std::move(bodyAudio), &refusal);
  if (body < 0) {
    dropUnpublishedSlot(pool, hit);
    return fail(error, sampleRefusalText(refusal, pool.limits()));
  }

  const SampleSlot sourceRecord = project.samples.slots[source];
  const std::string base = splitBaseName(sourceRecord);
  writeSplitHalfSlot(base, sourceRecord, project, hit, "hit");
  writeSplitHalfSlot(base, sourceRecord, project, body, "body");
  return SplitResult{hit, body, bodyStart};
}

SplitResult splitSampleIntoHitAndBody(SamplePool& pool, Project& project, std::int32_t source,
                                      std::string* error) {
  const bool held = source >= 0 && source < kSampleSlots && source < pool.slotCount() && pool.slots[source];
  // A sample that cannot play has no audio to split: the user is told why.
  if (held && pool.slots[source]->data && pool.slots[source]->data->kept())
    return fail(error, pool.slots[source]->data->kept()->why);
  if (!held || pool.slots[source]->frames < 1) return fail(error, "that slot holds no sample");
  if (pool.slotCount() + 2 > kSampleSlots) return fail(error, "the sample pool is full");

  const SamplePoolSlot& src = *pool.slots[source];
  const bool stereo = !src.right.empty();
  std::size_t frames = std::min<std::size_t>(static_cast<std::size_t>(src.frames), src.left.size());
  if (stereo) frames = std::min(frames, src.right.size());
  if (frames < 1) return fail(error, "that slot holds no sample");
  // The halves together hold the whole source and a little more: refused
  // before they are made when even the source would not fit again.
  const std::uint64_t atLeast = decodedSampleBytes(frames, stereo ? 2 : 1);
  if (const SampleRefusal refusal = pool.refusalForAudio(atLeast); refusal == SampleRefusal::PoolFull)
    return fail(error, sampleRefusalText(refusal, pool.limits()));
  if (const SampleRefusal refusal = pool.refusalForNewFile(atLeast);
      refusal == SampleRefusal::FilesOverBudget)
    return fail(error, sampleRefusalText(refusal, pool.limits()));

  HitBodyHalves halves = splitHitBody(src.left.data(), stereo ? src.right.data() : nullptr,
                                      static_cast<std::int32_t>(frames), src.sampleRate, kDefaultSplitParams);
  if (!halves.usable()) return fail(error, "too short to split");

  const double rate = src.sampleRate;
  return addHitBodySlots(
      pool, project, source, halfAudio(std::move(halves.hitLeft), std::move(halves.hitRight), rate),
      halfAudio(std::move(halves.bodyLeft), std::move(halves.bodyRight), rate), halves.bodyStart, error);
}

}  // namespace ob
