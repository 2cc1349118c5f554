// SPDX-License-Identifier: GPL-3.0-or-later
#include "Protocol.h"
#include "Router.h"

#include <QTest>

using namespace kivo;
using Action = RouteDecision::Action;
using Form = ConferenceLine::Form;

class TestRouter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decisionTable_data();
    void decisionTable();
    void conferenceLineForms_data();
    void conferenceLineForms();
    void commandLines();
};

// Each server message, whether a login reply is awaited, the row that decides (0 for none:
// a conference line), and what the router makes of it.
void TestRouter::decisionTable_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<QString>("row");
    QTest::addColumn<Action>("action");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sender");

    const QString pm = "Private Message Error";
    auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
    row("L1") << "Invalid username or password." << true << "L1" << Action::Nothing << ""
              << ""
              << "";
    row("L1 only while waiting") << "Invalid username or password." << false << "0"
                                 << Action::ConferenceLine << "Invalid username or password."
                                 << ""
                                 << "";
    row("L2 contained") << "Welcome! Login successful. Enjoy" << true << "L2" << Action::Nothing
                        << ""
                        << ""
                        << "";
    row("L1 before L2") << "Login successful. Invalid username or password." << true << "L1"
                        << Action::Nothing << ""
                        << ""
                        << "";
    row("1 ping") << "x *Ping!* y" << false << "1" << Action::Nothing << ""
                  << ""
                  << "";
    row("1 while waiting") << "*Ping!*" << true << "1" << Action::Nothing << ""
                           << ""
                           << "";
    row("2 unknown") << "Unknown command." << false << "2" << Action::Nothing << ""
                     << ""
                     << "";
    row("3 no user") << "Error: User does not exist." << false << "3" << Action::Warning
                     << "User does not exist." << pm << "";
    row("4 yourself") << "You cannot send private messages to yourself." << false << "4"
                      << Action::Warning << "You cannot send private messages to yourself." << pm
                      << "";
    row("5 banned") << "carl is banned." << false << "5" << Action::Warning << "Receiver is banned."
                    << pm << "";
    row("5 inside a conference line") << "bob: they said carl is banned. really" << false << "5"
                                      << Action::Warning << "Receiver is banned." << pm << "";
    row("5 banned, case counts") << "carl is Banned." << false << "0" << Action::ConferenceLine
                                 << "carl is Banned."
                                 << ""
                                 << "";
    row("6 ignoring") << "Ignoring bob." << false << "6" << Action::Nothing << ""
                      << ""
                      << "";
    row("6 only in this case") << "ignoring bob." << false << "0" << Action::ConferenceLine
                               << "ignoring bob."
                               << ""
                               << "";
    row("6 only at the start") << "Now Ignoring bob." << false << "0" << Action::ConferenceLine
                               << "Now Ignoring bob."
                               << ""
                               << "";
    row("7 stopped") << "Stopped ignoring bob." << false << "7" << Action::Nothing << ""
                     << ""
                     << "";
    row("8 not listed") << "bob is not in your ignore list." << false << "8" << Action::Nothing
                        << ""
                        << ""
                        << "";
    row("9 cleared") << "Ignore list cleared." << false << "9" << Action::Nothing << ""
                     << ""
                     << "";
    row("9 equals only") << "Ignore list cleared!" << false << "0" << Action::ConferenceLine
                         << "Ignore list cleared!"
                         << ""
                         << "";
    row("10 already empty") << "Ignore list is already empty." << false << "10" << Action::Nothing
                            << ""
                            << ""
                            << "";
    row("11 list") << "Ignore list: a, b" << false << "11" << Action::IgnoreList
                   << "Ignore list: a, b"
                   << ""
                   << "";
    row("11 bare") << "Ignore list:" << false << "11" << Action::IgnoreList << "Ignore list:"
                   << ""
                   << "";
    row("12 empty") << "Ignore list is empty." << false << "12" << Action::IgnoreListEmpty << ""
                    << ""
                    << "";
    row("13 failed, full stops removed")
        << "Failed to send private message to j.doe." << false << "13" << Action::Warning
        << "Failed to send private message to jdoe." << pm << "";
    row("13 any case") << "FAILED TO SEND PRIVATE MESSAGE TO  Bob " << false << "13"
                       << Action::Warning << "Failed to send private message to Bob." << pm << "";
    row("14 sent") << "Private message sent to bob." << false << "14" << Action::Nothing << ""
                   << ""
                   << "";
    row("14 any case") << "PRIVATE MESSAGE SENT TO BOB." << false << "14" << Action::Nothing << ""
                       << ""
                       << "";
    row("15 private") << "(Private) alice:  hi there  " << false << "15" << Action::PrivateMessage
                      << "hi there"
                      << ""
                      << "alice";
    row("15 sender as received") << "(Private) Alice :x:y" << false << "15"
                                 << Action::PrivateMessage << "x:y"
                                 << ""
                                 << "Alice ";
    row("15 no colon dropped") << "(Private) alice hi" << false << "15" << Action::Nothing << ""
                               << ""
                               << "";
    row("15 case counts") << "(private) alice:hi" << false << "0" << Action::ConferenceLine
                          << "(private) alice:hi"
                          << ""
                          << "";
    row("first match wins: 2 before 3")
        << "User does not exist. Unknown command." << false << "2" << Action::Nothing << ""
        << ""
        << "";
    row("first match wins: 3 before 15") << "(Private) bob:User does not exist." << false << "3"
                                         << Action::Warning << "User does not exist." << pm << "";
    row("first match wins: 5 before 11") << "Ignore list: carl is banned." << false << "5"
                                         << Action::Warning << "Receiver is banned." << pm << "";
    row("16 anything else") << "bob: hello" << false << "0" << Action::ConferenceLine
                            << "bob: hello"
                            << ""
                            << "";
}

void TestRouter::decisionTable() {
    QFETCH(QString, message);
    QFETCH(bool, waiting);
    QFETCH(QString, row);
    QFETCH(Action, action);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(QString, sender);
    const ServerReply* reply = recogniseReply(message, waiting);
    QCOMPARE(reply ? QString(reply->label) : QString("0"), row);
    if (row.startsWith(u'L'))
        return; // the connection controller handles the login replies
    const RouteDecision decision = decideRoute(message);
    QCOMPARE(decision.action, action);
    QCOMPARE(decision.text, text);
    QCOMPARE(decision.title, title);
    QCOMPARE(decision.sender, sender);
}

void TestRouter::conferenceLineForms_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<Form>("form");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("text");
    QTest::newRow("system") << "*** bob has joined lobby" << Form::System << ""
                            << "";
    QTest::newRow("system with a colon") << "*** note: x" << Form::System << ""
                                         << "";
    QTest::newRow("user") << "bob:  hi  " << Form::User << "bob"
                          << "hi";
    QTest::newRow("user, more colons") << "bob:a:b" << Form::User << "bob"
                                       << "a:b";
    QTest::newRow("user, empty text") << "bob:" << Form::User << "bob"
                                      << "";
    QTest::newRow("no colon") << "just words" << Form::Plain << ""
                              << "";
    QTest::newRow("space before the colon") << "note this: x" << Form::Plain << ""
                                            << "";
    QTest::newRow("starts with a colon") << ":x" << Form::Plain << ""
                                         << "";
    QTest::newRow("three stars without space") << "***bob: x" << Form::User << "***bob"
                                               << "x";
}

void TestRouter::conferenceLineForms() {
    QFETCH(QString, message);
    QFETCH(Form, form);
    QFETCH(QString, user);
    QFETCH(QString, text);
    const ConferenceLine line = classifyConferenceLine(message);
    QCOMPARE(line.form, form);
    QCOMPARE(line.user, user);
    QCOMPARE(line.text, text);
}

void TestRouter::commandLines() {
    QCOMPARE(Command::login("Ann Lee", "p w"), QString("/login Ann Lee p w"));
    QCOMPARE(Command::privateMessage("bob", "hi"), QString("/pm bob hi"));
    QCOMPARE(Command::joinConference("lobby@far"), QString("/join_server lobby@far"));
    QCOMPARE(Command::ignoreList(), QString("/ignore-list"));
    QCOMPARE(Command::ignoreAdd("x"), QString("/ignore-add x"));
    QCOMPARE(Command::ignoreDelete("x"), QString("/ignore-del x"));
    QCOMPARE(Command::ignoreClear(), QString("/ignore-clear"));
    QCOMPARE(Command::KeepAlive, QByteArray("/"));
}

QTEST_GUILESS_MAIN(TestRouter)
#include "tst_router.moc"
