#include "startup/status.h"

#include "startup/messages.h"

namespace meridia::startup {

int Status::Show(int style) const {
    if (ok() || message_.empty()) {
        return 0;
    }
    return ShowMessage(message_, style, title_);
}

}  // namespace meridia::startup
