#pragma once
// A positioned sound source of the 3D-audio layer: a source name and the component's parameters,
// stored, streamed and compared here and meaning what the component makes of them. Never drawn.
// Leaves the audio manager's books when destroyed.

#include "QrAVObject.h"

#include <cstdint>
#include <optional>
#include <string>

class QrAudioEmitter : public QrAVObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static constexpr uint32_t kModelParameterCount = 5;

    QrAudioEmitter();

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrAVInstance* CreateInstance() override;
    bool IsDisplayable() override;
    // Marks the updated record changed for the component.
    void UpdateWorldData(QrAVInstance* instance) override;

    // Null when none.
    const char* GetSourceName() const { return m_sourceName ? m_sourceName->c_str() : nullptr; }
    void SetSourceName(const char* name);

    uint8_t m_flag = 1;
    double m_startValue = 0.0;
    float m_values[2] = {0.0f, 0.0f};
    // Index of the manager's sound record in use; -1 = none. Not streamed.
    int32_t m_recordIndex = -1;
    uint32_t m_mode = 1;
    float m_modelParameters[kModelParameterCount] = {0.5f, 0.0001f, 0.5f, 0.00009f, 0.499f};

protected:
    ~QrAudioEmitter() override;

private:
    // The fields after the source name, in file order, for both directions.
    void Fields(QrStream& stream);

    std::optional<std::string> m_sourceName;
};
