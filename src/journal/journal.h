#pragma once

// The learner's journal: every finished series, kept in an SQLite database.
// Plain data in and out; pixels, x to the right and y downwards, measured
// from the target's centre.

#include "base/tracesample.h"

#include <QDateTime>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QUuid>

struct JournalShot {
    JournalShot() = default;
    JournalShot(int number, QPointF hole, int score, QPointF hold, QPointF alignment, QPointF correction)
        : number(number), hole(hole), score(score), hold(hold), alignment(alignment), correction(correction) {}

    int number = 0;     // in firing order, from 1
    QPointF hole;       // where it went
    int score = 0;      // as the exercise counted it: 0 for a shot after the time
    QPointF hold;       // the parts that sent it there: hole = hold + alignment + correction
    QPointF alignment;
    QPointF correction;
    int sincePreviousMs = -1;         // since the shot before it in the series; -1: none
    bool called = false;              // calling the shot: where the shooter said it went
    QPointF call;
    QList<TraceSample> trace;   // the aim's path over the last two seconds
    int sinceStartMs = -1;      // a timed series: since its clock started; -1: no clock
    bool late = false;          // a timed series: fired after the time, its score filed as 0
};

struct JournalSeries {
    qint64 id = 0;      // given by the journal
    QUuid uid;          // the series' identity from its last shot on: filed once, however often it is offered
    QDateTime firedAt;  // when its last shot was fired (UTC)
    QString shooter;
    QString klass;           // the shooter's class on the class roster; empty: none
    bool forClassJournal = false; // to be sent to the class journal once it is in this one
    int targetWidth = 97;    // pixels of the target picture
    bool largeTarget = true;
    int blackCircleValue = 3;
    int correction = 0;      // the elevation correction, pixels
    QString exercise;        // empty: free shooting
    QPoint hiddenError;      // zeroing: the gun's error, found by the learner
    int zeroingSeries = 0;   // zeroing: the series it took, on the series that finished it
    int timeLimitMs = 0;     // a timed series: the time it was to be fired in; 0: none
    int total = 0;           // as the exercise counted it: a shot after the time counts 0
    QPointF meanPoint;       // of impact
    double meanRadius = 0;   // pixels
    double extremeSpread = 0;
    double ringWidth = 0;    // pixels, for reading the figures
    QList<JournalShot> shots;
};
