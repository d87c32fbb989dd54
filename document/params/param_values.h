#pragma once
#include <cstdint>

#include "document/instance/keys_as_loaded.h"
#include "document/json/json_value.h"

namespace ob {

struct Sound;
struct SampleSlotTable;

// Which parameters select a pool sample: 1 when the value is a slot index
// (sampler and granular parameter 0), 2 when it is slot / 63 (a drum
// exciter's or body's first aux knob while its type is "sample"), else 0.
int sampleParamKind(const Sound& sound, int index);

// Why a document value was not taken.
enum class ParamValueRefusal : std::uint8_t {
  None = 0,
  NotFinite,    // NaN or an infinity
  OutOfRange,   // a finite number beyond the range of a float
  UnknownWord,  // a text that is neither a choice word nor a sample id here
  NotAValue,    // neither a number nor a text
};

// A document value (number, choice word or the key a sample goes by, keys)
// to the stored float. False leaves out unchanged; the caller reports and
// keeps the value.
bool readParamValue(const Sound& sound, int index, const JsonValue& value, const SampleSlotTable& samples,
                    float& out, ParamValueRefusal* why = nullptr,
                    const KeysAsLoaded& keys = KeysAsLoaded::none());

// The number a document gives a slot it does not carry (one without an
// id): a load numbers the slots it carries from 0, so such a slot is
// written past them, where it reads back as a slot that holds nothing.
int uncarriedSlotNumber(int slot, const SampleSlotTable& samples);

// The stored float as a document value: a choice word for a whole step of a
// worded choice, the key a sample goes by (keys) for a sample selector
// whose slot has an id (one that selects a slot without an id selects it by
// uncarriedSlotNumber), else the number with its shortest float spelling.
JsonValue writeParamValue(const Sound& sound, int index, float value, const SampleSlotTable& samples,
                          const KeysAsLoaded& keys = KeysAsLoaded::none());

}  // namespace ob
