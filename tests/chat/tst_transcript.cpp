// SPDX-License-Identifier: GPL-3.0-or-later
// The transcript: its model without any widget, and its view under the offscreen platform.
#include "TestSupport.h"
#include "TranscriptModel.h"
#include "TranscriptView.h"

#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace kivo;

namespace {

// A view of its own model, shown at a given size.
struct Shown {
    test::Sandbox sandbox;
    TranscriptModel model;
    TranscriptView view{model};

    explicit Shown(QSize size = {400, 200}) {
        view.resize(size);
        view.show();
        if (!QTest::qWaitForWindowExposed(&view))
            qFatal("the view never showed");
    }
    void add(int lines, const QString& text = "line %1") {
        for (int i = 0; i < lines; ++i)
            model.appendPlainLine(text.arg(model.dropped() + model.count()));
    }
    // The centre of a row of the view, by its top-to-bottom number on screen.
    QPoint row(int number) const {
        const int height = view.fontMetrics().height();
        return {30, 4 + height * number + height / 2};
    }
};

} // namespace

class TestTranscript : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linesKeepTheirFormsAndText();
    void theOldestAreDroppedAChunkAtATime();
    void aSelectionIsCopiedLineByLine();
    void longLinesWrapAndRewrap();
    void theViewFollowsOnlyFromTheBottom();
    void mouseSelectionAndCopy();
    void screenReadersGetTheVisibleLines();
};

void TestTranscript::linesKeepTheirFormsAndText() {
    test::Sandbox sandbox;
    TranscriptModel model;
    const QString arabic = QString::fromUtf8("مرحبا 👋 e\u0301");
    model.appendUserLine("ann", arabic, "ann");
    model.appendUserLine("Ann", "x", "ann");
    model.appendSystemLine("*** bob has left");
    model.appendConferenceLine("a sentence: with a colon", "ann");
    const TranscriptModel::Line own = model.line(0);
    QCOMPARE(own.form, TranscriptModel::Form::User);
    QVERIFY(own.own && !own.history);
    QCOMPARE(own.sender, QString("ann"));
    QCOMPARE(own.text, arabic);
    QCOMPARE(own.time, sandbox.clock.now().toSecsSinceEpoch());
    QVERIFY(!model.line(1).own); // letter case counts
    QCOMPARE(model.line(2).form, TranscriptModel::Form::System);
    QCOMPARE(model.line(3).form, TranscriptModel::Form::Plain);
    const TranscriptModel::Shown shown = model.shown(0);
    QCOMPARE(shown.text, "[09:05:07] <ann> " + arabic);
    QCOMPARE(shown.text.mid(shown.senderStart, shown.textStart - shown.senderStart),
             QString("<ann> "));
    QCOMPARE(model.shown(2).senderStart, model.shown(2).textStart);
}

void TestTranscript::theOldestAreDroppedAChunkAtATime() {
    test::Sandbox sandbox;
    TranscriptModel model;
    model.setCapacity(3 * TranscriptModel::ChunkLines);
    QSignalSpy dropped(&model, &TranscriptModel::droppedOldest);
    const qsizetype total = 4 * TranscriptModel::ChunkLines + 10;
    for (qsizetype i = 0; i < total; ++i)
        model.appendPlainLine(QString::number(i));
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(dropped[0][0].value<qsizetype>(), TranscriptModel::ChunkLines);
    QCOMPARE(model.dropped(), TranscriptModel::ChunkLines);
    QCOMPARE(model.count(), total - TranscriptModel::ChunkLines);
    QCOMPARE(model.line(0).text, QString::number(TranscriptModel::ChunkLines));
    QCOMPARE(model.line(model.count() - 1).text, QString::number(total - 1));
}

void TestTranscript::aSelectionIsCopiedLineByLine() {
    test::Sandbox sandbox;
    TranscriptModel model;
    model.appendUserLine("bob", "first", "ann");
    model.appendSystemLine("*** second");
    model.appendPlainLine("third line");
    // From inside the first line's sender to the middle of the third line.
    QCOMPARE(model.text(0, 12, 2, 16),
             QString("bob> first\n[09:05:07] *** second\n[09:05:07] third"));
    QCOMPARE(model.text(1, 0, 1, 5), QString("[09:0"));
}

void TestTranscript::longLinesWrapAndRewrap() {
    Shown s({300, 200});
    const QString words = QString("word ").repeated(30);
    s.add(40, "line %1 " + words);
    QTRY_VERIFY(s.view.visibleText().endsWith("line 39 " + words));
    // Narrow, a line takes several rows: fewer lines fit, and the newest screenful starts late.
    const int narrow = s.view.verticalScrollBar()->maximum();
    QVERIFY(narrow > 30);
    s.view.resize(900, 200);
    QTRY_VERIFY(s.view.verticalScrollBar()->maximum() < narrow);
    QVERIFY(s.view.followsNewest());
    QTRY_VERIFY(s.view.visibleText().endsWith("line 39 " + words));
    QVERIFY(s.view.visibleText().count('\n') > 40 - narrow);
}

void TestTranscript::theViewFollowsOnlyFromTheBottom() {
    Shown s;
    s.add(200);
    QTRY_VERIFY(s.view.visibleText().endsWith("line 199"));
    QToolButton* marker = s.view.findChild<QToolButton*>("newLinesBelow");
    QVERIFY(!marker->isVisible());
    // Scrolled up to read: new lines leave the view where it is.
    s.view.verticalScrollBar()->setValue(50);
    QVERIFY(!s.view.followsNewest());
    QTRY_VERIFY(s.view.visibleText().startsWith("[09:05:07] line 50\n"));
    s.add(10);
    QTRY_VERIFY(marker->isVisible());
    QTest::qWait(20);
    QVERIFY(s.view.visibleText().startsWith("[09:05:07] line 50\n"));
    QCOMPARE(s.view.topLine(), 50);
    // The marker takes the view back down, where it follows again.
    QTest::mouseClick(marker, Qt::LeftButton);
    QVERIFY(s.view.followsNewest());
    QVERIFY(!marker->isVisible());
    s.add(1);
    QTRY_VERIFY(s.view.visibleText().endsWith("line 210"));
}

void TestTranscript::mouseSelectionAndCopy() {
    Shown s;
    s.add(3);
    QTRY_VERIFY(!s.view.visibleText().isEmpty());
    QWidget* viewport = s.view.viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(2, s.row(0).y()));
    QTest::mouseMove(viewport, s.row(2) + QPoint(400, 0));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, s.row(2) + QPoint(400, 0));
    QVERIFY(s.view.hasSelection());
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&s.view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString("[09:05:07] line 0\n[09:05:07] line 1\n[09:05:07] line 2"));
    s.view.selectAll();
    QCOMPARE(s.view.selectedText().count('\n'), 2);
}

void TestTranscript::screenReadersGetTheVisibleLines() {
    Shown s;
    s.add(3);
    QTRY_VERIFY(!s.view.visibleText().isEmpty());
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&s.view);
    QVERIFY(accessible && accessible->textInterface());
    QAccessibleTextInterface* text = accessible->textInterface();
    QCOMPARE(text->text(0, text->characterCount()),
             QString("[09:05:07] line 0\n[09:05:07] line 1\n[09:05:07] line 2"));
    QVERIFY(accessible->state().readOnly);
}

QTEST_MAIN(TestTranscript)
#include "tst_transcript.moc"
