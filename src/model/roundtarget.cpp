#include "model/roundtarget.h"

#include "base/appdir.h"
#include "base/rings.h"

#include <cmath>

namespace {
QString picturePath(bool large)
{
    return AppDir() + (large ? QStringLiteral("Images/LargeRound.bmp") : QStringLiteral("Images/SmallRound.bmp"));
}
} // namespace

TRoundTarget::TRoundTarget(QWidget *host) : FHost(host)
{
    LoadFromFile(picturePath(true));
    FLarge = true;
    FSeries = new TSeria;
    FSeries->FMaxShots = 5;
    FSeriesOpen = true;
    FBlackCircleValue = 3;
    FTotal = 0;
}

TRoundTarget::~TRoundTarget() { delete FSeries; }

void TRoundTarget::PlaceAt(QPoint p)
{
    move(p.x() - width() / 2, p.y() - height() / 2);
    FAnchor = p;
}

void TRoundTarget::ToggleSize()
{
    ResetSeries();
    FLarge = !FLarge;
    LoadFromFile(picturePath(FLarge));
    PlaceAt(FAnchor);
}

int TRoundTarget::AddShot(QPoint p)
{
    const int index = FSeries->Append(new TShoot);
    FSeries->ShotAt(index)->CenterAt(p);
    FSeries->ShotAt(index)->SetParentControl(FHost);
    if (FSeries->Count() == FSeries->FMaxShots)
        FSeriesOpen = false;
    return index;
}

TShoot *TRoundTarget::GetShot(int i) const { return FSeries->ShotAt(i); }

void TRoundTarget::ResetSeries()
{
    FSeries->Clear();
    FSeriesOpen = true;
    FTotal = 0;
}

int ScoreForDistance(double dist, int markRadius, int width, int blackCircleValue)
{
    const double f = TenRingRadius(width, blackCircleValue);
    const double d = dist - markRadius;
    for (int score = 10; score >= 1; --score)
        if (d < RingBoundary(f, score))
            return score;
    return 0;
}

int TRoundTarget::Score(QPoint p)
{
    // 64-bit squares: a gun dragged far off the window must not overflow them.
    const qint64 dx = qint64(p.x()) - FAnchor.x();
    const qint64 dy = qint64(p.y()) - FAnchor.y();
    const qint64 s = dx * dx + dy * dy;
    // Scoring follows a shot, so the first mark is there; its radius is what
    // makes d the distance to the mark's nearest edge.
    const TShoot *first = GetShot(0);
    const int radius = first ? first->FRadius : 1;
    const int score = ScoreForDistance(std::sqrt(double(s)), radius, width(), FBlackCircleValue);
    FTotal += score;
    return score;
}
