#include "app/TParamClass.h"
#include "platform/TPlattform.h"

#include <QTest>

class TstParamClass : public QObject {
    Q_OBJECT
private slots:
    void teilen_data() {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QStringList>("dateien");
        QTest::addColumn<QStringList>("parameter");
        QTest::newRow("systemstart") << QStringList{"/systemstartup"} << QStringList{}
                                     << QStringList{"/Systemstartup"};
        QTest::newRow("gemischt") << QStringList{"/SystemStartup"} << QStringList{}
                                  << QStringList{"/SystemStartup"};
        QTest::newRow("Datei davor") << QStringList{"x.txt/systemstartup"} << QStringList{"x.txt"}
                                     << QStringList{"/Systemstartup"};
        QTest::newRow("mehrere in einem") << QStringList{"/a/b"} << QStringList{} << QStringList{"/A", "/B"};
        QTest::newRow("nur Schraegstrich") << QStringList{"/"} << QStringList{} << QStringList{"/"};
        QTest::newRow("Leerzeichen") << QStringList{"  /x \t"} << QStringList{} << QStringList{"/X"};
        QTest::newRow("Datei") << QStringList{"datei.txt", "  "} << QStringList{"datei.txt"} << QStringList{};
        QTest::newRow("Reihenfolge") << QStringList{"a", "/b c", "d/e"} << QStringList{"a", "d"}
                                     << QStringList{"/B c", "/E"};
        QTest::newRow("Umlaut") << QStringList{"/über"} << QStringList{} << QStringList{"/Über"};
    }
    void teilen() {
        QFETCH(QStringList, argumente);
        QFETCH(QStringList, dateien);
        QFETCH(QStringList, parameter);
        const TParamClass p({u'/'}, true, argumente);
        QCOMPARE(p.DateienCount(), dateien.size());
        QCOMPARE(p.ParameterCount(), parameter.size());
        for (int i = 0; i < dateien.size(); ++i)
            QCOMPARE(p.Dateien(i + 1), dateien[i]);
        for (int i = 0; i < parameter.size(); ++i)
            QCOMPARE(p.Parameter(i + 1), parameter[i]);
        QCOMPARE(p.Parameter(0), QString());
        QCOMPARE(p.Parameter(parameter.size() + 1), QString());
        QCOMPARE(p.Dateien(-1), QString());
    }

    void ohneGrossschreibung() {
        const TParamClass p({u'/', u'-'}, false, {"-x/y"});
        QCOMPARE(p.ParameterCount(), 2);
        QCOMPARE(p.Parameter(1), QString("-x"));
        QCOMPARE(p.Parameter(2), QString("/y"));
    }

    void titelRegel_data() {
        QTest::addColumn<QString>("titel");
        QTest::addColumn<bool>("passt");
        QTest::newRow("endet damit") << "BUERO - Veltrano V1.01" << true;
        QTest::newRow("genau") << "Veltrano V1.01" << true;
        QTest::newRow("Text danach") << "BUERO - Veltrano V1.01 (2)" << false;
        QTest::newRow("zweimal") << "Veltrano V1.01 - Veltrano V1.01" << false;
        QTest::newRow("Gross/klein") << "BUERO - veltrano v1.01" << false;
        QTest::newRow("leer") << "" << false;
    }
    void titelRegel() {
        QFETCH(QString, titel);
        QFETCH(bool, passt);
        QCOMPARE(TitelPasst(titel, "Veltrano V1.01"), passt);
    }
};

QTEST_GUILESS_MAIN(TstParamClass)
#include "tst_paramclass.moc"
