#include "ScreenshotTaker.h"

#include <QDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

class tst_ScreenshotTaker : public QObject
{
    Q_OBJECT

private slots:
    void waitsUntilReady();
    void modalDialogIsDrawnAndClosed();
    void unwritableFileIsReported();
};

namespace {

QWidget *coloured(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    return widget;
}

} // namespace

void tst_ScreenshotTaker::waitsUntilReady()
{
    QTemporaryDir dir;
    QWidget window;
    coloured(&window, Qt::blue)->resize(320, 200);
    window.show();

    const QString file = dir.filePath(QStringLiteral("shot.png"));
    ScreenshotTaker taker(&window, file);
    QSignalSpy finished(&taker, &ScreenshotTaker::finished);
    taker.start();
    QTest::qWait(900);
    QCOMPARE(finished.count(), 0); // not ready, no dialog: still waiting

    taker.setReady();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), true);
    const QImage image(file);
    QCOMPARE(image.size(), window.size());
    QCOMPARE(image.pixelColor(10, 10), QColor(Qt::blue));
}

void tst_ScreenshotTaker::modalDialogIsDrawnAndClosed()
{
    QTemporaryDir dir;
    QWidget window;
    coloured(&window, Qt::blue)->setGeometry(100, 100, 400, 300);
    window.show();
    QDialog dialog(&window);
    coloured(&dialog, Qt::red)->setGeometry(200, 200, 120, 80);
    dialog.setModal(true);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const QString file = dir.filePath(QStringLiteral("modal.png"));
    ScreenshotTaker taker(&window, file);
    QSignalSpy finished(&taker, &ScreenshotTaker::finished);
    taker.start(); // never told ready: the dialog waiting for the user is enough
    QTRY_COMPARE(finished.count(), 1);

    const QImage image(file);
    QCOMPARE(image.size(), window.size());
    QCOMPARE(image.pixelColor(5, 5), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(160, 140), QColor(Qt::red)); // inside the dialog
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
}

void tst_ScreenshotTaker::unwritableFileIsReported()
{
    QWidget window;
    window.resize(50, 50);
    window.show();
    ScreenshotTaker taker(&window, QStringLiteral("/nonexistent-folder/shot.png"));
    QSignalSpy finished(&taker, &ScreenshotTaker::finished);
    taker.setReady();
    QTest::ignoreMessage(QtWarningMsg, "could not save the screenshot to /nonexistent-folder/shot.png");
    taker.start();
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
}

QTEST_MAIN(tst_ScreenshotTaker)
#include "tst_ScreenshotTaker.moc"
