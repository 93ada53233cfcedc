#pragma once

#include "analysis/debrief.h"
#include "ui/debrieftarget.h"
#include "ui_frmDebrief.h"

#include <QWidget>

// The debrief of the series: its target drawn large with the holes, the
// mean point of impact, the mean radius and the extreme spread; the figures
// in plain words, shot by shot what sent each one there, and the coach's
// advice with a button that applies the advised correction. It stands beside
// the main window, is updated by it, and never takes the focus from it.
class TDebriefF : public QWidget, public Ui::TDebriefF
{
    Q_OBJECT
public:
    explicit TDebriefF(QWidget *parent = nullptr);

    struct Input {
        TDebriefTarget::Series current;  // its figures are worked out here
        TDebriefTarget::Series previous; // the last finished series, if any
        ElevationBar bar;
    };
    void ShowSeries(const Input &input);
    const SeriesFigures &Figures() const { return FFigures; }

    // Size and place are kept in this settings file, section [Debrief].
    void SetSettingsFile(const QString &path) { FSettingsFile = path; }
    // Shows the window where it was last, or beside the window given.
    void Open(QWidget *beside);
    // Writes its size and place into the settings file, if it was opened.
    // Called when the program ends; closing the window only remembers them.
    void SaveGeometry();

Q_SIGNALS:
    // "Применить": the elevation bar is to stand at this position.
    void ApplyCorrection(int barPosition);
    // "Журнал": the journal window is wanted.
    void OpenJournal();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void RememberGeometry();
    QString FSettingsFile;
    QRect FPlace; // frame corner and inner size; invalid: none yet
    SeriesFigures FFigures;
    bool FOpened = false;
};
