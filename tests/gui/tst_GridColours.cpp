#include "ConfiguratorFixture.h"

#include "SimFaults.h"
#include "SimulatedRelay.h"

#include <QApplication>
#include <QDir>
#include <QStyleFactory>
#include <QTableWidget>
#include <QTest>

#include <cmath>

namespace {

// The contrast ratio of the web's accessibility rules; 4.5 is its minimum
// for text.
double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A dark desktop's palette, as the Fusion style would get it from a dark
// theme: light text on dark bases.
QPalette DarkPalette()
{
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::AlternateBase, QColor(45, 45, 48));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    dark.setColor(QPalette::Button, QColor(55, 55, 58));
    dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    return dark;
}

} // namespace

// Every grid cell that sets a background colour sets a text colour that
// reads on it, under a dark palette as under the default one. With
// TZL_SHOT_DIR set, the Measurements and Relays tabs are saved there as
// field-PALETTE-TAB.png to be looked at.
class tst_GridColours : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void TextReadsOnEveryColouredCell_data()
    {
        QTest::addColumn<bool>("dark");
        QTest::newRow("default") << false;
        QTest::newRow("dark") << true;
    }

    void TextReadsOnEveryColouredCell()
    {
        QFETCH(bool, dark);
        const QPalette original = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(dark ? DarkPalette() : QApplication::style()->standardPalette());

        ConfiguratorFixture c;
        frmMain& w = c.Start();
        // Tripped, latched, in alarm, acknowledged: every colour the grids use.
        const QMap<int, int> statuses{
            {1, SimulatedRelay::StatusTripped},
            {2, SimulatedRelay::StatusTripped | SimulatedRelay::StatusLatched},
            {3, SimulatedRelay::StatusInAlarm},
            {4, SimulatedRelay::StatusInAlarm | SimulatedRelay::StatusAcknowledged}};
        for (int relay = 1; relay <= 16; ++relay)
            c.Link.Relay().SetRelayStatus(relay, statuses.value(relay, 0));
        QVERIFY(w.Device().TripData.UploadAllStatus(w.SlaveID()));
        QVERIFY(w.Device().Inputs.Upload(w.SlaveID()));
        // And stale values: the basics read again, and failing.
        c.Link.Faults().SetPersistent(SimFault::NoAnswer());
        w.Device().Inputs.UpLoadBasics(w.SlaveID());
        c.Link.Faults().SetPersistent(SimFault{});

        int coloured = 0;
        for (const auto& [tab, grids] :
             {std::pair{20, QStringList{"fgridMeasurements", "fgridCurrentTrips"}},
              std::pair{18, QStringList{"fgridRelayStatus"}}}) {
            w.ShowTab(tab);
            Shoot(w, dark, tab);
            for (const QString& name : grids) {
                const auto* grid = w.findChild<QTableWidget*>(name);
                QVERIFY(grid != nullptr);
                for (int row = 0; row < grid->rowCount(); ++row) {
                    for (int column = 0; column < grid->columnCount(); ++column) {
                        const QTableWidgetItem* cell = grid->item(row, column);
                        if (cell->background().style() == Qt::NoBrush)
                            continue;
                        ++coloured;
                        const QColor text = cell->foreground().style() == Qt::NoBrush
                                                ? grid->palette().color(QPalette::Text)
                                                : cell->foreground().color();
                        // Greyed values of a failed read still read at 3:1.
                        const double minimum = cell->font().italic() ? 3.0 : 4.5;
                        QVERIFY2(
                            Contrast(text, cell->background().color()) >= minimum,
                            qPrintable(QStringLiteral("%1 (%2, %3): %4 on %5")
                                           .arg(name)
                                           .arg(row)
                                           .arg(column)
                                           .arg(text.name(), cell->background().color().name())));
                    }
                }
            }
        }
        // The phase and never-measured cells, every current-trip cell, and
        // the three state columns of the relay status.
        QCOMPARE(coloured, 18 + 5 + 16 + 3 * 16);
        QApplication::setPalette(original);
    }

private:
    static void Shoot(frmMain& w, bool dark, int tab)
    {
        const QString folder = qEnvironmentVariable("TZL_SHOT_DIR");
        if (folder.isEmpty())
            return;
        w.resize(1280, 760);
        QTest::qWait(50);
        w.grab().save(QDir(folder).filePath(
            QStringLiteral("field-%1-%2.png")
                .arg(dark ? QStringLiteral("dark") : QStringLiteral("default"),
                     tab == 20 ? QStringLiteral("measurements") : QStringLiteral("relays"))));
    }
};

QTEST_MAIN(tst_GridColours)
#include "tst_GridColours.moc"
