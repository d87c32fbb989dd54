#include "document/clip/clip.h"

namespace ob::clip {

void setExpression(std::vector<NamedExpression>& list, std::string_view name, Expression e) {
  for (NamedExpression& n : list) {
    if (n.name == name) {
      n.expression = std::move(e);
      return;
    }
  }
  list.push_back(NamedExpression{std::string(name), std::move(e)});
}

void setNamedValue(std::vector<JsonMember>& list, std::string_view name, JsonValue value) {
  JsonValue::setMember(list, name, std::move(value));
}

}  // namespace ob::clip
