#include "EnetSession.h"
#include "NetSessionPair.h"
#include "tovDirectPlayDialogPort.h"
#include "tovSessionDialog.h"

#include <gtest/gtest.h>

namespace
{

using Result = tovSessionDialog::Result;

// One player hosts through the dialog; another finds the session and joins it, a third joins
// by the address the host gives out.
TEST(tovDirectPlayDialogTest, HostAndJoinThroughTheDialog)
{
    plat::LoopbackNetwork net;
    NetSessionSide host(net, "Ann");
    NetSessionSide found(net, "Bo");
    NetSessionSide typed(net, "Cy");

    tovDirectPlayDialogPort hostPort(*host.session, "Local network (UDP)", 0);
    tovSessionDialog hostDialog(hostPort, "Ann");
    hostDialog.SelectConnection(1);
    hostDialog.SetSessionName("Saturday");
    hostDialog.ClickCreate();
    ASSERT_EQ(hostDialog.GetResult(), Result::kConnected);
    ASSERT_TRUE(host.session->IsSessionOpen());

    tovDirectPlayDialogPort foundPort(*found.session, "Local network (UDP)", 0);
    tovSessionDialog foundDialog(foundPort, "Bo");
    foundDialog.SelectConnection(1);
    ASSERT_EQ(foundDialog.GetSessions().size(), 1u);
    EXPECT_EQ(foundDialog.GetSessions()[0].name, "Saturday");
    // The address a joiner types where discovery does not reach: this computer's own.
    const std::vector<std::string> own = plat::LocalIpAddresses();
    EXPECT_EQ(foundDialog.GetIpLabel().empty(), own.empty());
    EXPECT_EQ(foundDialog.GetIpLabel().find("127."), std::string::npos);
    for (const std::string& address : own)
        EXPECT_NE(foundDialog.GetIpLabel().find(address), std::string::npos) << address;
    foundDialog.ClickPlayers();
    EXPECT_EQ(foundDialog.GetPlayers(), std::vector<std::string>{"Ann"});
    foundDialog.Answer(true);
    foundDialog.ClickJoin();
    ASSERT_EQ(foundDialog.GetResult(), Result::kConnected);

    tovDirectPlayDialogPort typedPort(*typed.session, "Local network (UDP)", 0);
    tovSessionDialog typedDialog(typedPort, "Cy");
    typedDialog.SelectConnection(1);
    typedDialog.SetAddress(host.session->GetSessionAddress());
    typedDialog.ClickJoin();
    ASSERT_EQ(typedDialog.GetResult(), Result::kConnected);

    char name[32];
    EXPECT_TRUE(WaitUntil(
        [&]
        {
            int32_t named = 0;
            for (int32_t slot = 0; slot < 5; ++slot)
                named += host.session->GetPlayerName(slot, name, sizeof(name)) ? 1 : 0;
            return named == 3;
        },
        {host.session.get(), found.session.get(), typed.session.get()}));

    // A wrong address fails with the box, and the dialog ends as a failure only after it.
    NetSessionSide lost(net, "Di");
    tovDirectPlayDialogPort lostPort(*lost.session, "Local network (UDP)", 0);
    tovSessionDialog lostDialog(lostPort, "Di");
    lostDialog.SelectConnection(1);
    lostDialog.SetAddress("192.0.2.1:28640");
    lostDialog.ClickJoin();
    EXPECT_EQ(lostDialog.GetBoxText(), "Could not join session.");
    lostDialog.Answer(true);
    EXPECT_EQ(lostDialog.GetResult(), Result::kFailed);
    EXPECT_FALSE(lost.session->IsSessionOpen());

    // A host that answers no says why in the box: here its game has begun.
    host.session->DisableJoining();
    NetSessionSide late(net, "Ed");
    tovDirectPlayDialogPort latePort(*late.session, "Local network (UDP)", 0);
    tovSessionDialog lateDialog(latePort, "Ed");
    lateDialog.SelectConnection(1);
    lateDialog.SetAddress(host.session->GetSessionAddress());
    lateDialog.ClickJoin();
    EXPECT_EQ(lateDialog.GetBoxText(), "The game has already begun.");
    lateDialog.Answer(true);
    EXPECT_EQ(lateDialog.GetResult(), Result::kFailed);
}

} // namespace
