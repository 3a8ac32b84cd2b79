#pragma once
// A picture: a reference-counted image object that owns one bitmap and at most one palette and
// destroys both with its last reference.
#include <memory>

#include "platform/Types.h"

namespace platform {

class Picture {
public:
    virtual ~Picture() = default;
    virtual Handle bitmap() const = 0;
    virtual Handle palette() const = 0;
};

// Each copy is one reference; the handles go with the last one.
using PictureRef = std::shared_ptr<Picture>;

}  // namespace platform
