// SPDX-License-Identifier: GPL-3.0-or-later
#include "Codec.h"
#include "LineReceiver.h"

#include <QTest>

using namespace kivo;

using Chunks = QList<QByteArray>;

class TestReceive : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encodesWithoutByteOrderMark();
    void decodesInvalidBytesAsReplacement();
    void framesAndNormalisesLines_data();
    void framesAndNormalisesLines();
    void oversizedLineIsCutAndTheRestDropped();
    void cutNeverSplitsACharacter();
    void resetForgetsAHalfCharacter();
};

void TestReceive::encodesWithoutByteOrderMark() {
    QCOMPARE(StringToUTF8(QString::fromUtf8("é\r\n")), QByteArray("\xC3\xA9\r\n"));
    QCOMPARE(commandLine("/login Ann Lee pw"), QByteArray("/login Ann Lee pw\r\n"));
    QCOMPARE(UTF8ToString("\xC3\xA9"), QString::fromUtf8("é"));
}

void TestReceive::decodesInvalidBytesAsReplacement() {
    QCOMPARE(UTF8ToString("a\xFF"
                          "b"),
             QString("a") + QChar(QChar::ReplacementCharacter) + "b");
}

// Chunks as the socket delivers them; the messages they must produce. A trailing "|tail"
// entry is what the wait for an unterminated line finally routes.
void TestReceive::framesAndNormalisesLines_data() {
    QTest::addColumn<Chunks>("chunks");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("tail");

    QTest::newRow("spaces and trailing line ends")
        << Chunks{"  Login successful.  \r\n\r\n"} << QStringList{"Login successful."} << "";
    QTest::newRow("lone CR and lone LF end lines")
        << Chunks{"a\rb\nc\r\n"} << QStringList{"a", "b", "c"} << "";
    QTest::newRow("NULs removed") << Chunks{QByteArray("Log\0in \0succ\0essful.\r\n", 22)}
                                  << QStringList{"Login successful."} << "";
    QTest::newRow("only spaces, NULs and line ends")
        << Chunks{QByteArray(" \0 \r\n\r \n  \0", 11)} << QStringList{} << "";
    QTest::newRow("two lines in one read")
        << Chunks{"Private message sent to bob.\r\n(Private) bob:hi\r\n"}
        << QStringList{"Private message sent to bob.", "(Private) bob:hi"} << "";
    QTest::newRow("line split over reads")
        << Chunks{"hel", "lo wor", "ld\r\n"} << QStringList{"hello world"} << "";
    QTest::newRow("character cut between reads")
        << Chunks{"caf\xC3", "\xA9\r\n"} << QStringList{QString::fromUtf8("café")} << "";
    QTest::newRow("CR and LF in different reads")
        << Chunks{"a\r", "\nb\r\n"} << QStringList{"a", "b"} << "";
    QTest::newRow("byte-order mark dropped")
        << Chunks{"\xEF\xBB\xBFhi\n"} << QStringList{"hi"} << "";
    QTest::newRow("tabs are content") << Chunks{"\tx\t \n"} << QStringList{"\tx\t"} << "";
    QTest::newRow("unterminated tail waits")
        << Chunks{"one\r\ntw", "o  "} << QStringList{"one"} << "two";
    QTest::newRow("blank tail is nothing") << Chunks{"one\n  "} << QStringList{"one"} << "";
}

void TestReceive::framesAndNormalisesLines() {
    QFETCH(Chunks, chunks);
    QFETCH(QStringList, messages);
    QFETCH(QString, tail);
    LineReceiver receiver;
    QStringList got;
    for (const QByteArray& chunk : chunks) {
        receiver.feed(chunk);
        while (std::optional<QString> message = receiver.next())
            got.append(*message);
    }
    QCOMPARE(got, messages);
    QCOMPARE(receiver.takeTail().value_or(QString()), tail);
    QVERIFY(!receiver.midLine());
}

void TestReceive::oversizedLineIsCutAndTheRestDropped() {
    LineReceiver receiver;
    const QByteArray huge(LineReceiver::MaxLineLength * 3 + 5, 'x');
    for (qsizetype at = 0; at < huge.size(); at += 10000)
        receiver.feed(huge.mid(at, 10000));
    QVERIFY(receiver.midLine());
    receiver.feed("yyy\r\nnext\r\n");
    QCOMPARE(receiver.next(), QString(LineReceiver::MaxLineLength, 'x'));
    QCOMPARE(receiver.next(), QString("next"));
    QCOMPARE(receiver.next(), std::nullopt);

    // A pause ends an overlong line like any other: what comes next is a new line.
    receiver.feed(huge);
    QCOMPARE(receiver.tailWait(), LineReceiver::ShortTailWait);
    QVERIFY(receiver.next());
    QCOMPARE(receiver.takeTail(), std::nullopt);
    receiver.feed("(Private) alice:after\r\n");
    QCOMPARE(receiver.next(), QString("(Private) alice:after"));
}

void TestReceive::cutNeverSplitsACharacter() {
    LineReceiver receiver;
    // A four-byte character (one surrogate pair) straddling the limit is left out whole.
    receiver.feed(QByteArray(LineReceiver::MaxLineLength - 1, 'x') + "\xF0\x9F\x98\x80z\n");
    QCOMPARE(receiver.next(), QString(LineReceiver::MaxLineLength - 1, 'x'));
}

void TestReceive::resetForgetsAHalfCharacter() {
    LineReceiver receiver;
    receiver.feed("abc\xC3");
    receiver.reset();
    receiver.feed("\xA9ok\n");
    QCOMPARE(receiver.next(), QString(QChar(QChar::ReplacementCharacter)) + "ok");
}

QTEST_GUILESS_MAIN(TestReceive)
#include "tst_receive.moc"
