#pragma once
// Options of a writer start: streams the library writes are Flate-compressed, and fonts are
// embedded at the end of the document. Both on by default.

struct WriterOptions {
    bool mCompressStreams = true;
    bool mEmbedFonts = true;
};
