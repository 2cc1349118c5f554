// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "TranscriptFormat.h"

#include "ClockTimer.h"
#include "Codec.h"
#include "ConnectionController.h"
#include "ConnectionFile.h"
#include "FormChat.h"
#include "StateFiles.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <sys/socket.h>

namespace kivo::test {
namespace {

// Actions scheduled by when() that have not run yet; a test that ends early must not leave
// them to fire into the next test with dangling references.
QList<QPointer<QTimer>>& pendingActions() {
    static QList<QPointer<QTimer>> timers;
    return timers;
}

} // namespace

void ScriptedBoxes::warning(const QString& text, const QString& title) {
    boxes.append({Kind::Warning, text, title});
    if (whileOpen)
        whileOpen();
}

bool ScriptedBoxes::question(const QString& text, const QString& title) {
    boxes.append({Kind::Question, text, title});
    if (whileOpen)
        whileOpen();
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

void ScriptedBoxes::retext(const QString& text, const QString& title, const QString& newText) {
    for (Box& box : boxes) {
        if (box.text == text && box.title == title) {
            box.text = newText;
            return;
        }
    }
}

QStringList ScriptedBoxes::texts() const {
    QStringList result;
    for (const Box& box : boxes)
        result.append(box.text);
    return result;
}

void ManualClock::advanceMs(qint64 ms) {
    ClockTimer::runUntil(current.addMSecs(ms), [this](const QDateTime& now) { current = now; });
}

Sandbox::Sandbox() {
    StateFolder::setPath(dir_.path());
    MessageBoxes::install(&boxes);
    Clock::install(&clock);
}

Sandbox::~Sandbox() {
    for (const QPointer<QTimer>& timer : std::exchange(pendingActions(), {}))
        delete timer.data();
    Clock::install(nullptr);
    MessageBoxes::install(nullptr);
    StateFolder::setPath(QString());
}

QString Sandbox::path(const QString& fileName) const {
    return dir_.filePath(fileName);
}

void Sandbox::writeFile(const QString& fileName, const QByteArray& bytes) const {
    QFile file(path(fileName));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path(fileName)));
}

QByteArray Sandbox::readFile(const QString& fileName) const {
    QFile file(path(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

bool Sandbox::exists(const QString& fileName) const {
    return QFile::exists(path(fileName));
}

LoopbackServer::LoopbackServer() {
    if (!server_.listen(QHostAddress::LocalHost, 0))
        qFatal("cannot listen on 127.0.0.1");
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            auto client = std::make_shared<Client>();
            client->socket = socket;
            connect(socket, &QTcpSocket::readyRead, this,
                    [socket, client] { client->received += socket->readAll(); });
            clients_.append(client);
        }
    });
}

bool LoopbackServer::waitForClient(int count, int timeoutMs) {
    return QTest::qWaitFor([&] { return clients_.size() >= count; }, timeoutMs);
}

QByteArray LoopbackServer::received() const {
    return clients_.isEmpty() ? QByteArray() : clients_.last()->received;
}

bool LoopbackServer::waitForReceived(const QByteArray& expected, int timeoutMs) {
    return QTest::qWaitFor([&] { return received().size() >= expected.size(); }, timeoutMs) &&
           received() == expected;
}

void LoopbackServer::clearReceived() {
    if (!clients_.isEmpty())
        clients_.last()->received.clear();
}

void LoopbackServer::send(const QByteArray& bytes) {
    if (!clients_.isEmpty() && clients_.last()->socket) {
        clients_.last()->socket->write(bytes);
        clients_.last()->socket->flush();
    }
}

void LoopbackServer::dropClient() {
    if (!clients_.isEmpty() && clients_.last()->socket)
        clients_.last()->socket->disconnectFromHost();
}

void LoopbackServer::resetClient() {
    if (clients_.isEmpty() || !clients_.last()->socket)
        return;
    QTcpSocket* socket = clients_.last()->socket;
    const linger reset{1, 0}; // closing sends RST instead of FIN
    setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
               sizeof reset);
    socket->abort();
}

void LoopbackServer::setListening(bool listening) {
    const quint16 port = server_.serverPort() ? server_.serverPort() : port_;
    port_ = port;
    if (!listening)
        server_.close();
    else if (!server_.listen(QHostAddress::LocalHost, port))
        qFatal("cannot listen on 127.0.0.1:%u again", port);
}

bool LoopbackServer::clientGone() const {
    return clients_.isEmpty() || !clients_.last()->socket ||
           clients_.last()->socket->state() == QAbstractSocket::UnconnectedState;
}

bool logInAt(LoopbackServer& server, ConnectionController& connection, const QString& user,
             const QString& password) {
    connection.LoginUser = user;
    connection.LoginPass = password;
    connection.connectTo(QStringLiteral("127.0.0.1"), server.port());
    if (!server.waitForReceived(commandLine(QStringLiteral("/login ") + user + u' ' + password)))
        return false;
    server.clearReceived();
    return true;
}

void writeAliceAndBob(const Sandbox& sandbox) {
    sandbox.writeFile("settings.dat", "False\r\n");
    sandbox.writeFile("contacts.dat", "C|general|General (2)|\r\n"
                                      "U|general_contact_alice|alice|general\r\n"
                                      "U|general_contact_bob|bob|general\r\n");
}

bool deliverLines(LoopbackServer& server, ConnectionController& connection,
                  const QByteArray& lines) {
    int routed = 0;
    const QMetaObject::Connection counting =
        QObject::connect(&connection, &ConnectionController::messageReceived, [&] { ++routed; });
    server.send(lines);
    const bool all = QTest::qWaitFor([&] { return routed >= lines.count('\n'); });
    QObject::disconnect(counting);
    return all;
}

void saveLogin(const Sandbox& sandbox, const QString& user, const QString& password, quint16 port) {
    sandbox.writeFile(
        ConnectionFile::FileName,
        (user + "\r\n" + password + "\r\n127.0.0.1\r\n" + QString::number(port) + "\r\n").toUtf8());
}

void whenModal(std::function<void(QWidget*)> action, int timeoutMs) {
    when([] { return QApplication::activeModalWidget() != nullptr; },
         [action] { action(QApplication::activeModalWidget()); }, timeoutMs);
}

bool libraryLoaded(const char* name) {
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(name);
}

QStringList chooseFromContextMenu(QWidget* widget, const QPoint& at, int index) {
    QStringList entries;
    when([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
         [&entries, index] {
             auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
             for (QAction* action : menu->actions())
                 entries.append(action->text());
             menu->actions().value(index)->trigger();
             menu->close();
         });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
    // Context menus pop up without an event loop of their own.
    if (!QTest::qWaitFor([&entries] { return !entries.isEmpty(); }))
        qWarning("chooseFromContextMenu: no menu came");
    return entries;
}

void when(std::function<bool()> condition, std::function<void()> action, int timeoutMs) {
    auto* timer = new QTimer;
    pendingActions().append(timer);
    auto deadline = QDeadlineTimer(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        const bool ready = condition();
        if (!ready && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (ready)
            action();
        else
            qWarning("when: the condition never held");
    });
    timer->start(10);
}

QStringList transcriptRuns(FormChat* chat) {
    QStringList runs;
    for (qsizetype line = 0; line < chat->transcript().count(); ++line) {
        for (const TranscriptView::Run& run : chat->txtChat->runs(line))
            runs.append(QStringLiteral("%1 {%2%3}")
                            .arg(run.text, run.colour.name(), run.bold ? " bold" : ""));
        runs.append(LineEnd);
    }
    return runs;
}

QList<QWidget*> tabOrder(QWidget* first, int count) {
    QWidget* window = first->window();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return {};
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget*> order{QApplication::focusWidget()};
    while (order.size() < count) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget());
    }
    return order;
}

QString transcriptText(FormChat* chat) {
    QString text;
    for (qsizetype line = 0; line < chat->transcript().count(); ++line)
        text += TranscriptFormat::shown(chat->transcript().line(line)).text + u'\n';
    return text;
}

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

PrivateSessionBus::PrivateSessionBus(const QStringList& configuration) {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  configuration +
                      QStringList{QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (!daemon_.waitForReadyRead(5000))
        qFatal("dbus-daemon did not start");
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
}

PrivateSessionBus::~PrivateSessionBus() {
    daemon_.kill();
    daemon_.waitForFinished();
}

} // namespace kivo::test
