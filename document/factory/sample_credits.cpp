#include "document/factory/sample_credits.h"

namespace ob {

namespace {
constexpr char kCc0[] = "CC0 1.0";
constexpr char kCc0Link[] = "https://creativecommons.org/publicdomain/zero/1.0/";
}  // namespace

// Every factory set is synthesised by the project's own generator, so the
// project is its author, and it dedicates them to the public domain: no
// attribution is asked. The set ids keep the words that documents already
// store.
const SampleCreditRow sampleCreditsTable[kSampleCreditRowCount] = {
    {"User import", "", "", "", 0, "user"},
    {"Orbitrane Studio Kit", "Orbitrane project", kCc0, kCc0Link, 0, "salamander"},
    {"Orbitrane Rock Kit", "Orbitrane project", kCc0, kCc0Link, 0, "basalt"},
    {"Orbitrane Timpani", "Orbitrane project", kCc0, kCc0Link, 0, "timpani"},
    {"Orbitrane Hand Percussion", "Orbitrane project", kCc0, kCc0Link, 0, "worldperc"},
};

}  // namespace ob
