#include "form1.h"
#include "form_probe.h"
#include "translations.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <map>
#include <memory>
#include <utility>

using app::Form1;
using app::Translations;

using probe::child;
using probe::openMessage;

class TstTranslations : public QObject {
    Q_OBJECT

private slots:
    void speaksTheUsersLanguage_data();
    void speaksTheUsersLanguage();
    void japaneseEverywhereButTheCaptions();
};

void TstTranslations::speaksTheUsersLanguage_data() {
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("undo");

    const QString notANumber = QStringLiteral("Wave Num \"abc\" is not a number.\nType a decimal");
    const QString japanese = QStringLiteral("Wave Num の「abc」は数値ではありません。\n14、-3.5、");
    const QString undo = QStringLiteral("&Undo");
    const QString japaneseUndo = QStringLiteral("元に戻す(&U)");
    QTest::newRow("C") << QStringList{"C"} << "abc" << notANumber << undo;
    QTest::newRow("English") << QStringList{"en-US", "en"} << "abc" << notANumber << undo;
    // A language without a translation of the program: Qt's words stay English as well.
    QTest::newRow("German") << QStringList{"de-DE", "de"} << "abc" << notANumber << undo;
    QTest::newRow("Japanese") << QStringList{"ja-JP", "ja"} << "abc" << japanese << japaneseUndo;
    QTest::newRow("Japanese after French")
        << QStringList{"fr-FR", "ja-JP"} << "abc" << japanese << japaneseUndo;
    QTest::newRow("English before Japanese")
        << QStringList{"en-GB", "ja-JP"} << "abc" << notANumber << undo;
    QTest::newRow("Japanese, empty") << QStringList{"ja"} << ""
                                     << "Wave Num に何も入力されていません。" << japaneseUndo;
    QTest::newRow("Japanese, too large to compute")
        << QStringList{"ja"} << "1.7e308"
        << "は大きすぎて波を計算できない" << japaneseUndo;
}

// A refused RUN's message, and the Wave Num field's context menu from Qt.
void TstTranslations::speaksTheUsersLanguage() {
    QFETCH(QStringList, languages);
    QFETCH(QString, text);
    QFETCH(QString, says);
    QFETCH(QString, undo);
    // cppcheck-suppress unreadVariable ; installed for as long as it lives
    const Translations translations(languages);
    Form1 form;
    form.show();
    auto* text1 = child<QLineEdit>(form, "Text1");
    text1->setText(text);
    QTest::mouseClick(child(form, "RUN"), Qt::LeftButton);
    QMessageBox* box = openMessage(form);
    QVERIFY(box);
    QVERIFY2(box->text().contains(says), qPrintable(box->text()));
    box->accept();
    const std::unique_ptr<QMenu> menu(text1->createStandardContextMenu());
    // The action's text ends in a tab and its shortcut.
    QCOMPARE(menu->actions().value(0)->text().section(u'\t', 0, 0), undo);
}

namespace {

// What a screen reader reads of each part of the window, and the captions it shows, by name.
std::map<QString, QString> windowTexts() {
    std::map<QString, QString> texts;
    Form1 form;
    QList<QWidget*> widgets = form.findChildren<QWidget*>();
    widgets << &form;
    for (QWidget* widget : widgets) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        texts[widget->objectName() + ".name"] = accessible->text(QAccessible::Name);
        texts[widget->objectName() + ".description"] = accessible->text(QAccessible::Description);
        texts[widget->objectName() + ".caption"] = widget->property("text").toString();
    }
    texts[QStringLiteral("Form1.title")] = form.windowTitle();
    return texts;
}

}  // namespace

// Each text the program adds reads differently in Japanese; the window's captions, and the
// names that are captions, read the same.
void TstTranslations::japaneseEverywhereButTheCaptions() {
    const std::map<QString, QString> english = windowTexts();
    const std::map<QString, QString> japanese = [] {
        const Translations translations({QStringLiteral("ja-JP")});
        return windowTexts();
    }();
    QCOMPARE(japanese.size(), english.size());
    QStringList captions;
    for (const auto& [key, text] : english) {
        if (key.endsWith(".caption") || key.endsWith(".title")) {
            captions << text;
        }
    }
    for (const auto& [key, text] : english) {
        const QString& translated = japanese.at(key);
        if (text.isEmpty() || captions.contains(text)) {
            QVERIFY2(translated == text, qPrintable(key + ": " + translated));
        } else {
            QVERIFY2(translated != text, qPrintable(key + " is not translated: " + text));
        }
    }
}

QTEST_MAIN(TstTranslations)
#include "tst_translations.moc"
