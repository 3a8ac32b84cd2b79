#include "base/FatalError.h"

#include <cstdio>

namespace base {

void reportFatal(const char* what) {
    std::fprintf(stderr, "magnifier: %s\n", what);
    std::fflush(stderr);
}

}  // namespace base
