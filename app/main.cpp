#include "accessibility.h"
#include "fonts.h"
#include "form1.h"
#include "translations.h"

#include <QApplication>
#include <QIcon>
#include <QLocale>

#ifdef Q_OS_WASM
#include <emscripten.h>
#endif

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Before the window is made, so that it is made in the user's language.
    // cppcheck-suppress unreadVariable ; installed for as long as it lives
    const app::Translations translations(QLocale::system().uiLanguages());
    QIcon icon;
    for (const int size : {16, 32, 48, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
    // Lets the desktop match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.electronwave.ElectronWave"));
    app::setUpFonts();
    app::installAccessibleInterfaces();

    app::Form1 window;
#ifdef Q_OS_WASM
    // In a web page the event loop never returns: the program ends with its window, and the page
    // then says so.
    QObject::connect(&application, &QGuiApplication::lastWindowClosed,
                     [] { emscripten_force_exit(0); });
#endif
    // In a web page Qt shows it filling the page's element for it, which is the window's size.
    window.show();
    return QApplication::exec();
}
