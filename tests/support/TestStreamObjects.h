#pragma once
// Small registered classes that exercise the scene-file stream in tests and benchmarks:
// values, strings, a u16 array behind a checked count, references resolved by class, a
// running action, and an object shared by key the way images share one object per file.
// References only point at leaves, so a corrupt file can never build a reference cycle.

#include "QrAction.h"
#include "QrLoadRecord.h"
#include "QrObject.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A plain record: an i32, an f32 and an optional label.
class TestLeaf : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static QrPointer<TestLeaf> Make(int32_t value, const char* name = nullptr, const char* label = nullptr);

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    int32_t m_value = 0;
    float m_weight = 0.0f;
    std::optional<std::string> m_label;

protected:
    TestLeaf() = default;
    ~TestLeaf() override = default;

private:
    void Fields(QrStream& stream);
};

// Third level of a kind-of chain: QrObject <- TestLeaf <- TestSpecialLeaf.
class TestSpecialLeaf : public TestLeaf
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static QrPointer<TestSpecialLeaf> Make(int32_t value, uint16_t extra);

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    uint16_t m_extra = 0;

protected:
    TestSpecialLeaf() = default;
    ~TestSpecialLeaf() override = default;
};

// Two references to leaves (either may be null) and a counted array of u16 values.
class TestHolder : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static QrPointer<TestHolder> Make(TestLeaf* first, TestLeaf* second, std::vector<uint16_t> values = {});

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    QrPointer<TestLeaf> m_first;
    QrPointer<TestLeaf> m_second;
    std::vector<uint16_t> m_values;

protected:
    TestHolder() = default;
    ~TestHolder() override = default;
};

// A running action that never ends, with a tag and an optional leaf.
class TestAction : public QrAction
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static QrPointer<TestAction> Make(uint32_t tag, TestLeaf* leaf = nullptr);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;
    bool Update(double time, double elapsed) override;

    uint32_t m_tag = 0;
    uint32_t m_updates = 0;
    QrPointer<TestLeaf> m_leaf;

protected:
    TestAction() = default;
    ~TestAction() override = default;
};

// A leaf with a key; records naming a key already loaded by the same stream resolve to the
// first object (the duplicate is deleted and its link id mapped to the shared object).
class TestKeyedLeaf : public TestLeaf
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    static QrPointer<TestKeyedLeaf> Make(int32_t value, const char* key);

    void LoadBinary(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    std::string m_key;

protected:
    TestKeyedLeaf() = default;
    ~TestKeyedLeaf() override = default;
};

// Registers every class above (repeat calls are harmless).
void RegisterTestStreamClasses();
