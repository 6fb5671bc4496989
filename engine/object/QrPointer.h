#pragma once
// Intrusive counted reference to an engine object. Assignment takes the new reference
// before it drops the old one: the old object may be the only owner of the new one.

#include <cstddef>
#include <utility>

template <class T>
class QrPointer
{
public:
    QrPointer() = default;
    QrPointer(std::nullptr_t) {}
    QrPointer(T* object) : m_object(object)
    {
        if (m_object)
            m_object->IncRefCount();
    }
    QrPointer(const QrPointer& other) : QrPointer(other.m_object) {}
    QrPointer(QrPointer&& other) noexcept : m_object(other.m_object) { other.m_object = nullptr; }
    template <class U>
    QrPointer(const QrPointer<U>& other) : QrPointer(other.Get())
    {
    }
    ~QrPointer() { Reset(); }

    QrPointer& operator=(const QrPointer& other) { return Assign(other.m_object); }
    QrPointer& operator=(T* object) { return Assign(object); }
    QrPointer& operator=(std::nullptr_t) { return Assign(nullptr); }
    QrPointer& operator=(QrPointer&& other) noexcept
    {
        if (this != &other)
        {
            T* old = m_object;
            m_object = other.m_object;
            other.m_object = nullptr;
            if (old)
                old->DecRefCount();
        }
        return *this;
    }

    void Reset() { Assign(nullptr); }
    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool operator==(const QrPointer& other) const { return m_object == other.m_object; }
    bool operator==(const T* other) const { return m_object == other; }

private:
    QrPointer& Assign(T* object)
    {
        if (object == m_object)
            return *this;
        if (object)
            object->IncRefCount();
        T* old = m_object;
        m_object = object;
        if (old)
            old->DecRefCount();
        return *this;
    }

    T* m_object = nullptr;
};
