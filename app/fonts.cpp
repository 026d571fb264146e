#include "fonts.h"

#include <QApplication>
#include <QFontMetrics>

namespace app {

namespace {

// The face the CLOSE button asks for, and similar proportional gothics that may stand in for it.
const QString kCloseFace = QStringLiteral("ＭＳ Ｐゴシック");
constexpr int kCloseSize = 12;

constexpr int kLargestInterfaceSize = 12;
constexpr int kSmallestInterfaceSize = 8;

}  // namespace

void registerFontSubstitutes() {
    QFont::insertSubstitutions(kCloseFace,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("Noto Sans CJK JP")});
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
