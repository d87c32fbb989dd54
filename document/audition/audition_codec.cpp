#include "document/audition/audition_codec.h"

#include "document/audition/audition_reader.h"
#include "document/audition/audition_writer.h"
#include "document/instance/audition_hook.h"

namespace ob {

void installAuditionCodec() {
  AuditionCodec codec;
  codec.read = &readAudition;
  codec.write = &writeAudition;
  setAuditionCodec(codec);
}

}  // namespace ob
