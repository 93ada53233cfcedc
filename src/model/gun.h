#pragma once

#include "model/sprites.h"

#include <QPointer>

// The front sight (a post) and the rear sight (a plate with a notch); each is
// placed by its top centre.
class TMushka : public TTemplate
{
    Q_OBJECT
public:
    TMushka(); // raises AppError when its picture cannot be loaded
    void PlaceAt(QPoint p) override;
};

class TPlanka : public TTemplate
{
    Q_OBJECT
public:
    TPlanka(); // raises AppError when its picture cannot be loaded
    void PlaceAt(QPoint p) override;
};

// The gun: an invisible 151 x 130 rectangle that catches the mouse over both
// sights and works out where a shot would land. Its position is the rear
// sight's top centre; the front sight stands at (FSightDX, FSightDY) from it.
class TGun : public TPictureControl
{
    Q_OBJECT
public:
    // Builds both sights as children of host; raises AppError (and makes
    // nothing) when a sight picture cannot be loaded.
    explicit TGun(QWidget *host);
    ~TGun() override;

    void MoveTo(QPoint p);
    void SetSightDX(int v); // refused beyond +-FMaxDX
    void SetSightDY(int v); // refused beyond +-FMaxDY
    QPoint AimPoint(bool remember);

    // Owned by the gun; guarded because the host may free them first.
    QPointer<TMushka> FMushka;
    QPointer<TPlanka> FPlanka;
    int FSightDY = 5;
    int FSightDX = 5;
    int FMaxDX = 20;
    int FMaxDY = 20;
    QPoint FLastShot;
    int FLeverage = 3;
    int FPlankaCorrection = 20;
    QPoint FPosition;
};
