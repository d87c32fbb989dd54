#include "document/reading/doc_reader.h"

#include <utility>

#include "document/reading/json_pointer.h"

namespace ob {

std::string wrongTypeMessage(std::string_view what) {
  std::string m = "Expected ";
  m += what;
  m += "; kept as written, not applied";
  return m;
}

DocReader::DocReader(const JsonValue* object, std::string path, Diagnostics* diagnostics)
    : object_(object), path_(std::move(path)), diagnostics_(diagnostics) {
  if (object_ != nullptr && object_->isObject()) consumed_.assign(object_->members.size(), 0);
}

const JsonValue* DocReader::find(std::string_view name) const {
  if (object_ == nullptr) return nullptr;
  return object_->find(name);
}

const JsonValue* DocReader::getTyped(std::string_view name, JsonKind kind, std::string_view what) {
  const JsonValue* v = find(name);
  if (v == nullptr) return nullptr;
  if (v->kind == kind) {
    markConsumed(name);
    return v;
  }
  warn("wrong-type", childPath(name), wrongTypeMessage(what));
  return nullptr;
}

std::optional<double> DocReader::getNumber(std::string_view name) {
  const JsonValue* v = getTyped(name, JsonKind::Number, "a number");
  if (v == nullptr) return std::nullopt;
  return v->number;
}

std::optional<std::string> DocReader::getString(std::string_view name) {
  const JsonValue* v = getTyped(name, JsonKind::String, "a string");
  if (v == nullptr) return std::nullopt;
  return v->text;
}

const JsonValue* DocReader::getArray(std::string_view name) {
  return getTyped(name, JsonKind::Array, "an array");
}

const JsonValue* DocReader::getObject(std::string_view name) {
  return getTyped(name, JsonKind::Object, "an object");
}

std::optional<bool> DocReader::getBool(std::string_view name) {
  const JsonValue* v = getTyped(name, JsonKind::Bool, "true or false");
  if (v == nullptr) return std::nullopt;
  return v->boolean;
}

void DocReader::markConsumed(std::string_view name) {
  if (consumed_.empty()) return;
  const std::vector<JsonMember>& members = object_->members;
  for (std::size_t i = 0; i < members.size() && i < consumed_.size(); ++i)
    if (members[i].key == name) consumed_[i] = 1;
}

JsonValue DocReader::unconsumedMembers() const {
  JsonValue out = makeJsonObject();
  if (object_ == nullptr || !object_->isObject()) return out;
  const std::vector<JsonMember>& members = object_->members;
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (i >= consumed_.size() || consumed_[i] == 0) out.members.push_back(members[i]);
  }
  return out;
}

std::string DocReader::childPath(std::string_view name) const { return memberPath(path_, name); }

std::string DocReader::childPath(std::string_view base, std::string_view name) {
  return memberPath(base, name);
}

void DocReader::warn(std::string code, std::string path, std::string message) const {
  if (diagnostics_ != nullptr) diagnostics_->warn(std::move(code), std::move(path), std::move(message));
}

}  // namespace ob
