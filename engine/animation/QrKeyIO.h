#pragma once
// Scene-file form of a key array of one family: a type code, then the keys built through the
// family's creator table. A code without a class in front of a non-empty array fails the load
// before any key is built; so does a count that the bytes left cannot hold.

#include "QrStream.h"

#include "Format.h"

#include <cstdint>
#include <memory>
#include <vector>

template <class K> class QrKeyIO
{
public:
    // Reads the type code and count keys (count > 0). False, with the stream failed, when the
    // code has no class or the file ends early; out then holds no keys.
    static bool Load(QrStream& stream, int32_t count, std::vector<std::unique_ptr<K>>& out, const char* what)
    {
        out.clear();
        const uint32_t type = stream.LoadU32();
        if (stream.Failed())
            return false;
        if (!K::HasCreator(type))
        {
            stream.Fail(plat::Format("%s: no key class for type %u", what, type));
            return false;
        }
        if (count < 0 || uint64_t(count) * K::kMinRecordBytes > stream.GetRemaining())
        {
            stream.Fail(plat::Format("%s: %d keys do not fit in the file", what, count));
            return false;
        }
        out.reserve(size_t(count));
        for (int32_t i = 0; i < count; ++i)
        {
            std::unique_ptr<K> key = K::Create(type, stream);
            if (!key || stream.Failed())
            {
                out.clear();
                return false;
            }
            out.push_back(std::move(key));
        }
        return true;
    }

    // The first key's type code, then every key (count > 0).
    static void Save(QrStream& stream, K* const* keys, int32_t count)
    {
        stream.SaveU32(keys[0]->GetType());
        for (int32_t i = 0; i < count; ++i)
            keys[i]->SaveBinary(stream);
    }

    // The plain pointers of owned keys, the form the installing setters take.
    static std::vector<K*> Pointers(const std::vector<std::unique_ptr<K>>& keys)
    {
        std::vector<K*> pointers;
        pointers.reserve(keys.size());
        for (const auto& key : keys)
            pointers.push_back(key.get());
        return pointers;
    }
};
