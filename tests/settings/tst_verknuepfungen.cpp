#include "common/ResConst.h"
#include "platform/linux/TLinuxStarteintraege.h"
#include "settings/Verknuepfungen.h"
#include "support/TestUmgebung.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

namespace {

// How a freedesktop.org launcher reads a desktop entry, written apart from our writer: first
// the escapes of a string value, then the quoting of the Exec key, then "%%".
std::optional<QString> StringWert(const QString& roh) {
    QString s;
    for (qsizetype i = 0; i < roh.size(); ++i) {
        if (roh[i] != '\\') {
            s += roh[i];
            continue;
        }
        if (++i >= roh.size())
            return std::nullopt;
        switch (roh[i].unicode()) {
        case 's':
            s += ' ';
            break;
        case 'n':
            s += '\n';
            break;
        case 't':
            s += '\t';
            break;
        case 'r':
            s += '\r';
            break;
        case '\\':
            s += '\\';
            break;
        default:
            return std::nullopt;
        }
    }
    return s;
}

std::optional<QStringList> ExecZerlegen(const QString& roh) {
    const std::optional<QString> wert = StringWert(roh);
    if (!wert)
        return std::nullopt;
    const QString reserviert = " \t\n\"'\\><~|&;$*?#()`";
    QStringList argumente;
    const QString& s = *wert;
    qsizetype i = 0;
    while (i < s.size()) {
        if (s[i] == ' ') {
            ++i;
            continue;
        }
        QString arg;
        if (s[i] == '"') {
            for (++i;; ++i) {
                if (i >= s.size())
                    return std::nullopt; // unterminated
                if (s[i] == '"')
                    break;
                if (s[i] == '\\') {
                    if (i + 1 >= s.size() || !QString("\"`$\\").contains(s[i + 1]))
                        return std::nullopt;
                    ++i;
                } else if (s[i] == '`' || s[i] == '$') {
                    return std::nullopt; // must be escaped inside quotes
                }
                arg += s[i];
            }
            ++i;
            if (i < s.size() && s[i] != ' ')
                return std::nullopt; // quotes must enclose the whole argument
        } else {
            for (; i < s.size() && s[i] != ' '; ++i) {
                if (reserviert.contains(s[i]))
                    return std::nullopt;
                arg += s[i];
            }
        }
        QString ohneFeldcodes;
        for (qsizetype k = 0; k < arg.size(); ++k) {
            if (arg[k] == '%') {
                if (k + 1 >= arg.size() || arg[k + 1] != '%')
                    return std::nullopt; // a field code we never write
                ++k;
            }
            ohneFeldcodes += arg[k];
        }
        argumente << ohneFeldcodes;
    }
    return argumente;
}

QMap<QString, QString> Schluessel(const QString& datei) {
    QFile f(datei);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QMap<QString, QString> werte;
    const QStringList zeilen = QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    for (const QString& z : zeilen) {
        const qsizetype p = z.indexOf('=');
        if (p > 0)
            werte.insert(z.left(p), z.mid(p + 1));
    }
    return werte;
}

QString Validieren(const QString& datei) {
    const QString werkzeug = QStandardPaths::findExecutable("desktop-file-validate");
    if (werkzeug.isEmpty())
        return "desktop-file-validate is missing (package desktop-file-utils)";
    QProcess p;
    p.start(werkzeug, {datei});
    p.waitForFinished();
    const QString ausgabe = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || ausgabe.contains("error"))
        return ausgabe.isEmpty() ? "exit code " + QString::number(p.exitCode()) : ausgabe;
    return {};
}

} // namespace

class TstVerknuepfungen : public QObject {
    Q_OBJECT

private slots:
    void eintragIstGueltigUndStartetGenauDasProgramm_data() {
        QTest::addColumn<QString>("ordner");
        QTest::addColumn<bool>("autostartS");
        const QStringList ordner{"opt/veltrano",      "Meine Programme/Veltrano Netz",
                                 "a\"b/ve$ltr`a\\no", "100%/x%%y",
                                 "x'y/~z;&|<>*?#()",  "tab\there",
                                 "Übung/Grüße",       "endet mit\\"};
        for (const QString& o : ordner) {
            QTest::addRow("%s desktop", qPrintable(o)) << o << false;
            QTest::addRow("%s autostart", qPrintable(o)) << o << true;
        }
    }
    void eintragIstGueltigUndStartetGenauDasProgramm() {
        QFETCH(QString, ordner);
        QFETCH(bool, autostartS);
        TTestUmgebung umgebung;
        const QString programmOrdner = umgebung.Fake().Basis() + "/" + ordner + "/";
        const QString programm = programmOrdner + "veltrano";
        const QString link = umgebung.Fake().Basis() + "/links/veltrano.desktop";
        const QStringList argumente = autostartS ? QStringList{"/systemstartup"} : QStringList{};
        QVERIFY(AktuellerFake().Starteintraege.Schreiben(link, programm, argumente, {}, {}));

        const QString fehler = Validieren(link);
        QVERIFY2(fehler.isEmpty(), qPrintable(fehler));

        const QMap<QString, QString> werte = Schluessel(link);
        QCOMPARE(werte.value("Type"), "Application");
        QCOMPARE(werte.value("Name"), "Veltrano");
        QCOMPARE(werte.value("Terminal"), "false");
        QCOMPARE(werte.value("Icon"), "veltrano"); // no build tree or installation around it
        const std::optional<QStringList> exec = ExecZerlegen(werte.value("Exec"));
        QVERIFY2(exec, qPrintable(werte.value("Exec")));
        QCOMPARE(*exec, QStringList{programm} + argumente);
        QCOMPARE(StringWert(werte.value("Path")), programmOrdner);
    }

    // The icon the entry shows: the theme's by name where the theme finds it, else the file.
    void symbolNachOrt_data() {
        QTest::addColumn<QString>("programm");
        QTest::addColumn<QString>("png");
        QTest::addColumn<bool>("datenOrdnerS"); // the prefix's share folder is a system data folder
        QTest::addColumn<bool>("dateiS");
        const QString hicolor = "share/icons/hicolor/256x256/apps/veltrano.png";
        QTest::newRow("Bauverzeichnis") << "bau/veltrano"
                                        << "bau/symbole/256x256/apps/veltrano.png" << false << true;
        QTest::newRow("Präfix außerhalb") << "opt/bin/veltrano"
                                          << "opt/" + hicolor << false << true;
        QTest::newRow("Präfix der Datenordner") << "usr/bin/veltrano"
                                                << "usr/" + hicolor << true << false;
        QTest::newRow("ohne Symbol") << "x/veltrano"
                                     << "" << false << false;
    }
    void symbolNachOrt() {
        QFETCH(QString, programm);
        QFETCH(QString, png);
        QFETCH(bool, datenOrdnerS);
        QFETCH(bool, dateiS);
        TTestUmgebung umgebung;
        const QString basis = umgebung.Fake().Basis() + "/";
        if (!png.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(basis + png).path()));
            QFile f(basis + png);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        const QByteArray vorher = qgetenv("XDG_DATA_DIRS");
        if (datenOrdnerS)
            qputenv("XDG_DATA_DIRS", (basis + "usr/share").toUtf8());
        const QString symbol = ProgrammSymbol(basis + programm);
        qputenv("XDG_DATA_DIRS", vorher);
        QCOMPARE(symbol, dateiS ? basis + png : QString("veltrano"));
    }

    void steuerzeichenImPfadWirdNichtGeschrieben() {
        TTestUmgebung umgebung;
        const QString link = umgebung.Fake().Basis() + "/links/veltrano.desktop";
        QVERIFY(!AktuellerFake().Starteintraege.Schreiben(link, umgebung.Fake().Basis() + "/a\x01b/veltrano",
                                                          {}, {}, {}));
        QVERIFY(!QFile::exists(link));
    }

    void checkBoxRegel_data() {
        using A = TVerknuepfungsAktion;
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("checkedS");
        QTest::addColumn<bool>("fokusS");
        QTest::addColumn<bool>("trayS");
        QTest::addColumn<A>("aktion");
        QTest::newRow("Desktop an, Benutzer") << 1 << true << true << false << A::DesktopSchreiben;
        QTest::newRow("Desktop aus, Benutzer") << 1 << false << true << false << A::DesktopLoeschen;
        QTest::newRow("Desktop an, Auffrischen") << 1 << true << false << false << A::Nichts;
        QTest::newRow("Desktop aus, Auffrischen") << 1 << false << false << false << A::Nichts;
        QTest::newRow("Desktop an, Tray") << 1 << true << false << true << A::Nichts;
        QTest::newRow("Desktop aus, Tray") << 1 << false << false << true << A::Nichts;
        QTest::newRow("Autostart an, Benutzer") << 2 << true << true << false << A::AutostartSchreiben;
        QTest::newRow("Autostart aus, Benutzer") << 2 << false << true << false << A::AutostartLoeschen;
        QTest::newRow("Autostart an, Auffrischen") << 2 << true << false << false << A::Nichts;
        QTest::newRow("Autostart aus, Auffrischen") << 2 << false << false << false << A::Nichts;
        QTest::newRow("Autostart an, Tray-Menue") << 2 << true << false << true << A::AutostartSchreiben;
        QTest::newRow("Autostart aus, Tray-Menue") << 2 << false << false << true << A::AutostartLoeschen;
        QTest::newRow("Scanner an") << 3 << true << false << false << A::ScannerSetzen;
        QTest::newRow("Scanner aus, Benutzer") << 3 << false << true << false << A::ScannerSetzen;
        QTest::newRow("unbekannter Tag") << 4 << true << true << true << A::Nichts;
    }
    void checkBoxRegel() {
        QFETCH(int, tag);
        QFETCH(bool, checkedS);
        QFETCH(bool, fokusS);
        QFETCH(bool, trayS);
        QTEST(Cb1DesktopAutostartScannerAktion(tag, checkedS, fokusS, trayS), "aktion");
    }

    void desktopSchreibenUndLoeschen() {
        TTestUmgebung umgebung;
        const QString basis = umgebung.Fake().Basis();
        const QString desktop = basis + "/Desktop/veltrano.desktop";
        const QString alle = basis + "/alle/veltrano.desktop";
        const TVerknuepfungen v(desktop, alle, basis + "/autostart/veltrano.desktop",
                                basis + "/prog/veltrano", AktuellerFake().Starteintraege, AktuellerFake());
        QVERIFY(!v.DesktopVorhanden());

        v.Ausfuehren(TVerknuepfungsAktion::DesktopSchreiben);
        QVERIFY(QFile::exists(desktop));
        QVERIFY(!QFile::exists(alle)); // never the common one
        QVERIFY(!v.AutostartVorhanden());
        QVERIFY(v.DesktopVorhanden());

        QDir().mkpath(basis + "/alle");
        QFile::copy(desktop, alle);
        v.Ausfuehren(TVerknuepfungsAktion::DesktopLoeschen);
        QVERIFY(!QFile::exists(desktop));
        QVERIFY(!QFile::exists(alle));
        QVERIFY(!v.DesktopVorhanden());

        // Only the common one: the box shows checked.
        QVERIFY(AktuellerFake().Starteintraege.Schreiben(alle, basis + "/prog/veltrano", {}, {}, {}));
        QVERIFY(v.DesktopVorhanden());
    }

    void fehlenderGemeinsamerOrdnerWirdUebersprungen() {
        TTestUmgebung umgebung;
        const QString basis = umgebung.Fake().Basis();
        // A file of the bare name in the working folder must never count or go.
        const QString vorher = QDir::currentPath();
        QVERIFY(QDir::setCurrent(basis));
        QVERIFY(AktuellerFake().Starteintraege.Schreiben(basis + "/veltrano.desktop",
                                                         basis + "/prog/veltrano", {}, {}, {}));
        const TVerknuepfungen v(basis + "/Desktop/veltrano.desktop", QString(),
                                basis + "/auto/veltrano.desktop", basis + "/prog/veltrano",
                                AktuellerFake().Starteintraege, AktuellerFake());
        QVERIFY(!v.DesktopVorhanden());
        v.Ausfuehren(TVerknuepfungsAktion::DesktopLoeschen);
        QVERIFY(QFile::exists(basis + "/veltrano.desktop"));
        QVERIFY(QDir::setCurrent(vorher));
    }

    void schreibgeschuetzterAutostartWirdGeloeschtUndErsetzt() {
        TTestUmgebung umgebung;
        const QString basis = umgebung.Fake().Basis();
        const QString autostart = basis + "/config/autostart/veltrano.desktop";
        const TVerknuepfungen v(basis + "/Desktop/veltrano.desktop", QString(), autostart,
                                basis + "/prog/veltrano", AktuellerFake().Starteintraege, AktuellerFake());
        v.Ausfuehren(TVerknuepfungsAktion::AutostartSchreiben);
        QVERIFY(v.AutostartVorhanden());
        QCOMPARE(*ExecZerlegen(Schluessel(autostart).value("Exec")),
                 QStringList({basis + "/prog/veltrano", "/systemstartup"}));

        // Replacing a read-only entry rewrites it with the program's own contents.
        QFile f(autostart);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("fremd");
        f.close();
        QVERIFY(QFile::setPermissions(autostart, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        v.Ausfuehren(TVerknuepfungsAktion::AutostartSchreiben);
        QVERIFY(Schluessel(autostart).contains("Exec"));

        QVERIFY(QFile::setPermissions(autostart, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        umgebung.Fake().FAufrufe.clear();
        v.Ausfuehren(TVerknuepfungsAktion::AutostartLoeschen);
        QVERIFY(!QFile::exists(autostart));
        QCOMPARE(umgebung.Fake().FAufrufe, QStringList{"DateiAttributeEntfernen " + autostart});
        QVERIFY(!v.AutostartVorhanden());
        // Deleting a missing entry is silently ignored.
        v.Ausfuehren(TVerknuepfungsAktion::AutostartLoeschen);
    }

    void standardPfadeKommenAusDenGlobalen() {
        TTestUmgebung umgebung;
        QVERIFY(Laufzeit().AutostartLink.endsWith("/config/autostart/veltrano.desktop"));
        TVerknuepfungen(Laufzeit(), AktuellerFake().Starteintraege, AktuellerFake())
            .Ausfuehren(TVerknuepfungsAktion::AutostartSchreiben);
        QCOMPARE(*ExecZerlegen(Schluessel(Laufzeit().AutostartLink).value("Exec")),
                 QStringList({umgebung.Fake().ProgrammDatei(), "/systemstartup"}));
        QVERIFY(TVerknuepfungen(Laufzeit(), AktuellerFake().Starteintraege, AktuellerFake())
                    .AutostartVorhanden());
    }
};

QTEST_GUILESS_MAIN(TstVerknuepfungen)
#include "tst_verknuepfungen.moc"
