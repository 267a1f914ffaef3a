#pragma once
// The thin C++ wrapper over jagpdf.h that the exporter uses: one class per handle kind, each
// holding one reference (copies take another, destruction gives it back), and every call checked:
// a null handle, a non-zero status, or a non-zero jag_error_code() after a call that returns a
// value raises jag::pdf::Exception with the code and jag_error_msg(), or std::bad_alloc when
// memory ran out. Strings are UTF-8.
// A Document destroyed before finalize() succeeded deletes its partial file (with its last
// reference).

#include "app/create/jagpdf/jagpdf.h"

#include <exception>
#include <new>
#include <string>
#include <utility>

namespace jag {
namespace pdf {

class Exception : public std::exception {
public:
    Exception(jag_error inCode, std::string inMessage) : mCode(inCode), mMessage(std::move(inMessage)) {}
    jag_error code() const noexcept { return mCode; }
    const char* what() const noexcept override { return mMessage.c_str(); }

private:
    jag_error mCode;
    std::string mMessage;
};

namespace detail {

[[noreturn]] inline void raise()
{
    // Memory that ran out inside a call is the caller's to handle as it would its own.
    if (jag_error_code() == JAG_ERR_MEMORY)
        throw std::bad_alloc();
    throw Exception(jag_error_code(), jag_error_msg());
}

inline void check(jag_error inStatus)
{
    if (inStatus != JAG_ERR_OK)
        raise();
}

template <typename Value> Value checked(Value inValue)
{
    if (jag_error_code() != JAG_ERR_OK)
        raise();
    return inValue;
}

// One reference to a handle; empty only after being moved from.
template <typename Handle> class Reference {
public:
    // Takes over the reference a call returned; raises for a null handle.
    explicit Reference(Handle inHandle) : mHandle(inHandle)
    {
        if (!mHandle)
            raise();
    }
    Reference(const Reference& inOther) : mHandle(inOther.mHandle) { jag_addref(mHandle); }
    Reference(Reference&& inOther) noexcept : mHandle(std::exchange(inOther.mHandle, nullptr)) {}
    Reference& operator=(Reference inOther) noexcept
    {
        std::swap(mHandle, inOther.mHandle);
        return *this;
    }
    ~Reference()
    {
        if (mHandle)
            jag_release(mHandle);
    }
    Handle handle() const { return mHandle; }

private:
    Handle mHandle;
};

} // namespace detail

class Font {
public:
    explicit Font(jag_Font inHandle) : mFont(inHandle) {}
    double advance(const std::string& inText) const
    {
        return detail::checked(jag_Font_advance(mFont.handle(), inText.c_str()));
    }
    double height() const { return detail::checked(jag_Font_height(mFont.handle())); }
    jag_Font handle() const { return mFont.handle(); }

private:
    detail::Reference<jag_Font> mFont;
};

class Image {
public:
    explicit Image(jag_Image inHandle) : mImage(inHandle) {}
    jag_UInt width() const { return detail::checked(jag_Image_width(mImage.handle())); }
    jag_UInt height() const { return detail::checked(jag_Image_height(mImage.handle())); }
    double dpi_x() const { return detail::checked(jag_Image_dpi_x(mImage.handle())); }
    double dpi_y() const { return detail::checked(jag_Image_dpi_y(mImage.handle())); }
    jag_Image handle() const { return mImage.handle(); }

private:
    detail::Reference<jag_Image> mImage;
};

class Canvas {
public:
    explicit Canvas(jag_Canvas inHandle) : mCanvas(inHandle) {}
    void text_start(double inX, double inY) { detail::check(jag_Canvas_text_start(mCanvas.handle(), inX, inY)); }
    void text_font(const Font& inFont) { detail::check(jag_Canvas_text_font(mCanvas.handle(), inFont.handle())); }
    void text(const std::string& inText) { detail::check(jag_Canvas_text(mCanvas.handle(), inText.c_str())); }
    void text_translate_line(double inDx, double inDy)
    {
        detail::check(jag_Canvas_text_translate_line(mCanvas.handle(), inDx, inDy));
    }
    void text_end() { detail::check(jag_Canvas_text_end(mCanvas.handle())); }
    void image(const Image& inImage, double inX, double inY)
    {
        detail::check(jag_Canvas_image(mCanvas.handle(), inImage.handle(), inX, inY));
    }
    void image(const Image& inImage, double inX, double inY, double inWidth, double inHeight)
    {
        detail::check(jag_Canvas_image_sized(mCanvas.handle(), inImage.handle(), inX, inY, inWidth, inHeight));
    }

private:
    detail::Reference<jag_Canvas> mCanvas;
};

class Page {
public:
    explicit Page(jag_Page inHandle) : mPage(inHandle) {}
    Canvas canvas() const { return Canvas(jag_Page_canvas(mPage.handle())); }

private:
    detail::Reference<jag_Page> mPage;
};

class Document {
public:
    explicit Document(jag_Document inHandle) : mDocument(inHandle) {}
    void page_start(double inWidth, double inHeight)
    {
        detail::check(jag_Document_page_start(mDocument.handle(), inWidth, inHeight));
    }
    Page page() const { return Page(jag_Document_page(mDocument.handle())); }
    void page_end() { detail::check(jag_Document_page_end(mDocument.handle())); }
    void finalize() { detail::check(jag_Document_finalize(mDocument.handle())); }
    Font font_load(const std::string& inDescription) const
    {
        return Font(jag_Document_font_load(mDocument.handle(), inDescription.c_str()));
    }
    Image image_load_file(const std::string& inPath, int inFormat = JAG_IMAGE_FORMAT_AUTO) const
    {
        return Image(jag_Document_image_load_file(mDocument.handle(), inPath.c_str(), inFormat));
    }

private:
    detail::Reference<jag_Document> mDocument;
};

inline Document create_file(const std::string& inPath)
{
    return Document(jag_create_file(inPath.c_str(), nullptr));
}

} // namespace pdf
} // namespace jag
