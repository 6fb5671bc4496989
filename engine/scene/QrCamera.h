#pragma once
// The view every scene draw goes through: a positioned object (never drawn itself) with a
// frustum and its six inward world planes, a viewport on a display, a scene root, screen
// polygons drawn over the scene and camera actions run once a frame. During a traversal it
// carries the planes and the mask of planes the current subtree lies wholly inside.
//
// The camera looks along the negative of its direction axis. The frustum's side values lie on
// the image plane through the focus point; near and far are distances from the eye. After the
// frustum, viewport or local axes are written directly, the planes and the clip matrix stay as
// they were until the next world update (Update or UpdateAllInstances).

#include "QrAVObject.h"
#include "QrCameraAction.h"
#include "QrPlane.h"
#include "QrPointerList.h"
#include "QrTArray.h"

#include <cstdint>
#include <vector>

class QrDisplay;
class QrScreenPolygon;
class QrSortedDrawRecord;

class QrCamera : public QrAVObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    // Frustum entries.
    enum : uint32_t
    {
        kLeft = 0,
        kRight = 1,
        kTop = 2,
        kBottom = 3,
        kNear = 4,
        kFar = 5,
    };
    // Frustum planes in the plane array; all normals point inward.
    enum : uint32_t
    {
        kNearPlane = 0,
        kFarPlane = 1,
        kLeftPlane = 2,
        kRightPlane = 3,
        kTopPlane = 4,
        kBottomPlane = 5,
        kFrustumPlaneCount = 6,
    };

    QrCamera();
    // near is raised to the larger of far / 10000 and 0.1.
    QrCamera(float nearDistance, float farDistance);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    void ReleaseLinks() override;
    // The scene root: a camera inside its own scene would draw itself into it.
    void AppendDescendLinks(std::vector<QrAVObject*>& out) const override;

    // One parent link only: attaching replaces it.
    QrAVInstance* AttachParent(QrNode* parent) override;
    void DetachParent(QrNode* parent) override;
    QrPointer<QrAVObject> CreateClone() override;
    bool IsDisplayable() override;
    void UpdateWorldData(QrAVInstance* instance) override;
    // A point at the world location.
    bool UpdateWorldBound(QrAVInstance* instance) override;

    // --- per frame
    // Runs the camera actions, then draws the scene root and the screen polygons into the
    // display. Nothing is drawn without a display, a renderer or a display size.
    void RenderFrame(float time, float elapsed);
    // Clears the viewport's pixel rectangle of the display (flags as the renderer's clear).
    void SetViewportFromDisplay(uint32_t flags);
    // Turns the camera to look at target; false, and no change, when target is the eye or up
    // is parallel to the view.
    bool LookAt(const QrPoint3& target, const QrPoint3& up);

    // --- used by the draws and the sorter
    // Hands the planes not yet passed by the drawn subtree to the renderer.
    void SendClipPlanes();
    // A pooled record of the object's draw with the display's present state; the caller
    // deletes it.
    QrSortedDrawRecord* CreateSortedDrawRecord(QrAVObject* geometry, QrAVInstance* instance);
    // Draws a record with its captured state, the traversal state restored afterwards.
    void DrawSortedRecord(QrSortedDrawRecord* record);
    // Box of a world sphere in normalised screen space: x, y in [-1, 1], depth in [0, 1]
    // from near to far.
    void GetScreenBox(const QrBound& bound, QrPoint3& boxMin, QrPoint3& boxMax) const;

    // --- screen polygons and actions
    void AttachScreenPolygon(QrScreenPolygon* polygon);
    uint32_t GetScreenPolygonCount() const { return m_screenPolygons.GetUsedSize(); }
    // Null for an empty slot.
    QrScreenPolygon* GetScreenPolygonAt(uint32_t index) const { return m_screenPolygons.GetAtChecked(index); }
    // Adds the action at the head of the list (newest runs first), unless it is there already.
    void AttachObject(QrCameraAction* action);
    // False when the action is not on the list.
    bool DetachObject(QrCameraAction* action);
    const QrPointerList<QrCameraAction>& GetActions() const { return m_actions; }

    // --- traversal state, read and written by the cull and display passes
    QrDisplay* GetDisplay() const { return m_display.Get(); }
    void SetDisplay(QrDisplay* display);
    QrAVObject* GetSceneRoot() const { return m_sceneRoot.Get(); }
    void SetSceneRoot(QrAVObject* root);
    uint32_t GetPlaneCount() const;
    // Contiguous, GetPlaneCount() entries; the six frustum planes first.
    QrPlane* const* GetPlanes() const { return m_planeArray.data(); }
    // kPlaneMaskWords words; bit i for plane i.
    uint32_t* GetPassedPlaneMask() { return m_passedPlaneMask; }
    uint8_t GetSortFlag() const { return m_sortFlag; }
    void SetSortFlag(uint8_t flag) { m_sortFlag = flag; }
    uint8_t GetDisplayPassFlag() const { return m_displayPass; }
    void SetDisplayPassFlag(uint8_t flag) { m_displayPass = flag; }

    // --- frustum, viewport and axes (written directly; run a world update afterwards)
    // left, right, top, bottom, near, far.
    float* GetFrustum() { return m_frustum; }
    const float* GetFrustum() const { return m_frustum; }
    // Fractions of the display: left, right, top, bottom (vertical from the bottom edge).
    float* GetViewport() { return m_viewport; }
    const float* GetViewport() const { return m_viewport; }
    QrPoint3& GetLocalFocus() { return m_localFocus; }
    QrPoint3& GetLocalDirection() { return m_localDirection; }
    QrPoint3& GetLocalUp() { return m_localUp; }
    // Recomputed from up and direction when the stale flag is set.
    const QrPoint3& GetLocalRight();
    // Set after changing the local direction or up axis.
    void SetRightAxisStale() { m_rightStale = 1; }
    float GetScaleValue() const { return m_scaleValue; }
    void SetScaleValue(float value) { m_scaleValue = value; }

    // --- derived world values (valid after a world update)
    const QrPoint3& GetWorldLocation() const { return m_worldLocation; }
    // Transposed: its rows are the world axes of the camera's frame.
    const QrMatrix3& GetWorldRotation() const { return m_worldRotation; }
    const QrPoint3& GetWorldFocus() const { return m_worldFocus; }
    const QrPoint3& GetWorldDirection() const { return m_worldDirection; }
    const QrPoint3& GetWorldUp() const { return m_worldUp; }
    const QrPoint3& GetWorldRight() const { return m_worldRight; }
    const QrPlane& GetFrustumPlane(uint32_t index) const { return m_frustumPlanes[index]; }
    // Row-major world-to-clip rows (a, b, c, d): a x + b y + c z + d.
    const float (&GetClipMatrix() const)[4][4] { return m_clip; }

    // Arguments of the last RenderFrame.
    float GetFrameTime() const { return m_frameTime; }
    float GetFrameElapsed() const { return m_frameElapsed; }

protected:
    ~QrCamera() override;

    void CopyMembers(QrCamera* clone);
    void UpdateClipMatrix();

private:
    float m_clip[4][4] = {};
    float m_imageDistance = 0.0f;
    float m_xScale = 0.0f;
    float m_yScale = 0.0f;
    QrPoint3 m_worldLocation;
    QrMatrix3 m_worldRotation;
    QrPoint3 m_localFocus{2.0f, 0.0f, 0.0f};
    QrPoint3 m_worldFocus;
    QrPoint3 m_localDirection{-1.0f, 0.0f, 0.0f};
    QrPoint3 m_worldDirection;
    QrPoint3 m_localUp{0.0f, 1.0f, 0.0f};
    QrPoint3 m_worldUp;
    QrPoint3 m_localRight;
    QrPoint3 m_worldRight;
    uint8_t m_rightStale = 0;
    float m_frustum[6] = {-1.0f, 1.0f, 1.0f, -1.0f, 1.0f, 2.0f};
    float m_viewport[4] = {0.0f, 1.0f, 1.0f, 0.0f};
    QrPointer<QrAVObject> m_sceneRoot;
    QrTArray<QrScreenPolygon> m_screenPolygons;
    QrPointer<QrDisplay> m_display;
    // Addresses of the frustum planes first; the traversal reads it as one array.
    std::vector<QrPlane*> m_planeArray;
    uint32_t m_planeCount = kFrustumPlaneCount;
    QrPlane m_frustumPlanes[kFrustumPlaneCount];
    uint32_t m_passedPlaneMask[kPlaneMaskWords] = {};
    // Reused by every SendClipPlanes; only grows.
    std::vector<const QrPlane*> m_planeScratch;
    uint8_t m_displayPass = 0;
    uint8_t m_sortFlag = 1;
    float m_scaleValue = 1.0f;
    QrPointerList<QrCameraAction> m_actions;
    float m_frameTime = 0.0f;
    float m_frameElapsed = 0.0f;
};
