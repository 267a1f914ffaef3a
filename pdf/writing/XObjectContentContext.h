#pragma once
// The content of a form XObject being written, into the stream the document context opened when
// the form started. The form record owns this context; once the form is finished its stream
// takes no more bytes, and operators written after that are lost (and logged).

#include "pdf/writing/AbstractContentContext.h"

class OutputFormXObject;

class XObjectContentContext : public AbstractContentContext {
public:
    XObjectContentContext(DocumentContext* inDocumentContext, OutputFormXObject* inForm);
    ~XObjectContentContext() override;

    ResourcesDictionary* TargetResources() override;

protected:
    // The form's stream is open from the start; the writer follows it, so that nothing reaches
    // the file through an encoder or output the stream has let go of.
    void EnsureContentStream() override;
    void QueueImageFileWrite(const std::string& inImagePath, int inImageIndex, ObjectIDType inObjectID) override;

private:
    OutputFormXObject* mForm;
};
