#pragma once
// Deferred drawing during a node's display pass: objects handed to AddObject between
// StartSorting and FinishSorting may be kept back and drawn, ordered, at FinishSorting.
// Every node makes its sorter through the program-wide factory, so whoever replaces the
// factory decides the sorter of every node made afterwards. Owned by the node that made it.

class QrAVInstance;
class QrAVObject;
class QrCamera;
class QrSorter;

using QrSorterFactory = QrSorter* (*)();

class QrSorter
{
public:
    QrSorter() = default;
    QrSorter(const QrSorter&) = delete;
    QrSorter& operator=(const QrSorter&) = delete;
    virtual ~QrSorter() = default;

    virtual void StartSorting(QrCamera* camera) = 0;
    virtual void FinishSorting() = 0;
    // True: the object was taken and must not be drawn now.
    virtual bool AddObject(QrAVObject* object, QrAVInstance* instance) = 0;

    // A new sorter from the program-wide factory (the alpha sorter's from the start); the
    // caller deletes it.
    static QrSorter* Create();
    // Installs a factory (null restores the alpha sorter's) and returns the one it replaces.
    static QrSorterFactory SetFactory(QrSorterFactory factory);
    static QrSorterFactory GetFactory();
};
