#pragma once
// Told by a content context after each "q" and each "Q" it writes.

class AbstractContentContext;

class IContentContextListener {
public:
    virtual ~IContentContextListener() = default;
    virtual void OnSaveGraphicState(AbstractContentContext* inContext) = 0;
    virtual void OnRestoreGraphicState(AbstractContentContext* inContext) = 0;
};
