// The program's files on the real platform (TLinuxDateien): reading never blocks and opens
// only regular files, failures come with a German reason, a damaged file is kept aside, and
// the text encoding of the program's files (byte-order marks, and Windows-1252 for files a
// Windows installation wrote).

#include "platform/Dateien.h"
#include "platform/Textkodierung.h"
#include "platform/linux/LinuxDateien.h"
#include "platform/linux/LinuxDienste.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TArt = TDateien::TGelesen::TArt;

namespace {

void Schreiben(const QString& pfad, const QByteArray& inhalt) {
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(inhalt), inhalt.size());
}

QByteArray Lesen(const QString& pfad) {
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}

} // namespace

class TstLinuxDateien : public QObject {
    Q_OBJECT

    QTemporaryDir FOrdner;
    TLinuxDateien FDateien;
    QString Pfad(const QString& name) const { return FOrdner.filePath(name); }

private slots:
    void gewoehnlicheDateiWirdGanzGelesen() {
        QByteArray inhalt;
        for (int i = 0; i < 20000; ++i)
            inhalt += "pc" + QByteArray::number(i) + "|u|10.0.0.1|02-00-00-00-00-01\r\n";
        Schreiben(Pfad("liste"), inhalt);
        const TDateien::TGelesen g = FDateien.DateiLesen(Pfad("liste"), inhalt.size());
        QCOMPARE(g.Art, TArt::Gelesen);
        QCOMPARE(g.Daten, inhalt);
        QVERIFY(g.Grund.isEmpty());

        Schreiben(Pfad("leer"), {});
        QCOMPARE(FDateien.DateiLesen(Pfad("leer"), 10).Art, TArt::Gelesen);
        // A link to a regular file is read through.
        QVERIFY(QFile::link(Pfad("liste"), Pfad("verweis")));
        QCOMPARE(FDateien.DateiLesen(Pfad("verweis"), inhalt.size()).Daten, inhalt);
    }

    void fehlendeDatei() {
        QCOMPARE(FDateien.DateiLesen(Pfad("gibtsnicht"), 10).Art, TArt::Fehlt);
        QCOMPARE(FDateien.DateiLesen(QString(), 10).Art, TArt::Fehlt);
        // A link whose target is gone is a missing file, as before.
        QVERIFY(QFile::link(Pfad("weg"), Pfad("verwaist")));
        QCOMPARE(FDateien.DateiLesen(Pfad("verwaist"), 10).Art, TArt::Fehlt);
    }

    // Nothing but a regular file is opened: a pipe without a writer would block for ever, a
    // device could do anything.
    void keineGewoehnlicheDatei_data() {
        QTest::addColumn<QString>("art");
        QTest::addColumn<QString>("grund");
        QTest::newRow("FIFO") << "fifo"
                              << "keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO)";
        QTest::newRow("Ordner") << "ordner"
                                << "ein Ordner, keine Datei";
        QTest::newRow("Gerät") << "geraet"
                               << "keine gewöhnliche Datei, sondern ein Gerät";
        QTest::newRow("Verweis auf FIFO") << "verweis-fifo"
                                          << "keine gewöhnliche Datei, sondern eine benannte Pipe (FIFO)";
    }
    void keineGewoehnlicheDatei() {
        QFETCH(QString, art);
        QString pfad = Pfad(art);
        if (art == "fifo" || art == "verweis-fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(Pfad("fifo")).constData(), 0600) == 0 || errno == EEXIST,
                     true);
            if (art == "verweis-fifo")
                QVERIFY(QFile::link(Pfad("fifo"), pfad) || QFileInfo(pfad).isSymLink());
        } else if (art == "ordner") {
            QVERIFY(QDir().mkpath(pfad));
        } else {
            pfad = "/dev/zero"; // endless: reading it would never end
        }
        QElapsedTimer uhr;
        uhr.start();
        const TDateien::TGelesen g = FDateien.DateiLesen(pfad, 1024);
        QVERIFY(uhr.elapsed() < 1000);
        QCOMPARE(g.Art, TArt::Unlesbar);
        QTEST(g.Grund, "grund");
        // Nor is the command log appended to anything else.
        QString grund;
        QVERIFY(!FDateien.DateiAnhaengen(pfad, "x\n", 1024, &grund));
        QVERIFY(uhr.elapsed() < 1000);
        QTEST(grund, "grund");
    }

    // The command log grows by appending; past its bound it is moved aside once, replacing
    // the older copy, and begun anew.
    void anhaengenMitAblage() {
        const QString log = Pfad("Befehle.log");
        for (const char* zeile : {"a\n", "b\n", "c\n", "d\ne\n"})
            QVERIFY(FDateien.DateiAnhaengen(log, zeile, 5, nullptr));
        QCOMPARE(Lesen(log), "d\ne\n");
        QCOMPARE(Lesen(log + ".1"), "c\n");
        QCOMPARE(QFile::permissions(log) & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    }

    void zuGrosseDateiWirdNichtGelesen() {
        QFile f(Pfad("gross"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(200 * 1024 * 1024 + 5)); // sparse: no disk space needed
        f.close();
        QElapsedTimer uhr;
        uhr.start();
        const TDateien::TGelesen g = FDateien.DateiLesen(Pfad("gross"), 16 * 1024 * 1024);
        QVERIFY(uhr.elapsed() < 1000);
        QCOMPARE(g.Art, TArt::Unlesbar);
        QCOMPARE(g.Grund, QString("zu groß: 200,0 MiB, höchstens 16,0 MiB sind vorgesehen"));
        QVERIFY(g.Daten.isEmpty());
        // Exactly the limit is still read.
        Schreiben(Pfad("genau"), QByteArray(4096, 'x'));
        QCOMPARE(FDateien.DateiLesen(Pfad("genau"), 4096).Art, TArt::Gelesen);
        QCOMPARE(FDateien.DateiLesen(Pfad("genau"), 4095).Grund,
                 QString("zu groß: 4096 Bytes, höchstens 4095 Bytes sind vorgesehen"));
    }

    // A file of the user's own that has lost its read permission (mode 000). Root reads every
    // file: then a child process does it as another user.
    void ohneLeserecht() {
        Schreiben(Pfad("gesperrt"), "a|b|c|d\r\n");
        QVERIFY(QFile::setPermissions(Pfad("gesperrt"), QFileDevice::Permissions()));
        if (::geteuid() != 0) {
            const TDateien::TGelesen g = FDateien.DateiLesen(Pfad("gesperrt"), 1024);
            QCOMPARE(g.Art, TArt::Unlesbar);
            QCOMPARE(g.Grund, QString("keine Berechtigung"));
            return;
        }
        QVERIFY(QFile::setPermissions(FOrdner.path(), QFileDevice::Permissions(0x7755)));
        const QString pfad = Pfad("gesperrt");
        const pid_t kind = ::fork();
        QVERIFY(kind >= 0);
        if (kind == 0) {
            if (::chown(QFile::encodeName(pfad).constData(), 65534, 65534) != 0 || ::setgid(65534) != 0 ||
                ::setuid(65534) != 0)
                ::_exit(2);
            const TDateien::TGelesen g = LinuxDateiLesen(pfad, 1024);
            ::_exit(g.Art == TArt::Unlesbar && g.Grund == QStringLiteral("keine Berechtigung") ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(kind, &status, 0), kind);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    // /proc/self/exe after an upgrade renamed a new version over the running file.
    void programmDateiAusLink() {
        QCOMPARE(ProgrammDateiAusLink(Pfad("veltrano") + " (deleted)"), Pfad("veltrano"));
        Schreiben(Pfad("echt (deleted)"), "x"); // a file that really has that name
        QCOMPARE(ProgrammDateiAusLink(Pfad("echt (deleted)")), Pfad("echt (deleted)"));
        QCOMPARE(ProgrammDateiAusLink(QFileInfo("/proc/self/exe").symLinkTarget()),
                 QCoreApplication::applicationFilePath());
    }

    void fehlerTexte() {
        QCOMPARE(LinuxFehlerText(EACCES), QString("keine Berechtigung"));
        QCOMPARE(LinuxFehlerText(ENOSPC), QString("kein Speicherplatz mehr auf dem Datenträger"));
        QCOMPARE(LinuxFehlerText(EIO), QString("Ein-/Ausgabefehler des Datenträgers"));
        // The rare ones in the system's words.
        QCOMPARE(LinuxFehlerText(EXDEV), QString::fromLocal8Bit(::strerror(EXDEV)));
    }

    void schreibenMitGrund() {
        Schreiben(Pfad("datei"), "alt");
        QString grund;
        QVERIFY(FDateien.DateiSchreiben(Pfad("datei"), "neu", false, &grund));
        QCOMPARE(Lesen(Pfad("datei")), QByteArray("neu"));
        // A file where a folder should be: the save fails and says why, in German.
        QVERIFY(!FDateien.DateiSchreiben(Pfad("datei") + "/unter", "x", false, &grund));
        QCOMPARE(grund, QString("ein Teil des Pfades ist kein Ordner"));
        QCOMPARE(Lesen(Pfad("datei")), QByteArray("neu"));
    }

    void kopieErsetztNieEineFruehere() {
        const QString pfad = Pfad("Hostliste.txt");
        Schreiben(pfad, "kaputt");
        QString grund;
        QCOMPARE(KopieAufbewahren(FDateien, pfad, "erste", &grund), std::optional<QString>(pfad + ".defekt"));
        QCOMPARE(KopieAufbewahren(FDateien, pfad, "zweite", &grund),
                 std::optional<QString>(pfad + ".defekt2"));
        QCOMPARE(Lesen(pfad + ".defekt"), QByteArray("erste"));
        QCOMPARE(Lesen(pfad + ".defekt2"), QByteArray("zweite"));
        QCOMPARE(Lesen(pfad), QByteArray("kaputt"));
        // A copy that cannot be written says why.
        QVERIFY(!KopieAufbewahren(FDateien, pfad + "/x", "y", &grund));
        QCOMPARE(grund, QString("ein Teil des Pfades ist kein Ordner"));
    }

    // The program's text files as the real platform decodes them.
    void textkodierung_data() {
        QTest::addColumn<QByteArray>("daten");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QByteArray("PC|Anna|10.0.0.1|M") << QString("PC|Anna|10.0.0.1|M");
        QTest::newRow("UTF-8 ohne BOM") << QByteArray("K\xC3\x9C"
                                                      "CHE J\xC3\xB6rg \xE2\x82\xAC")
                                        << QString::fromUtf8("KÜCHE Jörg €");
        QTest::newRow("UTF-8 mit BOM") << QByteArray("\xEF\xBB\xBF"
                                                     "B\xC3\xBCro")
                                       << QString::fromUtf8("Büro");
        QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE"
                                                 "B\0\xFC\0r\0o\0 \0\xAC\x20",
                                                 14)
                                   << QString::fromUtf8("Büro €");
        QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF\0B\0\xFC\0r\0o\0 \x20\xAC", 14)
                                   << QString::fromUtf8("Büro €");
        // Written by the Windows program in its ANSI code page: Windows-1252, not Latin-1.
        QTest::newRow("Windows-1252") << QByteArray("K\xDC"
                                                    "CHE \x80 \x84Hallo\x93 \x96 \x85 \x9F")
                                      << QString::fromUtf8("KÜCHE € „Hallo“ – … Ÿ");
        QTest::newRow("Windows-1252 unbelegt") << QByteArray("a\x81"
                                                             "b\x8D"
                                                             "c\xFF")
                                               << QString::fromUtf8("a\u0081b\u008Dcÿ");
        // One byte that is no UTF-8 makes the whole file Windows-1252.
        QTest::newRow("gemischt") << QByteArray("\xC3\xBC und \xFC") << QString::fromUtf8("Ã¼ und ü");
    }
    void textkodierung() {
        QFETCH(QByteArray, daten);
        QTEST(DekodiereTextdatei(FDateien, daten), "text");
    }

    void ansiIstUtf8UndKommtZurueck() {
        const QString text = QString::fromUtf8("KÜCHE „Büro“ €");
        QCOMPARE(KodiereTextdatei(FDateien, text), text.toUtf8());
        QCOMPARE(DekodiereTextdatei(FDateien, KodiereTextdatei(FDateien, text)), text);
    }
};

QTEST_GUILESS_MAIN(TstLinuxDateien)
#include "tst_linuxdateien.moc"
