#include "document/factory/sample_credits.h"

namespace ob {

// Every factory set is synthesised by the project's own generator, so the
// project is its author and it ships under the project's licence. The set
// ids keep the words that documents already store.
const SampleCreditRow sampleCreditsTable[kSampleCreditRowCount] = {
    {"User import", "", "", "", 0, "user"},
    {"Orbitrane Studio Kit", "Orbitrane project", "Orbitrane licence", "", 0, "salamander"},
    {"Orbitrane Rock Kit", "Orbitrane project", "Orbitrane licence", "", 0, "basalt"},
    {"Orbitrane Timpani", "Orbitrane project", "Orbitrane licence", "", 0, "timpani"},
    {"Orbitrane Hand Percussion", "Orbitrane project", "Orbitrane licence", "", 0, "worldperc"},
};

}  // namespace ob
