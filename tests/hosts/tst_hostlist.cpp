#include <QTest>
class X : public QObject { Q_OBJECT private slots: void a() {} };
QTEST_MAIN(X)
#include "tst_hostlist.moc"
