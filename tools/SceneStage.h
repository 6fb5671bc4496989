#pragma once
// A scene file made ready for one frame, as the tools draw it: the file's first camera with
// its own scene root (or the first top-level tree), or a camera framing that tree; the file's
// animations and actions run to a given time; and, for a file without any light, a headlight
// and an ambient light so that its shapes can be seen.

#include "QrAVObject.h"
#include "QrCamera.h"
#include "QrLight.h"
#include "QrNode.h"
#include "QrPointer.h"
#include "QrStream.h"

namespace tools
{

class SceneStage
{
public:
    // Frames per second of the animation run; one step of every animation per frame.
    static constexpr float kFrameRate = 30.0f;
    // The longest run: every step costs a world update of the whole scene.
    static constexpr float kLongestTime = 600.0f;

    SceneStage() = default;
    SceneStage(const SceneStage&) = delete;
    SceneStage& operator=(const SceneStage&) = delete;
    // Gives the camera its own scene root back.
    ~SceneStage();

    // Loads the file and picks the root and camera; false with the stream's error when the
    // load fails, or with nothing to draw when the file holds no positioned tree.
    bool Load(const char* path);
    // Applies every animation's first pose, then steps animations and actions from 0 to time
    // (at most kLongestTime) a frame at a time, and updates the world.
    void RunTo(float time);
    // The camera of the frame: the file's, or one framing the root's world bound now.
    QrCamera* ChooseCamera();
    // Whether the file holds a light that is on and lights some node.
    bool HasLight() const;
    // A white directional light from just above the camera and a grey ambient light on the
    // root (wrapped in a node when it is not one). Call after ChooseCamera.
    void AddHeadlight();

    QrAVObject* GetRoot() const { return m_root.Get(); }
    QrCamera* GetCamera() const { return m_camera.Get(); }
    bool HasOwnCamera() const { return m_ownCamera; }

private:
    QrStream m_stream;
    QrPointer<QrAVObject> m_root;
    QrPointer<QrCamera> m_camera;
    QrPointer<QrAVObject> m_cameraRoot;
    QrPointer<QrNode> m_wrapper;
    QrPointer<QrLight> m_headlight;
    QrPointer<QrLight> m_ambient;
    bool m_ownCamera = false;
    bool m_rootSet = false;
};

} // namespace tools
