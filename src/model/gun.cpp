#include "model/gun.h"

#include "base/appdir.h"

#include <memory>

namespace {
void placeByTopCentre(TTemplate *sight, QPoint p)
{
    sight->move(p.x() - sight->width() / 2, p.y());
    sight->FAnchor = p;
}
} // namespace

TMushka::TMushka() { LoadFromFile(AppDir() + QStringLiteral("Images/Mushka.bmp")); }

void TMushka::PlaceAt(QPoint p) { placeByTopCentre(this, p); }

TPlanka::TPlanka() { LoadFromFile(AppDir() + QStringLiteral("Images/Planka.bmp")); }

void TPlanka::PlaceAt(QPoint p) { placeByTopCentre(this, p); }

TGun::TGun(QWidget *host)
{
    // The front sight is given the host first, so the rear sight covers it.
    auto mushka = std::make_unique<TMushka>();
    mushka->SetParentControl(host);
    auto planka = std::make_unique<TPlanka>();
    planka->SetParentControl(host);
    FMushka = mushka.release();
    FPlanka = planka.release();

    setMouseTracking(true);
    resize(151, 130);
    FSightDX = 5;
    FSightDY = 5;
    MoveTo(QPoint(500, 300));
    FMaxDX = 20;
    FMaxDY = 20;
    FPlankaCorrection = 20;
    FLeverage = 3;
}

TGun::~TGun()
{
    delete FMushka;
    delete FPlanka;
}

void TGun::MoveTo(QPoint p)
{
    move(p.x() - width() / 2, p.y() - 20);
    FPlanka->PlaceAt(p);
    FMushka->PlaceAt(QPoint(x() + width() / 2 + FSightDX, p.y() + FSightDY));
    FPosition = p;
}

void TGun::SetSightDX(int v)
{
    if (v < -FMaxDX || v > FMaxDX)
        return;
    FMushka->PlaceAt(QPoint(FPlanka->FAnchor.x() + v, FMushka->FAnchor.y()));
    FSightDX = v;
}

void TGun::SetSightDY(int v)
{
    if (v < -FMaxDY || v > FMaxDY)
        return;
    FMushka->PlaceAt(QPoint(FMushka->FAnchor.x(), FPlanka->FAnchor.y() + v));
    FSightDY = v;
}

QPoint TGun::AimPoint(bool remember)
{
    const QPoint aim(FPlanka->FAnchor.x() + FSightDX * FLeverage,
                     FPlanka->FAnchor.y() + FSightDY * FLeverage - FPlankaCorrection);
    if (remember)
        FLastShot = aim;
    return aim;
}
