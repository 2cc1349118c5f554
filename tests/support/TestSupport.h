// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Clock.h"
#include "MessageBoxes.h"

#include <QByteArray>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QWidget;

namespace kivo {
class ConnectionController;
class FormChat;
} // namespace kivo

namespace kivo::test {

// Records every message box and answers questions from a script.
class ScriptedBoxes final : public MessageBoxes {
public:
    enum class Kind { Warning, Question };
    struct Box {
        Kind kind;
        QString text;
        QString title;
    };

    void warning(const QString& text, const QString& title) override;
    bool question(const QString& text, const QString& title) override;
    void retext(const QString& text, const QString& title, const QString& newText) override;

    QList<Box> boxes;
    QList<bool> answers; // taken first to last; when empty, defaultAnswer
    bool defaultAnswer = false;
    std::function<void()> whileOpen; // runs "inside" each box, as a modal box's event loop would

    QStringList texts() const;
};

// Time moves only when a test says so; the program's ClockTimers fire as it moves.
class ManualClock final : public Clock {
public:
    QDateTime now() const override { return current; }
    bool isManual() const override { return true; }
    void advanceMs(qint64 ms);
    QDateTime current{QDate(2026, 2, 21), QTime(9, 5, 7)};
};

// The time stamp run the manual clock's start time gives, as transcriptRuns() shows it, and
// the entry that ends each line there.
inline const QString StampRun = QStringLiteral("[09:05:07]  {#969696}");
inline const QString LineEnd = QStringLiteral("⏎");

// A fresh state folder, scripted boxes and a manual clock for one test case.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();
    QString path(const QString& fileName) const;
    void writeFile(const QString& fileName, const QByteArray& bytes) const;
    QByteArray readFile(const QString& fileName) const;
    bool exists(const QString& fileName) const;

    ScriptedBoxes boxes;
    ManualClock clock;

private:
    QTemporaryDir dir_;
};

// The server end of real TCP connections on 127.0.0.1, recording what each client sends.
class LoopbackServer : public QObject {
    Q_OBJECT
public:
    LoopbackServer();
    quint16 port() const { return server_.isListening() ? server_.serverPort() : port_; }
    bool waitForClient(int count = 1, int timeoutMs = 5000);
    int clientCount() const { return static_cast<int>(clients_.size()); }
    // What the newest client has sent so far, and a wait until it has sent at least n bytes.
    QByteArray received() const;
    bool waitForReceived(const QByteArray& expected, int timeoutMs = 5000);
    void clearReceived();
    void send(const QByteArray& bytes);
    void dropClient();
    // Ends the newest client's connection with a reset, as a network error does.
    void resetClient();
    bool clientGone() const;
    // Stops taking connections (they are refused), or takes them again on the same port.
    void setListening(bool listening);

private:
    struct Client {
        QPointer<QTcpSocket> socket;
        QByteArray received;
    };
    QTcpServer server_;
    quint16 port_ = 0;
    QList<std::shared_ptr<Client>> clients_;
};

// Connects to the loopback server as a login does (without the login reply), waits for the
// login line and forgets it, so a test sees only what comes after. False if it never came.
bool logInAt(LoopbackServer& server, ConnectionController& connection, const QString& user,
             const QString& password);

// No login dialog at start-up, and alice and bob as contacts in General.
void writeAliceAndBob(const Sandbox& sandbox);

// Sends lines from the server and waits until the client has routed each of them.
bool deliverLines(LoopbackServer& server, ConnectionController& connection,
                  const QByteArray& lines);

// A connection.dat for 127.0.0.1 at this port.
void saveLogin(const Sandbox& sandbox, const QString& user, const QString& password, quint16 port);

// Runs an action on the next modal window that opens (a dialog's exec() or a box).
void whenModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);

// Opens the context menu of a widget at a point as a right click would, chooses its entry of
// this index, and returns the texts of all its entries (a separator's is empty).
QStringList chooseFromContextMenu(QWidget* widget, const QPoint& at, int index);

// Whether this process has a library of this name part mapped (loaded).
bool libraryLoaded(const char* name);

// Runs an action once a condition holds, from the event loop (also inside a modal loop).
void when(std::function<bool()> condition, std::function<void()> action, int timeoutMs = 5000);

// The transcript as its view draws it, run by run: text, colour and weight, e.g.
// "<ann> {#0000ff}" or "*** hi {#000000 bold}", and LineEnd after each line. The text helper
// gives the lines as shown, each ended by a line feed.
QStringList transcriptRuns(FormChat* chat);
QString transcriptText(FormChat* chat);

// Calls an action for every event of one type that reaches the objects it is installed on.
class EventCounter : public QObject {
public:
    EventCounter(QEvent::Type type, std::function<void()> action)
        : type_(type)
        , action_(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == type_)
            action_();
        return QObject::eventFilter(watched, event);
    }

private:
    QEvent::Type type_;
    std::function<void()> action_;
};

// The widgets that hold the focus as a user presses Tab, starting from `first` (which is
// included); the window is shown and activated for it.
QList<QWidget*> tabOrder(QWidget* first, int count);

// A port on 127.0.0.1 with nothing listening.
quint16 closedPort();

// A dbus-daemon of the test's own, made this process's session bus before anything uses one,
// so that no desktop's services are touched; it ends with the object.
class PrivateSessionBus {
public:
    // dbus-daemon's arguments that choose its configuration.
    explicit PrivateSessionBus(const QStringList& configuration = {QStringLiteral("--session")});
    ~PrivateSessionBus();
    QString address() const { return address_; }

private:
    QProcess daemon_;
    QString address_;
};

} // namespace kivo::test
