// The exported page as a real browser shows it: headless Chromium reads it from disk and from a
// local web server that names no charset, and shows the text as it was typed.

#include "app/AppSettings.h"
#include "app/create/CreateNewPDFWindow.h"
#include "app/support/AppTestMain.h"
#include "app/support/ScriptedPrompts.h"
#include "app/support/WindowTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QUrl>

namespace {

// Generous, for a loaded machine; nothing here waits longer.
constexpr int kWaitMs = 90000;

// The document Chromium builds from the address, in a profile of its own; empty when it fails.
QString BrowserDom(const QString& url)
{
    QTemporaryDir profile;
    QProcess browser;
    browser.setStandardErrorFile(QProcess::nullDevice());
    browser.start(QStringLiteral("chromium"),
                  QStringLiteral("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                                 "--disable-background-networking --disable-component-update --disable-sync --dump-dom")
                          .split(QLatin1Char(' '))
                      << QStringLiteral("--user-data-dir=") + profile.path() << url);
    if (browser.waitForFinished(kWaitMs))
        return QString::fromUtf8(browser.readAllStandardOutput());
    browser.terminate(); // asked first, so that it ends its helpers too
    browser.waitForFinished(10000);
    return QString();
}

// python3's web server on a free loopback port, which it prints first; it sends every file as
// "text/html", naming no charset.
const char* const kServer =
    "import functools, http.server, sys\n"
    "class Plain(http.server.SimpleHTTPRequestHandler): guess_type = lambda *_: 'text/html'\n"
    "s = http.server.HTTPServer(('127.0.0.1', 0), functools.partial(Plain, directory=sys.argv[1]))\n"
    "print(s.server_port, flush=True)\n"
    "s.serve_forever()";

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
        const QString fromDisk = BrowserDom(QUrl::fromLocalFile(site + QStringLiteral("/page.html")).toString());
        QVERIFY2(fromDisk.contains(typed), qPrintable(fromDisk));

        QProcess server;
        server.setStandardErrorFile(QProcess::nullDevice());
        server.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromLatin1(kServer), site});
        while (!server.canReadLine())
            QVERIFY(server.waitForReadyRead(kWaitMs));
        const QString port = QString::fromLatin1(server.readLine()).trimmed();
        const QString served = BrowserDom(QStringLiteral("http://127.0.0.1:%1/page.html").arg(port));
        server.kill();
        server.waitForFinished();
        QVERIFY2(served.contains(typed), qPrintable(served));
    }
};

VELLORAN_APP_TEST_MAIN(HtmlExportBrowserTest)
#include "HtmlExportBrowserTest.moc"
