#pragma once
// Run-time class record: one static instance per engine class, naming the class (the name
// scene files store) and linking to the base class's record.

#include <string>

class QrRTTI
{
public:
    QrRTTI(const char* name, const QrRTTI* base) : m_name(name), m_base(base) {}
    QrRTTI(const QrRTTI&) = delete;
    QrRTTI& operator=(const QrRTTI&) = delete;

    const char* GetName() const { return m_name.c_str(); }
    const QrRTTI* GetBaseRTTI() const { return m_base; }

private:
    std::string m_name;
    const QrRTTI* m_base;
};

class QrObject;
class QrStream;

// Create function of the class registry: constructs an object of the class, attaches its
// load record, stores it in out and reads its fields. Abstract classes leave out null.
using QrCreateFunction = void (*)(QrStream& stream, QrObject*& out);

// Declares the class record and GetRTTI in a class body.
#define QR_DECLARE_RTTI                                                                                                \
public:                                                                                                                \
    static const QrRTTI ms_RTTI;                                                                                       \
    const QrRTTI* GetRTTI() const override { return &ms_RTTI; }

// Declares the class's create function and its registration.
#define QR_DECLARE_CREATE                                                                                              \
public:                                                                                                                \
    static void CreateObject(QrStream& stream, QrObject*& out);                                                       \
    static bool RegisterCreateFunction();

#define QR_IMPLEMENT_RTTI(classname, basename) const QrRTTI classname::ms_RTTI(#classname, &basename::ms_RTTI);

// A concrete class: default-construct, attach a load record, load.
#define QR_IMPLEMENT_CREATE(classname)                                                                                 \
    void classname::CreateObject(QrStream& stream, QrObject*& out)                                                    \
    {                                                                                                                  \
        QrCreateAndLoad(new classname, stream, out);                                                                   \
    }                                                                                                                  \
    bool classname::RegisterCreateFunction()                                                                           \
    {                                                                                                                  \
        static bool registered = false;                                                                                \
        if (registered)                                                                                                \
            return false;                                                                                              \
        registered = true;                                                                                             \
        QrRegisterCreateFunction(#classname, &classname::CreateObject);                                               \
        return true;                                                                                                   \
    }

// An abstract class: registered under its name with the do-nothing create function.
#define QR_IMPLEMENT_ABSTRACT_CREATE(classname)                                                                        \
    void classname::CreateObject(QrStream&, QrObject*& out)                                                           \
    {                                                                                                                  \
        out = nullptr;                                                                                                 \
    }                                                                                                                  \
    bool classname::RegisterCreateFunction()                                                                           \
    {                                                                                                                  \
        static bool registered = false;                                                                                \
        if (registered)                                                                                                \
            return false;                                                                                              \
        registered = true;                                                                                             \
        QrRegisterCreateFunction(#classname, &classname::CreateObject);                                               \
        return true;                                                                                                   \
    }

void QrRegisterCreateFunction(const char* className, QrCreateFunction function);
// Attaches a fresh load record as the chain head, hands the object out, then loads it.
void QrCreateAndLoad(QrObject* object, QrStream& stream, QrObject*& out);
