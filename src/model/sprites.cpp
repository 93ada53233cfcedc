#include "model/sprites.h"

#include "platform/errors.h"

#include <QCoreApplication>
#include <QPainter>

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

// --------------------------------------------------------------- TCallMark

namespace {
constexpr int kCallRing = 3; // the call's ring's radius
}

TCallMark::TCallMark(QPoint call, QPoint hole) : FCall(call), FHole(hole)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QRect span = QRect(call, hole).normalized().adjusted(-kCallRing - 1, -kCallRing - 1, kCallRing + 1,
                                                                 kCallRing + 1);
    setGeometry(span);
}

void TCallMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF call = FCall - pos(), hole = FHole - pos();
    painter.setPen(QPen(QColor(0, 120, 255), 1));
    painter.drawLine(call, hole);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(call, kCallRing, kCallRing);
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
        throw AppError(QCoreApplication::translate("Errors", "List index out of bounds (%1)").arg(i));
    return i < FItems.size() ? FItems.at(i) : nullptr;
}

void TSeria::Clear()
{
    while (!FItems.isEmpty())
        delete FItems.takeLast();
}
