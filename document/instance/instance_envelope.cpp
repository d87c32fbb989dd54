#include "document/instance/instance_envelope.h"

#include <cmath>
#include <utility>

#include "document/reading/asset_ref.h"
#include "document/reading/doc_reader.h"
#include "document/reading/document_header.h"
#include "document/reading/json_pointer.h"
#include "document/reading/merge_members.h"
#include "document/reading/narrow.h"
#include "document/reading/seed.h"

namespace ob {
namespace {

std::int32_t toInt32(std::uint32_t v) { return v > 0x7fffffffu ? 0x7fffffff : static_cast<std::int32_t>(v); }

// Reads "params" or "assets": every member is stored, a later one of the same
// key replacing the earlier value; accept says whether it is reported.
template <typename Accept>
void readMemberList(DocReader& reader, std::string_view name, std::vector<JsonMember>& out,
                    Diagnostics& diagnostics, Accept accept, const char* code, const char* message) {
  const JsonValue* object = reader.getObject(name);
  if (object == nullptr) return;
  const std::string base = reader.childPath(name);
  for (const JsonMember& m : object->members) {
    if (!accept(m.value)) diagnostics.warn(code, memberPath(base, m.key), message);
    JsonValue::setMember(out, m.key, m.value);
  }
}

JsonValue memberObject(const std::vector<JsonMember>& members) {
  JsonValue out = makeJsonObject();
  for (const JsonMember& m : members) JsonValue::setMember(out.members, m.key, m.value);
  return out;
}

}  // namespace

InstanceEnvelope::InstanceEnvelope(InstanceEnvelope&& other) noexcept { *this = std::move(other); }

InstanceEnvelope& InstanceEnvelope::operator=(InstanceEnvelope&& other) noexcept {
  if (this == &other) return *this;
  specMajor = std::exchange(other.specMajor, 1);
  specMinor = std::exchange(other.specMinor, 0);
  id = std::exchange(other.id, {});
  plugin = std::exchange(other.plugin, {});
  formatVersion = std::exchange(other.formatVersion, 1);
  pluginVersion = std::exchange(other.pluginVersion, {});
  scope = std::exchange(other.scope, "complete");
  seed = std::exchange(other.seed, std::nullopt);
  extensions = std::exchange(other.extensions, {});
  unreadableExtensions = std::exchange(other.unreadableExtensions, {});
  extensionsAsRead = std::exchange(other.extensionsAsRead, nullptr);
  meta = std::exchange(other.meta, nullptr);
  provenance = std::exchange(other.provenance, nullptr);
  params = std::exchange(other.params, {});
  paramsAsRead = std::exchange(other.paramsAsRead, nullptr);
  state = std::exchange(other.state, nullptr);
  hints = std::exchange(other.hints, nullptr);
  assets = std::exchange(other.assets, {});
  audition = std::exchange(other.audition, nullptr);
  ext = std::exchange(other.ext, nullptr);
  kept = std::exchange(other.kept, makeJsonObject());
  document = std::exchange(other.document, nullptr);
  return *this;
}

std::optional<InstanceEnvelope> readInstanceEnvelope(const JsonValue& document, Diagnostics& diagnostics) {
  DocumentHeader header = readDocumentHeader(document, "instance", diagnostics);
  if (!header.ok) return std::nullopt;

  DocReader reader(&document, "", &diagnostics);
  reader.markConsumed("kind");
  reader.markConsumed("spec");
  if (header.extensionsWellFormed) reader.markConsumed("extensions");

  InstanceEnvelope env;
  env.document = &document;
  env.specMajor = toInt32(header.specMajor);
  env.specMinor = toInt32(header.specMinor);
  env.extensions = std::move(header.extensions);
  env.unreadableExtensions = std::move(header.unreadableExtensions);

  if (auto id = reader.getString("id")) env.id = std::move(*id);
  if (auto plugin = reader.getString("plugin")) env.plugin = std::move(*plugin);
  if (env.plugin.empty())
    diagnostics.warn("instance-without-plugin", "/plugin", "An instance names its plugin");
  // What every save writes of its own: one of another type is not kept,
  // and the load says so.
  const auto own = [&](const char* name, JsonKind kind, const char* what) -> const JsonValue* {
    const JsonValue* v = reader.find(name);
    if (v == nullptr) return nullptr;
    reader.markConsumed(name);
    if (v->kind == kind) return v;
    diagnostics.warn("wrong-type", reader.childPath(name),
                     std::string("Expected ") + what + "; not used, and a save writes its own in its place");
    return nullptr;
  };
  if (const JsonValue* v = own("formatVersion", JsonKind::Number, "a number")) {
    // Truncated toward zero; a value beyond 32 bits saturates.
    env.formatVersion = saturateToInt32(v->number, INT32_MIN, INT32_MAX);
  }
  if (const JsonValue* v = own("pluginVersion", JsonKind::String, "a string")) env.pluginVersion = v->text;
  if (const JsonValue* v = own("scope", JsonKind::String, "a string")) env.scope = v->text;

  if (const JsonValue* seed = reader.find("seed")) {
    std::optional<std::uint64_t> parsed;
    if (seed->isString()) parsed = parseSeed(seed->text);
    if (parsed) {
      env.seed = parsed;
      reader.markConsumed("seed");
    } else {
      // Written back, it would give the next load another seed: a save
      // writes the seed the instance plays with.
      diagnostics.warn(
          "bad-seed", "/seed",
          "A seed is 16 hex digits; not used, and a save writes the instance's own seed in its place");
    }
  }

  const std::pair<const char*, const JsonValue**> whole[] = {{"meta", &env.meta},
                                                             {"provenance", &env.provenance},
                                                             {"state", &env.state},
                                                             {"hints", &env.hints},
                                                             {"ext", &env.ext}};
  for (const auto& [name, field] : whole) {
    if (const JsonValue* v = reader.find(name)) {
      reader.markConsumed(name);
      *field = v;
    }
  }

  readMemberList(
      reader, "params", env.params, diagnostics,
      [](const JsonValue& v) { return v.isNumber() || v.isString(); }, "wrong-type",
      "Expected a value or choice id; kept as written, not applied");
  readMemberList(
      reader, "assets", env.assets, diagnostics,
      [](const JsonValue& v) { return v.isString() && parseAssetRef(v.text).has_value(); }, "bad-asset-ref",
      "Expected factory:<name> or asset:<sha256>; kept as written, not loaded");

  if (const JsonValue* audition = reader.find("audition")) {
    // Only its header is checked here: the envelope read goes on whatever the
    // clip holds, so nothing found in it is an error of this read.
    Diagnostics found;
    if (readDocumentHeader(*audition, "clip", found).ok) {
      env.audition = audition;
      reader.markConsumed("audition");
    } else {
      for (const Diagnostic& d : found)
        diagnostics.add(d.severity == Severity::Error ? Severity::Warning : d.severity, d.code,
                        "/audition" + d.path, d.message, d.detail);
      diagnostics.warn("bad-audition", "/audition",
                       "The audition is not a clip; kept as written, not offered");
    }
  }

  env.kept = reader.unconsumedMembers();
  return env;
}

JsonValue writeInstanceEnvelope(const InstanceEnvelope& env) {
  JsonValue out = makeJsonObject();
  auto append = [&out](const char* key, JsonValue v) {
    out.members.push_back(JsonMember{key, std::move(v)});
  };

  append("kind", makeJsonString("instance"));
  append("spec", makeJsonString(formatSpecVersion()));
  if (!env.id.empty()) append("id", makeJsonString(env.id));
  append("plugin", makeJsonString(env.plugin));
  append("formatVersion", makeJsonDouble(static_cast<double>(env.formatVersion)));
  if (!env.pluginVersion.empty()) append("pluginVersion", makeJsonString(env.pluginVersion));
  append("scope", makeJsonString(env.scope));
  if (env.seed) append("seed", makeJsonString(formatSeed(*env.seed)));

  std::vector<ExtensionId> ids = env.extensions;
  if (env.audition) {
    bool listed = false;
    for (const ExtensionId& id : ids) listed = listed || id.name == kAuditionExtension;
    if (!listed) ids.push_back(ExtensionId{kAuditionExtension, 1});
  }
  if (env.extensionsAsRead != nullptr)
    append("extensions", *env.extensionsAsRead);
  else if (!ids.empty() || !env.unreadableExtensions.empty())
    append("extensions", extensionsToJson(ids, env.unreadableExtensions));

  // A member read as null is written as absent, as the writer of its own writes it.
  auto given = [](const JsonValue* v) { return v != nullptr && !v->isNull(); };
  if (given(env.meta)) append("meta", *env.meta);
  if (given(env.provenance)) append("provenance", *env.provenance);
  append("params", env.paramsAsRead != nullptr ? *env.paramsAsRead : memberObject(env.params));
  append("state", given(env.state) ? *env.state : makeJsonObject());
  if (given(env.hints)) append("hints", *env.hints);
  if (!env.assets.empty()) append("assets", memberObject(env.assets));
  if (env.audition != nullptr) append("audition", *env.audition);
  if (env.ext != nullptr && env.ext->isObject() && !env.ext->members.empty()) append("ext", *env.ext);

  mergeMembers(out, env.kept, env.document != nullptr ? *env.document : JsonValue{});
  return out;
}

}  // namespace ob
