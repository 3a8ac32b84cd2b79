#include "base/FatalError.h"

#include "base/Warn.h"

namespace base {

void reportFatal(const char* what) { warn(what); }

}  // namespace base
