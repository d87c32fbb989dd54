#pragma once
// The outer members of an instance document: what it is, who wrote it, which
// extensions it uses, and what it carries besides the state. Everything the
// reader does not take stays in kept and is written back after the known
// members; numbers keep the spelling they were loaded with.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/clip/clip.h"
#include "document/diagnostics.h"
#include "document/json/json_value.h"
#include "document/reading/extension_id.h"

namespace ob {

inline constexpr const char* kAuditionExtension = "com.tessaline.audition";

struct InstanceEnvelope {
  std::int32_t specMajor = 1;
  std::int32_t specMinor = 0;
  std::string id;
  std::string plugin;
  std::int32_t formatVersion = 1;
  std::string pluginVersion;
  std::string scope = "complete";
  std::optional<std::uint64_t> seed;
  std::vector<ExtensionId> extensions;
  std::vector<JsonValue> unreadableExtensions;
  JsonValue meta;
  JsonValue provenance;
  std::vector<JsonMember> params;
  JsonValue state;
  JsonValue hints;
  std::vector<JsonMember> assets;
  std::optional<clip::Clip> audition;
  JsonValue ext;
  JsonValue kept = makeJsonObject();
  JsonValue document;  // the object as read; null when built for writing

  InstanceEnvelope() = default;
  // Member-wise; the source is left as a default-constructed record with
  // null values and no kept members.
  InstanceEnvelope(InstanceEnvelope&& other) noexcept;
  InstanceEnvelope& operator=(InstanceEnvelope&& other) noexcept;
  InstanceEnvelope(const InstanceEnvelope&) = delete;
  InstanceEnvelope& operator=(const InstanceEnvelope&) = delete;
};

// Empty when the document fails the header check (not an object, or not of
// kind "instance"); every other finding is a warning and the member is kept.
std::optional<InstanceEnvelope> readInstanceEnvelope(const JsonValue& document, Diagnostics& diagnostics);

// The envelope as a document object in the fixed member order, kept members
// merged back, number spellings of the loaded document adopted.
JsonValue writeInstanceEnvelope(const InstanceEnvelope& envelope);

}  // namespace ob
