#pragma once
// What the layer's C++ side throws when it refuses or fails a call: the jag_error code and the
// message for jag_error_msg. The C functions catch it and set the calling thread's error state;
// it never leaves the layer.

#include <string>

struct JagFailure {
    int code;
    std::string message;
};
