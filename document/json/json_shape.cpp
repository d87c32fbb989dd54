#include "document/json/json_shape.h"

#include <utility>

namespace ob {

bool JsonShape::builds(bool array) const {
  switch (form) {
    case Form::Whole: return true;
    case Form::Array: return array;
    case Form::Object: return !array;
    case Form::Scalar:
    case Form::Elements: return false;
  }
  return false;
}

const JsonShape& JsonShape::element() const {
  static const JsonShape whole = wholeShape();
  return form == Form::Array ? each.front() : whole;
}

const JsonShape* JsonShape::member(std::string_view key) const {
  static const JsonShape whole = wholeShape();
  if (form == Form::Whole || form == Form::Elements) return &whole;
  if (form != Form::Object) return nullptr;
  for (const JsonShapeMember& m : members)
    if (m.key == key) return &m.shape;
  return each.empty() ? nullptr : &each.front();
}

JsonShape scalarShape() { return JsonShape{}; }

JsonShape wholeShape() {
  JsonShape s;
  s.form = JsonShape::Form::Whole;
  return s;
}

namespace {

JsonShape withEach(JsonShape::Form form, JsonShape each) {
  JsonShape s;
  s.form = form;
  s.each.push_back(std::move(each));
  return s;
}

}  // namespace

JsonShape arrayShape(JsonShape each) { return withEach(JsonShape::Form::Array, std::move(each)); }

JsonShape elementsShape(std::uint32_t most) {
  JsonShape s;
  s.form = JsonShape::Form::Elements;
  s.most = most;
  return s;
}

JsonShape objectShape(std::vector<JsonShapeMember> members) {
  JsonShape s;
  s.form = JsonShape::Form::Object;
  s.members = std::move(members);
  return s;
}

JsonShape objectOfShape(JsonShape each) { return withEach(JsonShape::Form::Object, std::move(each)); }

JsonShape withMostEntries(JsonShape shape, std::uint32_t most) {
  shape.most = most;
  return shape;
}

}  // namespace ob
