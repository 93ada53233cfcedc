#pragma once

// The learner's journal: every finished series, kept in an SQLite database.
// Plain data in and out; pixels, x to the right and y downwards, measured
// from the target's centre.

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>

struct JournalShot {
    int number = 0;     // in firing order, from 1
    QPointF hole;       // where it went
    int score = 0;
    QPointF hold;       // the parts that sent it there: hole = hold + alignment + correction
    QPointF alignment;
    QPointF correction;
};

struct JournalSeries {
    qint64 id = 0;      // given by the journal
    QDateTime firedAt;  // when its last shot was fired (UTC)
    QString shooter;
    int targetWidth = 97;    // pixels of the target picture
    bool largeTarget = true;
    int blackCircleValue = 3;
    int correction = 0;      // the elevation correction, pixels
    QString exercise;        // empty: free shooting
    int total = 0;
    QPointF meanPoint;       // of impact
    double meanRadius = 0;   // pixels
    double extremeSpread = 0;
    double ringWidth = 0;    // pixels, for reading the figures
    QList<JournalShot> shots;
};
