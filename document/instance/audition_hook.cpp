#include "document/instance/audition_hook.h"

#include "document/audition/audition_reader.h"
#include "document/audition/audition_writer.h"

namespace ob {
namespace {

AuditionCodec libraryCodec() { return AuditionCodec{&readAudition, &writeAudition}; }

AuditionCodec& installed() {
  static AuditionCodec codec = libraryCodec();
  return codec;
}

}  // namespace

void setAuditionCodec(const AuditionCodec& codec) {
  // Half a codec would write clips it cannot read back, or the reverse.
  installed() = codec.read != nullptr && codec.write != nullptr ? codec : libraryCodec();
}

const AuditionCodec& auditionCodec() { return installed(); }

}  // namespace ob
