// The program speaks English, and the languages it has a translation for. These are installed
// for as long as a Translations object lives: its own words and Qt's (the Wave Num field's
// context menu, the message box's button), both in one language.
#pragma once

#include <QStringList>
#include <QTranslator>

namespace app {

class Translations {
public:
    // The user's languages, most wanted first, as QLocale::uiLanguages() gives them. The first
    // that is English, the program's own language, or that has a translation wins.
    explicit Translations(const QStringList& languages);

private:
    // A translator removes itself from the application when it is destroyed.
    QTranslator program_;
    QTranslator qt_;
};

}  // namespace app
