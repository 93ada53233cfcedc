#include "ui/savefile.h"

#include "journal/journalexport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace {
struct SaveTexts {
    Q_DECLARE_TR_FUNCTIONS(SaveExport)
};
} // namespace

QString ExportFileName(const QString &text, const QString &ending)
{
    QString name = text;
    for (QChar &c : name)
        if (c == u'/' || c == u'\\' || c == u':' || c.isSpace())
            c = u'_';
    return FittingFileName(name, ending, QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
}

void SaveExport(QWidget *parent, const QString &boxTitle, const QString &suggested,
                const std::function<QString(const QString &)> &pathHook,
                const std::function<void(const QString &)> &messageHook,
                const std::function<bool(const QString &, QString *)> &write)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = pathHook ? pathHook(suggested)
                                  : QFileDialog::getSaveFileName(parent, SaveTexts::tr("Сохранить"),
                                                                 QDir(folder).filePath(suggested));
    if (path.isEmpty())
        return;
    QString error;
    if (write(path, &error))
        return;
    if (messageHook)
        messageHook(error);
    else
        QMessageBox::warning(parent, boxTitle, error);
}
