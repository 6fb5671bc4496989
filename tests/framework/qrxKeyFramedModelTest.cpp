// Key-framed models stepped by an idle manager on a manual clock, and gestures captured from
// the dart clip: applied, removed and shared without touching the keys of a second model.
#include "FrameworkSceneTest.h"

#include "qrxIdleManager.h"
#include "qrxKeyFramedModel.h"
#include "qrxKeyGesture.h"

#include "gen/GenFrameworkModels.h"

#include "Qr3dsAnimationNode.h"
#include "Qr3dsBone.h"
#include "QrLinearPosKey.h"

#include <memory>

namespace
{

class qrxKeyFramedModelTest : public FrameworkSceneTest
{
protected:
    // A key-framed bass: its body under a model that collected the body's timing parts.
    QrPointer<qrxKeyFramedModel> MakeSwimmer()
    {
        QrPointer<qrxKeyFramedModel> model(new qrxKeyFramedModel);
        QrPointer<QrAVObject> body = CutFromBass("Body");
        model->AttachChild(body.Get());
        EXPECT_TRUE(model->CollectKeyFramed(model.Get()));
        return model;
    }

    static QrMatrix3 TailPose(QrObject* model) { return AnimationNode(model, "Tail")->GetRotate(); }
};

TEST_F(qrxKeyFramedModelTest, ModelPosesItsNodesAtTheManagerTime)
{
    QrPointer<qrxKeyFramedModel> model = MakeSwimmer();
    EXPECT_EQ(model->GetTimingCount(), 4u) << "body, tail and two fins";
    model->CollectKeyFramed(model.Get());
    EXPECT_EQ(model->GetTimingCount(), 4u) << "collected once each";

    qrxIdleManager manager;
    manager.Add(model.Get());
    manager.Update(0.25);
    const QrMatrix3 quarter = TailPose(model.Get());
    const QrMatrix3 finQuarter = AnimationNode(model.Get(), "Fin_L")->GetRotate();
    manager.Update(0.5);
    EXPECT_NE(TailPose(model.Get()), quarter);
    EXPECT_NE(AnimationNode(model.Get(), "Fin_L")->GetRotate(), finQuarter);
    manager.Update(0.25 + gen::kBassSwimPeriod);
    EXPECT_EQ(TailPose(model.Get()), quarter) << "the swim loops";

    // Switched off, it poses once more while its change flag is set, then holds still.
    model->SetEnabled(0);
    model->SetChanged(1);
    manager.Update(1.5);
    const QrMatrix3 held = TailPose(model.Get());
    EXPECT_NE(held, quarter);
    manager.Update(1.75);
    EXPECT_EQ(TailPose(model.Get()), held);
}

TEST_F(qrxKeyFramedModelTest, BonesContributeTheirControllerOnce)
{
    QrPointer<Qr3dsAnimationNode> controller(new Qr3dsAnimationNode);
    QrPointer<qrxKeyFramedModel> model(new qrxKeyFramedModel);
    for (int i = 0; i < 2; ++i)
    {
        QrPointer<Qr3dsBone> bone(new Qr3dsBone);
        bone->SetLinkedObject(controller.Get());
        model->AttachChild(bone.Get());
    }
    model->AttachChild(QrPointer<Qr3dsBone>(new Qr3dsBone).Get());
    model->CollectKeyFramed(model.Get());
    EXPECT_EQ(model->GetTimingCount(), 1u);
}

TEST_F(qrxKeyFramedModelTest, GestureSwitchesOneModelAndLeavesItsTwinAlone)
{
    QrPointer<qrxKeyFramedModel> angler = MakeSwimmer();
    QrPointer<qrxKeyFramedModel> twin = MakeSwimmer();
    Qr3dsAnimationNode* tail = AnimationNode(angler.Get(), "Tail");
    Qr3dsAnimationNode* twinTail = AnimationNode(twin.Get(), "Tail");
    QrRotKey* const* twinKeys = twinTail->GetRotKeys();
    const float swimEnd = twinTail->GetEndTime();

    auto dart = std::make_unique<qrxKeyGesture>();
    EXPECT_FALSE(dart->LoadFromFile(DataFile(gen::kBassDartFile).c_str(), "Nobody"));
    ASSERT_TRUE(dart->LoadFromFile(DataFile(gen::kBassDartFile).c_str(), "Tail"));
    EXPECT_EQ(dart->GetCount(), 4u);
    dart->Bind(angler.Get());
    dart->Apply();
    EXPECT_EQ(tail->GetEndTime(), gen::kBassDartPeriod);
    EXPECT_EQ(twinTail->GetRotKeys(), twinKeys);
    qrxIdleManager manager;
    manager.Add(angler.Get());
    manager.Add(twin.Get());
    manager.Update(0.3);
    const QrMatrix3 dartPose = tail->GetRotate();
    EXPECT_NE(dartPose, twinTail->GetRotate());

    // A second gesture shares the dart's tracks for the twin; the dart then goes away.
    qrxKeyGesture shared;
    for (size_t i = 0; i < dart->GetCount(); ++i)
        shared.AddKeyMap(nullptr, dart->GetAt(i)->GetKeyNode().Get());
    shared.Bind(twin.Get());
    shared.Apply();
    dart.reset();
    EXPECT_EQ(tail->GetRotCount(), 0) << "the removed gesture took its keys back";
    EXPECT_EQ(twinTail->GetEndTime(), gen::kBassDartPeriod) << "the shared tracks live on";
    manager.Update(0.3);
    EXPECT_EQ(twinTail->GetRotate(), dartPose) << "the twin darts on the very same tracks";

    shared.Clear();
    EXPECT_EQ(twinTail->GetRotCount(), 0);
    EXPECT_EQ(twinTail->GetRotKeys(), nullptr);
    EXPECT_NE(swimEnd, gen::kBassDartPeriod);
}

TEST_F(qrxKeyFramedModelTest, AGestureBoundElsewhereStillTakesItsKeysBackWhenItGoes)
{
    QrPointer<qrxKeyFramedModel> angler = MakeSwimmer();
    QrPointer<qrxKeyFramedModel> twin = MakeSwimmer();
    {
        qrxKeyGesture dart;
        ASSERT_TRUE(dart.LoadFromFile(DataFile(gen::kBassDartFile).c_str(), "Tail"));
        dart.Bind(angler.Get());
        dart.Apply();
        dart.Bind(twin.Get());
    }
    EXPECT_EQ(AnimationNode(angler.Get(), "Tail")->GetRotCount(), 0);
    qrxIdleManager manager;
    manager.Add(angler.Get());
    manager.Update(0.3);
}

TEST_F(qrxKeyFramedModelTest, CollectingAndDroppingAGestureKeepsTheSourceKeys)
{
    QrPointer<qrxKeyFramedModel> source = MakeSwimmer();
    Qr3dsAnimationNode* tail = AnimationNode(source.Get(), "Tail");
    QrRotKey* const* keys = tail->GetRotKeys();
    const int32_t count = tail->GetRotCount();
    {
        qrxKeyGesture gesture;
        gesture.Collect(source.Get());
        EXPECT_EQ(gesture.GetAt(0)->GetTarget(), AnimationNode(source.Get(), "Body"));
    }
    EXPECT_EQ(tail->GetRotKeys(), keys);
    EXPECT_EQ(tail->GetRotCount(), count);
}

TEST_F(qrxKeyFramedModelTest, TheLastGestureAppliedStaysWhenAnEarlierOneGoes)
{
    QrPointer<qrxKeyFramedModel> angler = MakeSwimmer();
    QrPointer<qrxKeyFramedModel> swim = MakeSwimmer();
    Qr3dsAnimationNode* tail = AnimationNode(angler.Get(), "Tail");
    auto dart = std::make_unique<qrxKeyGesture>();
    ASSERT_TRUE(dart->LoadFromFile(DataFile(gen::kBassDartFile).c_str(), "Body"));
    dart->Bind(angler.Get());
    dart->Apply();
    qrxKeyGesture back;
    back.Capture(swim.Get(), angler.Get());
    back.Apply();
    dart.reset();
    EXPECT_EQ(tail->GetEndTime(), gen::kBassSwimPeriod);
    EXPECT_GT(tail->GetRotCount(), 0);
}

TEST_F(qrxKeyFramedModelTest, RecordsBindByNameAndKeepTheRootWhereItIs)
{
    // "Scene Root" keeps its place; another node without position keys takes the stored one.
    QrPointer<QrNode> source(new QrNode);
    for (const char* name : {"Scene Root", "Fin", "Fin", "Gill"})
    {
        QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
        node->SetName(name);
        node->SetTranslate(5, 0, 0);
        source->AttachChild(node.Get());
    }
    QrPointer<QrNode> target(new QrNode);
    for (const char* name : {"Scene Root", "Fin"})
    {
        QrPointer<Qr3dsAnimationNode> node(new Qr3dsAnimationNode);
        node->SetName(name);
        node->SetTranslate(1, 2, 3);
        target->AttachChild(node.Get());
    }
    qrxKeyGesture gesture;
    gesture.Capture(source.Get(), target.Get());
    ASSERT_EQ(gesture.GetCount(), 4u);
    EXPECT_EQ(gesture.GetAt(3)->GetTarget(), nullptr) << "no Gill in the target";
    gesture.Apply();
    EXPECT_EQ(AnimationNode(target.Get(), "Scene Root")->GetTranslate(), QrPoint3(1, 2, 3));
    EXPECT_EQ(AnimationNode(target.Get(), "Fin")->GetTranslate(), QrPoint3(5, 0, 0));

    gesture.RemoveByName("Fin");
    ASSERT_EQ(gesture.GetCount(), 2u);
    EXPECT_STREQ(gesture.GetAt(1)->GetKeyNode()->GetName(), "Gill");
}

} // namespace
