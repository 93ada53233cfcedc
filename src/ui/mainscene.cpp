#include "ui/mainscene.h"

bool TMainF::WindowScene::SeriesOpen() const { return w.Target && w.Target->FSeriesOpen; }

int TMainF::WindowScene::Total() const { return w.Target ? w.Target->FTotal : 0; }

TargetGeometry TMainF::WindowScene::Geometry() const
{
    TargetGeometry geometry;
    if (w.Target) {
        geometry.width = w.Target->width();
        // While a number outside 1 to 10 is being typed the target scores
        // with it; the debrief draws the nearest ring set that exists.
        geometry.blackCircleValue = qBound(0, w.Target->FBlackCircleValue, 10);
        if (const TShoot *first = w.Target->FSeries->Count() ? w.Target->GetShot(0) : nullptr)
            geometry.markRadius = first->FRadius;
    }
    return geometry;
}

int TMainF::WindowScene::BlackCircleValue() const
{
    return w.Target ? w.Target->FBlackCircleValue : TargetGeometry().blackCircleValue;
}

bool TMainF::WindowScene::LargeTarget() const { return !w.Target || w.Target->FLarge; }

QPoint TMainF::WindowScene::Centre() const { return w.Target ? w.Target->FAnchor : QPoint(); }

int TMainF::WindowScene::Hit(QPoint p)
{
    // The gun remembers where the shot went, off its sights or not.
    w.Gun->FLastShot = p;
    w.Target->AddShot(p);
    return w.Target->Score(w.Gun->FLastShot);
}

void TMainF::WindowScene::ShowMark(int shot, bool shown)
{
    if (TShoot *mark = w.Target ? w.Target->GetShot(shot) : nullptr)
        mark->setVisible(shown);
}

QPoint TMainF::WindowScene::Notch() const { return w.Gun && w.Gun->FPlanka ? w.Gun->FPlanka->FAnchor : QPoint(); }

QPointF TMainF::WindowScene::Alignment() const
{
    return w.Gun ? QPointF(w.Gun->FSightDX * w.Gun->FLeverage, w.Gun->FSightDY * w.Gun->FLeverage) : QPointF();
}

int TMainF::WindowScene::Correction() const { return w.Gun ? w.Gun->FPlankaCorrection : 0; }

ElevationBar TMainF::WindowScene::Bar() const { return ElevationBar{w.PlankaCorrectionBar->value(), w.PlankaCorrectionBar->maximum()}; }

void TMainF::WindowScene::SetBar(int position) { w.PlankaCorrectionBar->setValue(position); }
