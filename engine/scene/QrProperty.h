#pragma once
// Base of the render-state properties. Properties are shared between many scene objects and
// the display compares them by identity, so one object means one state change. Each concrete
// class keeps one default instance, made on first use and held until exit.

#include "QrObject.h"
#include "QrPointerList.h"

#include <cstdint>

class QrProperty : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Type ids: the display and the renderer index their per-type tables with them.
    enum : uint32_t
    {
        kAlpha = 0,
        kAudio = 1,
        kCorrection = 2,
        kFog = 3,
        kMaterial = 4,
        kShade = 5,
        kTextureMode = 6,
        kTexture = 7,
        kTransparent = 8,
        kWireframe = 9,
        kZBuffer = 10,
        kDither = 11,
        kVertexColor = 12,
        kSpecular = 13,
        kMultiTexture = 14,
        kTypeCount = 15,
    };

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    virtual uint32_t Type() const = 0;

    // The default instance of a type; null for an id outside 0..14.
    static QrProperty* GetDefault(uint32_t type);
    // Makes every default instance now. Tests call it before they take the live-object count,
    // since the defaults stay alive until exit.
    static void CreateDefaults();

    // The property list of a scene object in a scene file: a count, then one link id each, in
    // list order. The linked list keeps file order, and a copy keeps the source's order. A list
    // holds one property per type (the display swaps one state per type in and out): a later
    // one of a type replaces the earlier.
    static void LinkList(QrStream& stream, QrObject* owner, uint32_t count, QrPointerList<QrProperty>& list);
    static void RegisterList(QrStream& stream, const QrPointerList<QrProperty>& list);
    static void SaveList(QrStream& stream, const QrPointerList<QrProperty>& list);
    static void CopyList(const QrPointerList<QrProperty>& from, QrPointerList<QrProperty>& to);
    // Puts the property at the head of the list in place of any of its type (null is ignored).
    static void AttachToList(QrPointerList<QrProperty>& list, QrProperty* property);

    // Set on the property in force: the display keeps it for the whole subtree below.
    uint8_t m_override = 0;

protected:
    QrProperty() = default;
    ~QrProperty() override = default;
};
