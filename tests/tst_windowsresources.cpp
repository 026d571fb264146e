// What Windows itself reads from electron-wave.exe: the icon that Explorer, the taskbar and the
// Start menu show, and the version information of the file's properties.
#include <QDir>
#include <QTest>

#include <windows.h>

#include <vector>

namespace {

const std::wstring kProgram = QDir::toNativeSeparators(QStringLiteral(PROGRAM_PATH)).toStdWString();

// A string of the version information's English block, as the file's properties show it.
QString versionString(const std::vector<char>& info, const wchar_t* name) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) {
        return {};
    }
    return QString::fromWCharArray(static_cast<const wchar_t*>(value), int(length) - 1);
}

}  // namespace

class TstWindowsResources : public QObject {
    Q_OBJECT

private slots:
    void iconInEverySize_data() {
        QTest::addColumn<int>("size");
        for (const int size : {16, 32, 48, 256}) {
            QTest::addRow("%d px", size) << size;
        }
    }
    void iconInEverySize() {
        QFETCH(int, size);
        // Icon 0, the first icon group in the file whatever its resource name, is the one the
        // shell shows for the file; extracted as the shell extracts it.
        HICON icon = nullptr;
        const UINT extracted = PrivateExtractIconsW(kProgram.c_str(), 0, size, size, &icon, nullptr,
                                                    1, LR_DEFAULTCOLOR);
        QVERIFY2(extracted != UINT(-1), "the program cannot be opened");
        ICONINFO iconInfo{};
        const bool loaded = icon != nullptr && GetIconInfo(icon, &iconInfo);
        BITMAP bitmap{};
        if (loaded) {
            GetObjectW(iconInfo.hbmColor, sizeof bitmap, &bitmap);
            DeleteObject(iconInfo.hbmColor);
            DeleteObject(iconInfo.hbmMask);
        }
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
        QVERIFY2(loaded, "the program carries no icon");
        QCOMPARE(int(bitmap.bmWidth), size);
        QCOMPARE(int(bitmap.bmHeight), size);
    }

    void versionInformation() {
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeW(kProgram.c_str(), &handle);
        QVERIFY2(size > 0, "the program carries no version information");
        std::vector<char> info(size);
        QVERIFY(GetFileVersionInfoW(kProgram.c_str(), 0, size, info.data()));

        QCOMPARE(versionString(info, L"ProductName"), QStringLiteral("電子波自己干渉"));
        QCOMPARE(versionString(info, L"ProductVersion"), QStringLiteral(PROGRAM_VERSION));
        QCOMPARE(versionString(info, L"OriginalFilename"), QStringLiteral("electron-wave.exe"));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        QVERIFY(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        const QString fileVersion = QStringLiteral("%1.%2.%3")
                                        .arg(HIWORD(fixed->dwFileVersionMS))
                                        .arg(LOWORD(fixed->dwFileVersionMS))
                                        .arg(HIWORD(fixed->dwFileVersionLS));
        QCOMPARE(fileVersion, QStringLiteral(PROGRAM_VERSION));
        QCOMPARE(fixed->dwFileType, DWORD(VFT_APP));
    }
};

QTEST_APPLESS_MAIN(TstWindowsResources)
#include "tst_windowsresources.moc"
