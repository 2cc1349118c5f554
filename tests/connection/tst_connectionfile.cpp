// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionFile.h"
#include "TestSupport.h"

#include <QFile>
#include <QTest>

using namespace kivo;

class TestConnectionFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void savedPortAndItsRewrite_data();
    void savedPortAndItsRewrite();
    void loadingFillsOrKeepsTheFields();
};

// A connection file (or none), the port it yields, and the file after the next login saves
// "u", "p", "h".
void TestConnectionFile::savedPortAndItsRewrite_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("port");
    QTest::addColumn<QByteArray>("afterSave");

    QTest::newRow("missing file") << QByteArray() << qint64(42439)
                                  << QByteArray("u\r\np\r\nh\r\n42439\r\n");
    QTest::newRow("three lines") << QByteArray("a\r\nb\r\nc\r\n") << qint64(42439)
                                 << QByteArray("u\r\np\r\nh\r\n42439\r\n");
    QTest::newRow("empty fourth line") << QByteArray("a\r\nb\r\nc\r\n\r\n") << qint64(42439)
                                       << QByteArray("u\r\np\r\nh\r\n42439\r\n");
    QTest::newRow("word") << QByteArray("a\r\nb\r\nc\r\nport\r\n") << qint64(42439)
                          << QByteArray("u\r\np\r\nh\r\n42439\r\n");
    QTest::newRow("6000 kept") << QByteArray("a\r\nb\r\nc\r\n6000\r\n") << qint64(6000)
                               << QByteArray("u\r\np\r\nh\r\n6000\r\n");
    QTest::newRow("surrounded by spaces") << QByteArray("a\r\nb\r\nc\r\n 6000 \r\n") << qint64(6000)
                                          << QByteArray("u\r\np\r\nh\r\n6000\r\n");
    QTest::newRow("exponent") << QByteArray("a\r\nb\r\nc\r\n1e3\r\n") << qint64(1000)
                              << QByteArray("u\r\np\r\nh\r\n1000\r\n");
    QTest::newRow("half to even down") << QByteArray("a\r\nb\r\nc\r\n8000.5") << qint64(8000)
                                       << QByteArray("u\r\np\r\nh\r\n8000\r\n");
    QTest::newRow("half to even up")
        << QByteArray("a\nb\nc\n8001.5\n") << qint64(8002) << QByteArray("u\r\np\r\nh\r\n8002\r\n");
    QTest::newRow("above the port range") << QByteArray("a\r\nb\r\nc\r\n70000\r\n") << qint64(70000)
                                          << QByteArray("u\r\np\r\nh\r\n70000\r\n");
    QTest::newRow("negative") << QByteArray("a\r\nb\r\nc\r\n-5\r\n") << qint64(-5)
                              << QByteArray("u\r\np\r\nh\r\n-5\r\n");
    QTest::newRow("beyond 32 bits kept as typed")
        << QByteArray("a\r\nb\r\nc\r\n1e10\r\n") << qint64(10000000000)
        << QByteArray("u\r\np\r\nh\r\n1e10\r\n");
}

void TestConnectionFile::savedPortAndItsRewrite() {
    QFETCH(QByteArray, file);
    QFETCH(qint64, port);
    QFETCH(QByteArray, afterSave);
    test::Sandbox sandbox;
    if (!file.isEmpty())
        sandbox.writeFile(ConnectionFile::FileName, file);
    QCOMPARE(ConnectionFile::GetSavedPort(), port);
    QVERIFY(ConnectionFile::SaveConnectionData("u", "p", "h"));
    QCOMPARE(sandbox.readFile(ConnectionFile::FileName), afterSave);
    QCOMPARE(QFile::permissions(sandbox.path(ConnectionFile::FileName)) & 0x0FFF,
             QFile::ReadUser | QFile::WriteUser);
}

void TestConnectionFile::loadingFillsOrKeepsTheFields() {
    test::Sandbox sandbox;
    QString user = "keep", pass = "keep", host = "keep";
    ConnectionFile::LoadConnectionData(user, pass, host);
    QCOMPARE(QStringList({user, pass, host}), QStringList({"keep", "keep", "keep"}));

    sandbox.writeFile(ConnectionFile::FileName, "ann\r\n");
    ConnectionFile::LoadConnectionData(user, pass, host);
    QCOMPARE(QStringList({user, pass, host}), QStringList({"ann", "", ""}));

    sandbox.writeFile(ConnectionFile::FileName, " ann \r\ns e\r\nexample.org\r\n99\r\n");
    ConnectionFile::LoadConnectionData(user, pass, host);
    QCOMPARE(QStringList({user, pass, host}), QStringList({" ann ", "s e", "example.org"}));
}

QTEST_GUILESS_MAIN(TestConnectionFile)
#include "tst_connectionfile.moc"
