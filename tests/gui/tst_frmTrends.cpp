#include "WindowTest.h"

#include "shell/TrendChart.h"
#include "shell/frmTrends.h"
#include "trends/TrendCsv.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

using Q = cTZLInputRegisters::Quantity;
using Block = cPollingCycle::MeasurementBlock;

const QString App = QStringLiteral("VI_TZLConfigurator");

// The Trends window alone over a history the test fills.
struct TrendsFixture
{
    TrendsFixture() { Window = std::make_unique<frmTrends>(Services()); }
    TrendsServices Services() { return {History, UI, Store, Dialogs, App}; }
    // Every block read at `ms`, volts 230 + ms / 1000.
    void RecordAt(qint64 ms)
    {
        cTZLInputRegisters::Readings readings;
        for (auto& r : readings)
            r = 230.0f + float(ms) / 1000.0f;
        for (Block block : {Block::Basics, Block::Averages, Block::Sums, Block::BusGen})
            History.Record(ms, block, readings);
    }
    template <typename T>
    T* Control(const char* name)
    {
        return Child<T>(*Window, name);
    }
    TrendChart* Chart(TrendGroup group)
    {
        return Window->findChild<TrendChart*>(QStringLiteral("chart%1").arg(int(group)));
    }

    TrendHistory History;
    ScriptedUserInterface UI;
    MemorySettingsStore Store;
    ScriptedFileDialogs Dialogs;
    QTemporaryDir Folder;
    std::unique_ptr<frmTrends> Window;
};

} // namespace

class tst_frmTrends : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void PicksSeriesPausesAndClears()
    {
        TrendsFixture t;
        const qint64 start = QDateTime(QDate(2024, 5, 17), QTime(10, 0)).toMSecsSinceEpoch();
        t.RecordAt(start);
        t.Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.Window.get()));
        // Ten minutes up to the newest reading, scrolling in steps of 6 s.
        QCOMPARE(t.Window->ToMs(), start);
        QCOMPARE(t.Window->FromMs(), start - 10 * 60 * 1000);

        // Unticking the four voltage lines gives their plot's room away.
        auto* list = t.Control<QListWidget>("lstSeries");
        QVERIFY(t.Chart(TrendGroup::Volts)->isVisible());
        for (int row = 0; row < 4; ++row)
            list->item(row)->setCheckState(Qt::Unchecked);
        QVERIFY(!t.Chart(TrendGroup::Volts)->isVisible());
        QVERIFY(t.Chart(TrendGroup::Currents)->isVisible());

        // Paused, the plots stand still while the history grows.
        auto* pause = t.Control<QPushButton>("cmdPause");
        pause->click();
        t.RecordAt(start + 7000);
        QCOMPARE(t.Window->ToMs(), start);
        QCOMPARE(t.History.Records().size(), std::size_t(8));
        pause->click();
        QCOMPARE(t.Window->ToMs(), start + 12000);

        // A longer span reaches further back.
        t.Control<QComboBox>("cboSpan")->setCurrentIndex(t.Control<QComboBox>("cboSpan")->count()
                                                         - 1);
        QCOMPARE(t.Window->ToMs(), start + 288000);
        QCOMPARE(t.Window->FromMs(), start + 288000 - 8 * 3600 * 1000ll);

        // Clear asks first: No keeps the trends, Yes drops them.
        t.UI.QueueAnswer(MsgResult::No);
        t.Control<QPushButton>("cmdClear")->click();
        QVERIFY(!t.History.IsEmpty());
        t.UI.QueueAnswer(MsgResult::Yes);
        t.Control<QPushButton>("cmdClear")->click();
        QVERIFY(t.History.IsEmpty());
    }

    void SavesCsvAndImage()
    {
        TrendsFixture t;
        const qint64 start = QDateTime(QDate(2024, 5, 17), QTime(10, 0)).toMSecsSinceEpoch();
        for (int i = 0; i < 5; ++i)
            t.RecordAt(start + i * 3000);
        t.Window->resize(900, 700);
        t.Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.Window.get()));

        // The extension is added when the name has none.
        t.Dialogs.QueueAnswer(t.Folder.filePath(QStringLiteral("trends")));
        t.Control<QPushButton>("cmdSaveCsv")->click();
        QFile csv(t.Folder.filePath(QStringLiteral("trends.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(csv.readAll()), TrendCsvText(t.History));

        t.Dialogs.QueueAnswer(t.Folder.filePath(QStringLiteral("trends.png")));
        t.Control<QPushButton>("cmdSaveImage")->click();
        const QImage image(t.Folder.filePath(QStringLiteral("trends.png")));
        QVERIFY(!image.isNull());
        const QWidget* plots = t.Window->findChild<QWidget*>(QStringLiteral("Plots"));
        QCOMPARE(image.size(), plots->size() * plots->devicePixelRatio());
        QVERIFY(plots->width() > 500 && plots->height() > 400);

        // A folder that is not there is reported, not passed over.
        t.Dialogs.QueueAnswer(t.Folder.filePath(QStringLiteral("gone/trends.csv")));
        t.Control<QPushButton>("cmdSaveCsv")->click();
        QCOMPARE(t.UI.Messages().size(), 1);
        QCOMPARE(t.UI.Messages().first().Title, QStringLiteral("Filesystem Error"));
    }

    void RemembersGeometryAndSpanAndSaysOffLine()
    {
        TrendsFixture t;
        t.Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.Window.get()));
        QVERIFY(t.Control<QLabel>("lblOffLine")->isVisible());
        t.Window->SetOnLine(true);
        QVERIFY(!t.Control<QLabel>("lblOffLine")->isVisible());
        t.Window->resize(840, 640);
        t.Control<QComboBox>("cboSpan")->setCurrentIndex(0);
        t.Window->close();

        frmTrends again(t.Services());
        QCOMPARE(again.size(), QSize(840, 640));
        QCOMPARE(again.findChild<QComboBox*>("cboSpan")->currentData().toInt(), 1);
    }

    // Open on the Relays tab and on-line, the tick still reads the
    // measurement blocks in rotation besides the relay statuses; closed, the
    // Relays tab reads relay statuses only.
    void TickReadsMeasurementsOnOtherTabsWhileOpen()
    {
        MainWindow c;
        frmMain& w = c.Start();
        w.SetOnLine(true);
        c.Tabs()->setCurrentIndex(cPollingCycle::RelaysTab - 1);
        c.Tick(6);
        QCOMPARE(c.InputReads(), QList<int>());

        w.Menus().ToolbarButton(QStringLiteral("trends"))->trigger();
        QVERIFY(w.TrendsWindow()->isVisible());
        QVERIFY(!w.TrendsWindow()->findChild<QLabel*>("lblOffLine")->isVisible());
        QList<int> reads;
        for (int cycle = 0; cycle < 4; ++cycle) {
            c.Tick(3);
            reads << c.InputReads();
        }
        // The rotation's first cycle only starts it.
        QCOMPARE(reads, (QList<int>{0, 42, 46, 62, 0}));
        QCOMPARE(w.Trends().Records().size(), std::size_t(3));
        QCOMPARE(w.Trends().SamplesOf(Q::Volts1).size(), std::size_t(2));

        w.TrendsWindow()->close();
        c.Tick(6);
        QCOMPARE(c.InputReads(), QList<int>());
        w.SetOnLine(false);
    }
};

QTEST_MAIN(tst_frmTrends)
#include "tst_frmTrends.moc"
