#pragma once

// Picture sprites, shot marks, the laser dot and the series.
//
// A visual is made without a host and shows once its creator hands it one
// (SetParentControl); from then on the host frees it unless its owner (the
// target for marks, the gun for its sights) has freed it before.

#include "model/controls.h"

#include <QList>
#include <QObject>
#include <QPoint>

// The base of every picture sprite: always exactly the size of its picture,
// drawn at its natural size with its transparent colour left out.
class TTemplate : public TPictureControl
{
    Q_OBJECT
public:
    TTemplate();

    // Moves the sprite so that the point it names (fixed by each kind of
    // sprite) lies at p, and remembers p in FAnchor.
    virtual void PlaceAt(QPoint p) = 0;

    QPoint FAnchor;
};

// The mark a shot leaves: a circle that inverts whatever lies beneath it.
class TShoot : public TShape
{
    Q_OBJECT
public:
    TShoot();

    void SetRadius(int r);   // size 2r x 2r; the top-left stays
    void CenterAt(QPoint p); // top-left at p - (r, r)

    int FRadius = 1;
    QPoint FCenter;
};

// The laser sight's dot: a filled red circle 4 pixels across.
class TLaser : public TShoot
{
    Q_OBJECT
public:
    TLaser();
};

// Calling the shot: where the shooter said the shot went (a small ring) and
// a line from there to the hole. Drawn over the target, taking no mouse.
class TCallMark : public TControl
{
    Q_OBJECT
public:
    TCallMark(QPoint call, QPoint hole);

    QPoint FCall;
    QPoint FHole;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// An owning list of shot marks. It frees what it deletes; a mark destroyed by
// other means simply leaves the list.
class TSeria : public QObject
{
    Q_OBJECT
public:
    TSeria();
    ~TSeria() override;

    int Append(TShoot *shot);  // index of the new mark; -1 for none
    TShoot *ShotAt(int i) const; // none past the end; raises for i < 0
    int Count() const { return int(FItems.size()); }
    void Clear();              // frees every mark, the last first

    int FMaxShots = 0;

private:
    QList<TShoot *> FItems;
};
