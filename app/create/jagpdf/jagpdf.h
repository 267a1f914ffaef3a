#pragma once
/* The C interface of the PDF generation layer that the rich-text exporter writes through: a
 * document written to a file one page at a time, each page's canvas with text objects positioned
 * line by line, the standard Times and Courier fonts (not embedded) and JPEG and PNG images. It
 * is written over Kestrin's PDFWriter and content contexts.
 *
 * Errors: every call sets the calling thread's error state, read by jag_error_code (0 when the
 * call succeeded) and jag_error_msg. A failed call returns a non-zero jag_error, a null handle or
 * 0; a call refused for its arguments or for being out of order writes nothing. A document whose
 * file could not be written refuses every later call but the release.
 *
 * Handles: every handle a call returns is a new reference that the caller gives back with
 * jag_release; jag_addref takes another one. A handle stays valid while it is referenced, but
 * page and canvas handles only work while their page is open, and nothing is written to or loaded
 * into a document whose document handle is gone (its fonts and images still answer their
 * measures). A document whose last document reference is released before jag_Document_finalize
 * succeeded closes and deletes its file.
 *
 * Text: every string is UTF-8. The standard faces show WinAnsi and the Central European, Baltic,
 * Turkish and Romanian letters and the few signs they have besides; characters that no standard
 * face has (Greek, Cyrillic, CJK, emoji ...) are drawn and measured as "?", and tabs, line and
 * paragraph separators and other space characters as a space. */

#ifdef __cplusplus
extern "C" {
#endif

typedef int jag_error;
typedef unsigned int jag_UInt;
typedef double jag_Double;

typedef struct jag_DocumentObject* jag_Document;
typedef struct jag_PageObject* jag_Page;
typedef struct jag_CanvasObject* jag_Canvas;
typedef struct jag_FontObject* jag_Font;
typedef struct jag_ImageObject* jag_Image;
/* Document profiles are not supported: pass a null profile. */
typedef struct jag_ProfileObject* jag_Profile;

enum {
    JAG_ERR_OK = 0,
    JAG_ERR_INVALID_ARGUMENT = 1, /* a null, malformed or out-of-range argument */
    JAG_ERR_INVALID_HANDLE = 2,   /* not a live handle, or a handle of another kind */
    JAG_ERR_INVALID_STATE = 3,    /* a call out of order (no page open, text object open ...) */
    JAG_ERR_IO = 4,               /* the file cannot be created or written */
    JAG_ERR_FONT = 5,             /* a font description that names no standard font */
    JAG_ERR_IMAGE = 6,            /* an image file that cannot be read or is of another format */
    JAG_ERR_MEMORY = 7            /* memory ran out */
};

/* jag_Document_image_load_file's format: recognised from the file's first bytes. */
enum { JAG_IMAGE_FORMAT_AUTO = 0 };

/* A new document writing the file at file_path (created, or truncated when it exists). */
jag_Document jag_create_file(const char* file_path, jag_Profile profile);

/* Starts a page of width x height points; no page may be open. */
jag_error jag_Document_page_start(jag_Document doc, jag_Double width, jag_Double height);
/* The open page. */
jag_Page jag_Document_page(jag_Document doc);
/* Ends the open page, whose text object must be ended. */
jag_error jag_Document_page_end(jag_Document doc);
/* Completes and closes the file: no page may be open and at least one page must have been
 * written. After it the document takes no more pages. */
jag_error jag_Document_finalize(jag_Document doc);

/* A standard font: "standard; name=<face>; size=<points>; enc=utf-8", the face one of Courier,
 * Courier-Bold, Courier-Oblique, Courier-BoldOblique, Times-Roman, Times-Bold, Times-Italic and
 * Times-BoldItalic, the size a positive number. An empty description gives Times-Roman at 12
 * points. */
jag_Font jag_Document_font_load(jag_Document doc, const char* font_description);
/* An image from a JPEG or PNG file. Its resolution is the file's (a JPEG's JFIF, Exif or Photoshop
 * block, a PNG's pHYs chunk); 72 dots per inch when the file gives none. */
jag_Image jag_Document_image_load_file(jag_Document doc, const char* image_path, int format);

/* The width of the text in points at the font's size. */
jag_Double jag_Font_advance(jag_Font font, const char* text);
/* The distance from one line to the next in points: 1.2 times the size. */
jag_Double jag_Font_height(jag_Font font);

jag_UInt jag_Image_width(jag_Image image);   /* pixels */
jag_UInt jag_Image_height(jag_Image image);  /* pixels */
jag_Double jag_Image_dpi_x(jag_Image image); /* dots per inch, never 0 */
jag_Double jag_Image_dpi_y(jag_Image image);

/* The canvas of a page. */
jag_Canvas jag_Page_canvas(jag_Page page);
/* Begins a text object whose first line starts at (x, y). */
jag_error jag_Canvas_text_start(jag_Canvas canvas, jag_Double x, jag_Double y);
/* Later text is set in the font. */
jag_error jag_Canvas_text_font(jag_Canvas canvas, jag_Font font);
/* Draws the text at the text position, which moves to its end; needs a text object and a font. */
jag_error jag_Canvas_text(jag_Canvas canvas, const char* text);
/* The next line starts at (dx, dy) from the start of the current line; the text position goes
 * there. */
jag_error jag_Canvas_text_translate_line(jag_Canvas canvas, jag_Double dx, jag_Double dy);
/* Ends the text object. */
jag_error jag_Canvas_text_end(jag_Canvas canvas);
/* Draws the image outside any text object, its lower-left corner at (x, y), at its size in points
 * (pixels / dpi x 72). */
jag_error jag_Canvas_image(jag_Canvas canvas, jag_Image image, jag_Double x, jag_Double y);
/* The same, stretched to width x height points (both positive). */
jag_error jag_Canvas_image_sized(jag_Canvas canvas, jag_Image image, jag_Double x, jag_Double y, jag_Double width,
                                 jag_Double height);

/* Reference counting of every kind of handle. */
jag_error jag_addref(const void* handle);
jag_error jag_release(const void* handle);

/* The outcome of the calling thread's last call: 0 and "" after a success. */
jag_error jag_error_code(void);
const char* jag_error_msg(void);

#ifdef __cplusplus
}
#endif
