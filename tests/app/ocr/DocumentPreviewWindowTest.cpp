// The preview fits the scan into its scroll area at zoom 100, zooms up to three times that,
// re-fits when the window is resized, reads an image only when its path changes and shows
// nothing for a file that holds no image.

#include "app/ocr/DocumentPreviewWindow.h"
#include "app/support/AppTestMain.h"

#include <QLabel>
#include <QScrollArea>
#include <QSlider>
#include <QTemporaryDir>

namespace {

QString WriteImage(const QTemporaryDir& folder, const QString& name, const QSize& size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = folder.filePath(name);
    if (!image.save(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class DocumentPreviewWindowTest : public QObject {
    Q_OBJECT

private slots:
    void fitsZoomsAndKeepsItsImage()
    {
        QTemporaryDir folder;
        const QString tall = WriteImage(folder, QStringLiteral("tall.png"), QSize(400, 1000));
        const QString wide = WriteImage(folder, QStringLiteral("wide.jpg"), QSize(1200, 300));
        const QString broken = folder.filePath(QStringLiteral("broken.png"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not an image") > 0);
        file.close();

        DocumentPreviewWindow preview;
        preview.resize(500, 600);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        auto* area = preview.findChild<QScrollArea*>(QStringLiteral("scrollImagePreview"));
        auto* label = preview.findChild<QLabel*>(QStringLiteral("labelImagePreview"));
        auto* slider = preview.findChild<QSlider*>(QStringLiteral("sliderPreviewZoom"));
        QVERIFY(area && label && slider);
        const auto shown = [&]() { return label->pixmap(Qt::ReturnByValue).size(); };
        const auto fitted = [&](QSize image, int zoom) {
            const float factor = float(zoom) / 100.0f;
            return image.scaled(int(float(area->width()) * factor), int(float(area->height()) * factor),
                                Qt::KeepAspectRatio);
        };

        preview.SetImage(tall);
        QCOMPARE(shown(), fitted(QSize(400, 1000), 100));
        QCOMPARE(shown().height(), area->height()); // a tall page fills the height
        slider->setValue(300);
        QCOMPARE(shown(), fitted(QSize(400, 1000), 300));
        // Keyboard steps go by 20.
        slider->setValue(100);
        slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(slider->value(), 140);
        QCOMPARE(shown(), fitted(QSize(400, 1000), 140));

        // The same path again reads nothing and keeps the zoom; a resize re-fits at that zoom.
        preview.SetImage(tall);
        QCOMPARE(slider->value(), 140);
        preview.resize(700, 500);
        QTRY_COMPARE(shown(), fitted(QSize(400, 1000), 140));

        // Another image starts at 100, and a wide one fills the width.
        preview.SetImage(wide);
        QCOMPARE(slider->value(), 100);
        QCOMPARE(shown(), fitted(QSize(1200, 300), 100));
        QCOMPARE(shown().width(), area->width());

        // Hiding and showing keeps the image.
        preview.hide();
        preview.show();
        QCOMPARE(shown(), fitted(QSize(1200, 300), 100));

        // No image in the file: nothing shown, and the path is not read again.
        preview.SetImage(broken);
        QVERIFY(label->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(QFile::remove(broken));
        QVERIFY(QFile::copy(tall, broken));
        preview.SetImage(broken);
        QVERIFY(label->pixmap(Qt::ReturnByValue).isNull());
    }
};

VELLORAN_APP_TEST_MAIN(DocumentPreviewWindowTest)
#include "DocumentPreviewWindowTest.moc"
