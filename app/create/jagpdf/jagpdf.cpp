// The C functions of jagpdf.h over JagDocument. Handles are objects of this file registered in
// one process-wide set, so that a pointer that is not a live handle (released already, or never
// one) is refused with JAG_ERR_INVALID_HANDLE instead of being followed; every handle of a
// document shares the JagDocument. No exception leaves a C function.

#include "app/create/jagpdf/jagpdf.h"

#include "app/create/jagpdf/JagDocument.h"
#include "app/create/jagpdf/JagFailure.h"
#include "app/create/jagpdf/StandardText.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <type_traits>
#include <unordered_set>

namespace {

struct HandleObject {
    virtual ~HandleObject() = default;
    explicit HandleObject(std::shared_ptr<JagDocument> inDocument) : document(std::move(inDocument)) {}
    std::shared_ptr<JagDocument> document;
    long references = 1;
};

struct DocumentObject : HandleObject {
    using HandleObject::HandleObject;
    // The last document reference ends the document; a file that was not finalized goes.
    ~DocumentObject() override { document->Abandon(); }
};

struct PageObject : HandleObject {
    PageObject(std::shared_ptr<JagDocument> inDocument, unsigned long inPage)
        : HandleObject(std::move(inDocument)), page(inPage)
    {
    }
    unsigned long page;
};

struct CanvasObject : PageObject {
    using PageObject::PageObject;
};

struct FontObject : HandleObject {
    FontObject(std::shared_ptr<JagDocument> inDocument, const JagDocument::Font& inFont)
        : HandleObject(std::move(inDocument)), font(inFont)
    {
    }
    JagDocument::Font font;
};

struct ImageObject : HandleObject {
    ImageObject(std::shared_ptr<JagDocument> inDocument, size_t inImage)
        : HandleObject(std::move(inDocument)), image(inImage), file(document->Image(inImage))
    {
    }
    size_t image;
    JagImageFile file;
};

std::mutex sHandlesLock;
std::unordered_set<const HandleObject*> sHandles;

thread_local jag_error tErrorCode = JAG_ERR_OK;
thread_local std::string tErrorMessage;

void SetError(jag_error inCode, const std::string& inMessage)
{
    tErrorCode = inCode;
    tErrorMessage = inMessage;
}

// Registers a new object and returns it as the handle type the caller hands out.
template <typename Handle, typename Object> Handle Register(std::unique_ptr<Object> inObject)
{
    std::lock_guard<std::mutex> lock(sHandlesLock);
    const HandleObject* object = inObject.release();
    sHandles.insert(object);
    return reinterpret_cast<Handle>(const_cast<HandleObject*>(object));
}

// A new reference to the live object behind a handle of the expected kind (kept alive while the
// call uses it), or a JagFailure.
template <typename Object> std::shared_ptr<JagDocument> Resolve(const void* inHandle, Object*& outObject)
{
    std::lock_guard<std::mutex> lock(sHandlesLock);
    const HandleObject* object = static_cast<const HandleObject*>(inHandle);
    if (!inHandle || sHandles.find(object) == sHandles.end())
        throw JagFailure{JAG_ERR_INVALID_HANDLE, "not a live handle"};
    outObject = dynamic_cast<Object*>(const_cast<HandleObject*>(object));
    // A canvas is a page object too, but not the other way round; and a page is not a canvas.
    if (!outObject || (std::is_same<Object, PageObject>::value && dynamic_cast<CanvasObject*>(outObject)))
        throw JagFailure{JAG_ERR_INVALID_HANDLE, "a handle of another kind"};
    return object->document;
}

void CheckText(const char* inText)
{
    if (!inText)
        throw JagFailure{JAG_ERR_INVALID_ARGUMENT, "the text is null"};
}

void CheckFinite(std::initializer_list<double> inValues)
{
    for (double value : inValues) {
        if (!std::isfinite(value))
            throw JagFailure{JAG_ERR_INVALID_ARGUMENT, "a coordinate or size is not a finite number"};
    }
}

// Runs a call: success clears the thread's error, a refusal sets it and returns inFailed.
template <typename Result, typename Call> Result Guarded(Result inFailed, Call inCall) noexcept
{
    try {
        Result result = inCall();
        SetError(JAG_ERR_OK, std::string());
        return result;
    } catch (const JagFailure& failure) {
        SetError(failure.code, failure.message);
    } catch (const std::bad_alloc&) {
        SetError(JAG_ERR_MEMORY, "out of memory");
    } catch (...) {
        SetError(JAG_ERR_IO, "unexpected failure");
    }
    return inFailed;
}

template <typename Call> jag_error GuardedStatus(Call inCall) noexcept
{
    Guarded<int>(0, [&] {
        inCall();
        return 0;
    });
    return tErrorCode;
}

// What an image handle tells of its file; 0 for a handle that is not an image.
template <typename Value, typename Field> Value ImageAnswer(jag_Image inImage, Field inField) noexcept
{
    return Guarded<Value>(0, [&] {
        ImageObject* object;
        Resolve(inImage, object);
        return inField(object->file);
    });
}

} // namespace

extern "C" {

jag_Document jag_create_file(const char* file_path, jag_Profile profile)
{
    return Guarded<jag_Document>(nullptr, [&] {
        if (!file_path || !*file_path)
            throw JagFailure{JAG_ERR_INVALID_ARGUMENT, "no file path"};
        if (profile)
            throw JagFailure{JAG_ERR_INVALID_ARGUMENT, "document profiles are not supported"};
        return Register<jag_Document>(std::make_unique<DocumentObject>(std::make_shared<JagDocument>(file_path)));
    });
}

jag_error jag_Document_page_start(jag_Document doc, jag_Double width, jag_Double height)
{
    return GuardedStatus([&] {
        DocumentObject* object;
        Resolve(doc, object)->StartPage(width, height);
    });
}

jag_Page jag_Document_page(jag_Document doc)
{
    return Guarded<jag_Page>(nullptr, [&] {
        DocumentObject* object;
        std::shared_ptr<JagDocument> document = Resolve(doc, object);
        const unsigned long page = document->OpenPage();
        return Register<jag_Page>(std::make_unique<PageObject>(document, page));
    });
}

jag_error jag_Document_page_end(jag_Document doc)
{
    return GuardedStatus([&] {
        DocumentObject* object;
        Resolve(doc, object)->EndPage();
    });
}

jag_error jag_Document_finalize(jag_Document doc)
{
    return GuardedStatus([&] {
        DocumentObject* object;
        Resolve(doc, object)->Finalize();
    });
}

jag_Font jag_Document_font_load(jag_Document doc, const char* font_description)
{
    return Guarded<jag_Font>(nullptr, [&] {
        DocumentObject* object;
        std::shared_ptr<JagDocument> document = Resolve(doc, object);
        CheckText(font_description);
        return Register<jag_Font>(
            std::make_unique<FontObject>(document, JagDocument::ParseFontDescription(font_description)));
    });
}

jag_Image jag_Document_image_load_file(jag_Document doc, const char* image_path, int format)
{
    return Guarded<jag_Image>(nullptr, [&] {
        DocumentObject* object;
        std::shared_ptr<JagDocument> document = Resolve(doc, object);
        if (!image_path || !*image_path)
            throw JagFailure{JAG_ERR_INVALID_ARGUMENT, "no image path"};
        if (format != JAG_IMAGE_FORMAT_AUTO)
            throw JagFailure{JAG_ERR_INVALID_ARGUMENT, "only format 0 (recognised from the file) is supported"};
        return Register<jag_Image>(std::make_unique<ImageObject>(document, document->LoadImage(image_path)));
    });
}

jag_Double jag_Font_advance(jag_Font font, const char* text)
{
    return Guarded<jag_Double>(0, [&] {
        FontObject* object;
        Resolve(font, object);
        CheckText(text);
        return StandardFontMetrics::Advance(object->font.face, StandardText::FromUTF8(text), object->font.size);
    });
}

jag_Double jag_Font_height(jag_Font font)
{
    return Guarded<jag_Double>(0, [&] {
        FontObject* object;
        Resolve(font, object);
        return StandardFontMetrics::LineHeight(object->font.size);
    });
}

jag_UInt jag_Image_width(jag_Image image)
{
    return ImageAnswer<jag_UInt>(image, [](const JagImageFile& inFile) { return inFile.width; });
}

jag_UInt jag_Image_height(jag_Image image)
{
    return ImageAnswer<jag_UInt>(image, [](const JagImageFile& inFile) { return inFile.height; });
}

jag_Double jag_Image_dpi_x(jag_Image image)
{
    return ImageAnswer<jag_Double>(image, [](const JagImageFile& inFile) { return inFile.dpiX; });
}

jag_Double jag_Image_dpi_y(jag_Image image)
{
    return ImageAnswer<jag_Double>(image, [](const JagImageFile& inFile) { return inFile.dpiY; });
}

jag_Canvas jag_Page_canvas(jag_Page page)
{
    return Guarded<jag_Canvas>(nullptr, [&] {
        PageObject* object;
        std::shared_ptr<JagDocument> document = Resolve(page, object);
        if (document->OpenPage() != object->page)
            throw JagFailure{JAG_ERR_INVALID_STATE, "the page has ended"};
        return Register<jag_Canvas>(std::make_unique<CanvasObject>(document, object->page));
    });
}

jag_error jag_Canvas_text_start(jag_Canvas canvas, jag_Double x, jag_Double y)
{
    return GuardedStatus([&] {
        CanvasObject* object;
        std::shared_ptr<JagDocument> document = Resolve(canvas, object);
        CheckFinite({x, y});
        document->TextStart(object->page, x, y);
    });
}

jag_error jag_Canvas_text_font(jag_Canvas canvas, jag_Font font)
{
    return GuardedStatus([&] {
        CanvasObject* object;
        FontObject* fontObject;
        std::shared_ptr<JagDocument> document = Resolve(canvas, object);
        Resolve(font, fontObject);
        document->SetFont(object->page, fontObject->font);
    });
}

jag_error jag_Canvas_text(jag_Canvas canvas, const char* text)
{
    return GuardedStatus([&] {
        CanvasObject* object;
        std::shared_ptr<JagDocument> document = Resolve(canvas, object);
        CheckText(text);
        document->ShowText(object->page, text);
    });
}

jag_error jag_Canvas_text_translate_line(jag_Canvas canvas, jag_Double dx, jag_Double dy)
{
    return GuardedStatus([&] {
        CanvasObject* object;
        std::shared_ptr<JagDocument> document = Resolve(canvas, object);
        CheckFinite({dx, dy});
        document->TranslateLine(object->page, dx, dy);
    });
}

jag_error jag_Canvas_text_end(jag_Canvas canvas)
{
    return GuardedStatus([&] {
        CanvasObject* object;
        Resolve(canvas, object)->TextEnd(object->page);
    });
}

jag_error jag_Canvas_image_sized(jag_Canvas canvas, jag_Image image, jag_Double x, jag_Double y, jag_Double width,
                                 jag_Double height)
{
    return GuardedStatus([&] {
        CanvasObject* object;
        ImageObject* imageObject;
        std::shared_ptr<JagDocument> document = Resolve(canvas, object);
        if (Resolve(image, imageObject) != document)
            throw JagFailure{JAG_ERR_INVALID_HANDLE, "the image belongs to another document"};
        CheckFinite({x, y, width, height});
        document->DrawImage(object->page, imageObject->image, x, y, width, height);
    });
}

jag_error jag_Canvas_image(jag_Canvas canvas, jag_Image image, jag_Double x, jag_Double y)
{
    ImageObject* imageObject = nullptr;
    const bool known = Guarded<bool>(false, [&] {
        Resolve(image, imageObject);
        return true;
    });
    if (!known)
        return tErrorCode;
    const JagImageFile& file = imageObject->file;
    return jag_Canvas_image_sized(canvas, image, x, y, file.width / file.dpiX * 72.0, file.height / file.dpiY * 72.0);
}

jag_error jag_addref(const void* handle)
{
    return GuardedStatus([&] {
        std::lock_guard<std::mutex> lock(sHandlesLock);
        const HandleObject* object = static_cast<const HandleObject*>(handle);
        if (!handle || sHandles.find(object) == sHandles.end())
            throw JagFailure{JAG_ERR_INVALID_HANDLE, "not a live handle"};
        ++const_cast<HandleObject*>(object)->references;
    });
}

jag_error jag_release(const void* handle)
{
    return GuardedStatus([&] {
        std::unique_ptr<HandleObject> last;
        {
            std::lock_guard<std::mutex> lock(sHandlesLock);
            const HandleObject* object = static_cast<const HandleObject*>(handle);
            if (!handle || sHandles.find(object) == sHandles.end())
                throw JagFailure{JAG_ERR_INVALID_HANDLE, "not a live handle"};
            if (--const_cast<HandleObject*>(object)->references == 0) {
                sHandles.erase(object);
                last.reset(const_cast<HandleObject*>(object));
            }
        }
        // Deleted outside the lock: the last document reference closes (and may delete) its file.
    });
}

jag_error jag_error_code(void)
{
    return tErrorCode;
}

const char* jag_error_msg(void)
{
    return tErrorMessage.c_str();
}

} // extern "C"
