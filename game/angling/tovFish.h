#pragma once
// A fish on the lake or in the livewell view: the species' model (near and far versions under
// a level-of-detail node) swimming on its key-framed loop, with the fish's behaviour deciding
// how fast the loop runs. Each species is a small class deriving from this one; constructing
// one reads the species' model file once into the program-wide model cache and builds the
// model from it. A fish never registers itself anywhere: whoever shows it attaches it and
// steps it.

#include "qrxAttrib.h"
#include "qrxKeyFramedModel.h"
#include "tovFishBehavior.h"

#include "QrPointer.h"

#include <cstdint>

class tovFish : public qrxKeyFramedModel
{
    QR_DECLARE_RTTI

public:
    // The node of a species file that holds the fish, and its two detail levels.
    static constexpr const char* kModelNode = "Fish";
    static constexpr const char* kNearNode = "Fish Near";
    static constexpr const char* kFarNode = "Fish Far";
    // The files' level-of-detail node draws the far model beyond sixty fish lengths.

    // The species' model file in the data folder; "" out of range.
    static const char* GetModelFile(int32_t species);
    // How fast the swim loop runs in a behaviour state (1 = as keyed).
    static float GetAnimationSpeed(int32_t state);

    int32_t GetSpecies() const { return m_species; }
    // False when the species' model file could not be read: the fish is an empty node then.
    bool HasModel() const { return m_model.Get() != nullptr; }
    QrNode* GetModel() const { return m_model.Get(); }

    // Scale 1, world data updated, and 2 x bound radius x 100 into the species' size table.
    void RecordModelSize(int32_t species);
    // Run once after RecordModelSize: the species' values into the attribute record.
    virtual void SetupSpecies();

    // Forces a behaviour state (6 shows it in the livewell); outside 0..6 changes nothing.
    void SetBehavior(int32_t state);
    int32_t GetBehaviorState() const { return m_behavior.GetState(); }
    tovFishBehavior& GetBehavior() { return m_behavior; }
    float GetAnimationSpeed() const { return GetAnimationSpeed(m_behavior.GetState()); }
    // The time the swim loop has reached; fish put in at once start at different points of
    // the loop when given different times, so that they do not swim in step.
    double GetAnimationTime() const { return m_animationTime; }
    void SetAnimationTime(double time);

    // Scales the model so that the fish is that long in the world (inches, 1 ft = 0.01
    // units); a length that is not positive and finite changes nothing.
    void SetLength(float inches);
    float GetLength() const { return m_length; }

    // The species' values the bite and fight read: F1 swim speed, F2 pull per pound, F3
    // model size (from the size table), F4 length in inches; the integer is the species.
    qrxAttrib* GetAttrib() const { return m_attrib.Get(); }

    // Lets go of the cached model files of fish, lures and the casting target (program exit,
    // test fixtures).
    static void ReleaseModelCache();

    using qrxKeyFramedModel::Update;
    // Advances the swim loop by elapsed times the state's speed; the context (the camera
    // reference) is whatever the stepping manager or the livewell view gives.
    void Update(double now, double elapsed) override;

protected:
    explicit tovFish(int32_t species);
    ~tovFish() override = default;

private:
    int32_t m_species = 0;
    QrPointer<QrNode> m_model;
    QrPointer<qrxAttrib> m_attrib;
    tovFishBehavior m_behavior;
    double m_animationTime = 0.0;
    float m_length = 0.0f;
};
