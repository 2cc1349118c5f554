// SPDX-License-Identifier: GPL-3.0-or-later
// Logging in over TLS to the real veltra-devserver, through a proxy that records every byte
// the client sends, with certificates made by openssl for the test.
#include "DevServer.h"
#include "Form1.h"
#include "TestSupport.h"
#include "frmLogin.h"

#include <QCryptographicHash>
#include <QLabel>
#include <QPushButton>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace kivo;

namespace {

// Forwards address:port() to a server that can be swapped, keeping what clients sent.
class RecordingProxy : public QObject {
public:
    explicit RecordingProxy(const QHostAddress& address = QHostAddress::LocalHost,
                            quint16 port = 0) {
        if (!listener_.listen(address, port))
            qFatal("the proxy cannot listen");
        connect(&listener_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* client = listener_.nextPendingConnection()) {
                auto* server = new QTcpSocket(client);
                server->connectToHost(QHostAddress::LocalHost, target);
                connect(client, &QTcpSocket::readyRead, server, [client, server, this] {
                    const QByteArray bytes = client->readAll();
                    fromClient += bytes;
                    server->write(bytes);
                });
                connect(server, &QTcpSocket::readyRead, client,
                        [client, server] { client->write(server->readAll()); });
                connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
                connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            }
        });
    }
    quint16 port() const { return listener_.serverPort(); }

    quint16 target = 0;
    QByteArray fromClient;

private:
    QTcpServer listener_;
};

struct Pair {
    QString certificate, key;
    QByteArray fingerprint; // SHA-256
};

// Runs openssl in the test's folder; a certificate it could not make ends the test.
void openssl(const QTemporaryDir& dir, const QStringList& arguments) {
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start("openssl", arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qFatal("openssl %s failed", qPrintable(arguments.join(' ')));
}

Pair makePair(const QTemporaryDir& dir, const QString& name) {
    Pair pair{dir.filePath(name + ".crt"), dir.filePath(name + ".key"), {}};
    openssl(dir, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                  "/CN=kivo-test-" + name, "-keyout", pair.key, "-out", pair.certificate});
    const auto certificates = QSslCertificate::fromPath(pair.certificate);
    pair.fingerprint = certificates.value(0).digest(QCryptographicHash::Sha256);
    return pair;
}

// A certificate for `name` signed by a certificate authority of its own, which the test then
// makes one that the system trusts.
Pair makeCaSignedPair(const QTemporaryDir& dir, const QString& name, QString* authority) {
    openssl(dir, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                  "/CN=kivo-test-authority", "-keyout", "ca.key", "-out", "ca.crt"});
    openssl(dir, {"req", "-new", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=" + name, "-keyout",
                  "signed.key", "-out", "signed.csr"});
    QFile extensions(dir.filePath("signed.ext"));
    if (!extensions.open(QIODevice::WriteOnly))
        qFatal("no extension file");
    extensions.write("subjectAltName = DNS:" + name.toLatin1() + "\n");
    extensions.close();
    openssl(dir, {"x509", "-req", "-in", "signed.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
                  "-CAcreateserial", "-days", "2", "-extfile", "signed.ext", "-out", "signed.crt"});
    *authority = dir.filePath("ca.crt");
    return {dir.filePath("signed.crt"), dir.filePath("signed.key"), {}};
}

// Valid for one day in 2020: openssl's ca command is the one that takes dates.
Pair makeExpiredPair(const QTemporaryDir& dir) {
    QFile config(dir.filePath("ca.cnf"));
    if (!config.open(QIODevice::WriteOnly))
        qFatal("no openssl configuration");
    config.write("[ca]\ndefault_ca = test\n[test]\ndatabase = index.txt\nnew_certs_dir = .\n"
                 "serial = serial\ndefault_md = sha256\npolicy = any\n[any]\n"
                 "commonName = supplied\n");
    config.close();
    QFile(dir.filePath("index.txt")).open(QIODevice::WriteOnly);
    QFile serial(dir.filePath("serial"));
    if (!serial.open(QIODevice::WriteOnly) || serial.write("01\n") != 3)
        qFatal("no serial file");
    serial.close();
    openssl(dir, {"req", "-new", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=kivo-test-expired",
                  "-keyout", "expired.key", "-out", "expired.csr"});
    openssl(dir, {"ca", "-batch", "-config", "ca.cnf", "-selfsign", "-keyfile", "expired.key",
                  "-in", "expired.csr", "-startdate", "20200101000000Z", "-enddate",
                  "20200102000000Z", "-out", "expired.crt"});
    return {dir.filePath("expired.crt"), dir.filePath("expired.key"), {}};
}

QString shown(const QByteArray& fingerprint) {
    return QString::fromLatin1(fingerprint.toHex(':').toUpper());
}

} // namespace

class TestTls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void trustOnFirstUseThenAChangedCertificateIsRefused();
    void aPlainServerFailsTheHandshake();
    void anExpiredCertificateFailsWithItsReason();
    void anAcceptedCertificateIsForItsHostAndPortOnly();
    void aTrustedCertificateForAnotherNameIsSaidSo();

private:
    QTemporaryDir dir_;
    Pair first_, second_, expired_;
};

void TestTls::initTestCase() {
    first_ = makePair(dir_, "first");
    second_ = makePair(dir_, "second");
    expired_ = makeExpiredPair(dir_);
}

void TestTls::trustOnFirstUseThenAChangedCertificateIsRefused() {
    RecordingProxy proxy;
    auto server = std::make_unique<test::DevServer>(
        QStringList{"--tls-cert", first_.certificate, "--tls-key", first_.key});
    proxy.target = server->port();
    test::Sandbox sandbox;
    sandbox.writeFile("kivo.ini", "[General]\ntls=true\n");
    test::saveLogin(sandbox, "ann", "pw", proxy.port());
    Form1 form;
    form.show();
    const auto logIn = [&form] {
        test::whenModal([](QWidget* modal) {
            QTest::mouseClick(qobject_cast<frmLogin*>(modal)->cmdOK, Qt::LeftButton);
        });
        form.mnuConnect->trigger();
    };

    // First use: the certificate is shown, accepted, kept, and the login goes encrypted.
    sandbox.boxes.answers = {true};
    logIn();
    QCOMPARE(form.windowTitle(), QString("Kivo - ann"));
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QCOMPARE(sandbox.boxes.boxes[0].title, QString("Unknown Certificate"));
    QVERIFY(sandbox.boxes.boxes[0].text.contains(shown(first_.fingerprint)));
    QVERIFY(sandbox.boxes.boxes[0].text.contains("Subject: kivo-test-first"));
    QVERIFY(sandbox.readFile("kivo.ini").contains(first_.fingerprint.toHex()));
    QCOMPARE(form.lblConnectionState->toolTip(), QString("The connection is encrypted (TLS)."));
    QVERIFY(!proxy.fromClient.isEmpty());
    QVERIFY(!proxy.fromClient.contains("/login"));
    QVERIFY(!proxy.fromClient.contains("ann"));

    // The same server again: no question.
    form.mnuConnect->trigger();
    logIn();
    QCOMPARE(form.windowTitle(), QString("Kivo - ann"));
    QCOMPARE(sandbox.boxes.boxes.size(), 1);

    // Another certificate behind the same address: refused, both fingerprints named.
    form.mnuConnect->trigger();
    server = std::make_unique<test::DevServer>(
        QStringList{"--tls-cert", second_.certificate, "--tls-key", second_.key});
    proxy.target = server->port();
    proxy.fromClient.clear();
    sandbox.boxes.answers = {false};
    test::when([&] { return sandbox.boxes.boxes.size() == 2; },
               [&] { qobject_cast<frmLogin*>(form.loginDialog())->cmdCancel->click(); });
    logIn();
    QCOMPARE(sandbox.boxes.boxes[1].title, QString("Certificate Changed"));
    QVERIFY(sandbox.boxes.boxes[1].text.contains("Accepted before: " + shown(first_.fingerprint)));
    QVERIFY(sandbox.boxes.boxes[1].text.contains("Sent now: " + shown(second_.fingerprint)));
    QCOMPARE(form.windowTitle(), QString("Kivo"));
    QVERIFY(!proxy.fromClient.isEmpty()); // the handshake, and nothing after it
    QVERIFY(!proxy.fromClient.contains("/login"));
    QVERIFY(sandbox.readFile("kivo.ini").contains(first_.fingerprint.toHex()));

    // Accepted explicitly: kept instead of the first.
    sandbox.boxes.answers = {true};
    logIn();
    QCOMPARE(form.windowTitle(), QString("Kivo - ann"));
    QCOMPARE(sandbox.boxes.boxes.size(), 3);
    QVERIFY(sandbox.readFile("kivo.ini").contains(second_.fingerprint.toHex()));
    QVERIFY(!sandbox.readFile("kivo.ini").contains(first_.fingerprint.toHex()));
}

// A login whose connection cannot be made: the one box, closed by the test.
QString failureOfALogin(quint16 port) {
    test::Sandbox sandbox;
    sandbox.writeFile("kivo.ini", "[General]\ntls=true\n");
    test::saveLogin(sandbox, "ann", "pw", port);
    Form1 form;
    form.show();
    test::when([&] { return !sandbox.boxes.boxes.isEmpty(); },
               [&] { qobject_cast<frmLogin*>(form.loginDialog())->cmdCancel->click(); });
    test::whenModal([](QWidget* modal) {
        QTest::mouseClick(qobject_cast<frmLogin*>(modal)->cmdOK, Qt::LeftButton);
    });
    form.mnuConnect->trigger();
    if (form.windowTitle() != "Kivo" || sandbox.boxes.boxes.size() != 1)
        return QString();
    return sandbox.boxes.boxes[0].text;
}

void TestTls::aPlainServerFailsTheHandshake() {
    test::DevServer server;
    const QString text = failureOfALogin(server.port());
    QVERIFY2(
        text.startsWith(QString("Could not connect to 127.0.0.1 on port %1: ").arg(server.port())),
        qPrintable(text));
    QVERIFY2(text.contains("wrong version number"), qPrintable(text));
}

void TestTls::anExpiredCertificateFailsWithItsReason() {
    // Not offered for trust: an accepted certificate that expired is no better.
    test::DevServer server({"--tls-cert", expired_.certificate, "--tls-key", expired_.key});
    const QString text = failureOfALogin(server.port());
    QVERIFY2(
        text.startsWith(QString("Could not connect to 127.0.0.1 on port %1: ").arg(server.port())),
        qPrintable(text));
    QVERIFY2(text.contains("expired"), qPrintable(text));
}

// A login through the dialog to host and port; unless it is expected to succeed, the dialog
// is cancelled once `boxes` boxes have been shown (a refusal leaves it open).
void logInTo(Form1& form, test::Sandbox& sandbox, const QString& host, quint16 port,
             int boxes = -1) {
    sandbox.writeFile("connection.dat",
                      ("ann\r\npw\r\n" + host + "\r\n" + QString::number(port) + "\r\n").toUtf8());
    if (form.connection().Winsock1.state() != Winsock::Closed)
        form.mnuConnect->trigger(); // disconnects
    if (boxes >= 0)
        test::when([&] { return sandbox.boxes.boxes.size() == boxes; },
                   [&] { qobject_cast<frmLogin*>(form.loginDialog())->cmdCancel->click(); });
    test::whenModal([](QWidget* modal) {
        QTest::mouseClick(qobject_cast<frmLogin*>(modal)->cmdOK, Qt::LeftButton);
    });
    form.mnuConnect->trigger();
}

void TestTls::anAcceptedCertificateIsForItsHostAndPortOnly() {
    test::DevServer server({"--tls-cert", first_.certificate, "--tls-key", first_.key});
    RecordingProxy accepted, otherPort;
    RecordingProxy otherAddress(QHostAddress("127.0.0.2"), accepted.port());
    for (RecordingProxy* proxy : {&accepted, &otherPort, &otherAddress})
        proxy->target = server.port();
    test::Sandbox sandbox;
    sandbox.writeFile("kivo.ini", "[General]\ntls=true\n");
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    form.show();
    sandbox.boxes.answers = {true};
    logInTo(form, sandbox, "127.0.0.1", accepted.port());
    QCOMPARE(form.windowTitle(), QString("Kivo - ann"));
    QCOMPARE(sandbox.boxes.boxes.size(), 1);

    // The same certificate elsewhere in the same run is asked about, and nothing is sent.
    const auto refusedAt = [&](RecordingProxy& proxy, const QString& host) {
        const int before = static_cast<int>(sandbox.boxes.boxes.size());
        sandbox.boxes.answers = {false};
        logInTo(form, sandbox, host, proxy.port(), before + 1);
        return form.windowTitle() == "Kivo" && sandbox.boxes.boxes.size() == before + 1 &&
               sandbox.boxes.boxes.last().title == "Unknown Certificate" &&
               !proxy.fromClient.isEmpty() && !proxy.fromClient.contains("/login");
    };
    QVERIFY(refusedAt(otherPort, "127.0.0.1"));
    QVERIFY(refusedAt(otherAddress, "127.0.0.2"));

    // After a refusal a connect that cannot be made is said as such.
    logInTo(form, sandbox, "127.0.0.1", test::closedPort(), 4);
    QCOMPARE(sandbox.boxes.boxes.size(), 4);
    QCOMPARE(sandbox.boxes.boxes.last().title, QString("Connection Error"));
}

void TestTls::aTrustedCertificateForAnotherNameIsSaidSo() {
    QTemporaryDir dir;
    QString authority;
    const Pair signed_ = makeCaSignedPair(dir, "other.example", &authority);
    QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
    const QSslConfiguration before = trusting;
    trusting.addCaCertificates(authority);
    QSslConfiguration::setDefaultConfiguration(trusting);
    test::DevServer server({"--tls-cert", signed_.certificate, "--tls-key", signed_.key});
    test::Sandbox sandbox;
    sandbox.writeFile("kivo.ini", "[General]\ntls=true\n");
    sandbox.writeFile("settings.dat", "False\r\n");
    Form1 form;
    form.show();
    sandbox.boxes.answers = {false};
    logInTo(form, sandbox, "127.0.0.1", server.port(), 1);
    QSslConfiguration::setDefaultConfiguration(before);
    QCOMPARE(sandbox.boxes.boxes.size(), 1);
    QCOMPARE(sandbox.boxes.boxes[0].title, QString("Certificate for Another Name"));
    QVERIFY2(sandbox.boxes.boxes[0].text.contains("this computer trusts, but for another name: "
                                                  "it does not name 127.0.0.1"),
             qPrintable(sandbox.boxes.boxes[0].text));
}

QTEST_MAIN(TestTls)
#include "tst_tls.moc"
