#include "SampleData.h"
#include "SampleObjects.h"

#include "QrPointer.h"
#include "QrStringExtraData.h"
#include "QrUser.h"

namespace gen
{

namespace
{

struct UserSample
{
    const char* name;
    const char* notes[2];
};

} // namespace

// Users carry string extra data; their action lists are never saved, so a file holds the
// object part only.
std::vector<QrPointer<QrUser>> MakeSampleUsers()
{
    const UserSample samples[] = {
        {"Player One", {"input: keyboard", "seat: bow"}},
        {"Player Two", {"input: mouse", "seat: stern"}},
        {"Observer", {"input: none", nullptr}},
    };
    std::vector<QrPointer<QrUser>> users;
    for (const UserSample& sample : samples)
    {
        QrPointer<QrUser> user(new QrUser);
        user->SetName(sample.name);
        // The chain takes records at its head: add the last note first to keep them in order.
        for (int i = 1; i >= 0; --i)
        {
            if (!sample.notes[i])
                continue;
            auto* note = new QrStringExtraData;
            note->SetString(sample.notes[i]);
            user->AddExtraData(note);
        }
        users.push_back(user);
    }
    return users;
}

void GenerateEngineScenes(Context& context)
{
    // Users as top-level objects.
    std::vector<QrObject*> topLevel;
    const std::vector<QrPointer<QrUser>> users = MakeSampleUsers();
    for (const QrPointer<QrUser>& user : users)
        topLevel.push_back(user.Get());
    context.WriteScene("Data/Engine/users.qrf", topLevel);
}

} // namespace gen
