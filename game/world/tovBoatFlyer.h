#pragma once
// The trolling motor's way of moving a boat: the flyer's steps, tested first against the lake
// bottom and the other boats (a move is cut short, never refused outright), and turns refused
// when either end of the boat would lack a foot of water.

#include "qrxObjectFlyer.h"

class tovBoat;

class tovBoatFlyer : public qrxObjectFlyer
{
public:
    // Creep speed (world units a second) and turn rate (degrees a second) at factor 1.
    static constexpr float kForwardSpeed = 0.01f * 5.0f;
    static constexpr float kTurnRate = 10.0f;
    // How far ahead and behind the boat's centre a turn tests the water.
    static constexpr float kReach = 0.12f;

    tovBoatFlyer();

    // The boat to move. The flyer holds it as its object only while the boat drives it (see
    // Drive), so that boat and flyer do not keep each other alive.
    void SetBoat(tovBoat* boat) { m_boat = boat; }
    tovBoat* GetBoat() const { return m_boat; }

    void Translate(const QrPoint3& delta) override;
    void Rotate(const QrMatrix3& turn) override;

    // Holds the boat as the object for one drive step.
    class Drive
    {
    public:
        explicit Drive(tovBoatFlyer& flyer);
        ~Drive();
        Drive(const Drive&) = delete;
        Drive& operator=(const Drive&) = delete;

    private:
        tovBoatFlyer& m_flyer;
    };

private:
    tovBoat* m_boat = nullptr;
};
