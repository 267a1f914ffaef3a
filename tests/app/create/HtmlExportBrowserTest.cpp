// The exported page as a real browser shows it: headless Chromium reads it from disk and from a
// local web server that names no charset, and shows the text as it was typed.

#include "app/AppSettings.h"
#include "app/create/CreateNewPDFWindow.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/WindowTestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QUrl>

namespace {

// Generous, for a loaded machine; nothing here waits longer.
constexpr int kWaitMs = 90000;

// Stops a program that is still running: asked first, so that a browser ends its helpers too.
void Stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(10000);
    }
}

// The document Chromium builds from the address, in a profile of its own; empty when it fails.
QString BrowserDom(const QString& url)
{
    QTemporaryDir profile;
    QProcess browser;
    browser.setStandardErrorFile(QProcess::nullDevice());
    browser.start(QStringLiteral("chromium"),
                  {QStringLiteral("--headless"), QStringLiteral("--no-sandbox"), QStringLiteral("--disable-gpu"),
                   QStringLiteral("--disable-quic"), QStringLiteral("--no-first-run"),
                   QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
                   QStringLiteral("--disable-sync"), QStringLiteral("--user-data-dir=") + profile.path(),
                   QStringLiteral("--dump-dom"), url});
    const bool ended = browser.waitForFinished(kWaitMs);
    Stop(browser);
    return ended ? QString::fromUtf8(browser.readAllStandardOutput()) : QString();
}

} // namespace

class HtmlExportBrowserTest : public QObject {
    Q_OBJECT

private slots:
    void aBrowserShowsTheTextAsTyped()
    {
        const QString typed = QStringLiteral("Héllo Wörld Łódź ≤");
        const QString site = AppSettings::DocumentsFolder() + QStringLiteral("/site");
        QVERIFY(QDir().mkpath(site));
        {
            ScriptedPrompts prompts;
            CreateNewPDFWindow editor;
            editor.show();
            Find<QTextEdit>(editor, "editNewPDF")->insertPlainText(typed);
            prompts.fileNameAnswers << site + QStringLiteral("/page.html");
            Find<QPushButton>(editor, "buttonExportHTML")->click();
            QCOMPARE(prompts.Of(QStringLiteral("information")).size(), 1);
        }

        // python3's own server on a free loopback port, which it names on its first line; it
        // sends the page as "text/html", with no charset.
        QProcess server;
        server.setStandardErrorFile(QProcess::nullDevice());
        server.start(QStringLiteral("python3"), {QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"),
                                                 QStringLiteral("0"), QStringLiteral("--bind"),
                                                 QStringLiteral("127.0.0.1"), QStringLiteral("--directory"), site});
        static const QRegularExpression serving(QStringLiteral("port (\\d+)"));
        QString banner;
        QRegularExpressionMatch port;
        const QDeadlineTimer deadline(kWaitMs);
        while (!(port = serving.match(banner)).hasMatch() && server.waitForReadyRead(int(deadline.remainingTime())))
            banner += QString::fromUtf8(server.readAllStandardOutput());
        QVERIFY2(port.hasMatch(), qPrintable(banner));
        const QString page = QStringLiteral("http://127.0.0.1:%1/page.html").arg(port.captured(1));
        QProcess header;
        header.start(QStringLiteral("python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, urllib.request; "
                                     "print(urllib.request.urlopen(sys.argv[1]).headers['Content-Type'])"),
                      page});
        header.waitForFinished(kWaitMs);
        Stop(header);
        QCOMPARE(QString::fromUtf8(header.readAllStandardOutput()).trimmed(), QStringLiteral("text/html"));
        const QString served = BrowserDom(page);
        Stop(server);
        QVERIFY2(served.contains(typed), qPrintable(served));

        const QString fromDisk = BrowserDom(QUrl::fromLocalFile(site + QStringLiteral("/page.html")).toString());
        QVERIFY2(fromDisk.contains(typed), qPrintable(fromDisk));
    }
};

VELLORAN_APP_TEST_MAIN(HtmlExportBrowserTest)
#include "HtmlExportBrowserTest.moc"
