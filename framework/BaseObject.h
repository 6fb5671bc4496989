#pragma once
// Root of a few framework objects that live outside the scene graph (the sound facade, the
// ambient sound): a virtual destructor and a type tag that marks a constructed object.

#include <cstdint>

class BaseObject
{
public:
    static constexpr uint32_t kTypeTag = 16975;

    BaseObject() = default;
    virtual ~BaseObject();
    BaseObject(const BaseObject&) = delete;
    BaseObject& operator=(const BaseObject&) = delete;

    uint32_t GetTypeTag() const { return m_typeTag; }

private:
    uint32_t m_typeTag = kTypeTag;
};
