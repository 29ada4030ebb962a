#pragma once
// The printer object's exception, also raised by the page list for a damaged saved-preview file.

#include "platform/core/Exceptions.h"

namespace tessiv {

class EKVError : public Exception {
public:
    using Exception::Exception;
};

} // namespace tessiv
