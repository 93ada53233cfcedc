#pragma once

#include "ui/frmMain.h"

// The main window's target, gun and elevation bar, as the lesson reads and
// moves them. Either picture may have failed to load: then there is nothing
// to hit, and the target reads as an empty one of the designed size.
class TMainF::WindowScene : public Scene
{
public:
    explicit WindowScene(TMainF &window) : w(window) {}

    bool SeriesOpen() const override;
    int Total() const override;
    TargetGeometry Geometry() const override;
    int BlackCircleValue() const override;
    bool LargeTarget() const override;
    QPoint Centre() const override;
    int Hit(QPoint p) override;
    void ShowMark(int shot, bool shown) override;
    QPoint Notch() const override;
    QPointF Alignment() const override;
    int Correction() const override;
    ElevationBar Bar() const override;
    void SetBar(int position) override;

private:
    TMainF &w;
};
