#include "job_digest_layout.h"

namespace layout {

std::vector<std::string> JobDigestSteps() {
    return {"ALTER TABLE zq_sequences {add} job_digest {text}(64) NOT NULL DEFAULT ''"};
}

}  // namespace layout
