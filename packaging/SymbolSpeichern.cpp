// Saves the icon the program draws for itself as PNG files in the freedesktop layout
// (<folder>/<n>x<n>/apps/veltrano.png), so the launcher shows the same picture as the window
// and the tray. Runs at build time: SymbolSpeichern <folder> <size>...
#include "ui/Programmsymbol.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList argumente = app.arguments();
    if (argumente.size() < 3) {
        std::fprintf(stderr, "usage: SymbolSpeichern <folder> <size>...\n");
        return 2;
    }
    const QIcon symbol = Programmsymbol();
    for (const QString& text : argumente.mid(2)) {
        bool zahlS = false;
        const int groesse = text.toInt(&zahlS);
        if (!zahlS || groesse <= 0 || groesse > 1024) {
            std::fprintf(stderr, "SymbolSpeichern: bad size %s\n", qPrintable(text));
            return 2;
        }
        const QString ordner = QStringLiteral("%1/%2x%2/apps").arg(argumente[1]).arg(groesse);
        const QPixmap bild = symbol.pixmap(QSize(groesse, groesse));
        if (!QDir().mkpath(ordner) || bild.size() != QSize(groesse, groesse) ||
            !bild.save(ordner + QStringLiteral("/veltrano.png"), "PNG")) {
            std::fprintf(stderr, "SymbolSpeichern: cannot save %s\n", qPrintable(ordner));
            return 1;
        }
    }
    return 0;
}
