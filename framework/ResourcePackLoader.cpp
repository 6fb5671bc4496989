// The program-wide side of resource packs: the handler table, the request ring and the
// loader thread that serves it. Lock order: loader lock, then ring lock, then an item lock;
// nothing takes the ring lock while holding an item lock.

#include "ResourcePack.h"
#include "SoundSlot.h"

#include "Event.h"
#include "Semaphore.h"
#include "Thread.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <new>

namespace
{

struct Handler
{
    uint32_t type;
    ResourceLoadHandler load;
    ResourceUnloadHandler unload;
};

struct Request
{
    uint32_t type = 0;
    ResourcePack* pack = nullptr;
    ResourcePack::Item* item = nullptr;
};

constexpr int64_t kLoaderStopWaitMs = 10000;

struct LoaderState
{
    LoaderState();
    LoaderState(const LoaderState&) = delete;
    LoaderState& operator=(const LoaderState&) = delete;
    ~LoaderState();

    std::mutex handlerLock;
    std::vector<Handler> handlers;

    std::mutex ringLock;
    Request ring[ResourcePack::kRingSize];
    uint32_t readIndex = 0;
    uint32_t writeIndex = 0;
    uint32_t count = 0;

    // Held by the loader thread while it serves one request, and by removals.
    std::mutex loaderLock;
    std::unique_ptr<plat::Semaphore> requests;
    std::unique_ptr<plat::Event> stop;
    plat::Thread thread;
    std::atomic<bool> running{false};

    // Signalled whenever an item leaves the queued state; waiters hold the item's lock.
    std::condition_variable_any itemChanged;
};

// The sound state is made first so that it is torn down after the loader: at exit the
// loader stops before the sound worker.
LoaderState::LoaderState()
{
    (void)Sound();
}

LoaderState::~LoaderState()
{
    if (!thread.IsRunning())
        return;
    running = false;
    stop->Set();
    thread.Join();
}

LoaderState& Loader()
{
    static LoaderState state;
    return state;
}

bool FindHandler(uint32_t type, Handler& out)
{
    LoaderState& loader = Loader();
    std::lock_guard<std::mutex> lock(loader.handlerLock);
    const auto it = std::lower_bound(loader.handlers.begin(), loader.handlers.end(), type,
                                     [](const Handler& h, uint32_t value) { return h.type < value; });
    if (it == loader.handlers.end() || it->type != type)
        return false;
    out = *it;
    return true;
}

} // namespace

uint16_t ResourcePack::RegisterType(uint32_t type, ResourceLoadHandler load, ResourceUnloadHandler unload)
{
    Handler existing{};
    if (FindHandler(type, existing))
        return kResourceNotFound;
    LoaderState& loader = Loader();
    std::lock_guard<std::mutex> lock(loader.handlerLock);
    try
    {
        loader.handlers.push_back({type, load, unload});
    }
    catch (const std::bad_alloc&)
    {
        return kResourceNoMemory;
    }
    std::sort(loader.handlers.begin(), loader.handlers.end(),
              [](const Handler& a, const Handler& b) { return a.type < b.type; });
    return kResourceOk;
}

uint16_t ResourcePack::InitLoader()
{
    LoaderState& loader = Loader();
    if (loader.running)
        return kResourceOk;
    {
        std::lock_guard<std::mutex> lock(loader.ringLock);
        loader.readIndex = loader.writeIndex = loader.count = 0;
    }
    loader.requests = std::make_unique<plat::Semaphore>(0, kRingSize);
    loader.stop = std::make_unique<plat::Event>(plat::Event::Reset::kManual);
    if (!loader.thread.Start(&ResourcePack::WorkerThread))
    {
        loader.requests.reset();
        loader.stop.reset();
        return kResourceSystemFailed;
    }
    loader.running = true;
    return kResourceOk;
}

void ResourcePack::ShutdownLoader()
{
    LoaderState& loader = Loader();
    if (loader.running)
    {
        ClearRequests();
        loader.running = false;
        loader.stop->Set();
        // A loader stuck in a handler is given up on; its objects then stay alive.
        if (loader.thread.Join(kLoaderStopWaitMs))
        {
            loader.requests.reset();
            loader.stop.reset();
        }
        else
        {
            (void)loader.requests.release();
            (void)loader.stop.release();
        }
        std::lock_guard<std::mutex> lock(loader.ringLock);
        loader.readIndex = loader.writeIndex = loader.count = 0;
    }
    std::lock_guard<std::mutex> lock(loader.handlerLock);
    loader.handlers.clear();
}

bool ResourcePack::IsLoaderRunning()
{
    return Loader().running;
}

void ResourcePack::WorkerThread()
{
    LoaderState& loader = Loader();
    for (;;)
    {
        const int which = plat::WaitAny({loader.stop.get(), loader.requests.get()});
        if (which == 0)
            return;
        if (which != 1)
            continue;
        std::lock_guard<std::mutex> serving(loader.loaderLock);
        uint32_t type = 0;
        Item* item = nullptr;
        ResourcePack* pack = nullptr;
        if (PopRequest(type, item, pack))
            LoadItem(type, item, pack);
    }
}

bool ResourcePack::QueueRequest(uint32_t type, Item* item, ResourcePack* pack)
{
    LoaderState& loader = Loader();
    if (!loader.running)
        return false;
    {
        std::lock_guard<std::mutex> lock(loader.ringLock);
        // A full ring refuses rather than overwrite a pending request.
        if (loader.count == kRingSize)
            return false;
        loader.ring[loader.writeIndex] = {type, pack, item};
        loader.writeIndex = (loader.writeIndex + 1) % kRingSize;
        ++loader.count;
    }
    loader.requests->Release();
    return true;
}

bool ResourcePack::PopRequest(uint32_t& type, Item*& item, ResourcePack*& pack)
{
    LoaderState& loader = Loader();
    std::lock_guard<std::mutex> lock(loader.ringLock);
    if (loader.count == 0)
        return false;
    const Request& request = loader.ring[loader.readIndex];
    type = request.type;
    item = request.item;
    pack = request.pack;
    loader.readIndex = (loader.readIndex + 1) % kRingSize;
    --loader.count;
    return true;
}

void ResourcePack::ClearRequests()
{
    LoaderState& loader = Loader();
    {
        std::lock_guard<std::mutex> serving(loader.loaderLock);
        std::lock_guard<std::mutex> ring(loader.ringLock);
        for (uint32_t i = 0; i < loader.count; ++i)
        {
            Item* item = loader.ring[(loader.readIndex + i) % kRingSize].item;
            std::lock_guard<std::mutex> itemLock(item->lock);
            item->flags &= ~kQueued;
        }
        loader.readIndex = loader.writeIndex = loader.count = 0;
    }
    loader.itemChanged.notify_all();
}

void ResourcePack::RemovePackRequests(ResourcePack* pack)
{
    RemoveRequests(pack, nullptr);
}

void ResourcePack::RemoveItemRequest(Item* item)
{
    RemoveRequests(nullptr, item);
}

// Removes every pending request of the pack (or of the item); later requests keep their order.
void ResourcePack::RemoveRequests(ResourcePack* pack, Item* item)
{
    LoaderState& loader = Loader();
    {
        std::lock_guard<std::mutex> serving(loader.loaderLock);
        std::lock_guard<std::mutex> ring(loader.ringLock);
        uint32_t i = 0;
        while (i < loader.count)
        {
            Request& request = loader.ring[(loader.readIndex + i) % kRingSize];
            if ((pack && request.pack != pack) || (item && request.item != item))
            {
                ++i;
                continue;
            }
            {
                std::lock_guard<std::mutex> itemLock(request.item->lock);
                request.item->flags &= ~kQueued;
            }
            if (i == 0)
                loader.readIndex = (loader.readIndex + 1) % kRingSize;
            else
            {
                for (uint32_t j = i; j + 1 < loader.count; ++j)
                    loader.ring[(loader.readIndex + j) % kRingSize] =
                        loader.ring[(loader.readIndex + j + 1) % kRingSize];
                loader.writeIndex = (loader.writeIndex + kRingSize - 1) % kRingSize;
            }
            --loader.count;
        }
    }
    loader.itemChanged.notify_all();
}

uint16_t ResourcePack::WaitForItem(uint32_t type, uint32_t id, ResourcePack* pack)
{
    Item* item = pack ? pack->FindItem(id, type) : nullptr;
    if (!item)
        return kResourceNotFound;
    std::unique_lock<std::mutex> lock(item->lock);
    if (!(item->flags & (kAsync | kLoaded)))
        return kResourceNotFound;
    // The loader holds the item's lock for the whole load, so under it the flags are final.
    Loader().itemChanged.wait(lock,
                              [item] { return (item->flags & (kLoaded | kFailureFlags)) || !(item->flags & kQueued); });
    return (item->flags & kLoaded) ? kResourceOk : kResourceReadFailed;
}

uint16_t ResourcePack::LoadItem(uint32_t type, Item* item, ResourcePack* pack)
{
    uint16_t code = kResourceOk;
    {
        std::lock_guard<std::mutex> lock(item->lock);
        const bool wasQueued = (item->flags & kQueued) != 0;
        item->flags &= ~kQueued;
        Handler handler{};
        // A request whose group was unloaded while the loader reached it is dropped unloaded.
        if ((item->flags & kLoaded) || (wasQueued && item->refCount == 0))
            code = kResourceOk;
        else if (!FindHandler(type, handler))
            code = kResourceNotFound;
        else
        {
            // One spare byte so that an empty item still has a buffer to point at.
            std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[size_t(item->dataSize) + 1]);
            void* object = nullptr;
            bool discard = false;
            if (!buffer)
            {
                item->flags |= kReadFailed;
                code = kResourceNoMemory;
            }
            else if (!pack->m_data.ReadAt(uint64_t(pack->m_dataBase) + item->dataOffset, buffer.get(), item->dataSize))
            {
                item->flags |= kReadFailed;
                code = kResourceReadFailed;
            }
            else if (handler.load(item->id, item->infoLength, pack->InfoOf(*item), item->dataSize, buffer.get(),
                                  &object, &discard) != kResourceOk)
            {
                item->flags |= kHandlerFailed;
                code = kResourceReadFailed;
            }
            else
            {
                item->object = object;
                item->data = discard ? nullptr : buffer.release();
                item->flags |= kLoaded | (discard ? 0u : uint32_t(kDataKept));
            }
        }
    }
    Loader().itemChanged.notify_all();
    return code;
}

void ResourcePack::UnloadItemLocked(uint32_t type, Item& item)
{
    Handler handler{};
    if (FindHandler(type, handler) && handler.unload)
        handler.unload(item.id, item.infoLength, InfoOf(item), item.dataSize, item.data, &item.object);
    item.object = nullptr;
    if (item.flags & kDataKept)
        delete[] item.data;
    item.data = nullptr;
}
