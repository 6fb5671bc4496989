#pragma once
// Reader and writer of scene files (.qrf): a text header, then object records, each object
// written once under a link id. Link ids are per-file counters 1, 2, 3 … in the order
// objects enter the save set; records are written in that order and linked in file order,
// so the same objects always give the same bytes.
//
// A stream is made for one load or one save. It holds a counted reference to everything it
// loaded until it is destroyed; a failed load releases what it made and leaves no top-level
// objects. Every length and count read is checked against the bytes left before anything is
// allocated; the first error is sticky and later reads return zeros.

#include "QrPointer.h"
#include "QrRTTI.h"
#include "QrTStringMap.h"

#include "ByteReader.h"
#include "ByteWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QrAction;
class QrObject;
class QrLoadRecord;

class QrStream
{
public:
    using SaveCallback = void (*)(QrStream& stream);
    using LinkedCheck = void (*)(QrStream& stream);
    using ReleaseCallback = void (*)(QrObject* object);

    static constexpr const char* kFormatLine = "Quarrender File Format, Version 2.2";
    static constexpr uint32_t kFormatPrefixLength = 32;

    // Error codes of a failed load.
    enum : uint32_t
    {
        kErrorCannotOpen = 1,
        kErrorNotQrf = 2,
        kErrorOlderVersion = 3,
        kErrorLaterVersion = 4,
        kErrorNoCreateFunction = 5,
    };

    // Set by a failed load, cleared by every stream construction. The message is the
    // engine's own text; the context says where (file, class, object, byte offset).
    static uint32_t LastErrorCode;
    static std::string LastErrorMessage;
    static std::string LastErrorContext;

    QrStream();
    ~QrStream();
    QrStream(const QrStream&) = delete;
    QrStream& operator=(const QrStream&) = delete;

    bool Load(const char* fileName);
    bool LoadFromMemory(const void* buffer, size_t length);
    // False when the file cannot be written (no error code is set).
    bool Save(const char* fileName);
    bool SaveToMemory(std::vector<uint8_t>& out);

    // --- top-level objects
    void InsertTopLevelObject(QrObject* object);
    uint32_t GetTopLevelCount() const { return static_cast<uint32_t>(m_topLevel.size()); }
    QrObject* GetTopLevelAt(uint32_t index) const { return index < m_topLevel.size() ? m_topLevel[index] : nullptr; }
    bool IsTopLevel(const QrObject* object) const { return m_topLevelSet.count(object) != 0; }
    // Every object the last load made, in file order.
    uint32_t GetLoadedCount() const { return static_cast<uint32_t>(m_loadOrder.size()); }
    QrObject* GetLoadedAt(uint32_t index) const;
    // The link id the file gave a loaded object (0 when unknown).
    uint32_t GetLoadedLinkID(uint32_t index) const;

    // Program-wide callbacks every save runs after the top-level objects (the running actions).
    static void AddSaveCallback(SaveCallback callback);
    // Program-wide checks every load runs once everything has linked (the scene graph's); a
    // check that fails the stream fails the load.
    static void AddLinkedCheck(LinkedCheck check);
    // Program-wide callbacks a failed load runs on each object it made before it lets them go:
    // they drop the links that would keep objects referencing one another alive.
    static void AddFailedLoadRelease(ReleaseCallback callback);

    // --- version of the file being read ("2.2" for written files)
    const char* GetVersion() const { return m_version; }
    // strcmp order of the version text against v ("2.13" < "2.14" < … < "2.19" < "2.2").
    int CompareVersion(const char* v) const;

    // --- link ids, load side
    // False (and no change) when the id is already present: the loader then fails with code 2.
    bool RegisterLinkObject(uint32_t id, QrObject* object);
    QrObject* GetObjectFromLinkID(uint32_t id) const;
    // Maps a present id to another object (a record resolved to a shared one); the link pass
    // and GetLoadedAt then see that object, and link it once however many ids name it.
    void ReplaceLinkObject(uint32_t id, QrObject* object);
    // Reads a link id and queues it on the owner's load record for its LinkObject.
    uint32_t LoadLinkID(QrObject* owner);
    // Takes the owner's next queued link id, in the order they were loaded, and resolves it.
    // Id 0 gives null; an id that names no object, or one not of class T, fails the load.
    QrObject* ResolveLinkID(QrObject* owner, const QrRTTI* rtti);
    template <class T> T* ResolveLinkID(QrObject* owner) { return static_cast<T*>(ResolveLinkID(owner, &T::ms_RTTI)); }

    // A linked action joins the running list once the whole file has linked, so a failed
    // load starts nothing and the list comes back in its saved order.
    void AddLinkedAction(QrAction* action);

    // --- link ids, save side
    // Enters the object into the save set with the next id; false when it was already there.
    bool RegisterSaveObject(QrObject* object);
    // The id of an object in the save set, 0 for null.
    uint32_t GetLinkID(const QrObject* object) const;
    void SaveLinkID(const QrObject* object) { SaveU32(GetLinkID(object)); }

    // --- fields
    bool IsLoading() const { return m_loading; }
    bool Failed() const { return m_errorCode != 0 || m_reader.Failed(); }
    // Marks the file as corrupt (code 2) with a context text; the first error is kept.
    void Fail(const std::string& what);
    // Class, name and link id of a loaded object, for error contexts.
    std::string DescribeObject(const QrObject* object) const;
    size_t GetOffset() const { return m_reader.Offset(); }
    size_t GetRemaining() const { return m_reader.Remaining(); }

    uint8_t LoadU8() { return m_reader.U8(); }
    uint16_t LoadU16() { return m_reader.U16(); }
    int16_t LoadI16() { return m_reader.I16(); }
    uint32_t LoadU32() { return m_reader.U32(); }
    int32_t LoadI32() { return m_reader.I32(); }
    float LoadF32() { return m_reader.F32(); }
    double LoadF64() { return m_reader.F64(); }
    bool LoadBytes(void* out, size_t n);
    // Reads a u32 count and checks that count items of at least minItemBytes each fit in
    // what is left; otherwise fails the load and returns 0.
    uint32_t LoadCount(size_t minItemBytes, const char* what);
    // Stream string: u32 length and the characters. Length 0 gives null (false, out empty).
    bool LoadString(std::string& out);
    std::optional<std::string> LoadOptionalString();

    void SaveU8(uint8_t v) { m_writer.U8(v); }
    void SaveU16(uint16_t v) { m_writer.U16(v); }
    void SaveI16(int16_t v) { m_writer.I16(v); }
    void SaveU32(uint32_t v) { m_writer.U32(v); }
    void SaveI32(int32_t v) { m_writer.I32(v); }
    void SaveF32(float v) { m_writer.F32(v); }
    void SaveF64(double v) { m_writer.F64(v); }
    void SaveBytes(const void* data, size_t n) { m_writer.Write(data, n); }
    // Null or empty writes length 0.
    void SaveString(const char* text);
    void SaveString(const std::string& text) { SaveString(text.c_str()); }

    // One field list for both directions: reads when loading, writes when saving.
    template <class T> void Field(T& value)
    {
        static_assert(std::is_arithmetic_v<T> || std::is_enum_v<T>, "Field takes plain values");
        if constexpr (std::is_same_v<T, bool>)
        {
            if (m_loading)
                value = LoadU8() != 0;
            else
                SaveU8(value ? 1 : 0);
        }
        else
        {
            if (m_loading)
                LoadBytesLE(&value, sizeof(T));
            else
                SaveBytesLE(&value, sizeof(T));
        }
    }

    // --- per-stream map of image files already loaded (images share one object per file)
    QrObject* GetImageForFile(const char* name) const;
    void SetImageForFile(const char* name, QrObject* image);
    // Finds a file named inside a scene file: as written (either separator, any letter
    // case), bare in the current folder, or bare beside the loaded file. Replaces name.
    bool ResolveFileName(std::string& name) const;
    // The file most recently opened for loading, or empty.
    const std::string& GetFileName() const { return m_fileName; }

private:
    bool LoadStream();
    bool LoadHeader();
    bool ReadHeaderLine(std::string& line);
    bool SaveStream();
    void SetError(uint32_t code, const std::string& message, const std::string& context);
    std::string DescribePosition() const;
    void ReleaseLoaded();
    void ClearTopLevel();
    void LoadBytesLE(void* out, size_t n);
    void SaveBytesLE(const void* in, size_t n);
    QrLoadRecord* GetLoadRecord(QrObject* owner) const;
    static void DeleteLoadRecords(QrObject* object);

    char m_version[5] = {};
    std::string m_fileName;
    bool m_loading = false;
    uint32_t m_errorCode = 0;

    plat::ByteReader m_reader;
    plat::ByteWriter m_writer;

    std::vector<QrObject*> m_topLevel;
    // The same objects, for membership tests per record (files may mark every object).
    std::unordered_set<const QrObject*> m_topLevelSet;

    // Load: link id -> slot, and per slot (file order) the object and its id. A slot's object
    // changes when ReplaceLinkObject maps its id to a shared object (the record's own object
    // may then be gone), so nothing keeps the object a record made apart from its slot.
    std::unordered_map<uint32_t, uint32_t> m_linkMap;
    std::vector<QrObject*> m_loadOrder;
    std::vector<uint32_t> m_loadOrderIds;
    // Everything a create function made, held until the stream is destroyed.
    std::vector<QrPointer<QrObject>> m_held;
    std::vector<QrAction*> m_linkedActions;
    std::string m_currentClass;
    uint32_t m_currentRecord = 0;

    // Save: object -> id, and the objects in id order.
    std::unordered_map<const QrObject*, uint32_t> m_saveIds;
    std::vector<QrObject*> m_saveOrder;

    QrTStringMap<QrObject*> m_fileImages;

    static std::vector<SaveCallback>& SaveCallbacks();
    static std::vector<LinkedCheck>& LinkedChecks();
    static std::vector<ReleaseCallback>& ReleaseCallbacks();
};
