#include "FuzzStuetze.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <sched.h>

void FuzzFehler(const char* ausdruck, const char* datei, int zeile, const QString& info) {
    std::fprintf(stderr, "\n==== Invariant broken: %s\n     at %s:%d\n     %s\n", ausdruck, datei, zeile,
                 info.toLocal8Bit().constData());
    std::fflush(stderr);
    std::abort();
}

void PrivatesNetzOderEnde(const char* name) {
    if (::unshare(CLONE_NEWNET) == 0 || ::unshare(CLONE_NEWUSER | CLONE_NEWNET) == 0)
        return;
    std::fprintf(stderr, "%s: no private network namespace available; refusing to run\n", name);
    std::exit(1);
}

void FuzzOrdnerSetzen() {
    static QTemporaryDir* ordner = nullptr;
    if (ordner)
        return;
    // Saves sync to disk; in memory that costs nothing, and a run makes many thousands.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    ordner = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/veltrano-fuzz-XXXXXX"));
    const QByteArray pfad = ordner->path().toUtf8();
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME"})
        qputenv(name, pfad);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
}

void FuzzAnwendung(bool fensterS) {
    if (QCoreApplication::instance())
        return;
    FuzzOrdnerSetzen();
    static int argc = 1;
    static char name[] = "veltrano-fuzz";
    static char* argv[] = {name, nullptr};
    // Kept for the whole run: the process ends without tearing it down.
    if (fensterS)
        new QApplication(argc, argv);
    else
        new QCoreApplication(argc, argv);
}

TTestUmgebung& FuzzUmgebung() {
    static TTestUmgebung* umgebung = [] {
        FuzzOrdnerSetzen();
        return new TTestUmgebung;
    }();
    return *umgebung;
}

QString Lesbar(const QByteArray& daten) {
    QString s;
    for (char c : daten.left(200)) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            s += QLatin1Char(c);
        else
            s += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    if (daten.size() > 200)
        s += QStringLiteral("...");
    return u'"' + s + u'"';
}

QString Lesbar(const QString& text) {
    return Lesbar(text.toUtf8());
}

QString EinzeiligWieDatei(const QString& text) {
    QString t = text;
    for (QChar& c : t)
        if (c.unicode() < 32)
            c = u' ';
    // What the code page cannot hold (a lone surrogate) becomes its substitute. The code page
    // is UTF-8 here, as on Linux; decoded without dropping a U+FEFF at the start.
    QStringDecoder dekodierer(QStringConverter::Utf8,
                              QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    return dekodierer(AktuellerFake().ZuAnsi(t));
}
