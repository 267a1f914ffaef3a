// The application identity and the settings store that lives under it.

#include "app/AppIdentity.h"
#include "app/AppSettings.h"
#include "app/support/AppTestMain.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

class AppIdentityTest : public QObject {
    Q_OBJECT

private slots:
    void settingsHelpersMakeTheIdentityFirst()
    {
        // The first call of this program is a settings call: it must not land under other names.
        QVERIFY(QCoreApplication::organizationName().isEmpty());
        AppSettings::SetFolder(QLatin1String(SettingsKey::MergePDFOutputFolder), QStringLiteral("/tmp/out"));
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Brennmoor Software"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Velloran"));
        QVERIFY(!QCoreApplication::organizationDomain().isEmpty());
    }

    void oneIdentityForTheProcess()
    {
        AppIdentity* first = AppIdentity::Instance();
        QCoreApplication::setApplicationName(QStringLiteral("Changed"));
        AppIdentity* second = AppIdentity::Instance();
        QCOMPARE(first, second);
        // The names are set once, by the constructor, not again by later calls.
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Changed"));
        QCoreApplication::setApplicationName(QStringLiteral("Velloran"));
        QCOMPARE(first->Version(), QStringLiteral("1.2.0"));
    }

    void keysAreWrittenAndSyncedUnderTheIdentity()
    {
        AppIdentity::Instance();
        const QString folder = QStringLiteral("/data/Bücher/#1");
        AppSettings::SetFolder(QLatin1String(SettingsKey::AddPDFDocumentsLocation), folder);

        // Another reader sees the value at once, in the file of the organization and program.
        const QString expectedFile = QStandardPaths::writableLocation(QStandardPaths::ConfigLocation)
                                     + QStringLiteral("/Brennmoor Software/Velloran.conf");
        QVERIFY2(QFile::exists(expectedFile), qPrintable(expectedFile));
        QSettings reader(expectedFile, QSettings::IniFormat);
        QCOMPARE(reader.value(QStringLiteral("AddPDFDocumentsLocation")).toString(), folder);
        QCOMPARE(AppSettings::Folder(QLatin1String(SettingsKey::AddPDFDocumentsLocation)), folder);
        QCOMPARE(QSettings().fileName(), expectedFile);
    }

    void foldersDefaultToDocumentsOrPictures()
    {
        const QString home = QDir::homePath();
        QCOMPARE(AppSettings::DocumentsFolder(), home + QStringLiteral("/Documents"));
        QCOMPARE(AppSettings::Folder(QLatin1String(SettingsKey::SplitPDFOutputFolder)), AppSettings::DocumentsFolder());
        QCOMPARE(AppSettings::Folder(QLatin1String(SettingsKey::InsertImageLocation)), AppSettings::PicturesFolder());
        QCOMPARE(AppSettings::Folder(QStringLiteral("NoSuchKey"), QStringLiteral("/else")), QStringLiteral("/else"));
    }
};

VELLORAN_APP_TEST_MAIN(AppIdentityTest)
#include "AppIdentityTest.moc"
