#pragma once
// What a load of an instance document kept, as records with their owners
// (kept_record.h), decided there from what that load could not apply: the
// members its rewrite lacks, each with the voice, sound, macro or sample it
// lies in (a list of records a load takes in turn one record each, a
// macro's destinations each with its macro); the values it read otherwise,
// with their sound; and what its audition kept unplayed (audition_kept.h).

#include <vector>

#include "document/foreign_member.h"
#include "document/instance/keys_as_loaded.h"
#include "document/instance/read_otherwise.h"
#include "document/json/json_value.h"
#include "document/project/kept_record.h"
#include "engine/model/project.h"

namespace ob {

// Of a document read into the project: `loaded` is the document as read
// (the members `foreign` holds left in it null), keys the keys its records
// were read by, and readableSounds the sounds it kept that it could read,
// had it room.
struct LoadKept {
  const JsonValue& loaded;
  const Project& project;
  const KeysAsLoaded& keys;
  const KeptKeys& readableSounds;
};

// Of a loaded document and its rewrite: the sounds the rewrite lacks that a
// load reads, had it room.
KeptKeys soundsKeptReadable(const JsonValue& loaded, const JsonValue& rewritten,
                            const SampleSlotTable& samples, const KeysAsLoaded& keys);

// `audition`: its audition's records (keepAuditionUnplayed), and the ids
// they hold.
KeptRecords keptRecordsOf(const LoadKept& load, std::vector<ForeignMember> foreign,
                          std::vector<ValueReadOtherwise> otherwise, std::vector<KeptRecord> audition,
                          KeptIds auditionIds);

}  // namespace ob
