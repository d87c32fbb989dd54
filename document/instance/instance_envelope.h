#pragma once
// The outer members of an instance document: what it is, who wrote it, which
// extensions it uses, and what it carries besides the state. Everything the
// reader does not take stays in kept and is written back after the known
// members; numbers keep the spelling they were loaded with. What it carries
// whole (the state among it) it refers to rather than holds: read, it is the
// document's own, so a record lives no longer than the document it was read
// from; to be written, its writer's caller holds it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
  // An "extensions" member a load read as no list, written back in its
  // place as read; null when there is none.
  const JsonValue* extensionsAsRead = nullptr;
  const JsonValue* meta = nullptr;  // null: absent
  const JsonValue* provenance = nullptr;
  std::vector<JsonMember> params;
  // A "params" member a load read as no object, written back in its place
  // as read (instead of params); null when there is none.
  const JsonValue* paramsAsRead = nullptr;
  const JsonValue* state = nullptr;
  const JsonValue* hints = nullptr;
  std::vector<JsonMember> assets;
  // A clip document whose header passed its check; its reader (readAudition)
  // reads it, once, where it is used.
  const JsonValue* audition = nullptr;
  const JsonValue* ext = nullptr;
  JsonValue kept = makeJsonObject();
  const JsonValue* document = nullptr;  // the object as read; null when built for writing

  InstanceEnvelope() = default;
  // Member-wise; the source is left as a default-constructed record.
  InstanceEnvelope(InstanceEnvelope&& other) noexcept;
  InstanceEnvelope& operator=(InstanceEnvelope&& other) noexcept;
  InstanceEnvelope(const InstanceEnvelope&) = delete;
  InstanceEnvelope& operator=(const InstanceEnvelope&) = delete;
};

// Empty when the document fails the header check (not an object, or not of
// kind "instance"); every other finding is a warning and the member is kept.
// The record refers to the document, which outlives it: never a temporary.
std::optional<InstanceEnvelope> readInstanceEnvelope(const JsonValue& document, Diagnostics& diagnostics);
std::optional<InstanceEnvelope> readInstanceEnvelope(JsonValue&& document, Diagnostics& diagnostics) = delete;

// The envelope as a document object in the fixed member order, kept members
// merged back, number spellings of the loaded document adopted.
JsonValue writeInstanceEnvelope(const InstanceEnvelope& envelope);

}  // namespace ob
