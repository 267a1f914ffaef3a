#pragma once
// The JPEG decoder's fatal errors, carried from the point where libjpeg hands control back
// to the DCT reader up to the reader's own failure path. Never leaves the DCT reader.

#include <exception>

class KestrinJPGException : public std::exception {
public:
    const char* what() const noexcept override { return "KestrinJPGException"; }
};
