#include "QrStream.h"

#include "QrAction.h"
#include "QrCreateFunctionMap.h"
#include "QrLoadRecord.h"
#include "QrObject.h"

#include "Files.h"
#include "Format.h"
#include "GccWarnings.h"
#include "Path.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace
{
const char* const kHeaderLines[3] = {
    "Engine object stream",
    "Records are little-endian",
    "Objects follow",
};
const char* const kTopLevelMarker = "Top Level Object";
const char* const kEndOfFile = "End Of File";
constexpr size_t kMaxHeaderLine = 127;
// Object records and the markers start with a length word.
constexpr size_t kMinRecordBytes = 4;
} // namespace

uint32_t QrStream::LastErrorCode = 0;
std::string QrStream::LastErrorMessage;
std::string QrStream::LastErrorContext;

std::vector<QrStream::SaveCallback>& QrStream::SaveCallbacks()
{
    static auto* callbacks = new std::vector<SaveCallback>;
    return *callbacks;
}

std::vector<QrStream::LinkedCheck>& QrStream::LinkedChecks()
{
    static auto* checks = new std::vector<LinkedCheck>;
    return *checks;
}

std::vector<QrStream::ReleaseCallback>& QrStream::ReleaseCallbacks()
{
    static auto* callbacks = new std::vector<ReleaseCallback>;
    return *callbacks;
}

void QrStream::AddLinkedCheck(LinkedCheck check)
{
    auto& checks = LinkedChecks();
    if (std::find(checks.begin(), checks.end(), check) == checks.end())
        checks.push_back(check);
}

void QrStream::AddFailedLoadRelease(ReleaseCallback callback)
{
    auto& callbacks = ReleaseCallbacks();
    if (std::find(callbacks.begin(), callbacks.end(), callback) == callbacks.end())
        callbacks.push_back(callback);
}

void QrStream::AddSaveCallback(SaveCallback callback)
{
    auto& callbacks = SaveCallbacks();
    if (std::find(callbacks.begin(), callbacks.end(), callback) == callbacks.end())
        callbacks.push_back(callback);
}

QrStream::QrStream()
{
    LastErrorCode = 0;
    LastErrorMessage.clear();
    LastErrorContext.clear();
    AddSaveCallback(&QrAction::RegisterAllForSave);
}

QrStream::~QrStream()
{
    ClearTopLevel();
    m_fileImages.RemoveAll();
    ReleaseLoaded();
}

void QrStream::ClearTopLevel()
{
    m_topLevel.clear();
    m_topLevelSet.clear();
}

void QrStream::ReleaseLoaded()
{
    // The file-name map points at images the stream is about to release.
    m_fileImages.RemoveAll();
    m_linkMap.clear();
    m_loadOrder.clear();
    m_loadOrderIds.clear();
    m_linkedActions.clear();
    // Objects may release one another as they go: drop the stream's hold from a moved-out copy.
    std::vector<QrPointer<QrObject>> held;
    held.swap(m_held);
    held.clear();
}

QrObject* QrStream::GetLoadedAt(uint32_t index) const
{
    return index < m_loadOrder.size() ? m_loadOrder[index] : nullptr;
}

uint32_t QrStream::GetLoadedLinkID(uint32_t index) const
{
    return index < m_loadOrderIds.size() ? m_loadOrderIds[index] : 0;
}

int QrStream::CompareVersion(const char* v) const
{
    return std::strcmp(m_version, v);
}

void QrStream::SetError(uint32_t code, const std::string& message, const std::string& context)
{
    if (m_errorCode != 0)
        return;
    // Later reads return zeros whatever the error was.
    m_reader.Fail();
    m_errorCode = code;
    LastErrorCode = code;
    LastErrorMessage = message;
    LastErrorContext = context;
}

std::string QrStream::DescribePosition() const
{
    std::string where;
    if (!m_fileName.empty() && m_loading)
        where = m_fileName + ": ";
    if (!m_currentClass.empty())
        where += plat::Format("record %u (%s), ", m_currentRecord, m_currentClass.c_str());
    where += plat::Format("byte %zu", m_reader.Offset());
    return where;
}

void QrStream::Fail(const std::string& what)
{
    SetError(kErrorNotQrf, "is not a QRF file", DescribePosition() + ": " + what);
}

std::string QrStream::DescribeObject(const QrObject* object) const
{
    if (!object)
        return "no object";
    std::string text = object->GetRTTI()->GetName();
    if (object->GetName())
        text += plat::Format(" \"%s\"", object->GetName());
    const auto it = std::find(m_loadOrder.begin(), m_loadOrder.end(), object);
    if (it != m_loadOrder.end())
        text += plat::Format(" (link id %u)", m_loadOrderIds[size_t(it - m_loadOrder.begin())]);
    return text;
}

bool QrStream::LoadBytes(void* out, size_t n)
{
    return m_reader.Read(out, n);
}

void QrStream::LoadBytesLE(void* out, size_t n)
{
    // Little-endian host: the bytes are the value.
    m_reader.Read(out, n);
}

void QrStream::SaveBytesLE(const void* in, size_t n)
{
    m_writer.Write(in, n);
}

uint32_t QrStream::LoadCount(size_t minItemBytes, const char* what)
{
    const size_t at = m_reader.Offset();
    const uint32_t count = m_reader.U32();
    if (m_reader.Failed())
        return 0;
    if (!m_reader.CanRead(count, minItemBytes == 0 ? 1 : minItemBytes))
    {
        SetError(kErrorNotQrf, "is not a QRF file",
                 DescribePosition() + plat::Format(": count %u of %s at byte %zu exceeds the %zu bytes left", count,
                                                   what, at, m_reader.Size() - at - 4));
        return 0;
    }
    return count;
}

bool QrStream::LoadString(std::string& out)
{
    out.clear();
    const size_t at = m_reader.Offset();
    const uint32_t length = m_reader.U32();
    if (length == 0 || m_reader.Failed())
        return false;
    if (!m_reader.CanRead(length, 1))
    {
        SetError(kErrorNotQrf, "is not a QRF file",
                 DescribePosition() + plat::Format(": string length %u at byte %zu exceeds the %zu bytes left", length,
                                                   at, m_reader.Size() - at - 4));
        return false;
    }
    out.resize(length);
    m_reader.Read(out.data(), length);
    return true;
}

std::optional<std::string> QrStream::LoadOptionalString()
{
    std::string s;
    if (!LoadString(s))
        return std::nullopt;
    return s;
}

void QrStream::SaveString(const char* text)
{
    const size_t n = text ? std::strlen(text) : 0;
    m_writer.U32(static_cast<uint32_t>(n));
    if (n > 0)
        m_writer.Write(text, n);
}

void QrStream::InsertTopLevelObject(QrObject* object)
{
    if (!object)
        return;
    if (m_topLevelSet.insert(object).second)
        m_topLevel.push_back(object);
}

bool QrStream::RegisterLinkObject(uint32_t id, QrObject* object)
{
    if (!m_linkMap.emplace(id, static_cast<uint32_t>(m_loadOrder.size())).second)
        return false;
    m_loadOrder.push_back(object);
    m_loadOrderIds.push_back(id);
    return true;
}

QrObject* QrStream::GetObjectFromLinkID(uint32_t id) const
{
    if (id == 0)
        return nullptr;
    auto it = m_linkMap.find(id);
    return it == m_linkMap.end() ? nullptr : m_loadOrder[it->second];
}

void QrStream::ReplaceLinkObject(uint32_t id, QrObject* object)
{
    auto it = m_linkMap.find(id);
    if (it != m_linkMap.end())
        m_loadOrder[it->second] = object;
}

QrLoadRecord* QrStream::GetLoadRecord(QrObject* owner) const
{
    return owner ? dynamic_cast<QrLoadRecord*>(owner->GetExtraData()) : nullptr;
}

void QrStream::DeleteLoadRecords(QrObject* object)
{
    while (QrLoadRecord* record = object ? dynamic_cast<QrLoadRecord*>(object->GetExtraData()) : nullptr)
    {
        object->RemoveExtraData(record);
        delete record;
    }
}

uint32_t QrStream::LoadLinkID(QrObject* owner)
{
    const uint32_t id = LoadU32();
    if (QrLoadRecord* record = GetLoadRecord(owner))
        record->m_linkIds.push_back(id);
    return id;
}

QrObject* QrStream::ResolveLinkID(QrObject* owner, const QrRTTI* rtti)
{
    QrLoadRecord* record = GetLoadRecord(owner);
    if (!record || record->m_nextLinkId >= record->m_linkIds.size())
        return nullptr;
    const uint32_t id = record->m_linkIds[record->m_nextLinkId++];
    if (id == 0)
        return nullptr;
    QrObject* object = GetObjectFromLinkID(id);
    if (!object || (rtti && !object->IsKindOf(rtti)))
    {
        SetError(kErrorNotQrf, "is not a QRF file",
                 plat::Format("%s%s (link id %u): link id %u names %s",
                              m_fileName.empty() ? "" : (m_fileName + ": ").c_str(), owner->GetRTTI()->GetName(),
                              record->m_linkId, id, object ? object->GetRTTI()->GetName() : "no object in the file") +
                     (rtti ? std::string(", expected ") + rtti->GetName() : std::string()));
        return nullptr;
    }
    return object;
}

void QrStream::AddLinkedAction(QrAction* action)
{
    if (action)
        m_linkedActions.push_back(action);
}

bool QrStream::RegisterSaveObject(QrObject* object)
{
    if (!object)
        return false;
    const uint32_t id = static_cast<uint32_t>(m_saveOrder.size()) + 1;
    if (!m_saveIds.emplace(object, id).second)
        return false;
    m_saveOrder.push_back(object);
    return true;
}

uint32_t QrStream::GetLinkID(const QrObject* object) const
{
    if (!object)
        return 0;
    auto it = m_saveIds.find(object);
    return it == m_saveIds.end() ? 0 : it->second;
}

QrObject* QrStream::GetImageForFile(const char* name) const
{
    QrObject* image = nullptr;
    if (name)
        m_fileImages.GetAt(name, image);
    return image;
}

void QrStream::SetImageForFile(const char* name, QrObject* image)
{
    if (name)
        m_fileImages.SetAt(name, image);
}

// ---------------------------------------------------------------- loading

bool QrStream::Load(const char* fileName)
{
    m_errorCode = 0;
    std::vector<uint8_t> bytes;
    if (!fileName || !plat::ReadFile(fileName, bytes))
    {
        SetError(kErrorCannotOpen, plat::Format("%s %s", fileName ? fileName : "", "cannot load file"),
                 fileName ? fileName : "");
        return false;
    }
    m_fileName = fileName;
    return LoadFromMemory(bytes.data(), bytes.size());
}

bool QrStream::LoadFromMemory(const void* buffer, size_t length)
{
    ReleaseLoaded();
    ClearTopLevel();
    m_errorCode = 0;
    m_loading = true;
    m_reader = plat::ByteReader(buffer, length);
    const bool ok = LoadStream();
    if (!ok && m_errorCode == 0)
        Fail("file ends early");
    m_loading = false;
    m_reader = plat::ByteReader();
    if (!ok)
    {
        ClearTopLevel();
        // Links among what was loaded may hold objects in circles: drop them before the holds.
        for (QrPointer<QrObject>& held : m_held)
            for (ReleaseCallback release : ReleaseCallbacks())
                release(held.Get());
        ReleaseLoaded();
    }
    return ok;
}

bool QrStream::ReadHeaderLine(std::string& line)
{
    line.clear();
    while (line.size() < kMaxHeaderLine)
    {
        if (m_reader.Remaining() == 0)
            return false;
        const char c = static_cast<char>(m_reader.U8());
        if (c == '\n')
            return true;
        line.push_back(c);
    }
    return true;
}

bool QrStream::LoadHeader()
{
    std::string line;
    const bool complete = ReadHeaderLine(line);
    const std::string format = kFormatLine;
    if (complete && line == format)
    {
        std::strcpy(m_version, "2.2");
    }
    else
    {
        size_t shared = 0;
        while (shared < format.size() - 1 && shared < line.size() && line[shared] == format[shared])
            ++shared;
        if (!complete || shared < kFormatPrefixLength)
        {
            SetError(kErrorNotQrf, "is not a QRF file", DescribePosition() + ": first line is not the format line");
            return false;
        }
        std::string version = line.substr(kFormatPrefixLength);
        if (version.size() > 4)
        {
            SetError(kErrorNotQrf, "is not a QRF file",
                     DescribePosition() + ": version text longer than four characters");
            return false;
        }
        if (version.size() == 3)
            version += "0";
        std::strcpy(m_version, version.c_str());
        if (CompareVersion("2.13") < 0)
        {
            SetError(kErrorOlderVersion, plat::Format("%s %s %s", m_version, "is older version, expecting", "2.2"),
                     DescribePosition() + ": version in the first line");
            return false;
        }
        if (CompareVersion("2.2") > 0)
        {
            SetError(kErrorLaterVersion, plat::Format("%s %s %s", m_version, "is later version, expecting", "2.2"),
                     DescribePosition() + ": version in the first line");
            return false;
        }
    }
    for (const char* expected : kHeaderLines)
    {
        if (!ReadHeaderLine(line) || line != expected)
        {
            SetError(kErrorNotQrf, "is not a QRF file", DescribePosition() + ": header lines 2 to 4 differ");
            return false;
        }
    }
    return true;
}

bool QrStream::LoadStream()
{
    m_currentClass.clear();
    m_currentRecord = 0;
    if (!LoadHeader())
        return false;
    ClearTopLevel();

    for (;;)
    {
        if (!m_reader.CanRead(1, kMinRecordBytes))
        {
            Fail("file ends before \"End Of File\"");
            return false;
        }
        std::string className;
        LoadString(className);
        bool topLevel = false;
        if (className == kEndOfFile)
            break;
        if (className == kTopLevelMarker)
        {
            topLevel = true;
            LoadString(className);
        }
        if (Failed())
        {
            Fail("file ends inside a class name");
            return false;
        }
        m_currentClass = className;
        ++m_currentRecord;
        const QrCreateFunction create = QrCreateFunctionMap::Find(className.c_str());
        QrObject* object = nullptr;
        if (create)
            create(*this, object);
        if (!object)
        {
            // Abstract classes make nothing and read nothing: the rest would be out of step.
            SetError(kErrorNoCreateFunction, plat::Format("%s %s", className.c_str(), "cannot find create function"),
                     DescribePosition());
            return false;
        }
        m_held.emplace_back(object);
        if (Failed())
        {
            if (m_errorCode == 0)
                Fail("file ends inside the record");
            return false;
        }
        if (topLevel)
            InsertTopLevelObject(object);
    }
    m_currentClass.clear();

    // Link in file order, each object once: several ids may name one shared object.
    std::unordered_set<const QrObject*> linked;
    linked.reserve(m_loadOrder.size());
    for (QrObject* object : m_loadOrder)
    {
        if (!object || !linked.insert(object).second)
            continue;
        object->LinkObject(*this);
        if (Failed())
            return false;
    }
    for (LinkedCheck check : LinkedChecks())
    {
        check(*this);
        if (Failed())
            return false;
    }
    // A shared object carries the load records of every record resolved to it.
    for (QrPointer<QrObject>& held : m_held)
        DeleteLoadRecords(held.Get());
    // Head insertion: add in reverse so the list reads as it was saved.
    for (auto it = m_linkedActions.rbegin(); it != m_linkedActions.rend(); ++it)
        QrAction::AddAction(*it);
    m_linkedActions.clear();
    m_linkMap.clear();
    return true;
}

// ---------------------------------------------------------------- saving

bool QrStream::SaveStream()
{
    m_writer = plat::ByteWriter();
    m_saveIds.clear();
    m_saveOrder.clear();
    m_loading = false;

    m_writer.Write(kFormatLine, std::strlen(kFormatLine));
    m_writer.U8('\n');
    for (const char* line : kHeaderLines)
    {
        m_writer.Write(line, std::strlen(line));
        m_writer.U8('\n');
    }
    for (QrObject* object : m_topLevel)
        if (object)
            object->RegisterStreamables(*this);
    for (SaveCallback callback : SaveCallbacks())
        callback(*this);

    for (QrObject* object : m_saveOrder)
    {
        if (IsTopLevel(object))
            SaveString(kTopLevelMarker);
        object->SaveBinary(*this);
    }
    SaveString(kEndOfFile);
    m_saveIds.clear();
    m_saveOrder.clear();
    return true;
}

bool QrStream::SaveToMemory(std::vector<uint8_t>& out)
{
    const bool ok = SaveStream();
    out = m_writer.Take();
    return ok;
}

bool QrStream::Save(const char* fileName)
{
    std::vector<uint8_t> bytes;
    if (!fileName || !SaveToMemory(bytes))
        return false;
    return plat::WriteFile(fileName, bytes.data(), bytes.size());
}

bool QrStream::ResolveFileName(std::string& name) const
{
    // Names longer than the data formats' path buffers are refused rather than cut.
    if (name.empty() || !plat::FitsMaxPath(name))
        return false;
    std::vector<std::string> tries{plat::NativePath(name)};
    const std::string bare = plat::FileNameOf(name);
    if (!bare.empty())
    {
        // The strings' moves into the growing vector are in bounds: GCC 12 misreads them.
        QR_GCC_STRING_BOUNDS_OFF
        tries.push_back(bare);
        if (!m_fileName.empty())
            tries.push_back(plat::JoinPath(plat::FolderOf(m_fileName), bare));
        QR_GCC_STRING_BOUNDS_ON
    }
    for (const std::string& candidate : tries)
    {
        if (!plat::FitsMaxPath(candidate))
            continue;
        if (std::optional<std::string> found = plat::FindPathCaseInsensitive(candidate, plat::PathKind::kFile))
        {
            name = std::move(*found);
            return true;
        }
    }
    return false;
}
