#include "translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace app {

namespace {

// Where the build embeds the compiled translations, electron-wave_<language>.qm.
const QString kDirectory = QStringLiteral(":/i18n");
const QString kName = QStringLiteral("electron-wave");

// "C" is the locale without a language, which gets the untranslated texts too.
bool isSourceLanguage(const QString& name) {
    return name == QLatin1String("C") || QLocale(name).language() == QLocale::English;
}

}  // namespace

Translations::Translations(const QStringList& languages) {
    // Looking through all the languages at once, QTranslator would skip English, for which no
    // translation exists, and pick a language the user wants less.
    for (const QString& name : languages) {
        if (isSourceLanguage(name)) {
            return;
        }
        const QLocale language(name);
        if (program_.load(language, kName, QStringLiteral("_"), kDirectory)) {
            QCoreApplication::installTranslator(&program_);
            // Qt's words in the program's language, not in one the program does not speak.
            if (qt_.load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
                QCoreApplication::installTranslator(&qt_);
            }
            return;
        }
    }
}

}  // namespace app
