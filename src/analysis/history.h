#pragma once

// The lesson's series one after another: each series' figures in a row, and
// which way they go.

#include <QList>
#include <QString>
#include <QStringList>

struct HistoryRow {
    int number = 0;            // in the session, from 1
    int shots = 0;
    int total = 0;
    double meanRadiusRings = 0; // of the group (flyers left out)
    int flyers = 0;
    double inTen = -1;          // the steadiness of the hold, shares 0 to 1; -1: no trace
    double inNine = -1;
};

// The least-squares slope of values taken one step apart: how much they
// change a step; 0 for fewer than two.
double Slope(const QList<double> &values);

// What the rows say over the session, in a coach's words: the total, the
// mean radius and (where every series has it) the time in the 10, from the
// first series to the last, and which way each goes. Nothing for fewer than
// two series.
QStringList TrendWords(const QList<HistoryRow> &rows);
