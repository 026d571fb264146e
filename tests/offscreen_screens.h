// Offscreen screens side by side, one for each pixel ratio, scaled as QT_SCREEN_SCALE_FACTORS
// scales a desktop's monitors.
#pragma once

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <span>

namespace offscreen {

// Where the configuration goes: a directory in the current one. The platform's name and its
// parameters are separated by colons, so the file's path must have no drive letter, as Windows'
// absolute paths have.
inline const QString kConfigDir = QStringLiteral("offscreen-XXXXXX");

// Before the application is made; the configuration is written into the directory, made from
// kConfigDir, which must outlive the application.
inline bool setUpScreens(std::span<const qreal> ratios, const QTemporaryDir& dir) {
    QJsonArray screens;
    QStringList factors;
    for (std::size_t i = 0; i < ratios.size(); ++i) {
        const QString name = QStringLiteral("screen%1").arg(i);
        screens.append(QJsonObject{
            {"name", name}, {"x", int(i) * 2000}, {"y", 0}, {"width", 2000}, {"height", 1000}});
        factors << QStringLiteral("%1=%2").arg(name).arg(ratios[i]);
    }
    const QString config =
        QDir::current().relativeFilePath(dir.filePath(QStringLiteral("screens.json")));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(
                       QJsonObject{{"screens", screens}, {"synchronousWindowSystemEvents", true}})
                       .toJson()) < 0) {
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    qputenv("QT_SCREEN_SCALE_FACTORS", factors.join(';').toLocal8Bit());
    return true;
}

inline QScreen* screenOf(qreal ratio) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    const auto found = std::find_if(screens.begin(), screens.end(), [ratio](const QScreen* s) {
        return s->devicePixelRatio() == ratio;
    });
    Q_ASSERT(found != screens.end());
    return *found;
}

}  // namespace offscreen
