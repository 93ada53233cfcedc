#include "platform/translation.h"

#include "base/appdir.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

QString InstallTranslation(const QLocale &locale)
{
    // Made once and kept for the program's life, as the application keeps
    // only a pointer; a second call replaces the first one's.
    static QTranslator *own = nullptr;
    static QTranslator *qt = nullptr;
    for (QTranslator **t : {&own, &qt}) {
        if (*t) {
            QCoreApplication::removeTranslator(*t);
            delete *t;
            *t = nullptr;
        }
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, QStringLiteral("vimbra"), QStringLiteral("_"), AppDir() + QStringLiteral("translations")))
        return QString();
    own = translator.release();
    QCoreApplication::installTranslator(own);
    auto base = std::make_unique<QTranslator>();
    if (base->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qt = base.release();
        QCoreApplication::installTranslator(qt);
    }
    return own->filePath();
}
