#include "document/params/number_spellings.h"

#include <cmath>

#include "document/reading/narrow.h"

namespace ob {

namespace {

bool sameNumber(double written, double loaded) {
  if (written == loaded) return true;  // false for NaN
  // A value that went through a float still matches the text it came from,
  // but only when the written value is that float exactly.
  std::optional<float> w = narrowToFloat(written);
  if (!w || static_cast<double>(*w) != written) return false;
  std::optional<float> l = narrowToFloat(loaded);
  return l && *l == *w;
}

}  // namespace

void adoptNumberSpellings(JsonValue& written, const JsonValue& loaded) {
  if (written.isNumber() && loaded.isNumber()) {
    if (sameNumber(written.number, loaded.number)) {
      written.number = loaded.number;
      written.numberText = loaded.numberText;
    }
    return;
  }
  if (written.isArray() && loaded.isArray()) {
    if (written.elements.empty() || written.elements.size() != loaded.elements.size()) return;
    for (std::size_t i = 0; i < written.elements.size(); ++i)
      adoptNumberSpellings(written.elements[i], loaded.elements[i]);
    return;
  }
  if (written.isObject() && loaded.isObject()) {
    for (JsonMember& m : written.members) {
      const JsonValue* l = loaded.find(m.key);
      if (l != nullptr) adoptNumberSpellings(m.value, *l);
    }
  }
}

void keepNumberSpellings(JsonValue& loaded, const JsonValue& written) {
  if (loaded.isNumber() && written.isNumber()) return;
  if (loaded.isArray() && written.isArray() && !loaded.elements.empty() &&
      loaded.elements.size() == written.elements.size()) {
    for (std::size_t i = 0; i < loaded.elements.size(); ++i)
      keepNumberSpellings(loaded.elements[i], written.elements[i]);
    return;
  }
  if (loaded.isObject() && written.isObject()) {
    std::erase_if(loaded.members, [&written](JsonMember& m) {
      const JsonValue* w = written.find(m.key);
      if (w != nullptr) keepNumberSpellings(m.value, *w);
      return m.value.isNull();
    });
    return;
  }
  loaded = JsonValue{};
}

}  // namespace ob
