#include "model/sprites.h"

#include "platform/errors.h"

// ---------------------------------------------------------------- TTemplate

TTemplate::TTemplate()
{
    SetCenter(true);
    SetAutoSize(true);
    SetStretch(true);
    SetTransparent(true);
    resize(0, 0);
}

// ------------------------------------------------------------------ TShoot

TShoot::TShoot()
{
    SetShape(Circle);
    SetPenMode(Invert);
    SetRadius(1);
}

void TShoot::SetRadius(int r)
{
    resize(2 * r, 2 * r);
    FRadius = r;
}

void TShoot::CenterAt(QPoint p)
{
    move(p.x() - FRadius, p.y() - FRadius);
    FCenter = p;
}

// ------------------------------------------------------------------ TLaser

TLaser::TLaser()
{
    SetRadius(2);
    SetPenMode(Copy);
    SetPenColor(QColor(255, 0, 0));
    SetBrushColor(QColor(255, 0, 0));
}

// ------------------------------------------------------------------ TSeria

TSeria::TSeria() = default;

TSeria::~TSeria() { Clear(); }

int TSeria::Append(TShoot *shot)
{
    if (!shot)
        return -1;
    FItems.append(shot);
    connect(shot, &QObject::destroyed, this, [this, shot] { FItems.removeOne(shot); });
    return int(FItems.size()) - 1;
}

TShoot *TSeria::ShotAt(int i) const
{
    if (i < 0)
        throw AppError(QStringLiteral("List index out of bounds (%1)").arg(i));
    return i < FItems.size() ? FItems.at(i) : nullptr;
}

void TSeria::Clear()
{
    while (!FItems.isEmpty())
        delete FItems.takeLast();
}
