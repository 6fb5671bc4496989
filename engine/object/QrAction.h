#pragma once
// A per-frame behaviour on the one program-wide action list, stepped by UpdateAll; an action
// whose Update answers false leaves the list and is released. Actions are saved with every
// scene file and start running when a file holding them is linked.

#include "QrObject.h"

class QrAction : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    void LinkObject(QrStream& stream) override;

    // False ends the action.
    virtual bool Update(double time, double elapsed) = 0;

    // Adds with a reference at the head: the newest action runs first. An action already on
    // the list is not added again. An action added while UpdateAll runs first runs in the
    // next frame.
    static void AddAction(QrAction* action);
    // Runs every action once, newest first. An action that ends is released once its own
    // call has returned. Not re-entrant: a call from inside an Update does nothing.
    static void UpdateAll(double time, double elapsed);
    // Save callback of every stream: enters each running action in list order.
    static void RegisterAllForSave(QrStream& stream);
    // Releases every action on the list (exit, test fixtures). Actions taken off this way
    // during UpdateAll do not run for the rest of that frame.
    static void RemoveAll();
    static uint32_t GetActionCount();
    static bool IsRunning(const QrAction* action);

protected:
    QrAction() = default;
    ~QrAction() override = default;
};
