#pragma once
// Sample generators build key arrays here: owned keys, and the pointer array the engine's
// installing setters take (they copy the keys).

#include <cstdint>
#include <memory>
#include <vector>

namespace gen
{

template <class K>
class OwnedKeys
{
public:
    template <class T>
    T* Add(std::unique_ptr<T> key)
    {
        T* raw = key.get();
        m_pointers.push_back(raw);
        m_owned.push_back(std::move(key));
        return raw;
    }
    K* const* Data() const { return m_pointers.data(); }
    int32_t Count() const { return int32_t(m_pointers.size()); }

private:
    std::vector<std::unique_ptr<K>> m_owned;
    std::vector<K*> m_pointers;
};

} // namespace gen
