#include "SampleData.h"

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

// Users as top-level objects, each carrying string extra data; their action lists are never
// saved, so the file holds the object part only.
void WriteUsers(Context& context)
{
    const UserSample samples[] = {
        {"Player One", {"input: keyboard", "seat: bow"}},
        {"Player Two", {"input: mouse", "seat: stern"}},
        {"Observer", {"input: none", nullptr}},
    };
    std::vector<QrPointer<QrUser>> users;
    std::vector<QrObject*> topLevel;
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
        topLevel.push_back(user.Get());
        users.push_back(user);
    }
    context.WriteScene("Data/Engine/users.qrf", topLevel);
}

} // namespace

void GenerateEngineScenes(Context& context)
{
    WriteUsers(context);
}

} // namespace gen
