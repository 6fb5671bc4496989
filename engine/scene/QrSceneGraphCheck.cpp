#include "QrSceneGraphCheck.h"

#include "QrAVObject.h"
#include "QrStream.h"

#include "Format.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

void QrSceneGraphCheck::Register()
{
    QrStream::AddLinkedCheck(&Check);
    QrStream::AddFailedLoadRelease(&ReleaseLinks);
}

void QrSceneGraphCheck::ReleaseLinks(QrObject* object)
{
    if (QrAVObject* scene = QrDynamicCast<QrAVObject>(object))
        scene->ReleaseLinks();
}

void QrSceneGraphCheck::Check(QrStream& stream)
{
    enum : uint8_t
    {
        kOnPath = 1,
        kDone = 2,
    };
    struct Visit
    {
        uint8_t state = 0;
        uint32_t height = 0; // levels below, once done
    };
    struct Frame
    {
        QrAVObject* object;
        std::vector<QrAVObject*> links;
        size_t next = 0;
        uint32_t height = 0;
    };
    std::unordered_map<const QrAVObject*, Visit> visits;
    std::vector<Frame> path;
    for (uint32_t i = 0; i < stream.GetLoadedCount(); ++i)
    {
        QrAVObject* root = QrDynamicCast<QrAVObject>(stream.GetLoadedAt(i));
        if (!root || visits[root].state != 0)
            continue;
        path.push_back({root, {}, 0, 0});
        root->AppendDescendLinks(path.back().links);
        visits[root].state = kOnPath;
        while (!path.empty())
        {
            Frame& frame = path.back();
            if (frame.next == frame.links.size())
            {
                Visit& done = visits[frame.object];
                done.state = kDone;
                done.height = frame.height;
                path.pop_back();
                if (!path.empty())
                    path.back().height = std::max(path.back().height, done.height + 1);
                continue;
            }
            QrAVObject* link = frame.links[frame.next++];
            Visit& visit = visits[link];
            if (visit.state == kOnPath)
            {
                stream.Fail(stream.DescribeObject(link) + " is inside its own subtree (below " +
                            stream.DescribeObject(frame.object) + ")");
                return;
            }
            // Levels above the link plus its own levels below.
            const uint64_t depth = path.size() + (visit.state == kDone ? uint64_t(visit.height) : 0u);
            if (depth > kMaxDepth)
            {
                stream.Fail(plat::Format("scene graph deeper than %u levels below ", kMaxDepth) +
                            stream.DescribeObject(path.front().object));
                return;
            }
            if (visit.state == kDone)
            {
                frame.height = std::max(frame.height, visit.height + 1);
                continue;
            }
            visit.state = kOnPath;
            Frame next{link, {}, 0, 0};
            link->AppendDescendLinks(next.links);
            path.push_back(std::move(next));
        }
    }
}
