#pragma once
// The machine registry: machine names, each machine's own parameter table,
// the common voice parameters, the editor descriptors and the notes for
// retired machine names. All lookups are pure and never fail loudly: an
// unknown key gives -1, an index out of range the empty row, a missing
// descriptor null.

#include <cstdint>
#include <string_view>

#include "engine/params/param_info.h"

namespace ob {

struct Sound;

// Own count + 22 (drum 52, sample 40, va 34, granular 34).
int paramCount(int machineType);
// Always 22.
int commonParamCount();
// Row at a combined index (own rows, then common rows); the empty row when
// the index is negative or not below paramCount.
ParamInfo paramInfo(int machineType, int index);
// Common row j (0..21); the empty row otherwise.
ParamInfo commonParamInfo(int index);

// A machine's own table only (drum 30, sample 18, va 12, granular 12); the
// machine classes answer their parameter questions from here.
int ownParamCount(int machineType);
ParamInfo ownParamInfo(int machineType, int index);

// Combined index of a key (exact, case-sensitive; own rows first, then the
// common rows); -1 when the machine has no such parameter. A null pointer is
// no key.
int findParamIndex(int machineType, std::string_view key);
int findParamIndex(int machineType, const char* key);

// Two rows name one parameter when they share the key, the unit and, for a
// choice, the words; the range may differ.
bool meanTheSame(const ParamInfo& a, const ParamInfo& b);

// Sets the machine byte, zeroes all 64 values and writes the defaults of the
// machine's own and common rows. Returns the number of common rows.
int initSoundParams(Sound& sound, int machineType);

// "sample" 0, "va" 1, "granular" 2, "drum" 3 (exact); false leaves out alone.
bool parseMachineType(std::string_view name, std::uint8_t& out);
bool parseMachineType(std::string_view name, int& out);
// 0 "sample", 1 "va", 2 "granular", anything else "drum".
const char* machineTypeName(int machineType);

// Note for a machine name of older documents; null for any other name.
const char* legacyMachineNote(std::string_view name);

// Descriptor of the parameter at a combined index: the machine's own
// descriptor table first, then the common one; null when none.
const ParamDescriptor* findParamDescriptor(int machineType, int index);
// The descriptor, or a fallback labelled with the key in group "Other".
ParamDescriptor paramDescriptorOrOther(int machineType, int index);

// Tempo divisions (codes 0..9) shared by every tempo-synced time.
inline constexpr int kDivisionCount = 10;
// Display label ("1/16T") and document word ("1-16t") of a division code;
// null outside 0..9.
const char* divisionLabel(int code);
const char* divisionWord(int code);

}  // namespace ob
