// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChatServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QSslKey>
#include <QSslSocket>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2];

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so sockets are closed and files saved normally.
void quitOnSignals(QCoreApplication& app) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The certificate and key for --tls-cert and --tls-key; says what is wrong on stderr.
std::optional<QSslConfiguration> tlsConfiguration(const QString& certificateFile,
                                                  const QString& keyFile) {
    QFile certificateIn(certificateFile);
    QFile keyIn(keyFile);
    if (!certificateIn.open(QIODevice::ReadOnly) || !keyIn.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "veltra-devserver: --tls-cert and --tls-key need readable files\n");
        return std::nullopt;
    }
    const QSslCertificate certificate(&certificateIn, QSsl::Pem);
    const QByteArray keyPem = keyIn.readAll();
    QSslKey key(keyPem, QSsl::Rsa);
    if (key.isNull())
        key = QSslKey(keyPem, QSsl::Ec);
    if (certificate.isNull() || key.isNull()) {
        std::fprintf(stderr, "veltra-devserver: no PEM certificate or key in the files given\n");
        return std::nullopt;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(certificate);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltra-devserver"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A small Veltra chat server for trying Kivo out and for tests."));
    parser.addHelpOption();
    const QCommandLineOption address({QStringLiteral("a"), QStringLiteral("address")},
                                     QStringLiteral("Address to listen on."),
                                     QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption port({QStringLiteral("p"), QStringLiteral("port")},
                                  QStringLiteral("Port to listen on (0: any free port)."),
                                  QStringLiteral("port"), QStringLiteral("42439"));
    const QCommandLineOption accounts(
        QStringLiteral("accounts"), QStringLiteral("File that keeps the accounts (name:password)."),
        QStringLiteral("file"));
    const QCommandLineOption name(QStringLiteral("name"),
                                  QStringLiteral("This server's name, for room@server."),
                                  QStringLiteral("name"), QStringLiteral("localhost"));
    const QCommandLineOption tlsCertificate(
        QStringLiteral("tls-cert"),
        QStringLiteral("Speak TLS only, with this certificate (PEM); needs --tls-key."),
        QStringLiteral("file"));
    const QCommandLineOption tlsKey(QStringLiteral("tls-key"),
                                    QStringLiteral("The certificate's private key (PEM)."),
                                    QStringLiteral("file"));
    parser.addOptions({address, port, accounts, name, tlsCertificate, tlsKey});
    parser.process(app);

    veltra::ChatServer::Options options;
    options.name = parser.value(name);
    options.accountsFile = parser.value(accounts);
    if (parser.isSet(tlsCertificate) || parser.isSet(tlsKey)) {
        std::optional<QSslConfiguration> tls =
            tlsConfiguration(parser.value(tlsCertificate), parser.value(tlsKey));
        if (!tls)
            return 2;
        options.tls = tls;
    }
    veltra::ChatServer server(options);
    bool portOk = false;
    const uint portNumber = parser.value(port).toUInt(&portOk);
    const QHostAddress host(parser.value(address));
    if (!portOk || portNumber > 65535 || host.isNull()) {
        std::fprintf(stderr, "veltra-devserver: give an IP address and a port from 0 to 65535\n");
        return 2;
    }
    if (!server.listen(host, static_cast<quint16>(portNumber))) {
        std::fprintf(stderr, "veltra-devserver: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    std::printf("veltra-devserver listening on %s:%u\n", qPrintable(host.toString()),
                static_cast<unsigned>(server.port()));
    std::fflush(stdout);
    quitOnSignals(app);
    return QCoreApplication::exec();
}
