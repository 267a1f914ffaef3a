#include "pdf/fonts/FreeTypeErrorMessages.h"

namespace {

struct ErrorText {
    int code;
    const char* message;
};

// fterrors.h expands its list once more for whoever defines these macros and clears its guard.
#undef FTERRORS_H_
#undef __FTERRORS_H__
#define FT_ERRORDEF(e, v, s) {v, s},
#define FT_ERROR_START_LIST {
#define FT_ERROR_END_LIST {0, nullptr}};
const ErrorText scErrorTexts[] =
#include FT_ERRORS_H

} // namespace

const char* FreeTypeErrorMessage(FT_Error inError)
{
    int code = FT_ERROR_BASE(inError);
    for (const ErrorText* entry = scErrorTexts; entry->message; ++entry) {
        if (entry->code == code)
            return entry->message;
    }
    return "unknown error";
}
