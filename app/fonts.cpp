#include "fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>

namespace app {

namespace {

// The face the CLOSE button asks for, and similar proportional gothics that may stand in for it.
const QString kCloseFace = QStringLiteral("ＭＳ Ｐゴシック");
constexpr int kCloseSize = 12;

constexpr int kLargestInterfaceSize = 12;
constexpr int kSmallestInterfaceSize = 8;

// Under a Japanese locale fontconfig's default gothic is IPAGothic, whose Latin letters are all
// one width. The proportional gothics that Japanese desktops use for their own text take its
// place, the first one installed; IPAPGothic comes in the same package as IPAGothic.
const QStringList kProportionalFaces{QStringLiteral("Noto Sans CJK JP"),
                                     QStringLiteral("IPAPGothic")};

// fontconfig calls the fixed-width CJK gothics dual-width, which QFontInfo::fixedPitch() does not
// count as fixed: their Latin letters tell.
bool fixedWidth(const QFont& font) {
    const QFontMetricsF metrics(font);
    return QFontInfo(font).fixedPitch() || metrics.horizontalAdvance(QLatin1Char('i')) ==
                                               metrics.horizontalAdvance(QLatin1Char('W'));
}

void useProportionalInterfaceFont() {
    const QFont font = QApplication::font();
    if (!fixedWidth(font)) {
        return;
    }
    QFont proportional = font;
    proportional.setFamilies(kProportionalFaces);
    if (!fixedWidth(proportional)) {
        QApplication::setFont(proportional);
    }
}

}  // namespace

void setUpFonts() {
#ifdef Q_OS_WASM
    // The browser build's only Japanese face, which its Qt lacks (app/CMakeLists.txt).
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/japanese-gothic.ttf"));
    QFont::insertSubstitution(QApplication::font().family(), QStringLiteral("IPAPGothic"));
#endif
    QFont::insertSubstitutions(kCloseFace,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("Noto Sans CJK JP")});
    useProportionalInterfaceFont();
}

QFont interfaceFont(const QString& widestCaption, int width) {
    QFont font = QApplication::font();
    for (int size = kLargestInterfaceSize; size >= kSmallestInterfaceSize; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(widestCaption) <= width) {
            break;
        }
    }
    return font;
}

QFont closeButtonFont() {
    QFont font(kCloseFace, kCloseSize, QFont::Bold);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

}  // namespace app
