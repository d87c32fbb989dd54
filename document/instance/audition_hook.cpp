#include "document/instance/audition_hook.h"

namespace ob {
namespace {

AuditionCodec& installed() {
    static AuditionCodec codec;
    return codec;
}

}  // namespace

void setAuditionCodec(const AuditionCodec& codec) {
    // Half a codec would write clips it cannot read back, or the reverse.
    if (codec.read == nullptr || codec.write == nullptr) {
        installed() = AuditionCodec{};
        return;
    }
    installed() = codec;
}

const AuditionCodec& auditionCodec() { return installed(); }

bool hasAuditionCodec() {
    const AuditionCodec& c = installed();
    return c.read != nullptr && c.write != nullptr;
}

}  // namespace ob
