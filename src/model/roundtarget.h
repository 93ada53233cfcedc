#pragma once

#include "model/sprites.h"

// The round target: shows the large or small target picture, keeps the series
// of shot marks and scores each shot by its distance from FAnchor, its centre.
class TRoundTarget : public TTemplate
{
    Q_OBJECT
public:
    // Loads the large picture; raises AppError (and makes nothing) when it cannot.
    explicit TRoundTarget(QWidget *host);
    ~TRoundTarget() override;

    void PlaceAt(QPoint p) override; // centres the picture on p
    void ToggleSize();               // clears the series, swaps the picture
    int AddShot(QPoint p);           // a new mark centred on p; its index
    TShoot *GetShot(int i) const;
    void ResetSeries();
    int Score(QPoint p);             // 0 to 10, also added to FTotal

    QWidget *FHost = nullptr;
    TSeria *FSeries = nullptr;
    bool FSeriesOpen = true;
    int FBlackCircleValue = 3;
    int FTotal = 0;
    bool FLarge = true;
};

// The score of a point at distance dist from the centre, for a mark of the
// given radius on a target picture of the given width.
int ScoreForDistance(double dist, int markRadius, int width, int blackCircleValue);
