#pragma once

// Every engine object handed out by a factory (sites, media sources, video and
// audio codecs) derives from IEngineObject as its first and only root, so that
// the pointer a factory stores into its void** output is also a valid
// IEngineObject*. That is what lets DestroyVCodec (codecs/VCodec.h) delete any
// of them through the virtual destructor without knowing the concrete type.
class IEngineObject {
public:
    virtual ~IEngineObject() = default;

protected:
    IEngineObject() = default;
    IEngineObject(const IEngineObject&) = default;
    IEngineObject& operator=(const IEngineObject&) = default;
};
